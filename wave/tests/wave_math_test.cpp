#include "wave/wave_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace tidora {
namespace {

TEST(WaveMath, TransformLength) {
  EXPECT_EQ(TransformLength(1000), 1024);
  EXPECT_EQ(TransformLength(1024), 1024);
  EXPECT_EQ(TransformLength(4), 4);
  EXPECT_EQ(TransformLength(3), 4);
  EXPECT_EQ(TransformLength(1), 4);
  EXPECT_EQ(TransformLength(1025), 2048);
}

TEST(WaveMath, SeawaterDensityCheckValues) {
  // Published check values of the one-atmosphere equation of state.
  EXPECT_NEAR(SeawaterDensity(0, 5), 999.96675, 1e-5);
  EXPECT_NEAR(SeawaterDensity(35, 5), 1027.67547, 1e-5);
  EXPECT_NEAR(SeawaterDensity(35, 25), 1023.34306, 1e-5);
  EXPECT_TRUE(std::isfinite(SeawaterDensity(-3, 10)));
}

TEST(WaveMath, WaveNumberSatisfiesTheDispersionRelation) {
  EXPECT_EQ(SolveWaveNumber(0, 8), 0);
  EXPECT_EQ(SolveWaveNumber(10, 0), 0);
  EXPECT_EQ(SolveWaveNumber(-1, 8), 0);
  for (double h : {0.5, 10.0, 200.0}) {
    for (double p : {2.0, 8.0, 30.0}) {
      double k = SolveWaveNumber(h, p);
      double omega = 2 * kPi / p;
      EXPECT_NEAR(omega * omega, kStandardGravity * k * std::tanh(k * h), 1e-6 * omega * omega)
          << h << " " << p;
    }
  }
}

// Before the iteration had a bound these spun for ever (a depth or period that is not a
// number, or one so extreme that the dimensionless depth overflows).
TEST(WaveMath, WaveNumberEndsForEveryInput) {
  const double nan = std::nan(""), inf = HUGE_VAL;
  for (double h : {nan, inf, -inf, 1e308, 1e-308, 10.0}) {
    for (double p : {nan, inf, 1e-300, 1e-3, 8.0, 1e300}) {
      const double k = SolveWaveNumber(h, p);
      EXPECT_FALSE(std::isnan(k)) << h << " " << p;
      EXPECT_GE(k, 0) << h << " " << p;
      if (!std::isfinite(h)) continue;
      const double K = PressureResponse(h, h / 2, p);
      EXPECT_TRUE(K >= 0 && K <= 1) << h << " " << p << " " << K;
    }
  }
  EXPECT_EQ(SolveWaveNumber(nan, 8), 0);
  EXPECT_EQ(SolveWaveNumber(10, inf), 0);
  EXPECT_EQ(SolveWaveNumber(10, 1e-300), inf);  // infinitely short: not felt below the surface
  EXPECT_EQ(PressureResponse(10, 5, 1e-300), 0);
  EXPECT_EQ(PressureResponse(10, 0, 1e-300), 1);  // at the surface every wave is felt whole
}

TEST(WaveMath, PressureResponseSwitchesToTheExponentialAboveKh100) {
  // On the bottom (d = h) the two forms differ by a factor of two: 1 / cosh(kh) against
  // exp(-kh). Find the depth where kh is exactly 100 for a 2 s wave.
  const double p = 2.0;
  double lo = 50, hi = 1000;
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    (SolveWaveNumber(mid, p) * mid > 100 ? hi : lo) = mid;
  }
  double h = lo;
  while (SolveWaveNumber(h, p) * h != 100.0 && lo - h < 1e-9) h = std::nextafter(h, 0.0);
  const double k = SolveWaveNumber(h, p);
  ASSERT_EQ(k * h, 100.0);
  EXPECT_EQ(PressureResponse(h, h, p), 1 / std::cosh(k * h));  // exactly 100: cosh
  EXPECT_NE(PressureResponse(h, h, p), std::exp(-k * h));
  const double deeper = hi * 1.001;
  const double kd = SolveWaveNumber(deeper, p);
  ASSERT_GT(kd * deeper, 100.0);
  EXPECT_EQ(PressureResponse(deeper, deeper, p), std::exp(-kd * deeper));  // above: exp
  EXPECT_EQ(PressureResponse(10, 0, 8), 1.0);
  EXPECT_EQ(PressureResponse(10, -3, 8), PressureResponse(10, 3, 8));  // depth by absolute value
  EXPECT_LT(PressureResponse(10, 10, 8), PressureResponse(10, 5, 8));
}

