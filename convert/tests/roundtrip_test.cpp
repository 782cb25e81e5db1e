// Physical values -> simulated recorder memory -> upload file -> decoding give back the
// physical values within the resolution of each sensor and record layout.
#include <gtest/gtest.h>

#include <cmath>

#include "convert/hex_decoder.h"
#include "convert/recorder_time.h"
#include "convert/tests/recording_sink.h"
#include "convert/tests/variants.h"
#include "sim/recorder.h"
#include "sim/upload.h"

namespace tidora {
namespace {

using sim::Family;
using testing::Base;
using testing::Variant;
using testing::Variants;

struct Decoded {
  DecodeStatus status;
  testing::RecordingSink sink;
  HeaderState header;
  bool coefficientsOk;
};

void Decode(const sim::Deployment& d, Decoded& out, OutputModes modes = {},
            sim::UploadMethod method = sim::UploadMethod::kBinary) {
  std::string text = sim::UploadFileText(d, "/tmp/x.hex", method);
  HexLineReader in;
  in.OpenMemory(text);
  CHexDecoder dec;
  dec.Reset(d.file, d.options.startYear, modes);
  ASSERT_EQ(dec.ScanHeader(in), DecodeStatus::kOk);
  out.coefficientsOk = dec.ReadCoefficients(in);
  dec.FindDataMarker(in);
  dec.ReadStartLines(in);
  dec.ApplyWaveRateFix();
  out.status = dec.DecodeData(in, out.sink, nullptr, nullptr);
  out.header = dec.Header();
}

TEST(RoundTrip, EveryFamilyAndVariant) {
  for (const Variant& v : Variants()) {
    SCOPED_TRACE(v.name);
    sim::Deployment d = sim::Simulate(v.options);
    Decoded r;
    Decode(d, r);
    ASSERT_TRUE(r.coefficientsOk);
    EXPECT_EQ(r.status, DecodeStatus::kEndOfFile);
    const auto& o = d.options;
    EXPECT_EQ(r.header.conductivity, o.conductivity);
    EXPECT_EQ(r.header.strainGauge, o.strainGauge);
    EXPECT_EQ(r.header.timeStamped, o.timeStamped);
    EXPECT_EQ(r.header.tsunami, o.tsunami);
    EXPECT_EQ(r.header.alternateTemperature, o.alternateTemperature);
    EXPECT_EQ(r.header.recordLength,
              d.recordSize() == 4 ? (o.conductivity ? 8 : 5) : d.recordSize());

    ASSERT_EQ(r.sink.tides.size(), d.tides.size());
    for (size_t i = 0; i < d.tides.size(); ++i) {
      SCOPED_TRACE(i);
      const auto& got = r.sink.tides[i];
      const auto& want = d.tides[i];
      EXPECT_EQ(got.number, static_cast<long>(i + 1));
      EXPECT_NEAR(got.pressure, want.pressure, v.pressureTol);
      EXPECT_NEAR(got.temperature, want.temperature, v.temperatureTol);
      EXPECT_EQ(got.decimals,
                o.family == Family::kTgr41
                    ? 3
                    : (o.alternateTemperature || o.family == Family::kTgr77Bpr ? 4 : 3));
      std::tm t = o.family == Family::kTgr41 ? TidewellTimeToTm(want.time, d.tides[0].time)
                                             : Time2000ToTm(want.time);
      EXPECT_EQ(got.t.tm_year, t.tm_year);
      EXPECT_EQ(got.t.tm_mon, t.tm_mon);
      EXPECT_EQ(got.t.tm_mday, t.tm_mday);
      EXPECT_EQ(got.t.tm_hour * 3600 + got.t.tm_min * 60 + got.t.tm_sec,
                t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec);
      EXPECT_EQ(got.hasConductivity, o.conductivity && !o.tsunami);
      if (got.hasConductivity) {
        EXPECT_NEAR(got.conductivity, want.conductivity, 1e-4);
        double p = SeaPressureDbar(want.pressure);
        // At a fixed conductivity salinity moves almost one unit per degree: the thermistor's
        // resolution carries into it.
        EXPECT_NEAR(got.salinity, SalinityFromConductivity(want.conductivity, want.temperature, p),
                    2e-3 + v.temperatureTol);
        EXPECT_NEAR(got.salinity,
                    SalinityFromConductivity(got.conductivity, got.temperature,
                                             SeaPressureDbar(got.pressure)),
                    1e-9);
        EXPECT_GT(got.salinity, 30.0);
      }
    }

    ASSERT_EQ(r.sink.headers.size(), d.bursts.size());
    for (size_t b = 0; b < d.bursts.size(); ++b) {
      SCOPED_TRACE(b);
      const auto& h = r.sink.headers[b];
      const auto& want = d.bursts[b];
      EXPECT_EQ(h.burst, static_cast<int>(b));
      EXPECT_EQ(h.start, want.startTime);
      EXPECT_DOUBLE_EQ(h.period, o.samplePeriod);
      EXPECT_EQ(h.samples, o.samplesPerBurst);
      size_t end =
          b + 1 < r.sink.headers.size() ? r.sink.headers[b + 1].firstRow : r.sink.rows.size();
      std::vector<double> got;
      for (size_t i = h.firstRow; i < end; ++i)
        got.insert(got.end(), r.sink.rows[i].begin(), r.sink.rows[i].end());
      std::vector<double> expect = want.pressure;
      if (o.family == Family::kTgr41 && o.firmware == "2.0")
        expect.insert(expect.begin(), expect[0]);
      expect.resize(expect.size() / 4 * 4);
      ASSERT_EQ(got.size(), expect.size());
      for (size_t i = 0; i < got.size(); ++i) ASSERT_NEAR(got[i], expect[i], v.burstTol) << i;
    }

    ASSERT_EQ(r.sink.referenceLines.size(), d.references.size());
    for (size_t k = 0; k < d.references.size(); ++k) {
      const auto& ref = d.references[k];
      char buf[128];
      std::tm t = Time2000ToTm(ref.time);
      std::snprintf(buf, sizeof buf, "%6ld   %02d/%02d/%04d %02d:%02d:%02d %13.6f  %d",
                    static_cast<long>(k + 1), t.tm_mon + 1, t.tm_mday, t.tm_year + 1900, t.tm_hour,
                    t.tm_min, t.tm_sec, ref.whole + ref.micro * 1e-6, ref.integer);
      EXPECT_EQ(r.sink.referenceLines[k], buf);
    }
  }
}

TEST(RoundTrip, AsciiDumpReadsAsTheBinaryImage) {
  for (Family f : {Family::kTgr41plus, Family::kTgr77Bpr}) {
    sim::Deployment d = sim::Simulate(Base(f));
    Decoded a, b;
    Decode(d, a, {}, sim::UploadMethod::kAscii);
    Decode(d, b, {}, sim::UploadMethod::kBinary);
    ASSERT_EQ(a.sink.tides.size(), d.tides.size());
    ASSERT_EQ(a.sink.rows, b.sink.rows);
    for (size_t i = 0; i < d.tides.size(); ++i)
      EXPECT_EQ(a.sink.tides[i].pressure, b.sink.tides[i].pressure);
  }
}

TEST(RoundTrip, ProgressRangeMatchesTheDataLines) {
  sim::Options o = Base(Family::kTgr41plus);
  sim::Deployment d = sim::Simulate(o);
  Decoded r;
  Decode(d, r);
  EXPECT_EQ(r.header.measurements, o.tideSamples);
  EXPECT_EQ(r.header.bursts, static_cast<int>(d.bursts.size()));
  EXPECT_EQ(r.header.ProgressTotal(),
            o.tideSamples + static_cast<int>(d.bursts.size()) * (64 / 2 + 4));
}

}  // namespace
}  // namespace tidora
