#include "datafile/writers.h"

#include <gtest/gtest.h>

#include <cstdio>

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

TEST(Writers, DateTimeIsMonthFirst) {
  EXPECT_EQ(FormatDataDateTime(Date(2001, 2, 3, 4, 5, 6)), "02/03/2001 04:05:06");
}

TEST(Writers, TideRecordsAreWrittenByteForByte) {
  testing::TempDir dir;
  TideFileWriter w;
  ASSERT_TRUE(w.Open(dir.file("a.tid")));
  EXPECT_TRUE(w.WriteRecord(1, Date(2000, 1, 2, 3, 4, 5), 14.7, 15.1234, 3));
  EXPECT_TRUE(
      w.WriteRecord(123456, Date(2000, 1, 2, 3, 14, 5), 1234.56789, -1.5, 4, 4.123456, 35.0));
  EXPECT_TRUE(w.WriteLine("free text"));
  EXPECT_TRUE(w.Close());
  EXPECT_EQ(testing::ReadFile(dir.file("a.tid")),
            "     1   01/02/2000 03:04:05    14.7000     15.123\r\n"
            "123456   01/02/2000 03:14:05  1234.5679    -1.5000    4.12346     35.000\r\n"
            "free text\r\n");
}

TEST(Writers, BurstRowsAreClampedToSixtyTwoBytes) {
  testing::TempDir dir;
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(dir.file("a.wb")));
  EXPECT_TRUE(w.WriteIdentification());
  EXPECT_TRUE(w.WriteBurstHeader(0, 86400.4, 0.5, 1024));
  EXPECT_TRUE(w.WriteRow(123456.7, -123456.7, 14.5, 99999.0));
  EXPECT_TRUE(w.Close());
  std::string text = testing::ReadFile(dir.file("a.wb"));
  std::string row = "      99999.000000 -99999.000000     14.500000  99999.000000\r\n";
  EXPECT_EQ(row.size(), 62u);
  EXPECT_EQ(text, "TGR 41plus\r\n*    0   86400    0.50  1024\r\n" + row);
}

TEST(Writers, FullDiskIsReported) {
  TideFileWriter w;
  ASSERT_TRUE(w.Open("/dev/full"));
  bool allWritten = true;
  for (int i = 0; i < 20000; ++i)
    allWritten = w.WriteRecord(i, Date(2000, 1, 1, 0, 0, 0), 1, 2, 3) && allWritten;
  EXPECT_FALSE(allWritten && w.Close()) << "a full disk must not look like success";
  EXPECT_FALSE(w.Close());
}

TEST(Writers, NothingIsWrittenWithoutAnOpenFile) {
  testing::TempDir dir;
  WaveBurstFileWriter w;
  EXPECT_FALSE(w.Open(dir.file("missing/a.wb")));
  EXPECT_FALSE(w.WriteRow(1, 2, 3, 4));
  EXPECT_FALSE(w.Close());
}

}  // namespace
}  // namespace tidora
