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

uint32_t Clamp32(double v, double hi) {
  if (!(v > 0)) return 0;
  if (v > hi) return static_cast<uint32_t>(hi);
  return static_cast<uint32_t>(std::llround(v));
}

struct Bytes {
  std::vector<uint8_t>& out;
  void U8(uint32_t v) { out.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) { U8(v >> 8), U8(v); }
  void U24(uint32_t v) { U8(v >> 16), U8(v >> 8), U8(v); }
  void U32(uint32_t v) { U8(v >> 24), U8(v >> 16), U8(v >> 8), U8(v); }
  void Fixed16_8(double v) { U24(Clamp32(v * 256.0, 16777215.0)); }
  void Fixed24_8(double v) { U32(Clamp32(v * 256.0, 4294967295.0)); }
  void Fill(uint8_t b, size_t n) { out.insert(out.end(), n, b); }
  void PadTo(size_t start, size_t size) {
    if (out.size() < start + size) Fill(0, start + size - out.size());
  }
};

double Quantize16_8(double v) {
  return Clamp32(v * 256.0, 16777215.0) / 256.0;
}
double Quantize24_8(double v) {
  return Clamp32(v * 256.0, 4294967295.0) / 256.0;
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

std::vector<uint8_t> BuildMemoryImage(const Deployment& d) {
  const Options& o = d.options;
  const HeaderCoefficients& c = d.coef;
  const PressureCorrection corr = d.file.Pressure();
  std::vector<uint8_t> image;
  Bytes out{image};
  const size_t R = static_cast<size_t>(d.recordSize());
  size_t bi = 0, ri = 0;

  if (o.family == Family::kTgr41plus) {
    const size_t m = static_cast<size_t>(MarkerFamilyRecordSize(o.conductivity));
    auto record = [&](auto&& body) {
      size_t start = image.size();
      body();
      out.PadTo(start, R);
    };
    record([&] {
      out.Fill(0xFF, m - 1);
      out.U8(o.timeStamped ? 0xFB : 0xFD);
    });
    record([&] { out.U32(static_cast<uint32_t>(o.startTime)); });
    record([&] { out.U16(static_cast<uint32_t>(o.tideInterval)); });
    record([] {});
    for (size_t i = 0; i < d.tides.size(); ++i) {
      const TideSample& s = d.tides[i];
      record([&] {
        size_t start = image.size();
        out.U24(Clamp32(std::round(PressureNumberFor(s.pressure, c.M, c.B, corr)), 16777215.0));
        out.U16(Clamp32(o.alternateTemperature ? (s.temperature + 2.0) / 0.0005
                                               : (s.temperature + 10.0) / 0.001,
                        65535.0));
        if (o.conductivity) {
          double p = SeaPressureDbar(s.pressure);
          out.Fixed16_8(ConductivityFrequencyFor(s.conductivity, s.temperature, p, c.cond,
                                                 EffectiveConductivitySlope(c.cslope), 0.0));
        }
        out.PadTo(start, m);
        if (o.timeStamped) out.U32(static_cast<uint32_t>(s.time));
      });
      while (bi < d.bursts.size() && d.bursts[bi].afterTide == static_cast<int>(i)) {
        const Burst& b = d.bursts[bi++];
        const uint32_t n = static_cast<uint32_t>(b.pressure.size());
        double t;  // the temperature value the converter will read back
        if (o.strainGauge) {
          t = Quantize24_8(StrainTemperatureNumberFor(b.temperature, c.strain) / 0.256);
        } else {
          t = Quantize24_8(QuartzTemperatureFrequencyFor(b.temperature, c.quartz));
        }
        record([] {});  // all zeros: a burst begins
        record([&] {
          out.U32(static_cast<uint32_t>(b.startTime));
          out.U8(n >> 8);
        });
        record([&] {
          out.Fixed24_8(t);
          out.U8(n & 0xFF);
        });
        auto sample = [&](double psia) {
          if (o.strainGauge)
            return StrainPressureNumberFor(psia, t * 0.256, c.strain, c.offset, corr) / 32.0;
          return QuartzPressureFrequencyFor(psia, t, c.quartz, c.offset, corr);
        };
        for (uint32_t k = 0; k < n / 2; ++k) {
          out.Fixed16_8(sample(b.pressure[2 * k]));
          out.Fixed16_8(sample(b.pressure[2 * k + 1]));
        }
        record([&] { out.U32(static_cast<uint32_t>(b.startTime + n * o.samplePeriod)); });
      }
    }
    return image;
  }

  if (o.family == Family::kTgr77Bpr) {
    for (size_t i = 0; i < d.tides.size(); ++i) {
      const TideSample& s = d.tides[i];
      size_t start = image.size();
      const double x = std::round(ThermistorValueFor(s.temperature, c.ta));
      if (o.tsunami) {
        const uint32_t e = Clamp32(30000 + 100 * s.temperature, 65535.0);
        double F = 0, ep = 1;
        for (int k = 0; k < 7; ++k, ep *= e) F += c.fra[k] * ep;
        const uint32_t c1 = 4000000000u - static_cast<uint32_t>(i % 1000);
        const uint32_t c2 = 3999000000u - static_cast<uint32_t>(i % 777);
        const double ft = QuartzTemperatureFrequencyFor(s.temperature, c.quartz);
        const uint32_t tc = Clamp32(ft * c2 / (1536.0 * F), 4294967295.0);
        const double ftq = F * (tc * 1536.0 / c2);
        const double fp = QuartzPressureFrequencyFor(s.pressure, ftq, c.quartz, c.offset, corr);
        out.U32(c1);
        out.U32(Clamp32(fp * c1 / (256.0 * F), 4294967295.0));
        out.U32(c2);
        out.U32(tc);
        out.U16(e);
        out.U24(Clamp32(x, 16777215.0));
        out.U32(static_cast<uint32_t>(s.time));
      } else {
        const uint32_t ftRaw =
            Clamp32(QuartzTemperatureFrequencyFor(s.temperature, c.quartz) / 0.00008, 4294967295.0);
        const double ftq = ftRaw * 0.00008;
        out.U32(
            Clamp32(QuartzPressureFrequencyFor(s.pressure, ftq, c.quartz, c.offset, corr) / 0.00002,
                    4294967295.0));
        out.U32(ftRaw);
        out.U24(Clamp32(x, 16777215.0));
        out.U16(static_cast<uint32_t>(BprRecordInteger(static_cast<int>(i))));
        if (o.conductivity) {
          out.Fixed16_8(ConductivityFrequencyFor(s.conductivity, s.temperature,
                                                 SeaPressureDbar(s.pressure), c.cond,
                                                 EffectiveConductivitySlope(c.cslope), 0.0));
        }
        out.U32(static_cast<uint32_t>(s.time));
      }
      out.PadTo(start, R);
      while (ri < d.references.size() && d.references[ri].afterTide == static_cast<int>(i)) {
        const Reference& r = d.references[ri++];
        size_t rs = image.size();
        out.U32(0xFFFFFFFFu);
        out.U32(r.whole);
        out.U24(r.micro);
        out.U16(static_cast<uint32_t>(r.integer));
        out.PadTo(rs, (o.conductivity && !o.tsunami) ? R - 4 : 13);
        out.U32(static_cast<uint32_t>(r.time));
        out.PadTo(rs, R);
      }
    }
    return image;
  }

  // The TGR 41: 4-byte words.
  const bool version2 = std::fabs(LeadingNumber(o.firmware) - 2.0) < 1e-9;
  out.U32(0xFFFFFFFDu);
  out.U32(static_cast<uint32_t>(o.startTime));
  out.U16(static_cast<uint32_t>(o.tideInterval));
  out.U16(0);
  out.U32(0);
  const double A0 = d.file.Value(kSlotA0), A1 = d.file.Value(kSlotA1), A3 = d.file.Value(kSlotA3);
  for (size_t i = 0; i < d.tides.size(); ++i) {
    const TideSample& s = d.tides[i];
    const uint32_t pn =
        Clamp32(std::round(PressureNumberFor(s.pressure, c.M, c.B, corr)), 524287.0);
    const uint32_t tn =
        static_cast<uint32_t>(TidewellThermistorNumberFor(s.temperature, c.AI, c.XI, A0, A1, A3));
    out.U8(pn >> 11);
    out.U8((pn >> 3) & 0xFF);
    out.U8(((pn & 7) << 5) | (tn >> 8));
    out.U8(tn & 0xFF);
    if (o.conductivity) {
      out.Fixed24_8(ConductivityFrequencyFor(
          s.conductivity, s.temperature, SeaPressureDbar(s.pressure), d.file.Conductivity(),
          EffectiveConductivitySlope(d.file.Value(kSlotConductivitySlope)),
          d.file.Value(kSlotConductivityOffset)));
    }
    while (bi < d.bursts.size() && d.bursts[bi].afterTide == static_cast<int>(i)) {
      const Burst& b = d.bursts[bi++];
      out.U32(0);
      out.U32(static_cast<uint32_t>(std::fmod(b.startTime, kTidewellYearSeconds)));
      const double tv = Quantize16_8(QuartzTemperatureFrequencyFor(b.temperature, c.quartz) / 4.0);
      const double ft = tv * 4.0;
      auto sample = [&](size_t j) {
        out.Fixed16_8(QuartzPressureFrequencyFor(b.pressure[j], ft, c.quartz, c.offset, corr));
      };
      size_t j = 0;
      if (version2) {
        if (b.pressure.size() >= 3) {
          out.Fixed16_8(tv);
          for (; j < 3; ++j) sample(j);
        }
      } else {
        out.Fixed16_8(tv);
        out.U8(0);
      }
      for (; j + 4 <= b.pressure.size(); j += 4)
        for (size_t k = 0; k < 4; ++k) sample(j + k);
      out.U32(0xFFFFFFFFu);
    }
  }
  return image;
}

}  // namespace tidora::sim
