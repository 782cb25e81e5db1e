#include "datafile/tidfile.h"

#include <gtest/gtest.h>

#include "datafile/writers.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

std::tm Date(int y, int mo, int d, int h, int mi, int s) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return t;
}

// Writes `records` ten-minute records starting 2001-03-04 05:00:00.
void WriteTideFile(const std::string& path, int records, bool conductivity) {
  TideFileWriter w;
  ASSERT_TRUE(w.Open(path));
  for (int i = 0; i < records; ++i) {
    std::tm t = Date(2001, 3, 4, 5, 10 * i, 0);
    double p = 30.0 + 0.1 * i, temp = 12.0 - 0.5 * i;
    bool ok = conductivity ? w.WriteRecord(i + 1, t, p, temp, 3, 4.2 + 0.01 * i, 34.5 + 0.1 * i)
                           : w.WriteRecord(i + 1, t, p, temp, 3);
    ASSERT_TRUE(ok);
  }
  ASSERT_TRUE(w.Close());
}

std::vector<std::string> YNames(CTGR41File& f) {
  std::vector<std::string> names;
  f.GetAvailableYVariableNames(names);
  return names;
}

DataArrays WantAll() {
  DataArrays d;
  for (int id = 0; id < kMaxDataTypes; ++id) d.Want(id);
  return d;
}

TEST(TideRecord, ParsesTheWrittenLayout) {
  TideRecord r = ParseTideRecord("    12   01/02/2003 04:05:06    30.1234     12.500    4.20000");
  EXPECT_EQ(r.fields, 10);
  EXPECT_EQ(r.NumValues(), 3);
  EXPECT_EQ(r.record, 12);
  EXPECT_EQ(r.month, 1);
  EXPECT_EQ(r.year, 2003);
  EXPECT_EQ(r.second, 6);
  EXPECT_DOUBLE_EQ(r.values[2], 4.2);
  EXPECT_EQ(ParseTideRecord("Meters      Deg C").fields, 0);
  EXPECT_EQ(ParseTideRecord("  7   01-02-2003").fields, 2);
  EXPECT_EQ(ParseTideRecord("").fields, 0);
  EXPECT_EQ(TideRecordYear(98), 1998);
  EXPECT_EQ(TideRecordYear(1998), 1998);
  EXPECT_EQ(TideRecordYear(5), 2005);
  EXPECT_EQ(TideRecordYear(2030), 2030);
}

TEST(TideFile, ConductivityFileOffersDensitiesAndReadsEveryRecord) {
  testing::TempDir dir;
  std::string path = dir.file("c.tid");
  WriteTideFile(path, 5, true);
  CTidFile f;
  int nSub = -1;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 5);
  EXPECT_EQ(nSub, 1);
  EXPECT_EQ(f.GetNumYDataColumns(), 8);
  EXPECT_EQ(YNames(f),
            (std::vector<std::string>{"Pressure [psi]", "Temperature [deg C]", "Conductivity [S/m]",
                                      "Salinity PSS-78 [psu]", "Density [sigma-theta, Kg/m^3]",
                                      "Density [sigma-t, Kg/m^3]", "Density [sigma-1, Kg/m^3]",
                                      "Density [sigma-2, Kg/m^3]"}));
  EXPECT_EQ(f.GetNumXDataColumns(), 1);

  DataArrays d = WantAll();
  int count = 0;
  for (int row = 0; row < 5; ++row) ASSERT_EQ(f.ReadData(d, row, count), 10) << row;
  EXPECT_EQ(f.ReadData(d, 5, count), 0);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(f.GetSubTitle(0), "Tide Integration Period 600 seconds");

  EXPECT_FLOAT_EQ(d.values[kVarPressure][2], 30.2f);
  EXPECT_FLOAT_EQ(d.values[kVarTemperature][2], 11.0f);
  EXPECT_FLOAT_EQ(d.values[kVarConductivity][2], 4.22f);
  EXPECT_FLOAT_EQ(d.values[kVarSalinity][2], 34.7f);
  EXPECT_EQ(d.times[kVarDateTime][1] - d.times[kVarDateTime][0], 600.0);
  EXPECT_EQ(FormatDataDateTime(CalendarTime(d.times[kVarDateTime][4])), "03/04/2001 05:40:00");
  // Densities from the record's own columns, with sea pressure from absolute pressure.
  double S = 34.7, T = 11.0, p = (30.2 - 14.7) * 0.6894757;
  EXPECT_NEAR(d.values[kVarSigmaT][2], CTGR41File::Density(S, T, 0), 1e-4);
  EXPECT_NEAR(d.values[kVarSigmaTheta][2],
              CTGR41File::Density(S, CTGR41File::PoTemp(S, T, p, 0), 0), 1e-4);
  EXPECT_NEAR(d.values[kVarSigma4][2],
              CTGR41File::Density(S, CTGR41File::PoTemp(S, T, p, 4000), 4000), 1e-4);
  EXPECT_GT(d.values[kVarSigma2][2], d.values[kVarSigma1][2]);
  EXPECT_NEAR(d.values[kVarSigmaT][2], 26.5, 0.5);  // a plausible seawater sigma-t
  EXPECT_FLOAT_EQ(d.minimum[kVarPressure], 30.0f);
  EXPECT_FLOAT_EQ(d.maximum[kVarPressure], 30.4f);
  EXPECT_FLOAT_EQ(d.minimum[kVarTemperature], 10.0f);
}

