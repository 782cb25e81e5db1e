#include "sim/recorder.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <random>

#include "convert/recorder_time.h"
#include "datafile/textio.h"

namespace tidora::sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRho = 1025.0;  // kg/m3
constexpr double kG = 9.80665;   // m/s2
constexpr double kPaPerPsi = 6894.757;
constexpr double kAtmosphere = 14.7;      // psia
constexpr double kSemidiurnal = 44712.0;  // s

// The small root of a x^2 + b x + c = 0, stable when a is tiny.
double SmallRoot(double a, double b, double c) {
  if (a == 0.0) return -c / b;
  double disc = b * b - 4 * a * c;
  if (disc < 0) disc = 0;
  double q = -0.5 * (b + (b >= 0 ? 1 : -1) * std::sqrt(disc));
  return c / q;
}

// Newton's method on a polynomial given by its coefficients (lowest first).
double SolvePolynomial(const std::vector<double>& p, double target, double x) {
  for (int it = 0; it < 100; ++it) {
    double f = -target, df = 0, xn = 1;
    for (size_t i = 0; i < p.size(); ++i) {
      f += p[i] * xn;
      if (i + 1 < p.size()) df += (i + 1) * p[i + 1] * xn;
      xn *= x;
    }
    if (df == 0) break;
    double step = f / df;
    x -= step;
    if (std::fabs(step) < 1e-15 * std::max(1.0, std::fabs(x))) break;
  }
  return x;
}

void SetCoefficients(Deployment& d) {
  const Options& o = d.options;
  HeaderCoefficients& c = d.coef;
  c.quartz = {5.8,  -3900.0, -10000.0, 0.0, -15000.0, 100.0, 50.0,
              0.03, 0.0,     30.0,     1.0, 0.5,      0.1,   0.0};
  c.strain = {-20.0, 0.0008, 1e-12, 500000.0, 10.0, 0.1, 24.5, -0.001, 0.0, -40.0, 0.001, 0.0};
  c.offset = 0.0;
  if (o.family == Family::kTgr41) {
    c.M = 300.0;
    c.B = 10000.0;
  } else {
    c.M = 10000.0;
    c.B = 100000.0;
  }
  const double fra[7] = {250000.0, 0.01, 1e-8, 0.0, 0.0, 0.0, 0.0};
  std::copy(fra, fra + 7, c.fra);
  const double ta[4] = {1.0e-3, 2.4e-4, 0.0, 1.0e-7};
  std::copy(ta, ta + 4, c.ta);
  c.cond = {-4.0, 0.6, -1.5e-3, 2.3e-4, 3.25e-6, -9.57e-8};
  c.cslope = 1.0;
  c.AI = 50000.0;
  c.XI = -2.5;

  CoefficientFile& f = d.file = DefaultCoefficientsAtStart();
  f.folder = "/";
  f.SetValue(kSlotSlopeCorrection, o.slopeCorrection);
  f.SetValue(kSlotOffsetCorrection, o.offsetCorrection);
  f.SetValue(kSlotA0, 1.129e-3);
  f.SetValue(kSlotA1, 2.341e-4);
  f.SetValue(kSlotA3, 8.775e-8);
  f.SetValue(kSlotSerialNumber, 0.0);
  f.SetValue(kSlotG, c.cond.G);
  f.SetValue(kSlotH, c.cond.H);
  f.SetValue(kSlotI, c.cond.I);
  f.SetValue(kSlotJ, c.cond.J);
  f.SetValue(kSlotCPcor, c.cond.CPcor);
  f.SetValue(kSlotCTcor, c.cond.CTcor);
  f.SetValue(kSlotConductivitySlope, o.conductivitySlope);
  f.SetValue(kSlotConductivityOffset, o.conductivityOffset);
}

double PressureAt(const Options& o, double elevation) {
  return kAtmosphere + kRho * kG * (o.depth + elevation) / kPaPerPsi;
}

double TideElevation(const Options& o, double t) {
  return o.tideAmplitude * std::cos(2 * kPi * t / kSemidiurnal);
}

double TemperatureAt(const Options& o, double t) {
  return o.temperature + 0.5 * std::sin(2 * kPi * t / 86400.0);
}

double ConductivityAt(const Options& o, double t) {
  return o.conductivityValue + 0.05 * std::sin(2 * kPi * t / 43200.0);
}

}  // namespace

