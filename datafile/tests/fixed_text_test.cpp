// The fast number and date text against printf, for every layout the data files are written
// with: PutFixed / PutInteger / PutDataDateTime and the string helpers that wrap them.
#include "datafile/fixed_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "datafile/textio.h"
#include "datafile/writers.h"

namespace tidora {
namespace {

struct Layout {
  int width, precision;
};
// Burst rows, tide pressure, temperatures, conductivity, salinity, burst start and period.
constexpr Layout kLayouts[] = {{14, 6}, {11, 4}, {11, 3}, {11, 5}, {1, 0}, {6, 2}, {11, 0}};

// PutFixed's text; AppendFixed, which wraps it, must append the same after what is there.
std::string Fast(double v, int width, int precision) {
  char buf[kFixedTextLimit];
  std::string text(buf, PutFixed(buf, v, width, precision));
  std::string appended = "x";
  AppendFixed(appended, v, width, precision);
  EXPECT_EQ(appended, "x" + text) << std::hexfloat << v << " " << width << "." << precision;
  return text;
}

std::string Printf(double v, int width, int precision) {
  const int n = std::snprintf(nullptr, 0, "%*.*f", width, precision, v);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%*.*f", width, precision, v);
  text.pop_back();
  return text;
}

// Checks a value in every layout; stops the test at the first difference.
bool SameAsPrintf(double v) {
  for (const Layout& l : kLayouts) {
    const std::string want = Printf(v, l.width, l.precision);
    const std::string got = Fast(v, l.width, l.precision);
    if (got != want) {
      ADD_FAILURE() << "%" << l.width << "." << l.precision << "f of " << std::hexfloat << v
                    << ": \"" << got << "\", printf \"" << want << "\"";
      return false;
    }
  }
  return true;
}

TEST(FixedFormat, RandomValuesOverTheWrittenRangesMatchPrintf) {
  std::mt19937_64 rng(20261207);
  std::uniform_real_distribution<double> burst(-99999.0, 99999.0), small(-2.0, 2.0);
  std::uniform_int_distribution<int> exponent(-30, 40);
  for (int i = 0; i < 100000; ++i) {
    ASSERT_TRUE(SameAsPrintf(burst(rng)));
    ASSERT_TRUE(SameAsPrintf(small(rng)));
    // Any magnitude, the very large ones taking the exact path.
    ASSERT_TRUE(SameAsPrintf(std::ldexp(small(rng), exponent(rng))));
    // Any bit pattern at all: subnormals, infinities and NaNs included.
    const uint64_t bits = rng();
    double any;
    static_assert(sizeof any == sizeof bits);
    std::memcpy(&any, &bits, sizeof any);
    ASSERT_TRUE(SameAsPrintf(any));
  }
}

// Decimal ties as the nearest doubles give them, their neighbours, and the binary fractions
// that are exact ties (odd multiples of 2^-(p+1)), which printf rounds to even.
TEST(FixedFormat, TiesAndTheirNeighboursMatchPrintf) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<long> whole(-9999999999L, 9999999999L);
  std::uniform_int_distribution<long> odd(-(1L << 40), 1L << 40);
  for (int i = 0; i < 15000; ++i) {
    for (const Layout& l : kLayouts) {
      const double scale = std::pow(10.0, l.precision);
      const double tie = (static_cast<double>(whole(rng) % 100000000) + 0.5) / scale;
      for (double v : {tie, std::nextafter(tie, 1e300), std::nextafter(tie, -1e300), -tie})
        ASSERT_TRUE(SameAsPrintf(v));
      const double exact = std::ldexp(static_cast<double>(odd(rng) | 1), -(l.precision + 1));
      ASSERT_TRUE(SameAsPrintf(exact));
      ASSERT_TRUE(SameAsPrintf(
          std::ldexp(static_cast<double>(odd(rng) | 1), -(l.precision + 1) - (i % 8))));
    }
  }
}

TEST(FixedFormat, SignsZerosAndClampedEnds) {
  for (double v : {0.0,
                   -0.0,
                   1e-9,
                   -1e-9,
                   5e-7,
                   -5e-7,
                   0.5,
                   -0.5,
                   1.5,
                   2.5,
                   -2.5,
                   99999.0,
                   -99999.0,
                   99999.9999995,
                   1e15,
                   -1e15,
                   4398046511104.0,
                   4398046511103.5,
                   std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity(),
                   std::numeric_limits<double>::quiet_NaN(),
                   -std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::max(),
                   std::numeric_limits<double>::denorm_min()})
    EXPECT_TRUE(SameAsPrintf(v));
  // The burst row's fields keep their width: 14 characters from -99999 to 99999.
  EXPECT_EQ(Fast(-99999.0, 14, 6), " -99999.000000");
  EXPECT_EQ(Fast(-0.0000004, 14, 6), "     -0.000000");
  EXPECT_EQ(Fast(1e300, 1, 0).size(), 301u);
}

TEST(FixedFormat, IntegersMatchPrintf) {
  std::mt19937_64 rng(3);
  for (int i = 0; i < 200000; ++i) {
    const long v = static_cast<long>(rng()) >> (i % 64);
    for (int width : {0, 6}) {
      char want[64], got[64];
      const int n = std::snprintf(want, sizeof want, "%*ld", width, v);
      ASSERT_EQ(std::string(got, PutInteger(got, v, width)), std::string(want, n)) << v;
    }
  }
  for (long v : {0L, -1L, 9L, 10L, 99L, 100L, 999999L, 1000000L, LONG_MAX, LONG_MIN}) {
    char want[64], got[64];
    const int n = std::snprintf(want, sizeof want, "%6ld", v);
    EXPECT_EQ(std::string(got, PutInteger(got, v, 6)), std::string(want, n));
  }
}

// Every "%<w>.<p>f" the files are written with, and the dump's times.
constexpr int kFixedFormats[][2] = {{11, 4}, {11, 3}, {11, 5}, {14, 6}, {6, 2},  {1, 0},
                                    {1, 6},  {15, 6}, {13, 3}, {11, 1}, {11, 2}, {1, 10}};

TEST(FixedFormat, MillionsOfValuesTiesAndNearTiesMatchPrintf) {
  std::mt19937_64 rng(20261207);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-9, 17);
  std::uniform_int_distribution<uint64_t> odd(0, (uint64_t{1} << 40) - 1);
  std::uniform_int_distribution<int> digits(0, 99999999);
  std::string got;
  auto check = [&](double v, int w, int p) {
    got.clear();
    AppendFixed(got, v, w, p);
    return got == Printf(v, w, p) && Fast(v, w, p) == got;
  };
  long checked = 0;
  for (int i = 0; i < 1000000; ++i) {
    const auto [w, p] = kFixedFormats[i % std::size(kFixedFormats)];
    double v;
    switch (i % 5) {
      case 0:  // any magnitude
        v = mantissa(rng) * std::pow(10.0, exponent(rng));
        break;
      case 1:  // an exact tie at this precision: an odd multiple of 2^-(p+1)
        v = std::ldexp(static_cast<double>(odd(rng) | 1), -(p + 1));
        break;
      case 2:  // a neighbour of a tie
        v = std::ldexp(static_cast<double>(odd(rng) | 1), -(p + 1));
        v = std::nextafter(v, i % 2 ? HUGE_VAL : -HUGE_VAL);
        break;
      case 3:  // a decimal half one place beyond the precision, as data files hold them
        v = (digits(rng) * 10.0 + 5) / std::pow(10.0, p + 1);
        break;
      default:  // values of the recorder's range
        v = digits(rng) / 1e4 - 5000;
        break;
    }
    if (rng() % 2) v = -v;
    ASSERT_TRUE(check(v, w, p)) << "\"%" << w << "." << p << "f\" of " << v << ": " << got;
    ++checked;
  }
  const double specials[] = {
      0.0,      -0.0,     -1e-300,   1e-320,       4503599627370495.5, 1e15,        -1e17,   1e300,
      -1.7e308, HUGE_VAL, -HUGE_VAL, std::nan(""), -std::nan(""),      99999.99995, -0.00005};
  for (double v : specials)
    for (auto [w, p] : kFixedFormats) EXPECT_TRUE(check(v, w, p)) << v << " " << w << "." << p;
  EXPECT_EQ(checked, 1000000);
}

