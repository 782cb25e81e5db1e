// The converter's files are byte for byte those the data file writers make of the same
// decoded records, for every family, variant and output switch, whole or damaged.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "convert/converter.h"
#include "convert/tests/variants.h"
#include "datafile/writers.h"
#include "sim/upload.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ReadFile;

// Hands the decoded records to the data file writers.
class WriterSink : public ConvertSink {
 public:
  TideFileWriter tide;
  WaveBurstFileWriter wave;
  BufferedOutput reference;

  bool TideRecord(long n, const std::tm& t, double p, double temp, int dec) override {
    return tide.WriteRecord(n, t, p, temp, dec);
  }
  bool TideRecord(long n, const std::tm& t, double p, double temp, int dec, double c,
                  double s) override {
    return tide.WriteRecord(n, t, p, temp, dec, c, s);
  }
  bool TideLine(const std::string& text) override { return tide.WriteLine(text); }
  bool BurstHeader(int b, double start, double period, int samples) override {
    return wave.WriteBurstHeader(b, start, period, samples);
  }
  bool BurstRow(double a, double b, double c, double d) override {
    return wave.WriteRow(a, b, c, d);
  }
  bool ReferenceLine(const std::string& text) override { return reference.WriteLine(text); }
};

struct Files {
  std::string tide, wave, reference;
};

// The conversion's steps with the writers for output.
Files ThroughWriters(const std::string& hex, const CoefficientFile& file, int startYear,
                     const OutputModes& modes, const testing::TempDir& dir) {
  HexLineReader in;
  EXPECT_TRUE(in.Open(hex));
  CHexDecoder dec;
  dec.Reset(file, startYear, modes);
  EXPECT_EQ(dec.ScanHeader(in), DecodeStatus::kOk);
  EXPECT_TRUE(dec.ReadCoefficients(in));
  dec.FindDataMarker(in);
  const bool bpr = dec.Header().family == InstrumentFamily::kTgr77Bpr;
  WriterSink sink;
  const Files paths{dir.file("w.tid"), dir.file("w.wb"), dir.file("w.ref")};
  EXPECT_TRUE(sink.tide.Open(paths.tide));
  if (bpr) {
    EXPECT_TRUE(sink.reference.Open(paths.reference));
  } else {
    EXPECT_TRUE(sink.wave.Open(paths.wave));
  }
  if (dec.Header().family == InstrumentFamily::kTgr41plus) sink.wave.WriteIdentification();
  dec.ReadStartLines(in);
  dec.ApplyWaveRateFix();
  const DecodeStatus st = dec.DecodeData(in, sink, nullptr, nullptr);
  EXPECT_TRUE(st == DecodeStatus::kEndOfFile || st == DecodeStatus::kMultipleRecords);
  sink.tide.Close();
  sink.wave.Close();
  sink.reference.Close();
  Files out{ReadFile(paths.tide), bpr ? "" : ReadFile(paths.wave),
            bpr ? ReadFile(paths.reference) : ""};
  return out;
}

// Compares the converter's files with the writers' for an upload; false when the converter
// did not finish (a second data marker in a damaged upload).
bool ConvertsAsTheWriters(const std::string& text, const sim::Deployment& d,
                          const OutputModes& modes) {
  testing::TempDir dir;
  const std::string hex = dir.file("a.hex");
  testing::WriteFile(hex, text);
  ScriptedInteraction ui;
  CHexConverter converter(ui);
  ConvertRequest r{hex, dir.file("a.tid"), dir.file("a.wb"), d.options.startYear, modes};
  const ConvertSummary s = converter.RunNow(r, d.file);
  if (s.outcome != ConvertOutcome::kFinished) return false;
  const Files want = ThroughWriters(hex, d.file, d.options.startYear, modes, dir);
  EXPECT_FALSE(want.tide.empty());
  EXPECT_EQ(ReadFile(r.tide), want.tide);
  if (d.options.family == sim::Family::kTgr77Bpr) {
    EXPECT_EQ(ReadFile(CHexConverter::ReferencePath(r.tide)), want.reference);
  } else {
    EXPECT_EQ(ReadFile(r.wave), want.wave);
  }
  return true;
}

// No switch, and each switch that changes the family's files.
std::vector<OutputModes> EveryOutputSwitch(sim::Family family) {
  std::vector<OutputModes> modes(1);
  if (family == sim::Family::kTgr41) {
    modes.emplace_back().thermistorVoltage = true;
  } else if (family == sim::Family::kTgr77Bpr) {
    modes.emplace_back().bpr = BprLayout::kFrequencies;
    modes.emplace_back().bpr = BprLayout::kRawCounts;
  }
  return modes;
}

TEST(OutputIdentity, EveryFamilyVariantAndSwitchWritesWhatTheWritersWrite) {
  for (const testing::Variant& v : testing::Variants()) {
    SCOPED_TRACE(v.name);
    const sim::Deployment d = sim::Simulate(v.options);
    for (sim::UploadMethod method : {sim::UploadMethod::kBinary, sim::UploadMethod::kAscii}) {
      const std::string text = sim::UploadFileText(d, "/tmp/a.hex", method);
      for (const OutputModes& m : EveryOutputSwitch(v.options.family))
        EXPECT_TRUE(ConvertsAsTheWriters(text, d, m));
    }
  }
}

// Data lines with random digits (values far out of range, sentinels, NaN) and uploads cut at
// any point still give the writers' bytes.
TEST(OutputIdentity, DamagedUploadsWriteWhatTheWritersWrite) {
  std::mt19937 rng(5);
  int finished = 0;
  for (const testing::Variant& v : testing::Variants()) {
    SCOPED_TRACE(v.name);
    const sim::Deployment d = sim::Simulate(v.options);
    const std::string whole = sim::UploadFileText(d, "/tmp/a.hex");
    // The data begin after the last header line.
    const size_t data = whole.find('\n', whole.rfind("\n*") + 1) + 1;
    for (int round = 0; round < 4; ++round) {
      std::string text = whole;
      std::uniform_int_distribution<size_t> at(data + 200, text.size() - 1);
      for (int k = 0; k < 40; ++k) {
        const size_t p = at(rng);
        if (std::isxdigit(static_cast<unsigned char>(text[p])))
          text[p] = "0123456789ABCDEFabcdef"[rng() % 22];
      }
      if (round % 2 == 1) text.resize(at(rng));
      for (const OutputModes& m : EveryOutputSwitch(v.options.family))
        if (ConvertsAsTheWriters(text, d, m)) ++finished;
    }
  }
  // A damaged line rarely looks like a second data marker: nearly every upload converted.
  EXPECT_GT(finished, 4 * static_cast<int>(testing::Variants().size()) * 3 / 4);
}

}  // namespace
}  // namespace tidora
