// The conversion run: its start checks, messages, status lines, progress, output files and
// its worker thread.
#include <gtest/gtest.h>

#include <future>

#include "convert/converter.h"
#include "outside/utility.h"
#include "sim/recorder.h"
#include "sim/upload.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempHome;

struct Fixture : ::testing::Test {
  TempHome home;
  ScriptedInteraction ui;

  ConvertRequest Prepare(const sim::Options& o, const std::string& name = "a") {
    sim::Deployment d = sim::Simulate(o);
    ConvertRequest r;
    r.input = home.file(name + ".hex");
    r.tide = home.file(name + ".tid");
    r.wave = home.file(name + ".wb");
    EXPECT_TRUE(sim::WriteUploadFile(d, r.input));
    EXPECT_TRUE(sim::WriteCoefficients(d, CoefficientFilePath()));
    return r;
  }
  ConvertSummary Convert(const ConvertRequest& r) {
    CHexConverter c(ui);
    EXPECT_EQ(c.Start(r), ConvertStart::kStarted);
    return c.Wait();
  }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : ui.Messages()) out.push_back(m.text);
    return out;
  }
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find("\r\n", p);
    if (e == std::string::npos) {
      out.push_back(text.substr(p));
      break;
    }
    out.push_back(text.substr(p, e - p));
    p = e + 2;
  }
  return out;
}

sim::Options Small(sim::Family f) {
  sim::Options o;
  o.family = f;
  o.tideSamples = 20;
  o.samplesPerBurst = 32;
  o.referenceEvery = 7;
  return o;
}

TEST_F(Fixture, CoefficientFileIsReadStrictlyBeforeARun) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  CHexConverter c(ui);
  std::remove(CoefficientFilePath().c_str());
  EXPECT_EQ(c.Start(r), ConvertStart::kCoefficientFileMissing);
  testing::WriteFile(CoefficientFilePath(), "/\nCOM1\n9600\n9600\n1\n");
  EXPECT_EQ(c.Start(r), ConvertStart::kCoefficientFileShort);
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{kMsgCannotOpenCoefficients, kMsgShortCoefficients}));
  EXPECT_FALSE(IsFile(r.tide));
}

TEST_F(Fixture, InvalidNamesAndInputs) {
  ConvertRequest good = Prepare(Small(sim::Family::kTgr77Bpr));
  struct Case {
    const char* name;
    ConvertRequest r;
    const char* message;
  };
  ConvertRequest noTide = good, missing = good, folder = good;
  noTide.tide.clear();  // even for a recorder that writes no wave file
  missing.input = home.file("none.hex");
  folder.input = home.path();
  const std::string folderText = home.path() + " is a folder, not an upload file";
  for (const Case& c : {Case{"no tide", noTide, kMsgFileNamesInvalid},
                        Case{"missing", missing, kMsgCannotOpenInput},
                        Case{"folder", folder, folderText.c_str()}}) {
    SCOPED_TRACE(c.name);
    ui.Clear();
    ConvertSummary s = Convert(c.r);
    EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(ui.LastStatus(), kStatusAborted);
  }
  ConvertRequest out = good;
  out.tide = home.file("no/such/dir/a.tid");
  ui.Clear();
  EXPECT_EQ(Convert(out).outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgCannotOpenOutput});
}

TEST_F(Fixture, NoIdentificationWritesNothing) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  testing::WriteFile(r.input, "*Brennic TGR 41plus Data File:\n*FileName = x\n0102030405\r\n");
  EXPECT_EQ(Convert(r).outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgNoInstrument});
  EXPECT_FALSE(IsFile(r.tide));
  EXPECT_FALSE(IsFile(r.wave));
}

