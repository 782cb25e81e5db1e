#include "wave/wave_math.h"

#include "datafile/calendar.h"
#include "datafile/tgr41file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace tidora {

double SeawaterDensity(double salinity, double temperature) {
  // The data file library's equation of state gives the anomaly at a pressure in decibars.
  return 1000.0 + CTGR41File::Density(salinity, temperature, 0.0);
}

double SolveWaveNumber(double h, double period) {
  if (!(h > 0) || !(period > 0) || !std::isfinite(h) || !std::isfinite(period)) return 0;
  const double y = kPi * kPi * kFourOverG * h / (period * period);
  if (!(y > 0)) return 0;           // so long a wave that y underflows: k -> 0
  if (!std::isfinite(y)) return y;  // so short a wave that it is infinitely short
  double z = y / std::tanh(y);
  double zNew = z;
  // The step at least halves the error; the bound only stops a runaway.
  for (int i = 0; i < kDispersionIterations; ++i) {
    const double w = y / std::tanh(z);
    zNew = (w + z) / 2;
    if (std::fabs(w - zNew) < kDispersionTolerance) break;
    z = zNew;
  }
  return zNew / h;
}

double WaveNumberLowerBound(double h, double period) {
  if (!(h > 0) || !(period > 0) || !std::isfinite(h) || !std::isfinite(period)) return 0;
  // The iteration starts at y / tanh(y) >= y and every step averages values >= y.
  const double y = kPi * kPi * kFourOverG * h / (period * period);
  return y > 0 && std::isfinite(y) ? y / h : 0;
}

double PressureResponse(double h, double d, double period) {
  return ResponseAtWaveNumber(h, d, SolveWaveNumber(h, period));
}

double ResponseAtWaveNumber(double h, double d, double k) {
  d = std::fabs(d);
  if (std::isinf(k)) return d > 0 ? 0.0 : 1.0;
  if (k * h > kDeepWaterKh) return std::exp(-k * d);
  return std::cosh(k * (h - d)) / std::cosh(k * h);
}

void HarmonicResponses::Reset(double h, double d, double t, int half) {
  h_ = h;
  d_ = d;
  t_ = t;
  half_ = std::max(half, 0);
  solves_ = 0;
  values_.assign(static_cast<size_t>(half_) + 1, 0.0);
  known_.assign(static_cast<size_t>(half_) + 1, 0);
}

double HarmonicResponses::At(int n) {
  if (n < 1 || n > half_) return PressureResponse(h_, d_, t_ / n);
  if (!known_[n]) {
    values_[n] = PressureResponse(h_, d_, t_ / n);
    known_[n] = 1;
    ++solves_;
  }
  return values_[n];
}

double HarmonicResponses::AtPeriod(double period) {
  const double harmonic = std::round(t_ / period);
  if (harmonic >= 1 && harmonic <= half_) {
    const int n = static_cast<int>(harmonic);
    if (t_ / n == period) return At(n);
  }
  return PressureResponse(h_, d_, period);
}

bool HarmonicResponses::SurelyAtOrBelow(int n, double limit) const {
  // Any harmonic m >= n has a shorter period, so a wave number at or above the bound k of n;
  // the response falls as the wave number rises (and the deep-water form is never above the
  // other at the same wave number), so it is at most the response at k. The margin covers
  // the rounding of either evaluation many times over.
  if (!(std::fabs(d_) <= h_)) return false;
  const double k = WaveNumberLowerBound(h_, t_ / n);
  if (!(k > 0)) return false;
  return ResponseAtWaveNumber(h_, d_, k) * (1 + 1e-9) <= limit;
}

int HarmonicResponses::HighestAbove(double limit) {
  int top = half_;
  if (half_ >= 1 && SurelyAtOrBelow(half_, limit)) {
    // The lowest harmonic the bound settles, by bisection; `hi` is always settled, and so is
    // every harmonic above it.
    int lo = 1, hi = half_;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (SurelyAtOrBelow(mid, limit))
        hi = mid;
      else
        lo = mid + 1;
    }
    top = hi - 1;
  }
  for (int n = top; n >= 1; --n)
    if (At(n) > limit) return n;
  return 0;
}

