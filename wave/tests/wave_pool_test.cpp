// Bursts analysed by several threads: the outputs are those of one thread byte for byte, and a
// stop, a suspension and a refused burst work as they do there.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "datafile/writers.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "postproc/tests/suspend_check.h"
#include "postproc/tgr41_reader.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "wave/synthetic_sea.h"
#include "wave/wave_analysis.h"
#include "wave/wave_module.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempDir;

const char* const kExtensions[] = {"was", "wts", "rpt", "wss", "wt"};

CMemoryBursts Sea(int count, int n, double dt, double depth = 10, bool from2000 = true) {
  CMemoryBursts b;
  b.from2000 = from2000;
  const double rho = SeawaterDensity(35, 0);
  for (int i = 0; i < count; ++i) {
    auto sea = NarrowSea(1.2, 7.0 + (i % 5), n * dt, 4, 100 + i);
    b.bursts.push_back({i, 1800.0 * i, dt, SeaPressureBurst(sea, depth, depth, rho, n, dt)});
  }
  return b;
}

// Writes bursts to a .wb file; `rowsKept` cuts each burst's rows short (damaged files).
void WriteWb(const std::string& path, const CMemoryBursts& b, int rowsKept = -1) {
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  if (b.from2000) {
    ASSERT_TRUE(w.WriteIdentification());
  }
  for (const auto& burst : b.bursts) {
    const int n = static_cast<int>(burst.pressure.size());
    ASSERT_TRUE(w.WriteBurstHeader(burst.number, burst.start, burst.samplePeriod, n));
    for (int i = 0, row = 0; i + 3 < n && row != rowsKept; i += 4, ++row) {
      const float* p = &burst.pressure[i];
      ASSERT_TRUE(w.WriteRow(p[0], p[1], p[2], p[3]));
    }
  }
  ASSERT_TRUE(w.Close());
}

struct RunRecord {
  CWaveModule::Outcome outcome = CWaveModule::Outcome::kNone;
  std::vector<std::string> messages;
  std::vector<std::string> files;  // the bytes of each output, "-" when there is none
  size_t results = 0;
};

// One module run over `input` (a .wb file, or bursts in memory when `memory` is given) with
// every output asked for, into `outDir`.
RunRecord RunModule(const std::string& input, const std::string& outDir, int threads,
                    const CMemoryBursts* memory, const std::function<void(CWaveSetup&)>& tune) {
  ScriptedInteraction ui;
  ui.defaultAnswer = MsgAnswer::Yes;
  CWaveModule module(ui);
  CInteractionPage page(ui);
  module.SetPage(&page);
  module.SetThreads(threads);
  module.KeepResults(true);
  CWaveSetup& s = module.WaveSetup();
  s.outputSurfaceWT = 1;
  s.outputFFTtoWSS = 1;
  if (tune) tune(s);
  if (memory) {
    module.SetReaderFactory(
        [memory](const std::string&) { return std::make_unique<CMemoryBurstReader>(*memory); });
  } else {
    module.SetReaderFactory(DataFileReaderFactory());
  }
  EXPECT_EQ(module.PrepareFileRun(input, outDir), "");
  page.SetInputNames(s.inputFiles);
  module.RunAndWait();
  RunRecord r;
  r.outcome = module.LastOutcome();
  for (const auto& m : ui.Messages()) r.messages.push_back(m.caption + ": " + m.text);
  const std::string base = CWaveModule::OutputBaseOf(outDir + "/" + s.inputFiles[0]);
  for (const char* ext : kExtensions) {
    const std::string path = base + ext;
    r.files.push_back(std::filesystem::exists(path) ? ReadFile(path) : "-");
    std::filesystem::remove(path);  // the next run starts afresh
  }
  r.results = module.Results().size();
  return r;
}

