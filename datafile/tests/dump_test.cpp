#include "datafile/dump.h"

#include <gtest/gtest.h>

#include <sstream>

#include "datafile/tests/wave_output_builders.h"
#include "datafile/tgr41file.h"
#include "datafile/writers.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

std::string TideFile(const testing::TempDir& dir) {
  std::string path = dir.file("d.tid");
  TideFileWriter w;
  std::tm t{};
  t.tm_year = 110;
  t.tm_mon = 6;
  t.tm_mday = 14;
  w.Open(path);
  for (int i = 0; i < 3; ++i) {
    t.tm_min = 15 * i;
    w.WriteRecord(i + 1, t, 25.5 + i, 9.25, 3, 4.1, 35);
  }
  w.Close();
  return path;
}

TEST(CsvDump, FieldsAreQuotedOnlyWhenNeeded) {
  EXPECT_EQ(CsvField("Pressure [psi]"), "Pressure [psi]");
  EXPECT_EQ(CsvField("Density [sigma-t, Kg/m^3]"), "\"Density [sigma-t, Kg/m^3]\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("a\nb"), "\"a\nb\"");
}

TEST(CsvDump, VariableLists) {
  std::vector<int> ids;
  std::string error;
  EXPECT_TRUE(ParseVariableList("4, 19 ,27", ids, error));
  EXPECT_EQ(ids, (std::vector<int>{4, 19, 27}));
  EXPECT_FALSE(ParseVariableList("4,,27", ids, error));
  EXPECT_FALSE(ParseVariableList("4,x", ids, error));
  EXPECT_NE(error.find("\"x\""), std::string::npos);
}

TEST(CsvDump, TideFileWithDefaultsAndWithDensities) {
  testing::TempDir dir;
  std::string path = TideFile(dir);
  std::ostringstream out;
  std::string error;
  ASSERT_TRUE(DumpDataFileCsv(path, {}, out, error)) << error;
  EXPECT_EQ(Lines(out.str()),
            (std::vector<std::string>{
                "Date/Time [MM/DD/YYYY HH:MM:SS],Pressure [psi],Temperature [deg C]",
                "07/14/2010 00:00:00,25.5,9.25", "07/14/2010 00:15:00,26.5,9.25",
                "07/14/2010 00:30:00,27.5,9.25"}));

  std::ostringstream dens;
  ASSERT_TRUE(DumpDataFileCsv(path, {4, 21, 7, 10}, dens, error, 1)) << error;
  auto lines = Lines(dens.str());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "Date/Time [MM/DD/YYYY HH:MM:SS],Salinity PSS-78 [psu],\"Density [sigma-t, Kg/m^3]\","
            "\"Density [sigma-4, Kg/m^3]\"");
  std::string sigmaT;
  AppendShortest(sigmaT, static_cast<float>(CTGR41File::Density(35, 9.25, 0)));
  EXPECT_EQ(lines[1].substr(0, lines[1].rfind(',')), "07/14/2010 00:00:00,35," + sigmaT);
}

TEST(CsvDump, WaveBurstFileHasOneRowPerSample) {
  testing::TempDir dir;
  std::string path = dir.file("d.wb");
  WaveBurstFileWriter w;
  w.Open(path);
  w.WriteIdentification();
  for (int b = 0; b < 2; ++b) {
    w.WriteBurstHeader(b, 1000 * b, b ? 0.1 : 0.25, 8);
    w.WriteRow(1 + b, 2, 3, 4);
    w.WriteRow(5, 6, 7, 8.5);
  }
  w.Close();
  std::ostringstream out;
  std::string error;
  ASSERT_TRUE(DumpDataFileCsv(path, {}, out, error)) << error;
  auto lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 17u);
  EXPECT_EQ(lines[0], "Burst Number [count],Time [seconds],Subsurface Pressure [psi]");
  EXPECT_EQ(lines[1], "0,0,1");
  EXPECT_EQ(lines[8], "0,1.75,8.5");
  EXPECT_EQ(lines[9], "1,0,2");
  EXPECT_EQ(lines[12], "1,0.3,4");
  std::ostringstream some;
  ASSERT_TRUE(DumpDataFileCsv(path, {26, 32}, some, error, 3)) << error;
  EXPECT_EQ(Lines(some.str()).back(), "3,0.25");
}

