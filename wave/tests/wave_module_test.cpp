#include "wave/wave_module.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/interaction.h"
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

}  // namespace
}  // namespace tidora
