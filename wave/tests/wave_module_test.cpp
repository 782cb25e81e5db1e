#include "wave/wave_module.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <thread>
#include <utility>

#include "platform/interaction.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "wave/synthetic_sea.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class WaveModuleRun : public ::testing::Test {
 protected:
  WaveModuleRun() : page(ui), module(ui) {
    WriteFile(dir.file("deploy.wb"), "stands for the burst file");
    CWaveSetup& s = module.WaveSetup();
    s.inputDir = dir.path();
    s.outputDir = dir.path();
    s.inputFiles = {"deploy.wb"};
    page.SetInputNames(s.inputFiles);
    module.SetPage(&page);
    const double rho = SeawaterDensity(35, 0);
    for (int i = 0; i < 6; ++i) {
      auto sea = NarrowSea(1.0, 8.0, 1024, 3, i);
      bursts.bursts.push_back({i, 3600.0 * i, 0.5, SeaPressureBurst(sea, 8, 8, rho, 2048, 0.5)});
    }
  }
  void Open() {
    module.SetReaderFactory(
        [this](const std::string&) { return std::make_unique<CMemoryBurstReader>(bursts); });
    ASSERT_EQ(module.OpenInputFiles(), 1);
  }
  bool Exists(const char* ext) { return std::filesystem::exists(dir.file("deploy.") + ext); }

  TempDir dir;
  ScriptedInteraction ui;
  CInteractionPage page;
  CWaveModule module;
  CMemoryBursts bursts;
};

TEST_F(WaveModuleRun, CompleteRunWritesTheOutputs) {
  Open();
  ui.defaultAnswer = MsgAnswer::Yes;
  module.KeepResults(true);
  EXPECT_EQ(module.RunAndWait(), 1);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kDone);
  EXPECT_EQ(module.LastOutputBase(), dir.file("deploy."));
  EXPECT_TRUE(Exists("was") && Exists("wts") && Exists("rpt"));
  EXPECT_FALSE(Exists("wt") || Exists("wss"));
  ASSERT_EQ(module.Results().size(), 6u);
  EXPECT_NEAR(module.Results()[3].significantHeight, 1.0, 0.01);
  EXPECT_EQ(module.Results()[3].peakPeriod, 8.0);
  EXPECT_EQ(ui.LastStatus(), "Processing complete");
  auto status = ui.StatusTexts();
  EXPECT_NE(std::find(status.begin(), status.end(), "Processing Wave Data..."), status.end());
}

TEST_F(WaveModuleRun, BurstSelection) {
  CWaveSetup& s = module.WaveSetup();
  s.processBurstsToEnd = 0;
  s.burstsToProcess = 2;
  s.skipAtStart = 3;
  Open();
  ui.defaultAnswer = MsgAnswer::Yes;
  module.KeepResults(true);
  EXPECT_EQ(module.RunAndWait(), 1);
  ASSERT_EQ(module.Results().size(), 2u);
  EXPECT_EQ(module.Results()[0].number, 3);
  EXPECT_EQ(module.Results()[0].start, 3 * 3600);
  EXPECT_EQ(module.Results()[1].number, 4);
}

TEST_F(WaveModuleRun, SkippingEveryBurstIsAProcessErrorWithoutOutput) {
  module.WaveSetup().skipAtStart = 6;
  Open();
  EXPECT_EQ(module.RunAndWait(), 0);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kReadFailed);
  auto msgs = ui.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].caption, "Process Error");
  EXPECT_FALSE(Exists("was"));
  EXPECT_EQ(ui.LastStatus(), "Processing stopped, 1/1: deploy.wb");
}

TEST_F(WaveModuleRun, DecliningTheSummaryCompletesWithoutOutput) {
  Open();
  ui.QueueAnswer(MsgAnswer::No);
  EXPECT_EQ(module.RunAndWait(), 1);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kDeclined);
  EXPECT_TRUE(page.DataSetupShown());
  EXPECT_FALSE(Exists("was") || Exists("rpt"));
  EXPECT_EQ(ui.LastStatus(), "Processing complete");
}

TEST_F(WaveModuleRun, SampleErrorEndsTheRunNotTheProgram) {
  module.WaveSetup().minimumAllowableAttenuation = 2;
  Open();
  EXPECT_EQ(module.RunAndWait(), 0);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kSampleError);
  EXPECT_EQ(ui.Messages().back().caption, "Sample Error");
  EXPECT_FALSE(Exists("was"));
  EXPECT_EQ(ui.LastStatus(), "Processing stopped, 1/1: deploy.wb");
  // The module can run again.
  module.WaveSetup().minimumAllowableAttenuation = 0.0025;
  ui.defaultAnswer = MsgAnswer::Yes;
  EXPECT_EQ(module.RunAndWait(), 1);
  EXPECT_TRUE(Exists("was"));
}

TEST_F(WaveModuleRun, CancelAtTheOverwritePromptKeepsTheOldFiles) {
  Open();
  WriteFile(dir.file("deploy.was"), "old");
  ui.QueueChoice(2);  // Cancel: the run ends as done, with the stop flag set
  EXPECT_EQ(module.RunAndWait(), 1);
  EXPECT_EQ(module.StopFlag().load(), 1);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kCancelled);
  EXPECT_EQ(ReadFile(dir.file("deploy.was")), "old");
}

}  // namespace
}  // namespace tidora