TEST(TideFile, OnlyRequestedVariablesAreStored) {
  testing::TempDir dir;
  std::string path = dir.file("c.tid");
  WriteTideFile(path, 3, true);
  CTidFile f;
  int nSub = 0, count = 0;
  f.ReadFileInfo(path, nSub);
  DataArrays d;
  d.Want(kVarTemperature);
  EXPECT_EQ(f.ReadData(d, 0, count), 10);
  EXPECT_EQ(d.values[kVarTemperature].size(), 1u);
  EXPECT_TRUE(d.values[kVarPressure].empty());
  EXPECT_TRUE(d.times[kVarDateTime].empty());
  EXPECT_TRUE(d.values[kVarSigmaT].empty());
}

TEST(TideFile, PressureAndTemperatureOnly) {
  testing::TempDir dir;
  std::string path = dir.file("p.tid");
  WriteTideFile(path, 3, false);
  CTidFile f;
  int nSub = 0;
  EXPECT_EQ(f.ReadFileInfo(path, nSub), 3);
  EXPECT_EQ(f.GetNumYDataColumns(), 2);
  EXPECT_EQ(YNames(f), (std::vector<std::string>{"Pressure [psi]", "Temperature [deg C]"}));
  EXPECT_EQ(f.GetReadableVariableIDs(), (std::vector<int>{4, 19, 27}));
}

TEST(TideFile, OneRecordHasNoSubtitleAndCountsByItsNumber) {
  testing::TempDir dir;
  std::string path = dir.file("one.tid");
  testing::WriteFile(path, "     7   01/02/2003 04:05:06    30.1234     12.500\r\n");
  CTidFile f;
  int nSub = 0, count = 0;
  EXPECT_EQ(f.ReadFileInfo(path, nSub), 7);
  DataArrays d = WantAll();
  EXPECT_EQ(f.ReadData(d, 0, count), 3);
  EXPECT_EQ(f.ReadData(d, 1, count), 0);
  EXPECT_EQ(f.GetSubTitle(0), "");
}

TEST(TideFile, JoinedFilesKeepEveryRecord) {
  testing::TempDir dir;
  std::string path = dir.file("j.tid");
  testing::WriteFile(path,
                     "     1   01/02/2003 04:05:06    30.1234     12.500\r\n"
                     "     2   01/02/2003 04:15:06    30.1234     12.500\r\n"
                     "     1   01/03/2003 04:05:06    30.1234     12.500\r\n");
  CTidFile f;
  int nSub = 0;
  EXPECT_EQ(f.ReadFileInfo(path, nSub), 3);
}

TEST(TideFile, TwoDigitYearsAndBareLineFeeds) {
  testing::TempDir dir;
  std::string path = dir.file("old.tid");
  testing::WriteFile(path,
                     "     1   12/31/98 23:50:00    30.1234     12.500\n"
                     "     2   01/01/99 00:00:00    30.2234     12.400\n");
  CTidFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 2);
  DataArrays d = WantAll();
  ASSERT_TRUE(f.ReadData(d, 0, count));
  ASSERT_TRUE(f.ReadData(d, 1, count));
  EXPECT_EQ(FormatDataDateTime(CalendarTime(d.times[kVarDateTime][0])), "12/31/1998 23:50:00");
  EXPECT_EQ(f.GetSubTitle(0), "Tide Integration Period 600 seconds");
}