TEST(WaveMath, ChiSquared) {
  EXPECT_NEAR(ChiSquaredTail(18.307, 10), 0.05, 1e-4);
  EXPECT_NEAR(ChiSquaredTail(3.940, 10), 0.95, 1e-4);
  EXPECT_EQ(ChiSquaredTail(5, 1), 0);
  double lower = 0, upper = 0;
  ASSERT_EQ(ChiSquaredLimits(90, 10, lower, upper), 0);
  EXPECT_NEAR(lower, 10 / 18.307, 2e-3);
  EXPECT_NEAR(upper, 10 / 3.940, 2e-3);
  EXPECT_LT(lower, 1);
  EXPECT_GT(upper, 1);
  EXPECT_NE(ChiSquaredLimits(0, 10, lower, upper), 0);
  EXPECT_NE(ChiSquaredLimits(100, 10, lower, upper), 0);
  // Brackets by degrees of freedom: [0.001, 50] up to 10, [1, 200] to 120, [50, 500] above.
  EXPECT_EQ(ChiSquaredQuantile(1e-12, 10), -1);    // the answer lies above 50
  EXPECT_GT(ChiSquaredQuantile(1e-12, 12), 50);    // within 1..200
  EXPECT_EQ(ChiSquaredQuantile(1e-12, 120), -1);   // the answer lies above 200
  EXPECT_GT(ChiSquaredQuantile(1e-12, 122), 200);  // within 50..500
  EXPECT_NEAR(ChiSquaredQuantile(0.5, 130), 129.33, 0.01);
  EXPECT_EQ(ChiSquaredQuantile(0.5, 0), -1);
}

TEST(WaveMath, TransformMatchesTheDefinition) {
  const int m = 16;
  std::vector<double> data(2 * m);
  std::vector<std::complex<double>> in(m);
  for (int i = 0; i < m; ++i) {
    in[i] = {std::sin(0.7 * i) + 0.1 * i, std::cos(1.3 * i)};
    data[2 * i] = in[i].real();
    data[2 * i + 1] = in[i].imag();
  }
  Radix2Transform(data.data(), m, +1);
  for (int j = 0; j < m; ++j) {
    std::complex<double> sum;
    for (int k = 0; k < m; ++k) sum += in[k] * std::polar(1.0, 2 * kPi * j * k / m);
    EXPECT_NEAR(data[2 * j], sum.real(), 1e-9);
    EXPECT_NEAR(data[2 * j + 1], sum.imag(), 1e-9);
  }
  Radix2Transform(data.data(), m, -1);
  for (int i = 0; i < m; ++i) {
    EXPECT_NEAR(data[2 * i] / m, in[i].real(), 1e-12);
    EXPECT_NEAR(data[2 * i + 1] / m, in[i].imag(), 1e-12);
  }
}

TEST(WaveMath, PeriodClassBounds) {
  EXPECT_EQ(PeriodClass(22.0001), 0);
  EXPECT_EQ(PeriodClass(22), 1);  // "20"
  EXPECT_EQ(PeriodClass(18), 2);
  EXPECT_EQ(PeriodClass(8), 7);
  EXPECT_EQ(PeriodClass(4), 9);  // "3"
  EXPECT_EQ(PeriodClass(2.0001), 9);
  EXPECT_EQ(PeriodClass(2), -1);
}

TEST(WaveMath, HeapSortCarriesPeriods) {
  std::vector<double> h = {0, 3, 1, 4, 1, 5, 9, 2, 6};
  std::vector<double> p = {0, 30, 10, 40, 11, 50, 90, 20, 60};
  HeapSortWaves(8, h.data(), p.data());
  for (int i = 1; i < 8; ++i) EXPECT_LE(h[i], h[i + 1]);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(std::floor(p[i] / 10), h[i]);
}

