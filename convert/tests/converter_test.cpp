// The conversion run: its start checks, messages, status lines, progress, output files and
// its worker thread.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <future>

#include "convert/converter.h"
#include "outside/utility.h"
#include "sim/recorder.h"
#include "sim/upload.h"
#include "testing/scripted_interaction.h"
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
  // Zeros in place of a coefficient would give wrong pressures: nothing is written.
  EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(ui.LastStatus(), kStatusAborted);
  for (const std::string& t : ui.StatusTexts()) EXPECT_NE(t, kStatusFinished);
  EXPECT_FALSE(IsFile(r.tide));
  EXPECT_FALSE(IsFile(r.wave));
}

TEST_F(Fixture, UnreadableCoefficientValuesStopTheRun) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  const std::string good = ReadFile(r.input);
  for (const char* bad : {"U0 = nan", "Y1 = inf", "C1 = junk"}) {
    SCOPED_TRACE(bad);
    std::string text = good;
    size_t p = text.find(std::string(bad).substr(0, 4));
    ASSERT_NE(p, std::string::npos);
    text.replace(p, text.find('\r', p) - p, bad);
    testing::WriteFile(r.input, text);
    ui.Clear();
    ConvertSummary s = Convert(r);
    EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgCoefficientError});
    EXPECT_FALSE(IsFile(r.tide));
  }
}

TEST_F(Fixture, CoefficientFileOfJunkOrNanStopsTheRun) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  const std::string good = ReadFile(CoefficientFilePath());
  for (const char* bad : {"nan", "junk", "1.5x", "inf"}) {
    SCOPED_TRACE(bad);
    // Line 5 holds the offset correction of every pressure.
    std::string text = good;
    size_t line4 = 0;
    for (int i = 0; i < 4; ++i) line4 = text.find('\n', line4) + 1;
    text.replace(line4, text.find('\n', line4) - line4, bad);
    testing::WriteFile(CoefficientFilePath(), text);
    ui.Clear();
    ConvertSummary s = Convert(r);
    EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find(kMsgShortCoefficients), std::string::npos);
    EXPECT_NE(ui.Messages()[0].text.find("line 5: \"" + std::string(bad) + "\""), std::string::npos)
        << ui.Messages()[0].text;
    for (const std::string& t : ui.StatusTexts()) EXPECT_NE(t, kStatusFinished);
    EXPECT_FALSE(IsFile(r.tide));
    EXPECT_FALSE(IsFile(r.wave));
  }
  // The same file with LF, CR LF or CR line ends reads alike.
  for (const char* end : {"\r\n", "\r"}) {
    std::string text;
    for (char c : good) {
      if (c == '\n')
        text += end;
      else
        text += c;
    }
    testing::WriteFile(CoefficientFilePath(), text);
    ui.Clear();
    EXPECT_EQ(Convert(r).outcome, ConvertOutcome::kFinished);
  }
}

TEST_F(Fixture, CutUploadConvertsWithAWarningNamingTheCounts) {
  sim::Options o = Small(sim::Family::kTgr41plus);
  o.tideSamples = 192;
  o.bursts = 0;
  ConvertRequest r = Prepare(o);
  std::string text = ReadFile(r.input);
  // Keep DD, the four lines after the marker and 56 tide records.
  size_t p = text.find(">DD\r\n") + 1;
  for (int i = 0; i < 1 + 4 + 56; ++i) p = text.find('\n', p) + 1;
  text.resize(p);
  testing::WriteFile(r.input, text);
  ConvertSummary s = Convert(r);
  EXPECT_EQ(s.outcome, ConvertOutcome::kFinished);
  EXPECT_EQ(s.tideRecords, 56);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].icon, MsgIcon::Warning);
  EXPECT_NE(ui.Messages()[0].text.find("56 of the 192 tide records"), std::string::npos)
      << ui.Messages()[0].text;
}

// The example of the field: 66 samples a burst left one extra "tide record" per burst.
TEST_F(Fixture, OddBurstLengthsAddNoTideRecords) {
  sim::Options o = Small(sim::Family::kTgr41plus);
  o.samplesPerBurst = 66;
  o.tideSamples = 8;
  o.bursts = 2;
  ConvertRequest r = Prepare(o);
  ConvertSummary s = Convert(r);
  ASSERT_EQ(s.outcome, ConvertOutcome::kFinished);
  EXPECT_EQ(s.tideRecords, 8);
  EXPECT_EQ(Lines(ReadFile(r.tide)).size(), 8u);
  EXPECT_TRUE(ui.Messages().empty()) << MessageTexts()[0];
}

TEST_F(Fixture, LyingSamplesPerBurstIsWarnedAbout) {
  sim::Options o = Small(sim::Family::kTgr41plus);
  o.tideSamples = 8;
  ConvertRequest r = Prepare(o);
  std::string text = ReadFile(r.input);
  text.replace(text.find("32 wave samples/burst"), 2, "2147483647");
  testing::WriteFile(r.input, text);
  ConvertSummary s = Convert(r);
  ASSERT_EQ(s.outcome, ConvertOutcome::kFinished);
  auto rows = Lines(ReadFile(r.wave));
  EXPECT_NE(rows[1].find("   0.25  32"), std::string::npos) << rows[1];
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_NE(ui.Messages()[0].text.find("2147483647 wave samples per burst, but burst 0 holds 32"),
            std::string::npos)
      << ui.Messages()[0].text;
}

