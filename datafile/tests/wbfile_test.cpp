#include "datafile/wbfile.h"

#include <gtest/gtest.h>

#include "datafile/writers.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

// Writes bursts of `n` samples (whole rows only, as the converter does); sample i of burst b
// is 10 + b + i / 1000.
void WriteBursts(const std::string& path, int bursts, int n, bool tgr41plus, double start = 0,
                 double every = 3600) {
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  if (tgr41plus) {
    ASSERT_TRUE(w.WriteIdentification());
  }
  for (int b = 0; b < bursts; ++b) {
    ASSERT_TRUE(w.WriteBurstHeader(b, start + b * every, 0.5, n));
    for (int i = 0; i + 3 < n; i += 4) {
      double v = 10 + b + i / 1000.0;
      ASSERT_TRUE(w.WriteRow(v, v + 0.001, v + 0.002, v + 0.003));
    }
  }
  ASSERT_TRUE(w.Close());
}

DataArrays WantAll() {
  DataArrays d;
  for (int id = 0; id < kMaxDataTypes; ++id) d.Want(id);
  return d;
}

TEST(WaveBurstFile, OverviewAndBurstsOfAPlusFile) {
  testing::TempDir dir;
  std::string path = dir.file("a.wb");
  WriteBursts(path, 3, 1024, true, 86400);
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 1024);
  EXPECT_EQ(nSub, 3);
  EXPECT_TRUE(f.Is2000Based());
  EXPECT_DOUBLE_EQ(f.GetSamplePeriod(), 0.5);
  std::vector<std::string> names;
  EXPECT_EQ(f.GetAvailableYVariableNames(names), 1);
  EXPECT_EQ(names[0], "Subsurface Pressure [psi]");
  EXPECT_EQ(f.GetAvailableXVariableNames(names), 1);
  EXPECT_EQ(names[0], "Time [seconds]");

  DataArrays d = WantAll();
  ASSERT_EQ(f.ReadData(d, 0, count), 2);
  EXPECT_EQ(count, 1024);
  EXPECT_FLOAT_EQ(d.values[kVarSubsurfacePressure][5], 10.005f);
  EXPECT_DOUBLE_EQ(d.times[kVarTime][5], 2.5);
  EXPECT_EQ(f.GetSubTitle(0), "Burst 0 of 3, Start 02 Jan 2000 00:00:00, 1024 point, T=512 sec");
  ASSERT_EQ(f.ReadData(d, 1, count), 2);
  EXPECT_FLOAT_EQ(d.values[kVarBurstNumber][0], 1);
  EXPECT_FLOAT_EQ(d.values[kVarPeriod][0], 0.5f);
  EXPECT_FLOAT_EQ(d.values[kVarNumberOfWaves][0], 1024);
  EXPECT_FLOAT_EQ(d.values[kVarSubsurfacePressure][0], 11.0f);
  EXPECT_FLOAT_EQ(d.minimum[kVarSubsurfacePressure], 10.0f);
  EXPECT_FLOAT_EQ(d.maximum[kVarSubsurfacePressure], 12.023f);  // 11 + 1023/1000
  EXPECT_EQ(f.GetSubTitle(1), "Burst 1 of 3, Start 02 Jan 2000 01:00:00, 1024 point, T=512 sec");
  ASSERT_EQ(f.ReadData(d, 2, count), 2);
  EXPECT_EQ(f.ReadData(d, 3, count), 0);
}