TEST(FixedFormat, WriterLayoutsAndWholeTiesMatchPrintf) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> wide(-2e5, 2e5);
  const int formats[][2] = {{11, 4}, {11, 3}, {11, 5}, {14, 6}, {6, 2}, {1, 0}, {15, 6}};
  for (int i = 0; i < 2000; ++i) {
    double v = i % 3 == 0 ? wide(rng) : wide(rng) / 1000.0;
    if (i % 97 == 0) v = (i % 2 ? 0.5 : 2.5) + i;  // exact ties
    for (auto [w, p] : formats) {
      char want[128];
      std::snprintf(want, sizeof want, "%*.*f", w, p, v);
      std::string got;
      AppendFixed(got, v, w, p);
      ASSERT_EQ(got, want) << v;
    }
  }
}

// printf's text of the date and time fields, widened or signed where printf does so.
std::string PrintfDateTime(const std::tm& t) {
  char want[128];
  std::snprintf(want, sizeof want, "%02lld/%02lld/%04lld %02lld:%02lld:%02lld", t.tm_mon + 1LL,
                static_cast<long long>(t.tm_mday), t.tm_year + 1900LL,
                static_cast<long long>(t.tm_hour), static_cast<long long>(t.tm_min),
                static_cast<long long>(t.tm_sec));
  return want;
}