// A series of square waves: every wave starts at an up-crossing sample of 0.001 m, holds
// +height/2 and then -height/2; `samples` is its length from crossing to crossing.
std::vector<double> SquareWaves(const std::vector<std::pair<double, int>>& waves, int m) {
  std::vector<double> x = {-0.2};
  for (auto [height, samples] : waves) {
    x.push_back(0.001);
    for (int i = 1; i < samples / 2; ++i) x.push_back(height / 2);
    for (int i = samples / 2; i < samples; ++i) x.push_back(-height / 2);
  }
  x.push_back(0.001);  // the last wave's closing crossing
  x.resize(std::max<size_t>(x.size(), m), 0.0);
  return x;
}

TEST(WaveStatisticsTest, FiftyWavesOfOneMetreAndTenSeconds) {
  std::vector<double> x(1024);
  for (int i = 0; i < 1024; ++i) x[i] = (i / 10) % 2 == 0 ? 0.5 : -0.5;
  WaveStatisticsRecord r;
  WaveStatistics(x.data(), 1024, 0.5, 0, r);
  EXPECT_EQ(r.waves, 50);
  EXPECT_DOUBLE_EQ(r.averageHeight, 1.0);
  EXPECT_DOUBLE_EQ(r.averagePeriod, 10.0);
  EXPECT_DOUBLE_EQ(r.maximumHeight, 1.0);
  EXPECT_DOUBLE_EQ(r.h13, 1.0);
  EXPECT_DOUBLE_EQ(r.t13, 10.0);
  EXPECT_DOUBLE_EQ(r.h110, 1.0);
  EXPECT_EQ(r.h1100, 0.0);
  EXPECT_NEAR(r.variance, 0.25, 1e-3);
}

TEST(WaveStatisticsTest, VarianceUsesTheCentralSamples) {
  std::vector<double> x(20, 0.0);
  x[0] = 100;
  x[19] = -100;  // cut ends must not count
  for (int i = 2; i < 18; ++i) x[i] = i % 2 ? 1 : -1;
  WaveStatisticsRecord r;
  WaveStatistics(x.data(), 20, 1, 2, r);
  EXPECT_NEAR(r.variance, 16.0 / 15.0, 1e-12);
  EXPECT_EQ(r.maximumHeight, 101);  // the crossing pass sees the cut ends too
}

TEST(WaveStatisticsTest, RipplesAreNotWaves) {
  std::vector<double> x(256);
  for (int i = 0; i < 256; ++i) x[i] = i % 4 < 2 ? 0.004 : -0.004;
  WaveStatisticsRecord r;
  WaveStatistics(x.data(), 256, 0.5, 0, r);
  EXPECT_EQ(r.waves, 0);
  EXPECT_NEAR(r.maximumHeight, 0.008, 1e-12);
  // A ripple runs on into the wave that follows it.
  std::vector<double> y =
      SquareWaves({{1, 10}, {1, 10}, {0.008, 4}, {1, 10}, {1, 10}, {1, 10}}, 64);
  WaveStatistics(y.data(), 64, 1, 0, r);
  EXPECT_EQ(r.waves, 5);
  EXPECT_DOUBLE_EQ(r.averagePeriod, 54.0 / 5);
}

TEST(WaveStatisticsTest, FewerThanFourWavesGiveZeros) {
  WaveStatisticsRecord r;
  std::vector<double> x = SquareWaves({{2, 10}, {1, 10}}, 64);  // three crossings
  WaveStatistics(x.data(), 64, 1, 0, r);
  EXPECT_EQ(r.waves, 0);
  EXPECT_EQ(r.averageHeight, 0);
  EXPECT_EQ(r.h13, 0);
  EXPECT_EQ(r.t13, 0);
  EXPECT_DOUBLE_EQ(r.maximumHeight, 2.0);
  EXPECT_GT(r.variance, 0);
  x = SquareWaves({{2, 10}, {1, 10}, {1, 10}, {1, 10}}, 64);  // five crossings
  WaveStatistics(x.data(), 64, 1, 0, r);
  EXPECT_EQ(r.waves, 4);
  EXPECT_DOUBLE_EQ(r.averageHeight, 1.25);
  EXPECT_DOUBLE_EQ(r.h13, 2.0);
}