struct PoolCase {
  const char* name = "";
  CMemoryBursts bursts;
  bool inMemory = false;  // odd burst sizes the file writer cannot write
  int rowsKept = -1;
  std::function<void(CWaveSetup&)> tune;
  CWaveModule::Outcome expected = CWaveModule::Outcome::kDone;
};

TEST(WavePool, PooledRunsWriteTheSameBytesAsOneThread) {
  std::vector<PoolCase> cases;
  auto add = [&](const char* name, CMemoryBursts bursts) -> PoolCase& {
    cases.emplace_back();
    cases.back().name = name;
    cases.back().bursts = std::move(bursts);
    return cases.back();
  };
  add("power-of-two bursts", Sea(37, 1024, 0.5));
  add("one burst, fewer than the threads", Sea(1, 512, 0.25));
  add("recorder-calendar bursts, taper filter and limits", Sea(23, 512, 1.0, 6, false)).tune =
      [](CWaveSetup& s) {
        s.useFilterCutoff = 1;
        s.minimumPeriod = 3;
        s.maximumPeriod = 20;
        s.minimumAllowableAttenuation = -1;
      };
  {
    PoolCase& c = add("odd burst sizes", Sea(5, 1001, 0.5));
    c.inMemory = true;
    for (int n : {999, 1000, 1003, 1537, 2047, 1001, 1002}) {
      auto more = Sea(1, n, 0.5, 12);
      more.bursts[0].number = static_cast<int>(c.bursts.bursts.size());
      c.bursts.bursts.push_back(more.bursts[0]);
    }
  }
  add("bursts cut short", Sea(19, 1024, 0.5)).rowsKept = 100;
  {
    PoolCase& c = add("a later burst of absurd pressures", Sea(30, 256, 0.5));
    c.inMemory = true;
    for (float& p : c.bursts.bursts[17].pressure) p *= 1e30f;
    c.expected = CWaveModule::Outcome::kBadData;
  }
  {
    PoolCase& c = add("a later burst with a sample that is not a number", Sea(30, 256, 0.5));
    c.inMemory = true;
    c.bursts.bursts[21].pressure[100] = std::numeric_limits<float>::quiet_NaN();
    c.expected = CWaveModule::Outcome::kBadData;
  }
  {
    PoolCase& c = add("a damaged sample in the file", Sea(12, 256, 0.5));
    c.bursts.bursts[7].pressure[9] = std::numeric_limits<float>::quiet_NaN();
    c.expected = CWaveModule::Outcome::kReadFailed;
  }
  for (const PoolCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string input = dir.file("deploy.wb");
    if (c.inMemory)
      testing::WriteFile(input, "stands for the bursts");
    else
      WriteWb(input, c.bursts, c.rowsKept);
    std::vector<RunRecord> runs;
    // The same names each time: the report names its input.
    for (int threads : {1, 2, 5})
      runs.push_back(
          RunModule(input, dir.path(), threads, c.inMemory ? &c.bursts : nullptr, c.tune));
    EXPECT_EQ(runs[0].outcome, c.expected);
    if (c.expected == CWaveModule::Outcome::kDone) {
      EXPECT_EQ(runs[0].results, c.bursts.bursts.size());
      for (size_t f = 0; f < runs[0].files.size(); ++f)
        EXPECT_GT(runs[0].files[f].size(), 10u) << kExtensions[f];
    }
    for (size_t t = 1; t < runs.size(); ++t) {
      EXPECT_EQ(runs[t].outcome, runs[0].outcome);
      EXPECT_EQ(runs[t].messages, runs[0].messages);
      EXPECT_EQ(runs[t].results, runs[0].results);
      for (size_t f = 0; f < runs[0].files.size(); ++f)
        EXPECT_TRUE(runs[t].files[f] == runs[0].files[f]) << kExtensions[f] << " " << t;
    }
  }
}

