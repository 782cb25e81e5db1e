// The simulated recorder's memory image, written record by record the way each family writes
// its memory.
#include <cmath>

#include "convert/calibration.h"
#include "convert/recorder_time.h"
#include "datafile/textio.h"
#include "sim/recorder.h"

namespace tidora::sim {
namespace {

uint32_t Clamp32(double v, double hi) {
  if (!(v > 0)) return 0;
  if (v > hi) return static_cast<uint32_t>(hi);
  return static_cast<uint32_t>(std::llround(v));
}

double Quantize16_8(double v) {
  return Clamp32(v * 256.0, 16777215.0) / 256.0;
}
double Quantize24_8(double v) {
  return Clamp32(v * 256.0, 4294967295.0) / 256.0;
}

// Big-endian fields appended to the image.
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
  // A record of `size` bytes: what `body` writes, padded with zeros.
  template <class Body>
  void Record(size_t size, Body&& body) {
    size_t start = out.size();
    body();
    PadTo(start, size);
  }
};

// A TGR 41plus wave burst: a zero record, two start records whose last bytes count the
// samples, two samples a line, and the closing record with the end time.
void MarkerFamilyBurst(const Deployment& d, const Burst& b, Bytes& out) {
  const Options& o = d.options;
  const HeaderCoefficients& c = d.coef;
  const PressureCorrection corr = d.file.Pressure();
  const size_t R = static_cast<size_t>(d.recordSize());
  const uint32_t n = static_cast<uint32_t>(b.pressure.size());
  double t;  // the temperature value the converter will read back
  if (o.strainGauge) {
    t = Quantize24_8(StrainTemperatureNumberFor(b.temperature, c.strain) / 0.256);
  } else {
    t = Quantize24_8(QuartzTemperatureFrequencyFor(b.temperature, c.quartz));
  }
  out.Record(R, [] {});  // all zeros: a burst begins
  out.Record(R, [&] {
    out.U32(static_cast<uint32_t>(b.startTime));
    out.U8(n >> 8);
  });
  out.Record(R, [&] {
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
  out.Record(R, [&] { out.U32(static_cast<uint32_t>(b.startTime + n * o.samplePeriod)); });
}

// The TGR 41plus: the marker, start time and interval records, then the tide records with the
// wave bursts after the tide samples they follow.
void MarkerFamilyImage(const Deployment& d, Bytes& out) {
  const Options& o = d.options;
  const HeaderCoefficients& c = d.coef;
  const PressureCorrection corr = d.file.Pressure();
  const size_t R = static_cast<size_t>(d.recordSize());
  const size_t m = static_cast<size_t>(MarkerFamilyRecordSize(o.conductivity));
  out.Record(R, [&] {
    out.Fill(0xFF, m - 1);
    out.U8(o.timeStamped ? 0xFB : 0xFD);
  });
  out.Record(R, [&] { out.U32(static_cast<uint32_t>(o.startTime)); });
  out.Record(R, [&] { out.U16(static_cast<uint32_t>(o.tideInterval)); });
  out.Record(R, [] {});
  size_t bi = 0;
  for (size_t i = 0; i < d.tides.size(); ++i) {
    const TideSample& s = d.tides[i];
    out.Record(R, [&] {
      size_t start = out.out.size();
      out.U24(Clamp32(std::round(PressureNumberFor(s.pressure, c.M, c.B, corr)), 16777215.0));
      out.U16(Clamp32(
          o.alternateTemperature ? (s.temperature + 2.0) / 0.0005 : (s.temperature + 10.0) / 0.001,
          65535.0));
      if (o.conductivity) {
        double p = SeaPressureDbar(s.pressure);
        out.Fixed16_8(ConductivityFrequencyFor(s.conductivity, s.temperature, p, c.cond,
                                               EffectiveConductivitySlope(c.cslope), 0.0));
      }
      out.PadTo(start, m);
      if (o.timeStamped) out.U32(static_cast<uint32_t>(s.time));
    });
    while (bi < d.bursts.size() && d.bursts[bi].afterTide == static_cast<int>(i))
      MarkerFamilyBurst(d, d.bursts[bi++], out);
  }
}

// A TGR 77 BPR tide record in its tsunami demonstration: counts of both quartz sensors against
// their reference counts, the frequency ratio's temperature word and the thermistor.
void BprTsunamiRecord(const Deployment& d, size_t i, Bytes& out) {
  const HeaderCoefficients& c = d.coef;
  const TideSample& s = d.tides[i];
  const double x = std::round(ThermistorValueFor(s.temperature, c.ta));
  const uint32_t e = Clamp32(30000 + 100 * s.temperature, 65535.0);
  double F = 0, ep = 1;
  for (int k = 0; k < 7; ++k, ep *= e) F += c.fra[k] * ep;
  const uint32_t c1 = 4000000000u - static_cast<uint32_t>(i % 1000);
  const uint32_t c2 = 3999000000u - static_cast<uint32_t>(i % 777);
  const double ft = QuartzTemperatureFrequencyFor(s.temperature, c.quartz);
  const uint32_t tc = Clamp32(ft * c2 / (1536.0 * F), 4294967295.0);
  const double ftq = F * (tc * 1536.0 / c2);
  const double fp =
      QuartzPressureFrequencyFor(s.pressure, ftq, c.quartz, c.offset, d.file.Pressure());
  out.U32(c1);
  out.U32(Clamp32(fp * c1 / (256.0 * F), 4294967295.0));
  out.U32(c2);
  out.U32(tc);
  out.U16(e);
  out.U24(Clamp32(x, 16777215.0));
  out.U32(static_cast<uint32_t>(s.time));
}

// A standard TGR 77 BPR tide record: both quartz frequencies, the thermistor, the record's
// integer and, with conductivity, its frequency.
void BprRecord(const Deployment& d, size_t i, Bytes& out) {
  const HeaderCoefficients& c = d.coef;
  const TideSample& s = d.tides[i];
  const double x = std::round(ThermistorValueFor(s.temperature, c.ta));
  const uint32_t ftRaw =
      Clamp32(QuartzTemperatureFrequencyFor(s.temperature, c.quartz) / 0.00008, 4294967295.0);
  const double ftq = ftRaw * 0.00008;
  out.U32(Clamp32(
      QuartzPressureFrequencyFor(s.pressure, ftq, c.quartz, c.offset, d.file.Pressure()) / 0.00002,
      4294967295.0));
  out.U32(ftRaw);
  out.U24(Clamp32(x, 16777215.0));
  out.U16(static_cast<uint32_t>(BprRecordInteger(static_cast<int>(i))));
  if (d.options.conductivity) {
    out.Fixed16_8(ConductivityFrequencyFor(s.conductivity, s.temperature,
                                           SeaPressureDbar(s.pressure), c.cond,
                                           EffectiveConductivitySlope(c.cslope), 0.0));
  }
  out.U32(static_cast<uint32_t>(s.time));
}

// The TGR 77 BPR: fixed records, with a reference record after every so many tide samples.
void BprImage(const Deployment& d, Bytes& out) {
  const Options& o = d.options;
  const size_t R = static_cast<size_t>(d.recordSize());
  size_t ri = 0;
  for (size_t i = 0; i < d.tides.size(); ++i) {
    out.Record(R, [&] { o.tsunami ? BprTsunamiRecord(d, i, out) : BprRecord(d, i, out); });
    while (ri < d.references.size() && d.references[ri].afterTide == static_cast<int>(i)) {
      const Reference& r = d.references[ri++];
      size_t rs = out.out.size();
      out.U32(0xFFFFFFFFu);
      out.U32(r.whole);
      out.U24(r.micro);
      out.U16(static_cast<uint32_t>(r.integer));
      out.PadTo(rs, (o.conductivity && !o.tsunami) ? R - 4 : 13);
      out.U32(static_cast<uint32_t>(r.time));
      out.PadTo(rs, R);
    }
  }
}

// A TGR 41 wave burst: a zero word, the start time in the recorder's year, the temperature
// frequency (firmware 2.0: with the first three samples), the samples four to a group, and the
// closing word.
void Tgr41Burst(const Deployment& d, const Burst& b, Bytes& out) {
  const Options& o = d.options;
  const HeaderCoefficients& c = d.coef;
  const PressureCorrection corr = d.file.Pressure();
  const bool version2 = std::fabs(LeadingNumber(o.firmware) - 2.0) < 1e-9;
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

// The TGR 41: 4-byte words; a tide word packs the pressure and thermistor numbers.
void Tgr41Image(const Deployment& d, Bytes& out) {
  const Options& o = d.options;
  const HeaderCoefficients& c = d.coef;
  const PressureCorrection corr = d.file.Pressure();
  out.U32(0xFFFFFFFDu);
  out.U32(static_cast<uint32_t>(o.startTime));
  out.U16(static_cast<uint32_t>(o.tideInterval));
  out.U16(0);
  out.U32(0);
  const double A0 = d.file.Value(kSlotA0), A1 = d.file.Value(kSlotA1), A3 = d.file.Value(kSlotA3);
  size_t bi = 0;
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
    while (bi < d.bursts.size() && d.bursts[bi].afterTide == static_cast<int>(i))
      Tgr41Burst(d, d.bursts[bi++], out);
  }
}

}  // namespace

std::vector<uint8_t> BuildMemoryImage(const Deployment& d) {
  std::vector<uint8_t> image;
  Bytes out{image};
  switch (d.options.family) {
    case Family::kTgr41plus:
      MarkerFamilyImage(d, out);
      break;
    case Family::kTgr77Bpr:
      BprImage(d, out);
      break;
    case Family::kTgr41:
      Tgr41Image(d, out);
      break;
  }
  return image;
}

}  // namespace tidora::sim