// Values no analysis can use stop the reading with a message naming the line, instead of
// passing nan, inf or 1e308 on as samples.
TEST(WaveBurstFile, NonFiniteOrAbsurdValuesAreRefusedNamingTheLine) {
  testing::TempDir dir;
  std::string path = dir.file("bad.wb");
  const std::string row = "        14.700000     14.700000     14.700000     14.700000\r\n";
  struct Case {
    std::string header, bad;
  } cases[] = {
      {"*    1   3600    0.25  8", "    nan  1  2  3"},
      {"*    1   3600    0.25  8", "    1  inf  2  3"},
      {"*    1   3600    0.25  8", "    1  2  1e308  3"},
      {"*    1   3600    0.25  8", "    1  2  3  -1e308"},
      {"*    1   3600    inf  8", row.substr(0, row.size() - 2)},
      {"*    1   3600    -0.25  8", row.substr(0, row.size() - 2)},
      {"*    1   nan    0.25  8", row.substr(0, row.size() - 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header + " / " + c.bad);
    testing::WriteFile(path, "TGR 41plus\r\n*    0   0    0.25  8\r\n" + row + row + c.header +
                                 "\r\n" + row + c.bad + "\r\n");
    CWbFile f;
    int nSub = 0, count = 0;
    ASSERT_EQ(f.ReadFileInfo(path, nSub), 8);
    DataArrays d = WantAll();
    ASSERT_EQ(f.ReadData(d, 0, count), 2);
    EXPECT_TRUE(f.GetDataError().empty());
    EXPECT_EQ(f.ReadData(d, 1, count), 0);
    const bool headerBad = c.bad == row.substr(0, row.size() - 2);
    EXPECT_NE(f.GetDataError().find(headerBad ? "sample period" : "pressure sample"),
              std::string::npos);
    EXPECT_NE(
        f.GetDataError().find(std::string(" on line ") + (headerBad ? "5" : "7") + " of " + path),
        std::string::npos)
        << f.GetDataError();
  }
}

// Line ends of every kind: a CR-only file is its bursts, not one burst of zeros.
TEST(WaveBurstFile, CarriageReturnOnlyFileReadsAlike) {
  testing::TempDir dir;
  std::string path = dir.file("a.wb");
  WriteBursts(path, 3, 64, true);
  std::string text = testing::ReadFile(path);
  std::string cr;
  for (char ch : text)
    if (ch != '\n') cr += ch;
  testing::WriteFile(path, cr);
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 64);
  EXPECT_EQ(nSub, 3);
  DataArrays d = WantAll();
  for (int b = 0; b < 3; ++b) {
    ASSERT_EQ(f.ReadData(d, b, count), 2);
    EXPECT_FLOAT_EQ(d.values[kVarSubsurfacePressure][63], static_cast<float>(10 + b + 0.063));
  }
  EXPECT_EQ(f.ReadData(d, 3, count), 0);
  EXPECT_TRUE(f.GetDataError().empty());
}

TEST(WaveBurstFile, SkippingA1024SampleBurstMovesByItsRows) {
  EXPECT_EQ(WaveBurstRowBytes(1024), 15872);
  testing::TempDir dir;
  std::string path = dir.file("a.wb");
  WriteBursts(path, 3, 1024, true);
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 1024);
  std::string text = testing::ReadFile(path);
  size_t firstHeaderEnd = text.find("\r\n", text.find('*')) + 2;
  EXPECT_EQ(f.SkipAtStart(1), 1);
  EXPECT_EQ(f.GetFilePosition(), static_cast<int64_t>(firstHeaderEnd) + 15872);
  DataArrays d = WantAll();
  ASSERT_EQ(f.ReadData(d, 0, count), 2);
  EXPECT_FLOAT_EQ(d.values[kVarBurstNumber][0], 1);
  EXPECT_EQ(f.SkipAtStart(1), 1);
  EXPECT_EQ(f.ReadData(d, 1, count), 0);
  EXPECT_EQ(f.SkipAtStart(1), 0);  // nothing left to skip
}

TEST(WaveBurstFile, SkippingFindsTheNextBurstWhenRowsDoNotFitTheOffset) {
  testing::TempDir dir;
  std::string path = dir.file("odd.wb");
  WriteBursts(path, 3, 10, false);  // two whole rows per burst, the last two samples unwritten
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 10);
  EXPECT_EQ(f.SkipAtStart(2), 1);
  DataArrays d = WantAll();
  ASSERT_EQ(f.ReadData(d, 0, count), 2);
  EXPECT_FLOAT_EQ(d.values[kVarBurstNumber][0], 2);
  // The unwritten samples repeat the first value of the last row.
  EXPECT_FLOAT_EQ(d.values[kVarSubsurfacePressure][8], 12.004f);
  EXPECT_FLOAT_EQ(d.values[kVarSubsurfacePressure][9], 12.004f);
}