double ChiSquaredTail(double x, int nu) {
  const int terms = nu / 2;
  if (terms < 1) return 0;
  const double half = x / 2;
  double term = 1, sum = 0;
  for (int i = 0; i < terms; ++i) {
    if (i > 0) term *= half / i;
    sum += term;
  }
  return std::exp(-half) * sum;
}

double ChiSquaredQuantile(double probability, int nu) {
  double lo, hi;
  if (nu <= 10) {
    lo = 0.001, hi = 50;
  } else if (nu <= 120) {
    lo = 1, hi = 200;
  } else {
    lo = 50, hi = 500;
  }
  const double fLo = ChiSquaredTail(lo, nu) - probability;
  const double fHi = ChiSquaredTail(hi, nu) - probability;
  if (fLo * fHi >= 0) return -1;
  double current, step;
  if (fLo < 0) {
    current = lo, step = hi - lo;
  } else {
    current = hi, step = lo - hi;
  }
  for (int i = 0; i < 100; ++i) {
    step *= 0.5;
    const double mid = current + step;
    const double fMid = ChiSquaredTail(mid, nu) - probability;
    if (fMid <= 0) current = mid;
    if (std::fabs(step) < 0.001 || fMid == 0) return current;
  }
  return -1;
}

int ChiSquaredLimits(double percent, int nu, double& lower, double& upper) {
  if (!(percent > 0 && percent < 100)) return 1;
  const double alpha = (1 - percent / 100) / 2;
  const double x1 = ChiSquaredQuantile(alpha, nu);
  if (x1 <= 0) return 1;
  const double x2 = ChiSquaredQuantile(1 - alpha, nu);
  if (x2 <= 0) return 1;
  lower = nu / x1;
  upper = nu / x2;
  return 0;
}

int TransformLength(int n) {
  int m = 4;
  while (m < n && m < (1 << 30)) m <<= 1;
  return m;
}

void Radix2Transform(double* data, int m, int sign) {
  // Numbering from 1 as in the classic formulation: element i of the text is data[i - 1].
  double* a = data - 1;
  const int n = m << 1;
  int j = 1;
  for (int i = 1; i < n; i += 2) {
    if (j > i) {
      std::swap(a[j], a[i]);
      std::swap(a[j + 1], a[i + 1]);
    }
    int half = m;
    while (half >= 2 && j > half) {
      j -= half;
      half >>= 1;
    }
    j += half;
  }
  int mmax = 2;
  while (n > mmax) {
    const int istep = mmax << 1;
    const double theta = sign * (kTransformTwoPi / mmax);
    double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0, wi = 0.0;
    for (int k = 1; k < mmax; k += 2) {
      for (int i = k; i <= n; i += istep) {
        const int jj = i + mmax;
        const double tempr = wr * a[jj] - wi * a[jj + 1];
        const double tempi = wr * a[jj + 1] + wi * a[jj];
        a[jj] = a[i] - tempr;
        a[jj + 1] = a[i + 1] - tempi;
        a[i] += tempr;
        a[i + 1] += tempi;
      }
      wtemp = wr;
      wr = wr * wpr - wi * wpi + wr;
      wi = wi * wpr + wtemp * wpi + wi;
    }
    mmax = istep;
  }
}

double CoefficientFilterFactor(int harmonic, double t, int kLow, int kHigh, int kMax, double fLow,
                               double fHigh, bool taper, double fc) {
  const double f = harmonic / t;
  double factor = 1;
  if (harmonic > kHigh) factor = taper ? factor * std::exp(-(f - fHigh) / fc) : 0;
  if (harmonic > kMax) factor = 0;
  if (harmonic < kLow) factor = taper ? factor * std::exp(-(fLow - f) / fc) : 0;
  return factor;
}