double Deployment::statedScanRate() const {
  if (options.statedScanRate > 0) return options.statedScanRate;
  return options.samplePeriod > 0 ? 1.0 / options.samplePeriod : 0.0;
}

int Deployment::recordSize() const {
  const Options& o = options;
  switch (o.family) {
    case Family::kTgr41:
      return 4;
    case Family::kTgr77Bpr:
      return BprRecordSize(o.conductivity, o.tsunami);
    case Family::kTgr41plus:
      return MarkerFamilyRecordSize(o.conductivity) + (o.timeStamped ? kTimeStampBytes : 0);
  }
  return 5;
}

int BprRecordInteger(int index) {
  return (index * 37 + 1000) & 0xFFFF;
}

double WaveNumber(double f, double depth) {
  double w = 2 * kPi * f;
  double k = w * w / kG;  // deep water start
  if (depth <= 0) return k;
  k = std::max(k, w / std::sqrt(kG * depth));
  for (int i = 0; i < 100; ++i) {
    double th = std::tanh(k * depth);
    double fk = kG * k * th - w * w;
    double dfk = kG * th + kG * k * depth * (1 - th * th);
    double step = fk / dfk;
    k -= step;
    if (std::fabs(step) < 1e-14 * k) break;
  }
  return k;
}

double BottomPressureResponse(double f, double depth) {
  return 1.0 / std::cosh(WaveNumber(f, depth) * depth);
}

double PressureNumberFor(double psia, double M, double B, const PressureCorrection& corr) {
  return (psia - corr.offset) / corr.slope * M + B;
}

double QuartzTemperatureFrequencyFor(double temperature, const QuartzCoefficients& q) {
  double U = SmallRoot(q.Y2, q.Y1, -temperature);
  return 1e6 / (U + q.U0);
}

double QuartzPressureFrequencyFor(double psia, double ft, const QuartzCoefficients& q,
                                  double offset, const PressureCorrection& corr) {
  double pr = (psia - corr.offset) / corr.slope - offset;
  double U = 1e6 / ft - q.U0;
  double C = q.C1 + q.C2 * U + q.C3 * U * U;
  double T0 = (q.T1 + q.T2 * U + q.T3 * U * U + q.T4 * U * U * U) * 1e-6;
  double w = SmallRoot(-C * q.D1, C, -pr);
  return std::sqrt(std::max(0.0, 1.0 - w)) / T0;
}

double StrainTemperatureNumberFor(double temperature, const StrainGaugeCoefficients& s) {
  return SmallRoot(s.PTEMPA2, s.PTEMPA1, s.PTEMPA0 - temperature);
}

double StrainPressureNumberFor(double psia, double t, const StrainGaugeCoefficients& s,
                               double offset, const PressureCorrection& corr) {
  double y = s.PTEMPA0 + s.PTEMPA1 * t + s.PTEMPA2 * t * t;
  double pr = (psia - corr.offset) / corr.slope - offset;
  double m = SmallRoot(s.PA2, s.PA1, s.PA0 - pr);
  double x = m * (s.PTCB0 + s.PTCB1 * y + s.PTCB2 * y * y) / s.PTCB0;
  return x + s.PTCA0 + s.PTCA1 * y + s.PTCA2 * y * y;
}

double ThermistorValueFor(double temperature, const double ta[4]) {
  double L = SolvePolynomial({ta[0], ta[1], ta[2], ta[3]}, 1.0 / (temperature + 273.15), 10.0);
  return std::exp(L);
}

int TidewellThermistorNumberFor(double temperature, double AI, double XI, double A0, double A1,
                                double A3) {
  double L = SolvePolynomial({A0, A1, 0.0, A3}, 1.0 / (temperature + 273.15), 9.0);
  double V = AI / (std::exp(L) + 15000.0) + XI;
  long n = std::lround(V / 0.001221001221001221 + 4095);
  return static_cast<int>(std::clamp(n, 0L, 8191L));
}

double ConductivityFrequencyFor(double conductivity, double temperature, double seaPressure,
                                const ConductivityCoefficients& c, double slope, double offset) {
  double num = (conductivity - offset) / slope * 10.0 *
               (1.0 + c.CTcor * temperature + c.CPcor * seaPressure);
  double k0 = std::sqrt(std::max(num - c.G, 0.01) / c.H);
  return 1000.0 * SolvePolynomial({c.G, 0.0, c.H, c.I, c.J}, num, k0);
}