TEST(WaveStatisticsTest, HighestFractions) {
  // Ten waves: H1/3 is the mean of the three largest, T1/3 their mean period.
  std::vector<std::pair<double, int>> waves;
  for (int i = 1; i <= 10; ++i) waves.push_back({0.1 * i, 2 * i + 4});
  std::vector<double> x = SquareWaves(waves, 256);
  WaveStatisticsRecord r;
  WaveStatistics(x.data(), 256, 0.5, 0, r);
  ASSERT_EQ(r.waves, 10);
  EXPECT_NEAR(r.h13, 0.9, 1e-12);
  EXPECT_NEAR(r.t13, 0.5 * (22 + 24 + 20) / 3, 1e-12);
  EXPECT_NEAR(r.h110, 1.0, 1e-12);
  EXPECT_EQ(r.h1100, 0);

  auto count = [&](int n, double* h110, double* h1100) {
    std::vector<std::pair<double, int>> w;
    for (int i = 0; i < n; ++i) w.push_back({1.0 + 0.01 * i, 6});
    std::vector<double> s = SquareWaves(w, 1024);
    WaveStatisticsRecord rr;
    WaveStatistics(s.data(), 1024, 1, 0, rr);
    *h110 = rr.h110;
    *h1100 = rr.h1100;
    return rr.waves;
  };
  double h110, h1100;
  EXPECT_EQ(count(9, &h110, &h1100), 9);
  EXPECT_EQ(h110, 0);
  EXPECT_EQ(count(99, &h110, &h1100), 99);
  EXPECT_EQ(h1100, 0);
  EXPECT_EQ(count(100, &h110, &h1100), 100);
  EXPECT_NEAR(h1100, 1.99, 1e-12);
}

TEST(WaveStatisticsTest, FirstSampleNeverStartsACrossing) {
  // Positive from the first sample: the first wave starts at the first later up-crossing.
  std::vector<double> x(64, 0.0);
  for (int i = 0; i < 64; ++i) x[i] = (i / 4) % 2 == 0 ? 0.5 : -0.5;
  WaveStatisticsRecord r;
  WaveStatistics(x.data(), 64, 1, 0, r);
  EXPECT_EQ(r.waves, 6);  // crossings at 8, 16, ..., 56
  EXPECT_DOUBLE_EQ(r.averagePeriod, 8);
}

TEST(BurstDate, BothCalendars) {
  EXPECT_EQ(BurstDateText(0, true, 0), "01/01/2000 00:00");
  EXPECT_EQ(BurstDateText(86400 * 59, true, 0), "02/29/2000 00:00");
  EXPECT_EQ(BurstDateText(86400 * 60, true, 0), "03/01/2000 00:00");
  EXPECT_EQ(BurstDateText(86400 * 366 + 3600 * 13 + 60 * 7 + 59, true, 0), "01/01/2001 13:07");
  EXPECT_EQ(BurstDateText(86400u * (1461 + 365 + 59), true, 0), "02/28/2005 00:00");
  EXPECT_EQ(BurstDateText(86400u * (1461 + 59), true, 0), "02/29/2004 00:00");
  EXPECT_EQ(BurstDateText(0, false, 0), "01/01/1989 00:00");
  EXPECT_EQ(BurstDateText(31536000u + 86400u * 31 + 3600, false, 0), "02/01/1990 01:00");
  // 1 March 2000 of the 365-day calendar, after the leap instant of 28 February.
  const uint32_t march2000 = 11u * 31536000u + 59u * 86400u;
  EXPECT_EQ(BurstDateText(march2000, false, march2000 - 86400u * 30), "02/29/2000 00:00");
  EXPECT_EQ(BurstDateText(march2000 + 86400, false, march2000 - 86400u * 30), "03/01/2000 00:00");
  // Started after the leap instant: no day is taken.
  EXPECT_EQ(BurstDateText(march2000, false, march2000), "03/01/2000 00:00");
}