// The date text of PutDataDateTime and of the two string helpers wrapping it.
void ExpectDateTimeAsPrintf(const std::tm& t) {
  const std::string want = PrintfDateTime(t);
  char got[128];
  ASSERT_EQ(std::string(got, PutDataDateTime(got, t)), want)
      << t.tm_year << " " << t.tm_mon << " " << t.tm_mday;
  std::string appended = "x";
  AppendDataDateTime(appended, t);
  ASSERT_EQ(appended, "x" + want);
  ASSERT_EQ(FormatDataDateTime(t), want);
}

TEST(FixedFormat, DateAndTimeMatchPrintfForAnyFields) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> small(-120, 130), year(-4000, 320000);
  for (int i = 0; i < 1000000; ++i) {
    std::tm t{};
    // Mostly dates of the calendar; every tenth with fields printf must widen or sign.
    const bool odd = i % 10 == 0;
    t.tm_year = (odd ? year(rng) : 1980 + i % 150) - 1900;
    t.tm_mon = odd ? small(rng) : i % 12;
    t.tm_mday = odd ? small(rng) : 1 + i % 31;
    t.tm_hour = odd ? small(rng) : i % 24;
    t.tm_min = odd ? small(rng) : i / 7 % 60;
    t.tm_sec = odd ? small(rng) : i / 3 % 60;
    ASSERT_NO_FATAL_FAILURE(ExpectDateTimeAsPrintf(t));
  }
  std::uniform_int_distribution<int> field(-150, 150), nearYear(-2100, 8200);
  for (int i = 0; i < 200000; ++i) {
    std::tm t{};
    // Mostly real dates, now and then fields no calendar makes (the writers print them all).
    const bool odd = i % 4 == 0;
    t.tm_year = odd ? nearYear(rng) : 80 + i % 60;
    t.tm_mon = odd ? field(rng) : i % 12;
    t.tm_mday = odd ? field(rng) : 1 + i % 31;
    t.tm_hour = odd ? field(rng) : i % 24;
    t.tm_min = odd ? field(rng) : i % 60;
    t.tm_sec = odd ? field(rng) : (i / 7) % 60;
    ASSERT_NO_FATAL_FAILURE(ExpectDateTimeAsPrintf(t));
  }
  // Fields at the ends of int: the year and month are printed beyond them, never wrapped.
  for (int v : {INT_MAX, INT_MIN, INT_MAX - 1899, 99, 100, -1, 0}) {
    std::tm t{};
    t.tm_year = v;
    t.tm_mon = v;
    t.tm_mday = v;
    t.tm_sec = v;
    ASSERT_NO_FATAL_FAILURE(ExpectDateTimeAsPrintf(t));
    t = std::tm{};
    t.tm_year = v;
    ASSERT_NO_FATAL_FAILURE(ExpectDateTimeAsPrintf(t));
  }
}

// Wider fields than any file uses, beyond the room of a stack buffer: the string helper must
// still give printf's text.
TEST(FixedFormat, WideFieldsMatchPrintf) {
  for (int width : {33, 40, 600, 2000})
    for (double v : {0.0, -1.25, 123456.789, 1e300, -std::numeric_limits<double>::infinity()})
      for (int precision : {0, 3, 12}) {
        std::string got = "x";
        AppendFixed(got, v, width, precision);
        ASSERT_EQ(got, "x" + Printf(v, width, precision)) << width << " " << v;
      }
}

}  // namespace
}  // namespace tidora
