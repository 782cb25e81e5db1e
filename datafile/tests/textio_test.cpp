#include "datafile/textio.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "testing/test_support.h"

namespace tidora {
namespace {

std::vector<std::string> ReadAll(const std::string& path, size_t maxChars = kMaxLineChars) {
  TextLineReader r;
  EXPECT_TRUE(r.Open(path));
  std::vector<std::string> lines;
  std::string line;
  while (r.ReadLine(line, maxChars)) lines.push_back(line);
  return lines;
}

TEST(TextLineReader, LineEndsAndLongLines) {
  testing::TempDir dir;
  std::string path = dir.file("t.txt");
  testing::WriteFile(path, "a\r\nb\n\r\n" + std::string(1022, 'x') + "\r\n" +
                               std::string(1023, 'y') + "\r\n" + std::string(3000, 'z') +
                               "\r\nlast\r");
  auto lines = ReadAll(path);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[1], "b");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], std::string(1022, 'x'));
  EXPECT_EQ(lines[4], std::string(1023, 'y'));
  EXPECT_EQ(lines[5], std::string(1023, 'z'));  // the rest of the line is passed over
  EXPECT_EQ(lines[6], "last");
}

TEST(TextLineReader, ALoneCarriageReturnEndsALine) {
  testing::TempDir dir;
  std::string path = dir.file("cr.txt");
  // A CR LF split across the reader's 64 KB buffer is still one line end.
  testing::WriteFile(path, "a\rb\r\rc\r\nd\ne\r" + std::string(65536 - 12, 'x') + "\r\nnext\r");
  EXPECT_EQ(ReadAll(path), (std::vector<std::string>{"a", "b", "", "c", "d", "e",
                                                     std::string(kMaxLineChars, 'x'), "next"}));
  std::string cr;
  for (int i = 0; i < 192; ++i) cr += "record " + std::to_string(i) + "\r";
  testing::WriteFile(path, cr);
  auto lines = ReadAll(path);
  ASSERT_EQ(lines.size(), 192u);
  EXPECT_EQ(lines[191], "record 191");

  TextLineReader r;
  ASSERT_TRUE(r.Open(path));
  std::string line;
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(r.Tell(), static_cast<int64_t>(cr.find("record 1")));
}

TEST(FormatC, DecimalPointAndNumbersWhateverTheLocale) {
  EXPECT_EQ(FormatC("%6ld   %11.4f|%g|%.3e|%s", 7L, 14.7, 0.0025, 1234.5, "x"),
            "     7       14.7000|0.0025|1.234e+03|x");
  EXPECT_EQ(FormatC("%.0f", 1e300).size(), 301u);  // longer than any small buffer
  double v = 0;
  EXPECT_TRUE(ParseWholeNumber(" 0.0025 ", v));
  EXPECT_EQ(v, 0.0025);
  EXPECT_FALSE(ParseWholeNumber("0,0025", v));
  EXPECT_EQ(LeadingNumber("  -1.5e2abc"), -150.0);
  EXPECT_EQ(LeadingNumber("abc"), 0.0);
  FieldScanner s(" 99999999999999999999 -99999999999999999999 12x");
  int a = 0, b = 0, c = 0;
  EXPECT_TRUE(s.ClampedInt(a));
  EXPECT_TRUE(s.ClampedInt(b));
  EXPECT_TRUE(s.ClampedInt(c));
  EXPECT_EQ(a, 2147483647);
  EXPECT_EQ(b, -2147483647 - 1);
  EXPECT_EQ(c, 12);
  EXPECT_EQ(s.Rest(), "x");
}

TEST(TextLineReader, LinesAcrossTheBufferAndSeeking) {
  testing::TempDir dir;
  std::string path = dir.file("big.txt");
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\r\n";
  testing::WriteFile(path, text);
  auto lines = ReadAll(path);
  ASSERT_EQ(lines.size(), 20000u);
  for (int i = 0; i < 20000; ++i)
    ASSERT_EQ(lines[static_cast<size_t>(i)], "line " + std::to_string(i));

  TextLineReader r;
  ASSERT_TRUE(r.Open(path));
  std::string line;
  size_t at = text.find("line 15000");
  ASSERT_TRUE(r.Seek(static_cast<int64_t>(at)));
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(line, "line 15000");
  EXPECT_EQ(r.Tell(), static_cast<int64_t>(text.find("line 15001")));
  ASSERT_TRUE(r.Seek(2));  // back, into a line
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(line, "ne 0");
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(line, "line 1");
  ASSERT_TRUE(r.Seek(static_cast<int64_t>(text.size()) + 100));
  EXPECT_FALSE(r.ReadLine(line));
  ASSERT_TRUE(r.Rewind());
  ASSERT_TRUE(r.ReadLine(line));
  EXPECT_EQ(line, "line 0");
}

