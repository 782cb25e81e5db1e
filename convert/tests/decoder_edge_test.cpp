// Edge cases of the record decoders, on upload files of the simulated recorder.
#include <gtest/gtest.h>

#include <cstdio>

#include "convert/hex_decoder.h"
#include "convert/tests/recording_sink.h"
#include "sim/recorder.h"
#include "sim/replies.h"
#include "sim/upload.h"

namespace tidora {
namespace {

using sim::Family;

struct Decoding {
  DecodeStatus status = DecodeStatus::kOk;
  testing::RecordingSink sink;
  CHexDecoder dec;
};

void DecodeText(const std::string& text, const sim::Deployment& d, Decoding& r,
                OutputModes modes = {}, const std::atomic<bool>* abort = nullptr) {
  HexLineReader in;
  in.OpenMemory(text);
  r.dec.Reset(d.file, d.options.startYear, modes);
  ASSERT_EQ(r.dec.ScanHeader(in), DecodeStatus::kOk);
  ASSERT_TRUE(r.dec.ReadCoefficients(in));
  r.dec.FindDataMarker(in);
  r.dec.ReadStartLines(in);
  r.status = r.dec.DecodeData(in, r.sink, abort, nullptr);
}

sim::Options Small(Family f) {
  sim::Options o;
  o.family = f;
  o.tideSamples = 12;
  o.samplesPerBurst = 16;
  o.referenceEvery = 4;
  return o;
}

std::string Upload(const sim::Deployment& d, std::vector<uint8_t> image) {
  return sim::UploadHeader(d.options.family, "/x.hex") + sim::StatusSection(sim::StatusReply(d)) +
         sim::CoefficientSection(sim::CoefficientReply(d)) +
         sim::ImageToHexLines(image.data(), image.size(), sim::LayoutOf(d));
}

TEST(DecoderEdges, BurstCountNotAMultipleOfFour) {
  sim::Options o = Small(Family::kTgr41plus);
  o.samplesPerBurst = 18;  // 9 sample lines: 4 whole rows, then one line is discarded
  sim::Deployment d = sim::Simulate(o);
  Decoding r;
  DecodeText(sim::UploadFileText(d, "/x.hex"), d, r);
  EXPECT_EQ(r.status, DecodeStatus::kEndOfFile);
  ASSERT_EQ(r.sink.headers.size(), 3u);
  EXPECT_EQ(r.sink.headers[1].firstRow, 4u);
  EXPECT_EQ(r.sink.rows.size(), 12u);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_NEAR(r.sink.rows[i][3], d.bursts[0].pressure[4 * i + 3], 3e-3);
  EXPECT_EQ(r.sink.headers[0].samples, 18);        // the header's count, not the rows'
  EXPECT_EQ(r.sink.tides.size(), d.tides.size());  // the closing records are no tide samples
}

// Every remainder of the sample count: the tide records stay the recorder's, and the next
// burst still starts where it should.
TEST(DecoderEdges, BurstClosingRecordIsNeverATideSample) {
  for (int n : {64, 65, 66, 67}) {
    SCOPED_TRACE(n);
    sim::Options o = Small(Family::kTgr41plus);
    o.samplesPerBurst = n;
    o.tideSamples = 8;
    o.bursts = 2;
    sim::Deployment d = sim::Simulate(o);
    Decoding r;
    DecodeText(sim::UploadFileText(d, "/x.hex"), d, r);
    EXPECT_EQ(r.status, DecodeStatus::kEndOfFile);
    ASSERT_EQ(r.sink.tides.size(), 8u);
    for (size_t i = 0; i < 8; ++i) EXPECT_NEAR(r.sink.tides[i].pressure, d.tides[i].pressure, 1e-3);
    ASSERT_EQ(r.sink.headers.size(), 2u);
    EXPECT_EQ(r.sink.rows.size(), 2u * (n / 4));
    EXPECT_NEAR(r.sink.headers[1].start, d.bursts[1].startTime, 0.5);
    EXPECT_NEAR(r.sink.rows.back()[3], d.bursts[1].pressure[4 * (n / 4) - 1], 3e-3);
  }
}

// The upload keeps the recorder's memory layout for every sample count: two samples a line
// (a last odd sample is not stored), then the burst's closing record.
TEST(DecoderEdges, SimulatedUploadStoresTwoSamplesALine) {
  for (int n : {64, 66, 67}) {
    SCOPED_TRACE(n);
    sim::Options o = Small(Family::kTgr41plus);
    o.samplesPerBurst = n;
    o.tideSamples = 4;
    o.bursts = 1;
    sim::Deployment d = sim::Simulate(o);
    std::string text = sim::UploadFileText(d, "/x.hex");
    std::vector<std::string> lines;
    for (size_t p = text.find(">DD\r\n"); p != std::string::npos;) {
      size_t e = text.find("\r\n", p + 1);
      if (e == std::string::npos) break;
      lines.push_back(text.substr(p + 1, e - p - 1));
      p = e + 1;
    }
    // DD, marker, start time, interval, skipped line, 4 tides, zero line, two start lines.
    const size_t firstSample = 1 + 4 + 4 + 3;
    ASSERT_GT(lines.size(), firstSample + n / 2);
    EXPECT_EQ(lines[firstSample - 3], "0000000000");
    for (size_t k = 0; k < static_cast<size_t>(n / 2); ++k)
      EXPECT_EQ(lines[firstSample + k].size(), 12u) << k;
    EXPECT_EQ(lines[firstSample + n / 2].size(), 10u);  // the closing record
  }
}

TEST(DecoderEdges, LowerCaseHexDigitsDecodeAsUpperCase) {
  EXPECT_EQ(HexByte("5d", 0), 0x5D);
  EXPECT_EQ(HexByte("aF", 0), 0xAF);
  for (Family f : {Family::kTgr41plus, Family::kTgr77Bpr, Family::kTgr41}) {
    SCOPED_TRACE(static_cast<int>(f));
    sim::Options o = Small(f);
    sim::Deployment d = sim::Simulate(o);
    std::string upper = sim::UploadFileText(d, "/x.hex");
    std::string lower = upper;
    // Only the data section: the header's words stay as they are.
    size_t data = lower.find(">DD\r\n");
    ASSERT_NE(data, std::string::npos);
    for (size_t i = data + 4; i < lower.size(); ++i)
      if (lower[i] >= 'A' && lower[i] <= 'F') lower[i] = static_cast<char>(lower[i] - 'A' + 'a');
    Decoding a, b;
    DecodeText(upper, d, a);
    DecodeText(lower, d, b);
    ASSERT_EQ(a.sink.tides.size(), b.sink.tides.size());
    ASSERT_FALSE(a.sink.tides.empty());
    for (size_t i = 0; i < a.sink.tides.size(); ++i)
      EXPECT_EQ(a.sink.tides[i].pressure, b.sink.tides[i].pressure);
    EXPECT_EQ(a.sink.rows, b.sink.rows);
    EXPECT_EQ(a.sink.referenceLines, b.sink.referenceLines);
  }
}

// Line ends of every kind read alike: a CR-only upload is no single line.
TEST(DecoderEdges, CarriageReturnOnlyUploadDecodesAlike) {
  for (Family f : {Family::kTgr41plus, Family::kTgr41}) {
    SCOPED_TRACE(static_cast<int>(f));
    sim::Deployment d = sim::Simulate(Small(f));
    std::string crlf = sim::UploadFileText(d, "/x.hex");
    std::string cr;
    for (size_t i = 0; i < crlf.size(); ++i) {
      if (crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n') continue;
      cr.push_back(crlf[i] == '\n' ? '\r' : crlf[i]);
    }
    Decoding a, b;
    DecodeText(crlf, d, a);
    DecodeText(cr, d, b);
    EXPECT_EQ(b.sink.tides.size(), d.tides.size());
    ASSERT_EQ(a.sink.tides.size(), b.sink.tides.size());
    EXPECT_EQ(a.sink.rows, b.sink.rows);
  }
}

// A header stating far more samples per burst than the bursts hold: every burst header gives
// the burst's own count, so no reader waits for samples that were never stored.
TEST(DecoderEdges, BurstHeadersGiveTheBurstsOwnCount) {
  for (Family f : {Family::kTgr41plus, Family::kTgr41}) {
    SCOPED_TRACE(static_cast<int>(f));
    sim::Options o = Small(f);
    o.samplesPerBurst = 1024;
    o.tideSamples = 8;
    sim::Deployment d = sim::Simulate(o);
    std::string text = sim::UploadFileText(d, "/x.hex");
    Decoding honest;
    DecodeText(text, d, honest);
    size_t p = text.find("1024 wave samples/burst");
    ASSERT_NE(p, std::string::npos);
    text.replace(p, 4, "2147483647");
    Decoding r;
    DecodeText(text, d, r);
    EXPECT_EQ(r.dec.Header().samplesPerBurst, 2147483647);
    ASSERT_EQ(r.sink.headers.size(), 2u);
    EXPECT_EQ(r.sink.rows, honest.sink.rows);
    for (size_t b = 0; b < 2; ++b) {
      const size_t end = b + 1 < r.sink.headers.size() ? r.sink.headers[b + 1].firstRow
                                                       : r.sink.rows.size();
      EXPECT_EQ(r.sink.headers[b].samples, 4 * static_cast<int>(end - r.sink.headers[b].firstRow));
      EXPECT_EQ(honest.sink.headers[b].samples, 1024);
    }
    EXPECT_EQ(r.dec.BurstCountMismatches(), 2);
    EXPECT_EQ(honest.dec.BurstCountMismatches(), 0);
    EXPECT_EQ(r.sink.tides.size(), 8u);
  }
}

TEST(DecoderEdges, MultipleTideRecordsStopTheRun) {
  for (bool stamped : {false, true}) {
    SCOPED_TRACE(stamped);
    sim::Options o = Small(Family::kTgr41plus);
    o.timeStamped = stamped;
    o.conductivity = stamped;
    sim::Deployment d = sim::Simulate(o);
    std::vector<uint8_t> image = sim::BuildMemoryImage(d);
    // A second recording follows the first: its marker ends the conversion.
    std::vector<uint8_t> second = image;
    image.insert(image.end(), second.begin(), second.end());
    Decoding r;
    DecodeText(Upload(d, image), d, r);
    EXPECT_EQ(r.status, DecodeStatus::kMultipleRecords);
    EXPECT_EQ(r.sink.tides.size(), d.tides.size());
  }
}

TEST(DecoderEdges, OverlongAndGarbledLinesAreReadSafely) {
  sim::Options o = Small(Family::kTgr41plus);
  sim::Deployment d = sim::Simulate(o);
  std::string text = sim::UploadFileText(d, "/x.hex");
  size_t at = text.rfind("S>");
  // 250 characters in one line: read as pieces of 99, 99 and 52, each a tide record.
  text.insert(at, std::string(250, '1') + "\r\nzz9g\r\nabcdefabcdef\r\n");
  Decoding r;
  DecodeText(text, d, r);
  EXPECT_EQ(r.status, DecodeStatus::kEndOfFile);
  EXPECT_EQ(r.sink.tides.size(), d.tides.size() + 4);
}

TEST(DecoderEdges, WriteFailureAndStopEndTheLoop) {
  sim::Deployment d = sim::Simulate(Small(Family::kTgr41plus));
  std::string text = sim::UploadFileText(d, "/x.hex");
  Decoding r;
  r.sink.failAfter = 3;
  DecodeText(text, d, r);
  EXPECT_EQ(r.status, DecodeStatus::kWriteError);
  EXPECT_EQ(r.sink.tides.size() + r.sink.headers.size() + r.sink.rows.size(), 4u);

  Decoding s;
  std::atomic<bool> abort{true};
  DecodeText(text, d, s, {}, &abort);
  EXPECT_EQ(s.status, DecodeStatus::kStopped);
  EXPECT_TRUE(s.sink.tides.empty());
}

TEST(DecoderEdges, BprFrequencyLayout) {
  sim::Options o = Small(Family::kTgr77Bpr);
  o.conductivity = true;
  sim::Deployment d = sim::Simulate(o);
  Decoding r;
  OutputModes m;
  m.bpr = BprLayout::kFrequencies;
  DecodeText(sim::UploadFileText(d, "/x.hex"), d, r, m);
  ASSERT_EQ(r.sink.tideLines.size(), d.tides.size());
  EXPECT_TRUE(r.sink.tides.empty());
  EXPECT_EQ(r.sink.referenceLines.size(), d.references.size());
  for (size_t i = 0; i < d.tides.size(); ++i) {
    const std::string& line = r.sink.tideLines[i];
    long n;
    int mo, da, yr, hh, mi, ss, integer;
    double fp, ft, p, t, c, s;
    ASSERT_EQ(std::sscanf(line.c_str(), "%ld %d/%d/%d %d:%d:%d%lf%lf%lf%lf%d%lf%lf", &n, &mo, &da,
                          &yr, &hh, &mi, &ss, &fp, &ft, &p, &t, &integer, &c, &s),
              14)
        << line;
    EXPECT_EQ(n, static_cast<long>(i + 1));
    EXPECT_EQ(line.size(), 6u + 3 + 19 + 15 + 15 + 13 + 13 + 7 + 11 + 11);
    EXPECT_NEAR(p, d.tides[i].pressure, 1e-4);
    EXPECT_NEAR(t, d.tides[i].temperature, 2e-3);
    EXPECT_EQ(integer, sim::BprRecordInteger(static_cast<int>(i)));
    EXPECT_GT(fp, 30000);
    EXPECT_GT(ft, 150000);
    EXPECT_NEAR(c, d.tides[i].conductivity, 1e-4);
  }
}

TEST(DecoderEdges, TsunamiLayouts) {
  sim::Options o = Small(Family::kTgr77Bpr);
  o.tsunami = true;
  sim::Deployment d = sim::Simulate(o);
  std::string text = sim::UploadFileText(d, "/x.hex");
  for (BprLayout layout : {BprLayout::kFrequencies, BprLayout::kRawCounts}) {
    Decoding r;
    OutputModes m;
    m.bpr = layout;
    DecodeText(text, d, r, m);
    ASSERT_EQ(r.sink.tideLines.size(), d.tides.size());
    EXPECT_EQ(r.sink.referenceLines.size(), d.references.size());
    const std::string& line = r.sink.tideLines[0];
    double fp, ft, p, tq, tth, F;
    int e;
    if (layout == BprLayout::kFrequencies) {
      long n;
      int mo, da, yr, hh, mi, ss;
      ASSERT_EQ(std::sscanf(line.c_str(), "%ld %d/%d/%d %d:%d:%d%d%lf%lf%lf%lf%lf%lf", &n, &mo, &da,
                            &yr, &hh, &mi, &ss, &e, &F, &fp, &ft, &p, &tq, &tth),
                14)
          << line;
      EXPECT_EQ(n, 1);
      EXPECT_NEAR(F, 250000 + 0.01 * e + 1e-8 * e * e, 1e-3);
    } else {
      long c1, pc, c2, tc;
      int mo, da, yr, hh, mi, ss;
      ASSERT_EQ(
          std::sscanf(line.c_str(), "%ld %ld %ld %ld %d %lf%lf%lf%lf%lf %d/%d/%d %d:%d:%d", &c1,
                      &pc, &c2, &tc, &e, &fp, &ft, &p, &tq, &tth, &mo, &da, &yr, &hh, &mi, &ss),
          16)
          << line;
      EXPECT_EQ(c1, 4000000000L);
      F = 250000 + 0.01 * e + 1e-8 * e * e;
      EXPECT_NEAR(fp, F * (pc * 256.0 / c1), 1e-6);
      EXPECT_EQ(yr, 2026);
    }
    EXPECT_NEAR(p, d.tides[0].pressure, 0.02);
    EXPECT_NEAR(tth, d.tides[0].temperature, 2e-3);
    EXPECT_NEAR(tq, d.tides[0].temperature, 0.01);
  }
}

TEST(DecoderEdges, TidewellVoltageSwitch) {
  sim::Options o = Small(Family::kTgr41);
  sim::Deployment d = sim::Simulate(o);
  Decoding r;
  OutputModes m;
  m.thermistorVoltage = true;
  DecodeText(sim::UploadFileText(d, "/x.hex"), d, r, m);
  ASSERT_EQ(r.sink.tides.size(), d.tides.size());
  // About -1 V at 12 degC through the simulated bridge; a temperature would read near 12.
  EXPECT_LT(r.sink.tides[0].temperature, 0.0);
  EXPECT_GT(r.sink.tides[0].temperature, -5.0);
}

}  // namespace
}  // namespace tidora