TEST(BurstDate, RecorderLeapInstantIsStillTheTwentyEighth) {
  // The recorder's clock reads 28 February 23:59:59 at the instant itself; only the seconds
  // after it are a day ahead of the true date.
  const uint32_t instant = 11u * 31536000u + 59u * 86400u - 1u;  // 2000-02-28 23:59:59
  const uint32_t start = instant - 86400u * 30;
  EXPECT_EQ(BurstDateText(instant - 60, false, start), "02/28/2000 23:58");
  EXPECT_EQ(BurstDateText(instant, false, start), "02/28/2000 23:59");
  EXPECT_EQ(BurstDateText(instant + 1, false, start), "02/29/2000 00:00");
  EXPECT_EQ(BurstDateText(instant + 61, false, start), "02/29/2000 00:01");
  // A run that starts at the instant lives through the leap day too.
  EXPECT_EQ(BurstDateText(instant + 1, false, instant), "02/29/2000 00:00");
}

TEST(BurstDate, TimesFrom2000KnowThat2100IsNoLeapYear) {
  const uint32_t feb28of2100 = 86400u * (25u * 1461u + 58u);  // 25 four-year cycles
  EXPECT_EQ(BurstDateText(feb28of2100 + 86399u, true, 0), "02/28/2100 23:59");
  EXPECT_EQ(BurstDateText(feb28of2100 + 86400u, true, 0), "03/01/2100 00:00");
  EXPECT_EQ(BurstDateText(4294967295u, true, 0), "02/07/2136 06:28");
}

// The attenuation limit found with the bound gives the index of a scan from the top down over
// every harmonic, and each response is the very value PressureResponse gives.
TEST(WaveMath, HighestHarmonicAboveALimitMatchesTheFullScan) {
  int cases = 0, fewer = 0;
  for (double d : {0.0, 0.3, 2.0, 9.5, 10.0, 40.0, 300.0}) {
    for (double height : {0.0, 0.5, 5.0}) {
      for (double t : {0.5, 64.0, 512.0, 1024.0, 4096.0}) {
        for (double limit : {0.0, 1e-300, 0.0025, 0.005, 0.5, 0.999999, 1.0, 2.0}) {
          for (int half : {0, 1, 2, 7, 512, 1000}) {
            const double h = d + height;
            int expected = 0;
            for (int n = half; n >= 1; --n)
              if (PressureResponse(h, d, t / n) > limit) {
                expected = n;
                break;
              }
            HarmonicResponses r;
            r.Reset(h, d, t, half);
            ASSERT_EQ(r.HighestAbove(limit), expected)
                << "d " << d << " h " << h << " t " << t << " limit " << limit << " half " << half;
            ++cases;
            if (r.Solves() < half - expected) ++fewer;
            for (int n : {1, expected, half}) {
              if (n >= 1 && n <= half) {
                const double direct = PressureResponse(h, d, t / n);
                EXPECT_EQ(r.At(n), direct);
              }
            }
          }
        }
      }
    }
  }
  // Any period gives PressureResponse's value, a harmonic's own through its table entry.
  HarmonicResponses r;
  r.Reset(12, 10, 512, 256);
  for (double period : {512.0 / 3, 512.0 / 3 * (1 + 1e-15), 100.0, 512.0 / 256, 1.0, 1e6}) {
    const int before = r.Solves();
    EXPECT_EQ(r.AtPeriod(period), PressureResponse(12, 10, period)) << period;
    if (period == 512.0 / 3) {
      EXPECT_EQ(r.Solves(), before + 1);
    }
  }
  EXPECT_EQ(r.Solves(), 2);  // 512 / 3 and 512 / 256 only
  // The bound spares most of the solves above the limit.
  EXPECT_GT(fewer, cases / 4);
}

TEST(WaveMath, WaveNumberBoundIsNeverAboveTheSolution) {
  for (double h : {0.01, 1.0, 10.0, 200.0, 5000.0})
    for (double p = 0.05; p < 2000; p *= 1.37) {
      const double bound = WaveNumberLowerBound(h, p);
      EXPECT_GT(bound, 0) << h << " " << p;
      EXPECT_LE(bound, SolveWaveNumber(h, p)) << h << " " << p;
    }
  EXPECT_EQ(WaveNumberLowerBound(0, 8), 0);
  EXPECT_EQ(WaveNumberLowerBound(10, std::nan("")), 0);
  EXPECT_EQ(WaveNumberLowerBound(10, 1e-300), 0);  // no finite bound to give
}

}  // namespace
}  // namespace tidora
