#include "convert/calibration.h"

#include <cmath>

namespace tidora {
namespace {

double Clamp(double v, double lo, double hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

// PSS-78 (UNESCO 1983) constants.
constexpr double kA[6] = {0.0080, -0.1692, 25.3851, 14.0941, -7.0261, 2.7081};
constexpr double kB[6] = {0.0005, -0.0056, -0.0066, -0.0375, 0.0636, -0.0144};
constexpr double kC[5] = {0.6766097, 2.00564e-2, 1.104259e-4, -6.9698e-7, 1.0031e-9};
constexpr double kD[4] = {3.426e-2, 4.464e-4, 4.215e-1, -3.107e-3};
constexpr double kE[3] = {2.070e-5, -6.370e-10, 3.989e-15};
constexpr double kK = 0.0162;

// Conductivity ratio of the standard seawater at t68 to itself at 15 degrees.
double RatioRt(double t) {
  return kC[0] + t * (kC[1] + t * (kC[2] + t * (kC[3] + t * kC[4])));
}

// Pressure correction of the conductivity ratio.
double RatioRp(double R, double t, double p) {
  return 1.0 + p * (kE[0] + p * (kE[1] + p * kE[2])) /
                   (1.0 + kD[0] * t + kD[1] * t * t + (kD[2] + kD[3] * t) * R);
}

// Salinity from the temperature-corrected ratio; `guarded` applies the converter's rules for
// a non-positive ratio and a zero temperature denominator.
double SalinityFromRt(double Rt, double t, bool guarded, bool& zeroDenominator) {
  zeroDenominator = false;
  if (guarded && !(Rt > 0)) Rt = 1e-6;
  double r = std::sqrt(Rt);
  double sum_a = kA[0] + r * (kA[1] + r * (kA[2] + r * (kA[3] + r * (kA[4] + r * kA[5]))));
  double sum_b = kB[0] + r * (kB[1] + r * (kB[2] + r * (kB[3] + r * (kB[4] + r * kB[5]))));
  double den = 1.0 + kK * (t - 15.0);
  if (den == 0.0) {
    zeroDenominator = true;
    return 0.0;
  }
  return sum_a + (t - 15.0) / den * sum_b;
}

}  // namespace

double PressureFromNumber(double number, double M, double B, const PressureCorrection& corr) {
  return (number - B) / M * corr.slope + corr.offset;
}

QuartzTemperatureTerms QuartzTerms(double ft, const QuartzCoefficients& q) {
  if (ft == 0.0) ft = 1.0;
  double U = 1e6 / ft - q.U0;
  QuartzTemperatureTerms terms;
  terms.C = q.C1 + q.C2 * U + q.C3 * U * U;
  terms.T0 = (q.T1 + q.T2 * U + q.T3 * U * U + q.T4 * U * U * U) * 1e-6;
  return terms;
}

double QuartzPressure(double fp, const QuartzTemperatureTerms& terms, const QuartzCoefficients& q,
                      double offset, const PressureCorrection& corr) {
  double w = 1.0 - terms.T0 * terms.T0 * fp * fp;
  double p = (terms.C * w * (1.0 - q.D1 * w) + offset) * corr.slope + corr.offset;
  if (p > kQuartzPressureLimit) return kQuartzPressureSentinel;
  if (p < -kQuartzPressureLimit) return -kQuartzPressureSentinel;
  return p;
}

double QuartzPressure(double fp, double ft, const QuartzCoefficients& q, double offset,
                      const PressureCorrection& corr) {
  return QuartzPressure(fp, QuartzTerms(ft, q), q, offset, corr);
}

double QuartzTemperature(double ft, const QuartzCoefficients& q) {
  if (ft == 0.0) ft = 1.0;
  double U = 1e6 / ft - q.U0;
  double t = q.Y1 * U + q.Y2 * U * U;
  if (t > 100.0) return 99.99;
  if (t < -100.0) return -99.99;
  return t;
}

double StrainGaugePressure(double n, double t, const StrainGaugeCoefficients& s, double offset,
                           const PressureCorrection& corr) {
  double y = s.PTEMPA0 + s.PTEMPA1 * t + s.PTEMPA2 * t * t;
  double x = n - s.PTCA0 - s.PTCA1 * y - s.PTCA2 * y * y;
  double m = x * s.PTCB0 / (s.PTCB0 + s.PTCB1 * y + s.PTCB2 * y * y);
  return (s.PA0 + s.PA1 * m + s.PA2 * m * m + offset) * corr.slope + corr.offset;
}

double TemperatureFromNumber(double number, bool alternateScaling) {
  return alternateScaling ? number * 0.0005 - 2.0 : number * 0.001 - 10.0;
}

double ThermistorTemperature(double x, const double ta[4]) {
  if (ta[0] == 0.0) return 0.0;
  if (!(x > 0.0)) return -10.0;
  double L = std::log(x);
  double t = 1.0 / (ta[0] + ta[1] * L + ta[2] * L * L + ta[3] * L * L * L) - 273.15;
  return Clamp(t, -99.0, 99.0);
}

double TidewellThermistorVoltage(int number) {
  return (number - 4095) * 0.001221001221001221;
}

double TidewellThermistorTemperature(int number, double AI, double XI, double A0, double A1,
                                     double A3) {
  double V = TidewellThermistorVoltage(number);
  double R = AI / (V - XI) - 15000.0;
  double L = std::log(R);
  double y = A0 + A1 * L + A3 * L * L * L;
  if (y == 0.0) return 0.0;
  return 1.0 / y - 273.15;
}

double SeaPressureDbar(double psia) {
  return (psia - 14.7) * 0.68948;
}

double EffectiveConductivitySlope(double slope) {
  return (slope > 2.0 || slope < 0.5) ? 1.0 : slope;
}

double Conductivity(double f, double temperature, double seaPressure,
                    const ConductivityCoefficients& c, double slope, double offset) {
  if (f < 10.0) return 99.0;
  double k = f / 1000.0;
  double k2 = k * k;
  double num = c.G + c.H * k2 + c.I * k2 * k + c.J * k2 * k2;
  double cond = num / (10.0 * (1.0 + c.CTcor * temperature + c.CPcor * seaPressure));
  return Clamp(cond * slope + offset, -99.0, 99.0);
}

double PracticalSalinityPss78(double R, double t68, double seaPressure) {
  double Rt = R / (RatioRp(R, t68, seaPressure) * RatioRt(t68));
  bool zero = false;
  return SalinityFromRt(Rt, t68, false, zero);
}

double SalinityFromConductivity(double conductivity, double temperature, double seaPressure) {
  if (!(conductivity > 0.0)) return 0.0;
  double R = 10.0 * conductivity / 42.914;
  double t = temperature * 1.00024;
  double Rt = R / (RatioRp(R, t, seaPressure) * RatioRt(t));
  bool zero = false;
  double s = SalinityFromRt(Rt, t, true, zero);
  if (zero) return -99.0;
  return Clamp(s, -99.0, 99.0);
}

}  // namespace tidora