TEST(WaveBurstFile, TruncatedBurstsRepeatTheFirstValueOfTheLastRow) {
  testing::TempDir dir;
  std::string path = dir.file("t.wb");
  testing::WriteFile(path,
                     "*    0   100    0.25  12\r\n"
                     "          1.000000      2.000000      3.000000      4.000000\r\n"
                     "          5.000000      6.000000      7.000000      8.000000\r\n"
                     "*    1   200    0.25  8\r\n"
                     "          9.000000     10.000000     11.000000     12.000000\r\n");
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 12);
  EXPECT_EQ(nSub, 2);
  EXPECT_FALSE(f.Is2000Based());
  DataArrays d = WantAll();
  ASSERT_EQ(f.ReadData(d, 0, count), 2);
  EXPECT_EQ(count, 12);
  std::vector<float> burst0(d.values[kVarSubsurfacePressure].begin(),
                            d.values[kVarSubsurfacePressure].begin() + 12);
  EXPECT_EQ(burst0, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 5, 5, 5, 5}));
  // The header that cut the burst short starts the next one; the end of the file cuts it too.
  ASSERT_EQ(f.ReadData(d, 1, count), 2);
  EXPECT_EQ(count, 8);
  std::vector<float> burst1(d.values[kVarSubsurfacePressure].begin(),
                            d.values[kVarSubsurfacePressure].begin() + 8);
  EXPECT_EQ(burst1, (std::vector<float>{9, 10, 11, 12, 9, 9, 9, 9}));
  EXPECT_DOUBLE_EQ(d.times[kVarTime][7], 1.75);
  EXPECT_EQ(f.ReadData(d, 2, count), 0);
}

// Rows as hand-edited files have them: blank lines between rows, a header set in by blanks,
// a row cut short or holding words (missing values repeat the one before). The pressure range
// is the burst's own when it is the first record, widened by later ones.
TEST(WaveBurstFile, BlankLinesIndentedHeadersDamagedRowsAndTheRange) {
  testing::TempDir dir;
  std::string path = dir.file("d.wb");
  testing::WriteFile(path,
                     "*    0   100    0.25  8\r\n"
                     "          5.5  -3.25  9.125\r\n"
                     " \t \r\n"
                     "\r\n"
                     "          4  x  7  8\r\n"
                     "  \t*    1   200    0.25  4\r\n"
                     "          +1.5e1     6.\r\n");
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 8);
  DataArrays d = WantAll();
  ASSERT_EQ(f.ReadData(d, 0, count), 2);
  EXPECT_EQ(count, 8);
  std::vector<double> burst0(d.values[kVarSubsurfacePressure].begin(),
                             d.values[kVarSubsurfacePressure].begin() + 8);
  EXPECT_EQ(burst0, (std::vector<double>{5.5, -3.25, 9.125, 9.125, 4, 4, 4, 4}));
  EXPECT_EQ(d.minimum[kVarSubsurfacePressure], -3.25);
  EXPECT_EQ(d.maximum[kVarSubsurfacePressure], 9.125);
  ASSERT_EQ(f.ReadData(d, 1, count), 2);
  EXPECT_EQ(count, 4);
  EXPECT_FLOAT_EQ(d.values[kVarBurstNumber][0], 1);
  std::vector<double> burst1(d.values[kVarSubsurfacePressure].begin(),
                             d.values[kVarSubsurfacePressure].begin() + 4);
  EXPECT_EQ(burst1, (std::vector<double>{15, 6, 6, 6}));
  EXPECT_EQ(d.minimum[kVarSubsurfacePressure], -3.25);
  EXPECT_EQ(d.maximum[kVarSubsurfacePressure], 15);
  EXPECT_EQ(f.ReadData(d, 2, count), 0);
}

TEST(WaveBurstFile, TidewellBurstsAreDatedInTheTidewellCalendar) {
  testing::TempDir dir;
  std::string path = dir.file("tw.wb");
  double start = CTGR41File::DateTimeToSec(1996, 1, 1, 0, 0, 0);
  WriteBursts(path, 2, 4, false, start, 60 * 86400.0);  // the second burst on 1 March
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 4);
  DataArrays d = WantAll();
  ASSERT_TRUE(f.ReadData(d, 0, count));
  ASSERT_TRUE(f.ReadData(d, 1, count));
  EXPECT_EQ(f.GetSubTitle(0), "Burst 0 of 2, Start 01 Jan 1996 00:00:00, 4 point, T=2 sec");
  EXPECT_EQ(f.GetSubTitle(1), "Burst 1 of 2, Start 01 Mar 1996 00:00:00, 4 point, T=2 sec");
}