TEST(TideFile, MergedMetersFileOffersDepthAndNoDensities) {
  testing::TempDir dir;
  std::string path = dir.file("m.tid");
  testing::WriteFile(
      path,
      "                               Meters      Deg C        S/m        PSU\r\n"
      "     1   01/02/2003 04:05:06    10.1234     12.500    4.20000     34.500\r\n"
      "     2   01/02/2003 04:15:06    10.2234     12.400    4.21000     34.600\r\n");
  CTidFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 2);
  EXPECT_TRUE(f.HasUnitLine());
  EXPECT_EQ(f.GetFirstColumn(), CTidFile::FirstColumn::kDepth);
  EXPECT_EQ(YNames(f), (std::vector<std::string>{"Depth [meters]", "Temperature [deg C]",
                                                 "Conductivity [S/m]", "Salinity PSS-78 [psu]"}));
  EXPECT_EQ(f.GetDefaultVarID(1), kVarDepth);
  DataArrays d = WantAll();
  EXPECT_EQ(f.ReadData(d, 0, count), 5);
  EXPECT_FLOAT_EQ(d.values[kVarDepth][0], 10.1234f);
  EXPECT_TRUE(d.values[kVarPressure].empty());
  EXPECT_TRUE(d.values[kVarSigmaT].empty());
  EXPECT_TRUE(d.values[kVarSigmaTheta].empty());
}

TEST(TideFile, InfoToTheFirstRecordKnowsTheColumnsAndReadsEveryRecord) {
  testing::TempDir dir;
  std::string path = dir.file("m.tid");
  testing::WriteFile(path,
                     "  PSIA\r\n\r\n"
                     "  damaged line\r\n"
                     "     7   01/02/2003 04:05:06    10.1234     12.500    4.20000     34.500\r\n"
                     "     8   01/02/2003 04:15:06    10.2234     12.400    4.21000     34.600\r\n"
                     "     9   01/02/2003 04:25:06    10.3234     12.300    4.22000     34.700\r\n");
  CTidFile f;
  f.StopInfoAtFirstRecord(true);
  int nSub = 0, count = 0;
  EXPECT_GT(f.ReadFileInfo(path, nSub), 0);
  EXPECT_EQ(f.GetNumValueColumns(), 4);
  EXPECT_TRUE(f.OffersDensities());
  DataArrays d = WantAll();
  for (int row = 0; f.ReadData(d, row, count); ++row) {
  }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(d.values[kVarPressure], (std::vector<float>{10.1234f, 10.2234f, 10.3234f}));
  // A file without records still has none.
  testing::WriteFile(path, "  PSIA\r\n  no record\r\n");
  EXPECT_EQ(f.ReadFileInfo(path, nSub), 0);
}

TEST(TideFile, PsiUnitLineMeansGaugePressure) {
  testing::TempDir dir;
  std::string path = dir.file("g.tid");
  std::string rec = "     1   01/02/2003 04:05:06    20.0000     10.000    4.20000     35.000\r\n";
  testing::WriteFile(
      path, "                                  PSI      Deg C        S/m        PSU\r\n" + rec);
  CTidFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 1);
  EXPECT_EQ(f.GetFirstColumn(), CTidFile::FirstColumn::kGaugePressure);
  EXPECT_EQ(f.GetNumYDataColumns(), 8);
  DataArrays d = WantAll();
  ASSERT_TRUE(f.ReadData(d, 0, count));
  EXPECT_NEAR(d.values[kVarSigmaTheta][0],
              CTGR41File::Density(35, CTGR41File::PoTemp(35, 10, 20 * 0.6894757, 0), 0), 1e-4);
  EXPECT_FLOAT_EQ(d.values[kVarPressure][0], 20.0f);

  // An absolute-pressure unit line keeps pressure absolute.
  testing::WriteFile(path, "  PSIA   Deg C\r\n" + rec);
  CTidFile a;
  ASSERT_EQ(a.ReadFileInfo(path, nSub), 1);
  EXPECT_EQ(a.GetFirstColumn(), CTidFile::FirstColumn::kAbsolutePressure);
  EXPECT_DOUBLE_EQ(a.SeaPressure(20), (20 - 14.7) * 0.6894757);
}