int PeriodClass(double p) {
  if (p > 22) return 0;
  if (p > 18) return 1;
  if (p > 16) return 2;
  if (p > 14) return 3;
  if (p > 12) return 4;
  if (p > 10) return 5;
  if (p > 8) return 6;
  if (p > 6) return 7;
  if (p > 4) return 8;
  if (p > 2) return 9;
  return -1;
}

void HeapSortWaves(int n, double* ra, double* rb) {
  if (n < 2) return;
  int l = (n >> 1) + 1, ir = n;
  for (;;) {
    double rra, rrb;
    if (l > 1) {
      --l;
      rra = ra[l];
      rrb = rb[l];
    } else {
      rra = ra[ir];
      rrb = rb[ir];
      ra[ir] = ra[1];
      rb[ir] = rb[1];
      if (--ir == 1) {
        ra[1] = rra;
        rb[1] = rrb;
        return;
      }
    }
    int i = l, j = l << 1;
    while (j <= ir) {
      if (j < ir && ra[j] < ra[j + 1]) ++j;
      if (rra < ra[j]) {
        ra[i] = ra[j];
        rb[i] = rb[j];
        i = j;
        j <<= 1;
      } else {
        j = ir + 1;
      }
    }
    ra[i] = rra;
    rb[i] = rrb;
  }
}

void WaveStatistics(const double* x, int m, double dt, int a, WaveStatisticsRecord& out) {
  out = WaveStatisticsRecord{};
  // Variance over the samples the window left intact.
  const int n = m - 2 * a;
  if (n >= 2) {
    double mean = 0;
    for (int i = a; i < m - a; ++i) mean += x[i];
    mean /= n;
    double sum = 0, sumSq = 0;
    for (int i = a; i < m - a; ++i) {
      const double dev = x[i] - mean;
      sum += dev;
      sumSq += dev * dev;
    }
    out.variance = (sumSq - sum * sum / n) / (n - 1);
  }
  // Zero up-crossing pass; heights and periods are kept from index 1.
  std::vector<double> heights(1), periods(1);
  heights.reserve(m / 2 + 2);
  periods.reserve(m / 2 + 2);
  double top = 0, bottom = 0, maxHeight = 0;
  int count = 0, crossings = 0;
  for (int j = 0; j < m; ++j) {
    ++count;
    if (x[j] > top) top = x[j];
    if (x[j] < bottom) bottom = x[j];
    const double range = top - bottom;
    if (range > maxHeight) maxHeight = range;
    if (x[j] > 0 && j >= 1 && x[j - 1] <= 0 && range > kMinimumWaveHeight) {
      if (crossings > 0) {
        heights.push_back(range);
        periods.push_back(count * dt);
      }
      top = bottom = 0;
      count = 0;
      ++crossings;
    }
  }
  out.maximumHeight = maxHeight;
  const int waves = crossings - 1;
  if (waves < kMinimumWaves) return;
  out.waves = waves;
  double sumH = 0, sumP = 0;
  for (int i = 1; i <= waves; ++i) {
    sumH += heights[i];
    sumP += periods[i];
  }
  out.averageHeight = sumH / waves;
  out.averagePeriod = sumP / waves;
  HeapSortWaves(waves, heights.data(), periods.data());
  auto highest = [&](int q, double* periodMean) {
    const int r = waves / q;
    if (r == 0) return 0.0;
    double h = 0, p = 0;
    for (int i = waves - r + 1; i <= waves; ++i) {
      h += heights[i];
      p += periods[i];
    }
    if (periodMean) *periodMean = p / r;
    return h / r;
  };
  out.h13 = highest(3, &out.t13);
  out.h110 = highest(10, nullptr);
  out.h1100 = highest(100, nullptr);
}

namespace {

std::string DateText(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d", t.tm_mon + 1, t.tm_mday,
                t.tm_year + 1900, t.tm_hour, t.tm_min);
  return buf;
}

}  // namespace

std::string BurstDateText(uint32_t s, bool from2000, uint32_t firstStart) {
  static const int64_t kDays2000 = DaysFromCivil(2000, 1, 1);
  return DateText(from2000 ? GregorianTime(s, kDays2000) : RecorderTime(s, firstStart));
}

}  // namespace tidora