namespace tidora {
namespace {

// A reader that takes its time over every burst, so that a stop arrives while reading.
class SlowReader : public CMemoryBurstReader {
 public:
  using CMemoryBurstReader::CMemoryBurstReader;
  int ReadData(float*** data, double*** times, int row, double** minima, double** maxima,
               int& count, const int* lengths) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return CMemoryBurstReader::ReadData(data, times, row, minima, maxima, count, lengths);
  }
};

TEST_F(WaveModuleRun, StopDuringReadingEndsWithinAStep) {
  CMemoryBursts many;
  for (int i = 0; i < 3000; ++i)
    many.bursts.push_back({i, 60.0 * i, 0.5, std::vector<float>(8, 20)});
  module.SetReaderFactory([&](const std::string&) { return std::make_unique<SlowReader>(many); });
  ASSERT_EQ(module.OpenInputFiles(), 1);
  ASSERT_EQ(module.StartProcess(), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  module.StopProcess();
  EXPECT_FALSE(module.IsProcessing());
  module.ThreadEnded();
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kStopped);
  EXPECT_LT(module.Inputs()[0]->RecordsRead(), 3000);
  EXPECT_EQ(module.Inputs()[0]->RecordsRead() % 30, 0);  // read up to a step of 30 bursts
  EXPECT_EQ(ui.LastStatus(), "Processing stopped, 1/1: deploy.wb");
  EXPECT_FALSE(Exists("was"));
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(WaveModuleRun, UnusableSettingsNeverStartARun) {
  // A page takes any number typed; the run start holds every value to its key's range.
  module.WaveSetup().height = std::nan("");
  Open();
  ui.defaultAnswer = MsgAnswer::Yes;
  EXPECT_EQ(module.RunAndWait(), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Cannot Start Process");
  EXPECT_EQ(ui.Messages()[0].text,
            "The settings cannot be used:\nHeight = nan: must be a finite number");
  EXPECT_FALSE(Exists("was"));
}

// Samples the readers should never deliver: the analysis still refuses them rather than
// spinning or writing spectra of nan.
TEST_F(WaveModuleRun, BurstWithANonFiniteSampleEndsTheRunAsFailed) {
  bursts.bursts[3].pressure[100] = std::numeric_limits<float>::infinity();
  Open();
  ui.defaultAnswer = MsgAnswer::Yes;
  EXPECT_EQ(module.RunAndWait(), 0);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kBadData);
  EXPECT_EQ(ui.Messages().back().caption, "Wave Burst Error");
  EXPECT_EQ(ui.Messages().back().text,
            "Wave burst 3 cannot be processed: its sample 101 is not a finite number.");
  EXPECT_EQ(ui.LastStatus(), "Processing stopped, 1/1: deploy.wb");
}

TEST_F(WaveModuleRun, LaterBurstWithAbsurdPressuresIsRefusedNotWrittenAsNan) {
  // Finite, but no sea is that deep: no period passes and the spectrum divides by 0.
  for (float& p : bursts.bursts[2].pressure) p *= 1e36f;
  Open();
  ui.defaultAnswer = MsgAnswer::Yes;
  EXPECT_EQ(module.RunAndWait(), 0);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kBadData);
  EXPECT_EQ(ui.Messages().back().text,
            "Wave burst 2 cannot be processed: its spectrum is not finite (are its samples "
            "pressures?).");
}

TEST_F(WaveModuleRun, FirstBurstThatCannotBeAnalysedIsRefusedBeforeTheSummary) {
  const std::pair<float, float> cases[] = {
      {std::numeric_limits<float>::infinity(), 14.7f},  // sample period
      {0.5f, std::numeric_limits<float>::quiet_NaN()},  // a sample
      {0.5f, -std::numeric_limits<float>::infinity()},
  };
  for (auto [dt, sample] : cases) {
    bursts.bursts[0].samplePeriod = dt;
    bursts.bursts[0].pressure[7] = sample;
    ui.Clear();
    Open();
    ui.defaultAnswer = MsgAnswer::Yes;
    EXPECT_EQ(module.RunAndWait(), 0);
    EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kBadData);
    ASSERT_FALSE(ui.Messages().empty());
    EXPECT_EQ(ui.Messages().back().caption, "Wave Burst Error");
    EXPECT_EQ(ui.Messages().back().text,
              std::string("Wave burst 0 cannot be processed: ") +
                  (dt == 0.5f ? "its sample 8 is not a finite number."
                              : "its sample period is not a positive number."));
    EXPECT_FALSE(Exists("was"));
  }
}

TEST_F(WaveModuleRun, RunWithoutAFrequencyBandIsRefused) {
  module.WaveSetup().numberSpectralEstimates = 5000;  // more than a burst has harmonics
  Open();
  ui.defaultAnswer = MsgAnswer::Yes;
  EXPECT_EQ(module.RunAndWait(), 0);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kBadData);
  EXPECT_EQ(ui.Messages().back().text.rfind("No frequency band can be formed: 5000 spectral", 0),
            0u);
  EXPECT_FALSE(Exists("was"));
}

}  // namespace
}  // namespace tidora
