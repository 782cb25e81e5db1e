#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datafile/physical_constants.h"

namespace tidora {

// Constants of the wave analysis, written once.
inline constexpr double kAtmosphericPsi = 14.7;
inline constexpr double kStandardGravity = 9.80665;
inline constexpr double kHannPowerFactor = 1.632993161855452;  // sqrt(8/3)
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTransformTwoPi = 6.28318530717959;
inline constexpr double kFourOverG = 0.4078864851911713;
inline constexpr double kDispersionTolerance = 1e-6;
inline constexpr int kDispersionIterations = 1000;
inline constexpr double kDeepWaterKh = 100.0;
inline constexpr double kMinimumWaveHeight = 0.01;  // m
inline constexpr int kMinimumWaves = 4;

// One-atmosphere density of sea water (EOS-80) in kg/m^3; salinity in PSU, temperature in
// degrees Celsius.
double SeawaterDensity(double salinity, double temperature);

// Wave number (rad/m) of linear wave theory for total depth h (m) and period (s); 0 when
// either is not a positive finite number, infinite for a period too short to square.
double SolveWaveNumber(double h, double period);

// Pressure response factor at instrument depth d below the surface in total depth h.
double PressureResponse(double h, double d, double period);
// The same for a wave number k (rad/m): PressureResponse is this at SolveWaveNumber's k.
double ResponseAtWaveNumber(double h, double d, double k);
// A wave number that SolveWaveNumber's result is never below, bit for bit, found without the
// iteration; 0 where there is none to give.
double WaveNumberLowerBound(double h, double period);

// Pressure responses at the harmonics n = 1 ... half of a record t seconds long (period t / n)
// in total depth h at instrument depth d, each solved at most once and bit for bit the value
// PressureResponse gives.
class HarmonicResponses {
 public:
  void Reset(double h, double d, double t, int half);
  double At(int n);
  // PressureResponse at any period: a harmonic's own period (t / n, bit for bit) takes its
  // solved value.
  double AtPeriod(double period);
  // The highest harmonic whose response is above `limit`, 0 when none is. The response falls
  // as the harmonic rises, so the harmonics that a cheap bound proves to be at or below the
  // limit are passed over without a solve; the rest are looked at from the top down.
  int HighestAbove(double limit);
  int Solves() const { return solves_; }

 private:
  // True when the response of harmonic n is surely at or below `limit`.
  bool SurelyAtOrBelow(int n, double limit) const;
  double h_ = 0, d_ = 0, t_ = 0;
  int half_ = 0;
  int solves_ = 0;
  std::vector<double> values_;
  std::vector<unsigned char> known_;
};

// Probability that a chi-squared variable with nu (even) degrees of freedom exceeds x.
double ChiSquaredTail(double x, int nu);
// x with ChiSquaredTail(x, nu) = probability by bisection; -1 when it cannot be found.
double ChiSquaredQuantile(double probability, int nu);
// Lower and upper multipliers of a band estimate for a confidence percent; 0 on success.
int ChiSquaredLimits(double percent, int nu, double& lower, double& upper);

// Smallest power of two that is >= n and >= 4.
int TransformLength(int n);

// In-place radix-2 complex transform of M (a power of two) values stored as re, im pairs;
// sign +1 uses the kernel e^(+2 pi i jk/M), -1 e^(-2 pi i jk/M); unscaled.
void Radix2Transform(double* data, int m, int sign);

// Factor applied to a Fourier coefficient of the given harmonic (frequency harmonic / t):
// harmonics above kHigh (shorter than the minimum period) are tapered by
// exp(-(f - fHigh) / fc) or zeroed, those above kMax zeroed, those below kLow (longer than the
// maximum period) tapered by exp(-(fLow - f) / fc) or zeroed.
double CoefficientFilterFactor(int harmonic, double t, int kLow, int kHigh, int kMax, double fLow,
                               double fHigh, bool taper, double fc);

// Period class of the report's energy columns: 0 for "22+" ... 9 for "3"; -1 for periods of
// 2 s and below.
int PeriodClass(double period);
inline constexpr int kNumPeriodClasses = 10;

// Time-series statistics of one reconstructed surface elevation series.
struct WaveStatisticsRecord {
  int waves = 0;
  double variance = 0;
  double averageHeight = 0;
  double averagePeriod = 0;
  double maximumHeight = 0;
  double h13 = 0;
  double t13 = 0;
  double h110 = 0;
  double h1100 = 0;
};
// x holds m samples dt apart; a samples at each end are left out of the variance.
void WaveStatistics(const double* x, int m, double dt, int a, WaveStatisticsRecord& out);

// Ascending in-place heap sort of heights[1..n], carrying periods[1..n] along (1-based).
void HeapSortWaves(int n, double* heights, double* periods);

// "%02d/%02d/%04d %02d:%02d" of a burst start. With the 2000 flag the seconds count from
// 2000-01-01; otherwise they are times of the 1989-based recorder calendar of 365-day years,
// dated relative to the run's first burst start.
std::string BurstDateText(uint32_t seconds, bool from2000, uint32_t firstStart);

}  // namespace tidora