TEST(CsvDump, EveryColumnHeaderNamesAUnit) {
  for (int kind = kTideFileId; kind <= kWtFileId; ++kind) {
    auto reader = CreateFileObject(kind);
    for (int id : reader->GetReadableVariableIDs()) {
      const std::string name = DumpColumnName(id);
      EXPECT_NE(name.find('['), std::string::npos) << name;
      EXPECT_NE(name.find(']'), std::string::npos) << name;
    }
  }
  EXPECT_EQ(DumpColumnName(kVarNumberOfWaves), "Number of waves [count], time series statistics");
  EXPECT_EQ(DumpColumnName(kVarPressure), "Pressure [psi]");
}

TEST(CsvDump, ClearErrors) {
  testing::TempDir dir;
  std::string path = TideFile(dir);
  std::ostringstream out;
  std::string error;
  EXPECT_FALSE(DumpDataFileCsv(path, {4, 40}, out, error));
  EXPECT_EQ(error, "unknown variable id 40 (ids are 0 to 33)");
  EXPECT_FALSE(DumpDataFileCsv(path, {11}, out, error));
  EXPECT_EQ(error, "variable 11 (Energy [J/m^2], auto spectrum) is not in " + path);
  EXPECT_FALSE(DumpDataFileCsv(dir.file("none.tid"), {}, out, error));
  EXPECT_NE(error.find("no such file"), std::string::npos);
  testing::WriteFile(dir.file("e.wb"), "");
  EXPECT_FALSE(DumpDataFileCsv(dir.file("e.wb"), {}, out, error));
  EXPECT_NE(error.find("empty"), std::string::npos);
  testing::WriteFile(dir.file("j.tid"), "just words\r\n");
  EXPECT_FALSE(DumpDataFileCsv(dir.file("j.tid"), {}, out, error));
  EXPECT_NE(error.find("holds no data"), std::string::npos);
  testing::WriteFile(dir.file("a.was"), "*\r\n");
  EXPECT_FALSE(DumpDataFileCsv(dir.file("a.was"), {}, out, error));
  EXPECT_NE(error.find(".was"), std::string::npos);
  EXPECT_FALSE(DumpDataFileCsv(dir.file("a.txt"), {}, out, error));
  EXPECT_EQ(out.str(), "");
}

TEST(CsvDump, WaveOutputFilesGiveARowPerBurstOrPerBand) {
  testing::TempDir dir;
  std::vector<testing::WasBurst> was(2);
  was[1].burst = 1;
  was[1].start = 1800;
  was[1].densities = {0.5, 1.5};
  std::string wasPath = dir.file("d.was");
  testing::WriteFile(wasPath, testing::WasFileText(was));
  std::ostringstream out;
  std::string error;
  ASSERT_TRUE(DumpDataFileCsv(wasPath, {}, out, error)) << error;
  auto lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(
      lines[0],
      "Burst Number [count],\"Variance, auto spectrum [m^2]\",\"Energy [J/m^2], auto spectrum\","
      "\"Significant wave height [meters], auto spectrum\",\"Significant period [seconds], "
      "auto spectrum\"");
  EXPECT_EQ(lines[2], "1,0.0625,628.5,1,8.5");

  out.str("");
  ASSERT_TRUE(DumpDataFileCsv(wasPath, {2, 14, 13}, out, error)) << error;
  lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 1u + 6 + 2);
  EXPECT_EQ(lines[8], "1,0.0234375,1.5");

  std::string wtsPath = dir.file("d.wts");
  testing::WriteFile(wtsPath, testing::WtsFileText({{}, {}}));
  out.str("");
  ASSERT_TRUE(DumpDataFileCsv(wtsPath, {4, 25, 18}, out, error)) << error;
  lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "01/01/1989 00:00:00,1.25,57");

  std::string wtPath = dir.file("d.wt");
  testing::WriteFile(wtPath, testing::WtFileText({{}}));
  out.str("");
  ASSERT_TRUE(DumpDataFileCsv(wtPath, {}, out, error)) << error;
  lines = Lines(out.str());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "Time [seconds],Wave amplitude [meters]");
  EXPECT_EQ(lines[8], "3.5,0.125");
}

}  // namespace
}  // namespace tidora