Deployment Simulate(const Options& options) {
  Deployment d;
  Options& o = d.options = options;
  if (o.firmware.empty())
    o.firmware =
        o.family == Family::kTgr41plus ? "6.2" : (o.family == Family::kTgr77Bpr ? "1.2" : "3.0");
  if (o.family != Family::kTgr41plus) {
    o.strainGauge = o.timeStamped = o.alternateTemperature = false;
  }
  if (o.family != Family::kTgr77Bpr) o.tsunami = false;
  if (o.family == Family::kTgr77Bpr) o.bursts = 0;
  if (o.startTime < 0) {
    if (o.family == Family::kTgr41) {
      o.startTime = 150 * 86400.0;
    } else {
      std::tm t{};
      t.tm_year = 2026 - 1900;
      t.tm_mon = 5;
      t.tm_mday = 1;
      o.startTime = TmToTime2000(t);
    }
  }
  SetCoefficients(d);

  const double base = o.family == Family::kTgr41
                          ? (o.startYear - 1989) * kTidewellYearSeconds + o.startTime
                          : o.startTime;
  const int maxBursts = o.burstEvery > 0 ? o.tideSamples / o.burstEvery : 0;
  const int nBursts = o.family == Family::kTgr77Bpr
                          ? 0
                          : (o.bursts < 0 ? maxBursts : std::min(o.bursts, maxBursts));

  std::mt19937 rng(o.seed);
  std::uniform_real_distribution<double> phase(0.0, 2 * kPi);
  // The sea state: a Bretschneider spectrum for Hs and Tp in equal frequency bands.
  const int nComp = 64;
  const double f0 = 0.04, f1 = 0.45, df = (f1 - f0) / nComp;
  std::vector<double> freq(nComp), amp(nComp), resp(nComp);
  const double fp = 1.0 / o.peakPeriod;
  for (int i = 0; i < nComp; ++i) {
    double f = f0 + (i + 0.5) * df;
    double S = 5.0 / 16.0 * o.waveHeight * o.waveHeight * std::pow(fp, 4) * std::pow(f, -5) *
               std::exp(-1.25 * std::pow(fp / f, 4));
    freq[i] = f;
    amp[i] = std::sqrt(2 * S * df);
    resp[i] = BottomPressureResponse(f, o.depth);
  }

  for (int i = 0; i < o.tideSamples; ++i) {
    double t = base + i * o.tideInterval;
    d.tides.push_back(
        {t, PressureAt(o, TideElevation(o, t)), TemperatureAt(o, t), ConductivityAt(o, t)});
    if (nBursts > 0 && (i + 1) % o.burstEvery == 0 && static_cast<int>(d.bursts.size()) < nBursts) {
      Burst b;
      b.afterTide = i;
      b.startTime = std::floor(t + 1);
      b.temperature = TemperatureAt(o, b.startTime);
      std::vector<double> ph(nComp);
      for (double& p : ph) p = phase(rng);
      b.pressure.resize(static_cast<size_t>(std::max(0, o.samplesPerBurst)));
      // Each component as a phasor turned by one sample period per step: the sum of cosines
      // without a cosine per sample and component.
      std::vector<std::complex<double>> z(nComp), turn(nComp);
      for (int c = 0; c < nComp; ++c) {
        z[c] = std::polar(amp[c] * resp[c], ph[c]);
        turn[c] = std::polar(1.0, 2 * kPi * freq[c] * o.samplePeriod);
      }
      for (size_t j = 0; j < b.pressure.size(); ++j) {
        double ts = j * o.samplePeriod;
        double eta = 0;
        for (int c = 0; c < nComp; ++c) {
          eta += z[c].real();
          z[c] *= turn[c];
        }
        b.pressure[j] = PressureAt(o, TideElevation(o, b.startTime + ts) + eta);
      }
      d.bursts.push_back(std::move(b));
    }
    if (o.family == Family::kTgr77Bpr && o.referenceEvery > 0 && (i + 1) % o.referenceEvery == 0) {
      int k = static_cast<int>(d.references.size());
      d.references.push_back({i, std::floor(t + 2), 250000u + static_cast<uint32_t>(k),
                              static_cast<uint32_t>((k * 123457 + 4321) % 1000000), 100 + k});
    }
  }
  return d;
}

}  // namespace tidora::sim
