#include "merge/merge_lines.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>

#include "testing/test_support.h"

namespace tidora {
namespace {

constexpr double kDay = 86400.0;

TEST(TimeToSeconds, CountsFrom1989WithLeapDaysAndTwoDigitYears) {
  EXPECT_EQ(TimeToSeconds(1, 1, 1989, 0, 0, 0), 0.0);
  EXPECT_EQ(TimeToSeconds(1, 2, 89, 1, 2, 3), kDay + 3723.0);
  EXPECT_EQ(TimeToSeconds(6, 15, 5, 12, 0, 0), TimeToSeconds(6, 15, 2005, 12, 0, 0));
  EXPECT_EQ(TimeToSeconds(6, 15, 98, 12, 0, 0), TimeToSeconds(6, 15, 1998, 12, 0, 0));
  EXPECT_EQ(TimeToSeconds(1, 1, 1990, 0, 0, 0), 365 * kDay);
  // 2004 and 2000 are leap years, 1900 and 2100 are not.
  EXPECT_EQ(TimeToSeconds(3, 1, 2004, 0, 0, 0) - TimeToSeconds(2, 28, 2004, 0, 0, 0), 2 * kDay);
  EXPECT_EQ(TimeToSeconds(3, 1, 2000, 0, 0, 0) - TimeToSeconds(2, 28, 2000, 0, 0, 0), 2 * kDay);
  EXPECT_EQ(TimeToSeconds(3, 1, 2100, 0, 0, 0) - TimeToSeconds(2, 28, 2100, 0, 0, 0), kDay);
  EXPECT_EQ(TimeToSeconds(3, 1, 1900, 0, 0, 0) - TimeToSeconds(2, 28, 1900, 0, 0, 0), kDay);
  // Out-of-range fields roll over instead of failing.
  EXPECT_EQ(TimeToSeconds(13, 1, 2004, 0, 0, 0), TimeToSeconds(1, 1, 2005, 0, 0, 0));
  EXPECT_EQ(TimeToSeconds(0, 1, 2004, 0, 0, 0), TimeToSeconds(12, 1, 2003, 0, 0, 0));
  EXPECT_TRUE(std::isfinite(TimeToSeconds(-2147483647 - 1, 2147483647, 2147483647, 2147483647,
                                          -2147483647 - 1, 2147483647)));
}

TEST(ReadTextLine, DropsTheLineFeedKeepsTheCarriageReturnAndCutsLongLines) {
  testing::TempDir dir;
  std::string path = dir.file("lines.txt");
  std::string longLine(400, 'x');
  testing::WriteFile(path, "one\r\ntwo\n\n" + longLine + "\nafter\nlast");
  TextLineReader f;
  ASSERT_TRUE(f.Open(path));
  std::string line;
  bool cut = true;
  ASSERT_TRUE(ReadTextLine(f, line, &cut));
  EXPECT_EQ(line, "one\r");
  EXPECT_FALSE(cut);
  ASSERT_TRUE(ReadTextLine(f, line));
  EXPECT_EQ(line, "two");
  ASSERT_TRUE(ReadTextLine(f, line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(ReadTextLine(f, line, &cut));
  EXPECT_EQ(line, std::string(kMaxTextLine, 'x'));
  EXPECT_TRUE(cut);
  ASSERT_TRUE(ReadTextLine(f, line, &cut));
  EXPECT_EQ(line, "after");  // the rest of the long line did not become a line of its own
  ASSERT_TRUE(ReadTextLine(f, line));
  EXPECT_EQ(line, "last");  // no line feed at the end: nothing is lost
  EXPECT_FALSE(ReadTextLine(f, line));
}

TEST(ReadTextLine, ALoneCarriageReturnEndsALine) {
  testing::TempDir dir;
  std::string path = dir.file("cr.txt");
  testing::WriteFile(path, "one\rtwo\r\rthree\r\nfour\nfive\r");
  TextLineReader f;
  ASSERT_TRUE(f.Open(path));
  std::vector<std::string> lines;
  for (std::string line; ReadTextLine(f, line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one\r", "two\r", "\r", "three\r", "four", "five\r"}));
}

TEST(ParseLines, FollowTheScanPatterns) {
  TideSample s;
  EXPECT_EQ(ParseTideLine("     1   02/29/2004 12:30:05    14.7000     20.123\r", s), 8);
  EXPECT_EQ(s.record, 1);
  EXPECT_EQ(s.month, 2);
  EXPECT_EQ(s.day, 29);
  EXPECT_EQ(s.year, 2004);
  EXPECT_EQ(s.second, 5);
  EXPECT_DOUBLE_EQ(s.pressure, 14.7);
  // A line that stops early keeps the earlier values of the missing fields.
  EXPECT_EQ(ParseTideLine("  7   03/01/2004 ", s), 4);
  EXPECT_EQ(s.record, 7);
  EXPECT_EQ(s.hour, 12);
  EXPECT_DOUBLE_EQ(s.pressure, 14.7);
  EXPECT_EQ(ParseTideLine("   x", s), 0);

  BaroReading r;
  EXPECT_EQ(ParseBaroLine("  1/2/05 3:04:05   1013.25", r), 7);
  EXPECT_EQ(r.year, 5);
  EXPECT_EQ(r.minute, 4);
  EXPECT_DOUBLE_EQ(r.pressure, 1013.25);
  EXPECT_EQ(ParseBaroLine("1-2-05 3:04:05 1", r), 1);
  EXPECT_EQ(ParseBaroLine("99999999999999999999/1/1 0:0:0 1", r), 7);
}

// The merge reads and writes its numbers the same under a locale with a decimal comma.
TEST(ParseLines, NumbersDoNotFollowTheLocale) {
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
  TideSample s;
  BaroReading r;
  const int tideFields = ParseTideLine("     1   02/29/2004 12:30:05    14.7000     20.123", s);
  const int baroFields = ParseBaroLine("1/2/05 3:04:05 1013.25", r);
  std::string out;
  RewriteTideLine("     1   02/29/2004 12:30:05    14.7000     20.123", 6.25, out);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(tideFields, 8);
  EXPECT_EQ(s.pressure, 14.7);
  EXPECT_EQ(baroFields, 7);
  EXPECT_EQ(r.pressure, 1013.25);
  EXPECT_EQ(out, "     1   02/29/2004 12:30:05     6.2500     20.123\n");
}

TEST(ClassifyTideFirstLine, TellsDataFromTheThreeHeaders) {
  EXPECT_EQ(ClassifyTideFirstLine("     1   01/01/2005 00:00:00    14.7000     20.000\r"),
            TideFirstLine::kData);
  EXPECT_EQ(ClassifyTideFirstLine("   \r"), TideFirstLine::kData);
  EXPECT_EQ(ClassifyTideFirstLine(""), TideFirstLine::kData);
  EXPECT_EQ(ClassifyTideFirstLine("  PSIA      Deg C\r"), TideFirstLine::kPsia);
  EXPECT_EQ(ClassifyTideFirstLine("psia\r"), TideFirstLine::kPsia);
  EXPECT_EQ(ClassifyTideFirstLine("                                  PSI      Deg C\r"),
            TideFirstLine::kPsi);
  EXPECT_EQ(ClassifyTideFirstLine("psi  Deg C"), TideFirstLine::kOther);
  EXPECT_EQ(ClassifyTideFirstLine("                               Meters      Deg C"),
            TideFirstLine::kOther);
  EXPECT_EQ(ClassifyTideFirstLine("PSIAX"), TideFirstLine::kOther);
}

TEST(MergeHeaderLine, AddsConductivityAndSalinityColumnsByFirstLineLength) {
  const std::string psi = std::string(34, ' ') + "PSI      Deg C";
  const std::string meters = std::string(31, ' ') + "Meters      Deg C";
  EXPECT_EQ(psi.size(), 48u);
  EXPECT_EQ(meters.size(), 48u);
  EXPECT_EQ(MergeHeaderLine(false, 51), psi);  // a 50-character line with its CR
  EXPECT_EQ(MergeHeaderLine(true, 52), meters);
  EXPECT_EQ(MergeHeaderLine(true, 53), meters + "        S/m");
  EXPECT_EQ(MergeHeaderLine(true, 62), meters + "        S/m");
  EXPECT_EQ(MergeHeaderLine(false, 73), psi + "        S/m        PSU");
}

TEST(RewriteTideLine, ReplacesOnlyThePressureField) {
  std::string out;
  const std::string line =
      "    12   02/29/2004 12:00:00    14.7000     20.123    4.12345     35.000\r";
  RewriteTideLine(line, 10 * 6894.757 / (1028 * 9.8), out);
  EXPECT_EQ(out, "    12   02/29/2004 12:00:00     6.8438     20.123    4.12345     35.000\r\n");

  // The older layout: a 4-character record number, the pressure at characters 27 to 37.
  const std::string old = "  12   02/29/2004 12:00:00    14.7000     20.123";
  ASSERT_EQ(PressureFieldStart(old), 26u);
  out.clear();
  RewriteTideLine(old, -1.25, out);
  EXPECT_EQ(out, "  12   02/29/2004 12:00:00    -1.2500     20.123\n");

  // A field that ends the line, and one too short to hold the field.
  out.clear();
  RewriteTideLine("     1   01/01/2005 00:00:00    14.7000\r", 1, out);
  EXPECT_EQ(out, "     1   01/01/2005 00:00:00     1.0000\r\n");
  EXPECT_TRUE(HoldsPressureField("     1   01/01/2005 00:00:00    14.7000\r"));
  EXPECT_FALSE(HoldsPressureField("     1   01/01/2005 00:00:00    14.700\r"));
  EXPECT_FALSE(HoldsPressureField("     1"));

  // A narrower pressure with columns behind it (a hand-edited line): only that word is
  // replaced, the next column keeps its sign and stays a word of its own.
  const std::string narrow = "    10   06/01/2026 02:15:00    0     -1e308\r";
  EXPECT_TRUE(HoldsPressureField(narrow));
  out.clear();
  RewriteTideLine(narrow, -14.75, out);
  EXPECT_EQ(out, "    10   06/01/2026 02:15:00   -14.7500     -1e308\r\n");

  // Record numbers past 999,999 widen the line: the field follows the time, wherever it is.
  const std::string wide =
      "1000000   12/31/2027 14:39:45    14.7000     20.123    4.12345     35.000\r";
  EXPECT_EQ(PressureFieldStart(wide), 29u);
  out.clear();
  RewriteTideLine(wide, 1.5, out);
  EXPECT_EQ(out, "1000000   12/31/2027 14:39:45     1.5000     20.123    4.12345     35.000\r\n");
  out.clear();
  RewriteTideLine("12345678 01/01/2030 00:00:00   -99.5000     -1.000", 2, out);
  EXPECT_EQ(out, "12345678 01/01/2030 00:00:00     2.0000     -1.000\n");

  // A value wider than the field does not overrun anything.
  out.clear();
  RewriteTideLine(line, 1e300, out);
  EXPECT_GT(out.size(), 300u);
  EXPECT_EQ(out.substr(out.size() - 35), "     20.123    4.12345     35.000\r\n");
}

}  // namespace
}  // namespace tidora