TEST_F(Fixture, Tgr41plusRunWritesBothFiles) {
  sim::Options o = Small(sim::Family::kTgr41plus);
  o.conductivity = true;
  ConvertRequest r = Prepare(o);
  ConvertSummary s = Convert(r);
  ASSERT_EQ(s.outcome, ConvertOutcome::kFinished);
  EXPECT_TRUE(ui.Messages().empty());
  std::vector<std::string> st = ui.StatusTexts();
  ASSERT_GE(st.size(), 2u);
  EXPECT_EQ(st.front(), kStatusConverting);
  EXPECT_EQ(st.back(), kStatusFinished);
  EXPECT_EQ(s.progressTotal, 20 + 5 * (16 + 4));
  bool ranged = false;
  for (const auto& rec : ui.Records())
    if (rec.kind == ScriptedInteraction::Record::kProgressRange)
      ranged = rec.a == 0 && rec.b == s.progressTotal;
  EXPECT_TRUE(ranged);

  auto tid = Lines(ReadFile(r.tide));
  ASSERT_EQ(tid.size(), 20u);
  EXPECT_EQ(tid[0].size(), 6u + 3 + 19 + 4 * 11);
  EXPECT_EQ(tid[0].substr(0, 31), "     1   06/01/2026 00:00:00   ");
  EXPECT_EQ(tid[19].substr(0, 28), "    20   06/01/2026 04:45:00");
  std::string wb = ReadFile(r.wave);
  auto rows = Lines(wb);
  EXPECT_EQ(rows[0], "TGR 41plus");
  EXPECT_EQ(rows[1].substr(0, 7), "*    0 ");
  EXPECT_NE(rows[1].find("   0.25  32"), std::string::npos);
  EXPECT_EQ(rows.size(), 1u + 5 * (1 + 8));
  EXPECT_EQ(rows[2].size() + 2, 62u);
  EXPECT_EQ(s.bursts, 5);
  EXPECT_FALSE(IsFile(CHexConverter::ReferencePath(r.tide)));
}

TEST_F(Fixture, ReportsForADialog) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  std::vector<ConvertReport> reports;
  CHexConverter c(ui);
  c.SetReportHandler([&](ConvertReport x) { reports.push_back(x); });
  ASSERT_EQ(c.Start(r), ConvertStart::kStarted);
  c.Wait();
  EXPECT_EQ(reports,
            (std::vector<ConvertReport>{ConvertReport::kConverting, ConvertReport::kFinished}));
  reports.clear();
  r.wave.clear();
  ASSERT_EQ(c.Start(r), ConvertStart::kStarted);
  c.Wait();
  EXPECT_EQ(reports, std::vector<ConvertReport>{ConvertReport::kFileNamesInvalid});
  std::string tide, wave;
  CHexConverter::OutputPathsFor("/d/run.1/deploy.hex", tide, wave);
  EXPECT_EQ(tide, "/d/run.1/deploy.tid");
  EXPECT_EQ(wave, "/d/run.1/deploy.wb");
  EXPECT_EQ(CHexConverter::ReferencePath("/d/run.1/deploy"), "/d/run.1/deploy.ref");
}

TEST_F(Fixture, StartYearOutOfRangeIsSaidAndOnlyWhereTheYearCounts) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41));
  r.startYear = 1989;
  ConvertSummary s = Convert(r);
  EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_EQ(ui.Messages().back().text, "Start year 1989 is out of range (1990 to 2100)");
  r.startYear = 2101;
  EXPECT_EQ(Convert(r).outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(ui.Messages().back().text, "Start year 2101 is out of range (1990 to 2100)");
  ui.Clear();
  r = Prepare(Small(sim::Family::kTgr41plus));
  r.startYear = 1989;  // ignored by this family
  EXPECT_EQ(Convert(r).outcome, ConvertOutcome::kFinished);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(Fixture, BprRunWritesTheReferenceFile) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr77Bpr), "deploy.2026");
  ConvertSummary s = Convert(r);
  ASSERT_EQ(s.outcome, ConvertOutcome::kFinished);
  EXPECT_EQ(s.referencePath, home.file("deploy.2026.ref"));
  auto ref = Lines(ReadFile(s.referencePath));
  ASSERT_EQ(ref.size(), 2u);
  EXPECT_EQ(ref[0].substr(0, 6), "     1");
  EXPECT_EQ(s.tideRecords, 20);  // reference records are not tide samples
  EXPECT_EQ(Lines(ReadFile(r.tide)).size(), 20u);
  EXPECT_FALSE(IsFile(r.wave));
  EXPECT_EQ(s.progressTotal, 20);
}