TEST_F(Fixture, FullDiskIsNotReportedAsFinished) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  testing::WriteFile(r.tide, "previous tide");
  // A disk that is full after 2000 bytes of a file.
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 2000;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  ConvertSummary s = Convert(r);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(s.outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{kMsgWriteError});
  for (const std::string& t : ui.StatusTexts()) EXPECT_NE(t, kStatusFinished);
  EXPECT_EQ(ReadFile(r.tide), "previous tide");
  EXPECT_FALSE(IsFile(r.wave));
}

TEST_F(Fixture, ADeviceIsNoOutput) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  r.tide = "/dev/full";
  EXPECT_EQ(Convert(r).outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{
                "The tide file /dev/full is a device, not a regular file: choose another name."});
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
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
  EXPECT_FALSE(IsFile(r.tide));  // a stopped run writes nothing that looks complete
  EXPECT_FALSE(IsFile(r.wave));
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

// The files of a folder other than the settings files, for "nothing else was written".
std::vector<std::string> DataFiles(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string n = e.path().filename().string();
    if (n != "CNVHex.ini" && n != "TidoraWaves.log") names.push_back(n);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(Fixture, AnOutputThatIsTheUploadOrTheOtherOutputIsRefused) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  const std::string upload = ReadFile(r.input);
  std::filesystem::create_symlink(r.input, home.file("link.tid"));
  const std::string dotted = home.path() + "/./a.hex";
  struct Case {
    std::string tide, wave, message;
  } cases[] = {
      {r.input, r.wave, "The tide file " + r.input + " is the upload file " + r.input},
      {dotted, r.wave, "The tide file " + dotted + " is the upload file " + r.input},
      {home.file("link.tid"), r.wave,
       "The tide file " + home.file("link.tid") + " is the upload file " + r.input},
      {r.tide, r.input, "The wave burst file " + r.input + " is the upload file " + r.input},
      {r.tide, r.tide, "The wave burst file " + r.tide + " is the tide file " + r.tide},
  };
  for (const Case& c : cases) {
    ui.Clear();
    ConvertRequest q = r;
    q.tide = c.tide;
    q.wave = c.wave;
    EXPECT_EQ(Convert(q).outcome, ConvertOutcome::kFailed) << c.message;
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{c.message + ": choose another name."});
    EXPECT_EQ(ReadFile(r.input), upload);
    EXPECT_EQ(DataFiles(home.path()), (std::vector<std::string>{"a.hex", "link.tid"}));
  }
}

TEST_F(Fixture, TheReferenceFileIsCheckedToo) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr77Bpr), "b");
  const std::string upload = ReadFile(r.input);
  // A tide file named .ref would be its own reference file.
  ConvertRequest q = r;
  q.tide = home.file("b.ref");
  EXPECT_EQ(Convert(q).outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The reference file " + home.file("b.ref") +
                                                     " is the tide file " + home.file("b.ref") +
                                                     ": choose another name."});
  // An upload named .ref beside the tide file would be replaced by the reference records.
  ui.Clear();
  std::filesystem::rename(r.input, home.file("u.ref"));
  q = r;
  q.input = home.file("u.ref");
  q.tide = home.file("u.tid");
  EXPECT_EQ(Convert(q).outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The reference file " + home.file("u.ref") +
                                                     " is the upload file " + home.file("u.ref") +
                                                     ": choose another name."});
  EXPECT_EQ(ReadFile(home.file("u.ref")), upload);
  EXPECT_EQ(DataFiles(home.path()), std::vector<std::string>{"u.ref"});
}

TEST_F(Fixture, AFailedRunLeavesThePreviousOutputsAsTheyWere) {
  ConvertRequest r = Prepare(Small(sim::Family::kTgr41plus));
  testing::WriteFile(r.tide, "previous tide");
  std::filesystem::create_directory(r.wave);  // the wave burst file cannot take its place
  EXPECT_EQ(Convert(r).outcome, ConvertOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"The wave burst file " + r.wave +
                                                     " is a folder, not a regular file: choose "
                                                     "another name."});
  EXPECT_EQ(ReadFile(r.tide), "previous tide");
  EXPECT_EQ(DataFiles(home.path()), (std::vector<std::string>{"a.hex", "a.tid", "a.wb"}));
  // A whole run replaces both.
  std::filesystem::remove(r.wave);
  ui.Clear();
  EXPECT_EQ(Convert(r).outcome, ConvertOutcome::kFinished);
  EXPECT_NE(ReadFile(r.tide), "previous tide");
  EXPECT_EQ(DataFiles(home.path()), (std::vector<std::string>{"a.hex", "a.tid", "a.wb"}));
}

}  // namespace
}  // namespace tidora
