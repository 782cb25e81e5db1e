// The fast number text against printf, for every layout the converter writes.
#include "convert/fixed_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "datafile/writers.h"

namespace tidora {
namespace {

struct Layout {
  int width, precision;
};
// Burst rows, tide pressure, temperatures, conductivity, salinity, burst start and period.
constexpr Layout kLayouts[] = {{14, 6}, {11, 4}, {11, 3}, {11, 5}, {1, 0}, {6, 2}, {11, 0}};

std::string Fast(double v, int width, int precision) {
  char buf[kFixedTextLimit];
  return std::string(buf, PutFixed(buf, v, width, precision));
}

std::string Printf(double v, int width, int precision) {
  char buf[kFixedTextLimit];
  int n = std::snprintf(buf, sizeof buf, "%*.*f", width, precision, v);
  return std::string(buf, static_cast<size_t>(n));
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

TEST(FixedFormat, DateAndTimeMatchTheWriters) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> field(-150, 150), year(-2100, 8200);
  for (int i = 0; i < 200000; ++i) {
    std::tm t{};
    // Mostly real dates, now and then fields no calendar makes (the writers print them all).
    const bool odd = i % 4 == 0;
    t.tm_year = odd ? year(rng) : 80 + i % 60;
    t.tm_mon = odd ? field(rng) : i % 12;
    t.tm_mday = odd ? field(rng) : 1 + i % 31;
    t.tm_hour = odd ? field(rng) : i % 24;
    t.tm_min = odd ? field(rng) : i % 60;
    t.tm_sec = odd ? field(rng) : (i / 7) % 60;
    char got[128];
    ASSERT_EQ(std::string(got, PutDataDateTime(got, t)), FormatDataDateTime(t))
        << t.tm_year << " " << t.tm_mon << " " << t.tm_mday;
  }
}

}  // namespace
}  // namespace tidora