TEST(WaveBurstFile, FilesWithoutUsableBursts) {
  testing::TempDir dir;
  CWbFile f;
  int nSub = 0, count = 0;
  testing::WriteFile(dir.file("e.wb"), "");
  EXPECT_EQ(f.ReadFileInfo(dir.file("e.wb"), nSub), 0);
  testing::WriteFile(dir.file("z.wb"), "TGR 41plus\r\n*    0   100    0.25  0\r\n");
  EXPECT_EQ(f.ReadFileInfo(dir.file("z.wb"), nSub), 0);
  testing::WriteFile(dir.file("h.wb"), "*    0   100    0.25  2000000000\r\n    1 2 3 4\r\n");
  EXPECT_EQ(f.ReadFileInfo(dir.file("h.wb"), nSub), 0);
  DataArrays d = WantAll();
  EXPECT_EQ(f.ReadData(d, 0, count), 0);
  testing::WriteFile(dir.file("x.wb"), "no header here\r\n    1 2 3 4\r\n");
  EXPECT_EQ(f.ReadFileInfo(dir.file("x.wb"), nSub), 0);
  EXPECT_EQ(f.SkipAtStart(1), 0);
}

TEST(WaveBurstFile, LaterLargerBurstsDoNotOverrunTheArrays) {
  testing::TempDir dir;
  std::string path = dir.file("g.wb");
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  w.WriteBurstHeader(0, 0, 1, 4);
  w.WriteRow(1, 2, 3, 4);
  w.WriteBurstHeader(1, 10, 1, 8);
  w.WriteRow(5, 6, 7, 8);
  w.WriteRow(9, 10, 11, 12);
  ASSERT_TRUE(w.Close());
  CWbFile f;
  int nSub = 0, count = 0;
  ASSERT_EQ(f.ReadFileInfo(path, nSub), 4);
  DataArrays d = WantAll();
  ASSERT_TRUE(f.ReadData(d, 0, count));
  ASSERT_TRUE(f.ReadData(d, 1, count));
  EXPECT_EQ(count, 8);
  EXPECT_FLOAT_EQ(d.values[kVarSubsurfacePressure][7], 12);
}

// The burst count is read from the file's end: the last header that states a number counts,
// wherever it lies against the pieces read from the end.
TEST(WaveBurstFile, BurstCountComesFromTheLastNumberedHeader) {
  testing::TempDir dir;
  CWbFile f;
  int nSub = 0;
  // Bursts larger than any first piece read from the end.
  WriteBursts(dir.file("big.wb"), 3, 40000, false);
  ASSERT_EQ(f.ReadFileInfo(dir.file("big.wb"), nSub), 40000);
  EXPECT_EQ(nSub, 3);
  // Headers without a number after the last numbered one do not count; lone CR line ends.
  testing::WriteFile(dir.file("tail.wb"),
                     "*  0  0  0.5  4\r    1 2 3 4\r*  5  9  0.5  4\r    1 2 3 4\r*\r* x\r");
  ASSERT_EQ(f.ReadFileInfo(dir.file("tail.wb"), nSub), 4);
  EXPECT_EQ(nSub, 6);
  // Only the first header: one burst.
  testing::WriteFile(dir.file("one.wb"), "*  0  0  0.5  4\r\n    1 2 3 4\r\n");
  ASSERT_EQ(f.ReadFileInfo(dir.file("one.wb"), nSub), 4);
  EXPECT_EQ(nSub, 1);
  // The last header starting just before, at and just after the first piece's start, or with
  // its CR LF split by it.
  const std::string row = "    1 2 3 4\r\n";
  const std::string last = "*  7  0  0.5  4\r\n";
  for (int shift : {-2, -1, 0, 1, 2}) {
    std::string text = "*  0  0  0.5  4\r\n" + row;
    const size_t tail = static_cast<size_t>(65536 + shift);
    std::string rows;
    while (rows.size() + last.size() < tail) rows += "1\r\n";
    rows.resize(tail - last.size(), ' ');
    text += std::string(200000, ' ') + "\r\n" + last + rows;
    testing::WriteFile(dir.file("edge.wb"), text);
    ASSERT_EQ(f.ReadFileInfo(dir.file("edge.wb"), nSub), 4) << shift;
    EXPECT_EQ(nSub, 8) << shift;
  }
  for (int shift : {-1, 0, 1}) {  // the line end before the last header split by the piece
    std::string text = "*  0  0  0.5  4\r\n" + row + std::string(100000, '1') + "\r\n";
    text += last + std::string(static_cast<size_t>(65536 + shift) - last.size(), '2');
    testing::WriteFile(dir.file("split.wb"), text);
    ASSERT_EQ(f.ReadFileInfo(dir.file("split.wb"), nSub), 4) << shift;
    EXPECT_EQ(nSub, 8) << shift;
  }
}

}  // namespace
}  // namespace tidora