TEST_F(Fixture, FirmwareWaveRateIsCorrectedOnce) {
  sim::Options o = Small(sim::Family::kTgr41plus);
  o.firmware = "6.0a";
  o.statedScanRate = 2.0;
  ConvertRequest r = Prepare(o);
  ConvertSummary s = Convert(r);
  EXPECT_EQ(s.outcome, ConvertOutcome::kFinished);
  EXPECT_TRUE(s.waveRateCorrected);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgWaveRateFix});
  EXPECT_NE(std::string(kMsgWaveRateFix).find("\n\nSetting wave"), std::string::npos);
  auto rows = Lines(ReadFile(r.wave));
  EXPECT_NE(rows[1].find("   0.25  32"), std::string::npos) << rows[1];
}

TEST_F(Fixture, MultipleRecordsAbortTheRun) {
  sim::Options o = Small(sim::Family::kTgr41plus);
  ConvertRequest r = Prepare(o);
  std::string text = ReadFile(r.input);
  text.insert(text.rfind("S>"), "FFFFFFFFFD\r\n0102030405\r\n");
  testing::WriteFile(r.input, text);
  ConvertSummary s = Convert(r);
  EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgMultipleRecords});
  EXPECT_EQ(ui.LastStatus(), kStatusAborted);
  EXPECT_EQ(s.tideRecords, 20);
}

TEST_F(Fixture, BadCoefficientLineIsReportedOnce) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  std::string text = ReadFile(r.input);
  text.replace(text.find("C2 ="), 4, "XX =");
  testing::WriteFile(r.input, text);
  ConvertSummary s = Convert(r);
  EXPECT_TRUE(s.coefficientError);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgCoefficientError});
  EXPECT_EQ(s.outcome, ConvertOutcome::kFinished);
}

TEST_F(Fixture, FullDiskIsNotReportedAsFinished) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  r.tide = "/dev/full";
  ConvertSummary s = Convert(r);
  EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgWriteError});
  for (const std::string& t : ui.StatusTexts()) EXPECT_NE(t, kStatusFinished);
}

// Holds the worker at "Converting file..." until the test lets it go.
class HeldInteraction : public ScriptedInteraction {
 public:
  std::promise<void> reached, release;
  void Status(const std::string& text) override {
    ScriptedInteraction::Status(text);
    if (text == kStatusConverting) {
      reached.set_value();
      release.get_future().wait();
    }
  }
};

TEST_F(Fixture, OneRunAtATimeAndStop) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  HeldInteraction held;
  CHexConverter c(held);
  ASSERT_EQ(c.Start(r), ConvertStart::kStarted);
  held.reached.get_future().wait();
  EXPECT_TRUE(c.IsRunning());
  EXPECT_EQ(c.Start(r), ConvertStart::kBusy);  // the state belongs to the running conversion
  EXPECT_EQ(c.RunNow(r, DefaultCoefficientsAtStart()).outcome, ConvertOutcome::kNone);
  c.Stop();
  held.release.set_value();
  ConvertSummary s = c.Wait();
  EXPECT_EQ(s.outcome, ConvertOutcome::kStopped);
  EXPECT_EQ(s.tideRecords, 0);
  std::vector<std::string> st = held.StatusTexts();
  EXPECT_EQ(st.back(), kStatusOperatorAborted);
  EXPECT_FALSE(c.IsRunning());
  // Afterwards a new run starts and finishes.
  HeldInteraction again;
  again.release.set_value();
  CHexConverter c2(again);
  ASSERT_EQ(c2.Start(r), ConvertStart::kStarted);
  EXPECT_EQ(c2.Wait().outcome, ConvertOutcome::kFinished);
}

}  // namespace
}  // namespace tidora