TEST(TideFile, ThreeColumnsOfferNoSalinityOrDensities) {
  testing::TempDir dir;
  std::string path = dir.file("t.tid");
  testing::WriteFile(path, "     1   01/02/2003 04:05:06    20.0000     10.000    4.20000\r\n");
  CTidFile f;
  int nSub = 0;
  f.ReadFileInfo(path, nSub);
  EXPECT_EQ(YNames(f), (std::vector<std::string>{"Pressure [psi]", "Temperature [deg C]",
                                                 "Conductivity [S/m]"}));
}

TEST(TideFile, SkippingAndDamagedLines) {
  testing::TempDir dir;
  std::string path = dir.file("s.tid");
  WriteTideFile(path, 4, false);
  std::string text = testing::ReadFile(path);
  // A very long line of junk and a blank line between records 2 and 3.
  size_t third = text.find("     3   ");
  text.insert(third, std::string(5000, 'x') + "\r\n\r\n");
  testing::WriteFile(path, text);
  CTidFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 4);
  EXPECT_EQ(f.SkipAtStart(1), 1);
  DataArrays d = WantAll();
  ASSERT_TRUE(f.ReadData(d, 0, count));
  EXPECT_FLOAT_EQ(d.values[kVarPressure][0], 30.1f);
  ASSERT_TRUE(f.ReadData(d, 1, count));
  EXPECT_FLOAT_EQ(d.values[kVarPressure][1], 30.2f);  // past the junk
  EXPECT_EQ(f.SkipAtStart(1), 1);
  EXPECT_EQ(f.SkipAtStart(1), 0);
  EXPECT_EQ(f.ReadData(d, 2, count), 0);
}

TEST(TideFile, EmptyAndMissingFilesHaveNoRows) {
  testing::TempDir dir;
  CTidFile f;
  int nSub = 9;
  EXPECT_EQ(f.ReadFileInfo(dir.file("none.tid"), nSub), 0);
  EXPECT_EQ(nSub, 0);
  testing::WriteFile(dir.file("e.tid"), "");
  EXPECT_EQ(f.ReadFileInfo(dir.file("e.tid"), nSub), 0);
  DataArrays d = WantAll();
  int count = 0;
  EXPECT_EQ(f.ReadData(d, 0, count), 0);
}

TEST(TideFile, CopyCarriesTheLayout) {
  testing::TempDir dir;
  std::string path = dir.file("m.tid");
  testing::WriteFile(path, "Meters\r\n     3   01/02/2003 04:05:06    10.1234     12.500\r\n");
  CTidFile f, g;
  int nSub = 0;
  f.ReadFileInfo(path, nSub);
  ASSERT_TRUE(CopyFileObject(&g, &f));
  EXPECT_EQ(g.GetFirstColumn(), CTidFile::FirstColumn::kDepth);
  EXPECT_EQ(g.GetNumValueColumns(), 2);
  EXPECT_EQ(g.GetNumRows(), 3);
  EXPECT_FALSE(g.IsOpen());
}

// A damaged value (nan, inf, far beyond every sentinel) stops the reading with a message naming
// its line; the records before it are read.
TEST(TideFile, NonFiniteOrAbsurdValuesAreRefusedNamingTheLine) {
  testing::TempDir dir;
  const std::string path = dir.file("bad.tid");
  const std::string good = "     1   03/04/2001 05:00:00    30.0000     12.000\r\n";
  for (const char* bad :
       {"       nan     12.000", "   30.0000        inf", "  -2.0e+07     12.000"}) {
    SCOPED_TRACE(bad);
    testing::WriteFile(path, good + "\r\n     2   03/04/2001 05:10:00 " + bad + "\r\n");
    CTidFile f;
    int nSub = 0, count = 0;
    ASSERT_EQ(f.ReadFileInfo(path, nSub), 2);
    DataArrays d = WantAll();
    ASSERT_GT(f.ReadData(d, 0, count), 0);
    EXPECT_TRUE(f.GetDataError().empty());
    EXPECT_EQ(f.ReadData(d, 1, count), 0);
    EXPECT_EQ(f.GetDataError(),
              "A value that is not a finite number below 1e6 on line 3 of " + path);
  }
}

}  // namespace
}  // namespace tidora