// Bursts that count the fetches made after the stop they set.
class StoppingBursts : public CMemoryBursts {
 public:
  bool GetBurst(int index, WaveBurst& out) const override {
    if (stop->Stopped()) ++fetchedAfterStop;
    if (index == stopAt) stop->Stop();
    return CMemoryBursts::GetBurst(index, out);
  }
  int stopAt = -1;
  ProcessControl* stop = nullptr;
  mutable std::atomic<int> fetchedAfterStop{0};
};

TEST(WavePool, AStopEndsThePooledRunWithinABurst) {
  TempDir dir;
  CWaveSetup setup;
  setup.outputSurfaceWT = 1;
  StoppingBursts bursts;
  bursts.bursts = Sea(400, 256, 0.5).bursts;
  ProcessControl stop;
  bursts.stop = &stop;
  bursts.stopAt = 60;
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, dir.file("p."), ui, nullptr, &stop);
  a.SetThreads(3);
  a.KeepResults(true);
  ASSERT_TRUE(a.PrepareRun());
  EXPECT_EQ(a.ProcessBursts(), 1);
  // No burst is started after the stop but by a thread that had looked just before it.
  EXPECT_LE(bursts.fetchedAfterStop.load(), 2);
  EXPECT_LT(a.BurstsDone(), 61 + 3 * 4);
  EXPECT_TRUE(ui.Messages().empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // nothing that passes for a whole run
}

TEST(WavePool, APooledRunWaitsWhileSuspended) {
  TempDir dir;
  CWaveSetup setup;
  CMemoryBursts bursts = Sea(300, 64, 0.5);
  ProcessControl control;
  testing::SuspendHalfway ui(control);
  CInteractionPage page(ui);
  CWaveAnalysis a(setup, bursts, dir.file("p."), ui, &page, &control);
  a.SetThreads(3);
  ASSERT_TRUE(a.PrepareRun());
  a.KeepResults(true);
  testing::ExpectRunWaitsWhileSuspended(control, ui, [&] { EXPECT_EQ(a.ProcessBursts(), 1); });
  EXPECT_EQ(a.BurstsDone(), 300);
}

// A page that stops the run a few bursts into the analysis.
class StopInAnalysisPage : public CInteractionPage {
 public:
  StopInAnalysisPage(Interaction& ui, ProcessControl& control)
      : CInteractionPage(ui), control_(control) {}
  void ProcessingWaveData() override {
    analysing_ = true;
    CInteractionPage::ProcessingWaveData();
  }
  void ProgressPos(int percent) override {
    if (analysing_ && ++positions_ == 5) control_.Stop();
    CInteractionPage::ProgressPos(percent);
  }

 private:
  ProcessControl& control_;
  bool analysing_ = false;
  int positions_ = 0;
};

TEST(WavePool, AStopDuringThePooledAnalysisIsReportedAsStopped) {
  TempDir dir;
  const CMemoryBursts bursts = Sea(150, 256, 0.5);
  testing::WriteFile(dir.file("deploy.wb"), "stands for the bursts");
  ScriptedInteraction ui;
  ui.defaultAnswer = MsgAnswer::Yes;
  CWaveModule module(ui);
  StopInAnalysisPage page(ui, module.Control());
  module.SetPage(&page);
  module.SetThreads(4);
  module.KeepResults(true);
  module.SetReaderFactory(
      [&](const std::string&) { return std::make_unique<CMemoryBurstReader>(bursts); });
  ASSERT_EQ(module.PrepareFileRun(dir.file("deploy.wb"), ""), "");
  page.SetInputNames(module.WaveSetup().inputFiles);
  EXPECT_EQ(module.RunAndWait(), 0);
  EXPECT_EQ(module.LastOutcome(), CWaveModule::Outcome::kStopped);
  EXPECT_EQ(ui.LastStatus(), "Processing stopped, 1/1: deploy.wb");
  EXPECT_LT(module.Results().size(), 150u);
  EXPECT_FALSE(std::filesystem::exists(dir.file("deploy.was")));
  EXPECT_EQ(ui.Messages().size(), 1u);  // the setup summary only
}

}  // namespace
}  // namespace tidora