TEST(FieldScanner, ReadsLikeScanf) {
  FieldScanner s("  -12 +7 3.5e2 /x 1e999 1e-999 nan word");
  int i = 0;
  double d = 0;
  std::string w;
  ASSERT_TRUE(s.Int(i));
  EXPECT_EQ(i, -12);
  ASSERT_TRUE(s.Int(i));
  EXPECT_EQ(i, 7);
  ASSERT_TRUE(s.Double(d));
  EXPECT_EQ(d, 350);
  EXPECT_FALSE(s.Literal('/'));  // a literal does not pass over blanks
  s.Blanks();
  EXPECT_TRUE(s.Literal('/'));
  EXPECT_FALSE(s.Double(d));
  ASSERT_TRUE(s.Word(w));
  EXPECT_EQ(w, "x");
  ASSERT_TRUE(s.Double(d));
  EXPECT_TRUE(std::isinf(d));
  ASSERT_TRUE(s.Double(d));
  EXPECT_EQ(d, 0);
  ASSERT_TRUE(s.Double(d));
  EXPECT_TRUE(std::isnan(d));
  EXPECT_FALSE(s.Int(i));
  ASSERT_TRUE(s.Word(w));
  EXPECT_EQ(w, "word");
  EXPECT_TRUE(s.AtEnd());
  EXPECT_FALSE(s.Word(w));

  FieldScanner big("99999999999 -2147483648 -+1");
  EXPECT_FALSE(big.Int(i));  // too large for an int: no conversion
  long l = 0;
  EXPECT_TRUE(big.Long(l));
  EXPECT_EQ(l, 99999999999L);
  EXPECT_TRUE(big.Int(i));
  EXPECT_EQ(i, -2147483648);
  EXPECT_FALSE(big.Int(i));
  EXPECT_FALSE(big.Double(d));
}

TEST(FieldScanner, WordsAndBlankLines) {
  EXPECT_EQ(FirstWord("   *    3   100"), "*");
  EXPECT_EQ(FirstWord("PSI"), "PSI");
  EXPECT_EQ(FirstWord(" \t "), "");
  EXPECT_TRUE(IsBlankLine(" \t\r"));
  EXPECT_FALSE(IsBlankLine(" . "));
}

}  // namespace
}  // namespace tidora

namespace tidora {
namespace {

TEST(FieldScanner, LongRefusesWhatNoLongHoldsAndStaysPut) {
  long v = 7;
  for (const char* text : {"9223372036854775808", "18446744073709551615", "18446744073709551616",
                           "-9223372036854775809", "123456789012345678901234567890"}) {
    FieldScanner s(text);
    EXPECT_FALSE(s.Long(v)) << text;
    EXPECT_EQ(s.Rest(), text);
  }
  EXPECT_EQ(v, 7);
  FieldScanner edges(" 9223372036854775807 -9223372036854775808 +0042x");
  ASSERT_TRUE(edges.Long(v));
  EXPECT_EQ(v, LONG_MAX);
  ASSERT_TRUE(edges.Long(v));
  EXPECT_EQ(v, LONG_MIN);
  ASSERT_TRUE(edges.Long(v));
  EXPECT_EQ(v, 42);
  EXPECT_EQ(edges.Rest(), "x");
}

// The quick reading of plain decimals must give the general conversion's bits and stop where it
// stops, for the readers' sample text, for rounding ties and for every kind of oddity.
TEST(NextDouble, SameValueAndPositionAsTheScanner) {
  std::vector<std::string> texts = {"  28.171234  27.9",
                                    "-0.0",
                                    "+5",
                                    "5.",
                                    ".5",
                                    ".",
                                    "-",
                                    "+-1",
                                    "1e5",
                                    "1.5E-3x",
                                    "2e",
                                    "9007199254740993",
                                    "9007199254740992.5",
                                    "0.1",
                                    "123456789012345678901",
                                    "1.2.3",
                                    "inf",
                                    "nan",
                                    " \t\r",
                                    "",
                                    "00000000000000000000001.5",
                                    "0x1p3",
                                    "4.35",
                                    "1e999",
                                    "17.000000001"};
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    char text[64];
    const int width = 1 + static_cast<int>(random() % 18);
    const int decimals = static_cast<int>(random() % 24);
    const uint64_t digits = random() >> (random() % 64);
    std::snprintf(text, sizeof text, "%*s%s%llu.%0*llu", width % 5, "", i % 3 ? "" : "-",
                  static_cast<unsigned long long>(digits % 100000), decimals ? decimals : 1,
                  static_cast<unsigned long long>(random() % 10000000000000000000ull));
    texts.push_back(text);
  }
  for (const std::string& t : texts) {
    FieldScanner general(t);
    double expected = -1, got = -1;
    const bool read = general.Double(expected);
    std::string_view rest = t;
    ASSERT_EQ(NextDouble(rest, got), read) << t;
    if (!read) {
      EXPECT_EQ(rest, t) << t;
      continue;
    }
    EXPECT_EQ(rest, general.Rest()) << t;
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(got)) << t;
    } else {
      EXPECT_EQ(std::signbit(got), std::signbit(expected)) << t;
      EXPECT_EQ(got, expected) << t;
    }
  }
}

}  // namespace
}  // namespace tidora
