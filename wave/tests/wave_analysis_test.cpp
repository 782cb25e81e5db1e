#include "wave/wave_analysis.h"

#include <gtest/gtest.h>

#include "postproc/tests/suspend_check.h"

#include <cmath>
#include <filesystem>
#include <sstream>

#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "wave/synthetic_sea.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempDir;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  EXPECT_EQ(text.find('\n', 0) == std::string::npos || text.find("\r\n") != std::string::npos,
            true);
  return lines;
}

CMemoryBursts ConstantBursts(int count, int n, double dt, double psia, bool from2000 = true) {
  CMemoryBursts b;
  b.from2000 = from2000;
  for (int i = 0; i < count; ++i)
    b.bursts.push_back({i, 3600.0 * i, dt, std::vector<float>(n, static_cast<float>(psia))});
  return b;
}

// A sea of one sinusoid at an exact harmonic of the record length, seen from depth d.
CMemoryBursts SineBursts(int count, int n, double dt, int harmonic, double amplitude, double d) {
  CMemoryBursts b;
  const double rho = SeawaterDensity(35, 0);
  std::vector<SeaComponent> sea = {{amplitude, n * dt / harmonic, 0.3}};
  for (int i = 0; i < count; ++i)
    b.bursts.push_back({i, 3600.0 * i, dt, SeaPressureBurst(sea, d, d, rho, n, dt)});
  return b;
}

TEST(WaveAnalysis, KnownSeaStateGivesItsHeightAndPeriod) {
  // Hs 1.5 m, peak 8 s, recorder on the bottom at 10 m; 2048 samples at 2 Hz.
  CWaveSetup setup;
  const int n = 2048;
  const double dt = 0.5, depth = 10, rho = SeawaterDensity(35, 0);
  CMemoryBursts bursts;
  for (int i = 0; i < 8; ++i) {
    auto sea = NarrowSea(1.5, 8.0, n * dt, 6, 100 + i);
    bursts.bursts.push_back({i, 1800.0 * i, dt, SeaPressureBurst(sea, depth, depth, rho, n, dt)});
  }
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, "", ui);
  ASSERT_TRUE(a.PrepareRun());
  EXPECT_NEAR(a.Run().depth, depth, 1e-3);
  for (int i = 0; i < 8; ++i) {
    WaveBurst b;
    ASSERT_TRUE(bursts.GetBurst(i, b));
    WaveBurstResult r;
    ASSERT_TRUE(a.AnalyseBurst(b, r));
    EXPECT_NEAR(r.significantHeight, 1.5, 0.015) << i;
    EXPECT_DOUBLE_EQ(r.peakPeriod, 8.0) << i;
    EXPECT_NEAR(r.stats.h13, 1.5, 0.15) << i;
    EXPECT_NEAR(r.stats.t13, 8.0, 0.8) << i;
    EXPECT_NEAR(4 * std::sqrt(r.stats.variance), 1.5, 0.03) << i;
  }
}

TEST(WaveAnalysis, SummaryTextAndAnswer) {
  CWaveSetup setup;
  setup.useFilterCutoff = 1;
  CMemoryBursts bursts = ConstantBursts(2, 1000, 0.5, HydrostaticPsia(10, SeawaterDensity(35, 0)));
  ScriptedInteraction ui;
  ui.QueueAnswer(MsgAnswer::No);
  ProcessControl stop;
  CWaveAnalysis a(setup, bursts, "", ui, nullptr, &stop);
  EXPECT_EQ(a.VerifySetup(), 0);
  auto msgs = ui.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].caption, "Verify Setup");
  EXPECT_EQ(msgs[0].icon, MsgIcon::Question);
  EXPECT_EQ(msgs[0].buttons, MsgButtons::YesNo);
  const std::string& t = msgs[0].text;
  const std::string head =
      "Surface wave processing summary:\n\ntemperature = 0.000\nsalinity = 35.000\n"
      "density = 1028.106\nnumber of points per wave burst = 1000\nsample period = 0.50 sec\n"
      "sample minimum period = 0.00 sec\nsample maximum period = 1e+06 sec\n";
  EXPECT_EQ(t.substr(0, head.size()), head);
  EXPECT_NE(t.find("\ninstrument depth = 10.000 meters\ntotal water depth = 10.000 meters\n"
                   "hanning window cutoff = 0.1000\nmin/max period filter = exp(-df / 0.050)\n"
                   "auto-spectrum:\n    5 spectral estimates per band\n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("    each band is 0.010 Hz wide\n"), std::string::npos);  // 5 / 500 s
  EXPECT_EQ(t.substr(t.size() - 14), "\n\nIs Setup OK?");
  EXPECT_EQ(stop.Flag().load(), 0);  // declining is not a failure of the thread
  ui.QueueAnswer(MsgAnswer::Yes);
  EXPECT_EQ(a.VerifySetup(), 1);
}

TEST(WaveAnalysis, ShallowRecorderAndMinimumAttenuation) {
  CWaveSetup setup;
  setup.height = 2.5;
  setup.minimumAllowableAttenuation = -1;
  CMemoryBursts bursts = ConstantBursts(1, 64, 0.25, 14.0);
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, "", ui);
  ASSERT_TRUE(a.PrepareRun());
  EXPECT_EQ(a.Run().depth, 0);
  EXPECT_EQ(a.Run().totalDepth, 2.5);
  EXPECT_DOUBLE_EQ(a.Run().minAttenuation, 0.01);
  EXPECT_NE(a.SummaryText().find("instrument depth = 0.000 meters\ntotal water depth = 2.500"),
            std::string::npos);
}

TEST(WaveAnalysis, NoDataSetsTheStopFlag) {
  CWaveSetup setup;
  CMemoryBursts none;
  ScriptedInteraction ui;
  ProcessControl stop;
  CWaveAnalysis a(setup, none, "", ui, nullptr, &stop);
  EXPECT_EQ(a.VerifySetup(), 0);
  EXPECT_EQ(stop.Flag().load(), 1);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(WaveAnalysis, SampleErrorIsReportedNotFatal) {
  TempDir dir;
  CWaveSetup setup;
  setup.minimumAllowableAttenuation = 1.5;  // no response factor can pass
  CMemoryBursts bursts = ConstantBursts(2, 256, 0.5, 40);
  ScriptedInteraction ui;
  ProcessControl stop;
  CWaveAnalysis a(setup, bursts, dir.file("x."), ui, nullptr, &stop);
  EXPECT_EQ(a.VerifySetup(), CWaveAnalysis::kVerifySampleError);
  EXPECT_EQ(stop.Flag().load(), 1);
  auto msgs = ui.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].caption, "Sample Error");
  EXPECT_EQ(msgs[0].icon, MsgIcon::Warning);
  EXPECT_EQ(msgs[0].text, a.SampleErrorText());
  const std::string tail =
      "hanning window cutoff = 0.1000\n\nError --> not enough samples were taken.\n"
      "All frequencies are greater than the high frequency cut off.\n"
      "Please run PLAN41 and refer to section C2.1 in the manual.\n";
  ASSERT_GT(msgs[0].text.size(), tail.size());
  EXPECT_EQ(msgs[0].text.substr(msgs[0].text.size() - tail.size()), tail);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(WaveAnalysis, TwelveBandsOverHarmonicsOneToNinetySix) {
  const int n = 1024;
  const double dt = 0.5, d = 6;
  const double t = n * dt;
  CWaveSetup setup;
  setup.numberSpectralEstimates = 8;
  // An attenuation limit between the responses of harmonics 100 and 101 gives k_max = 100.
  setup.minimumAllowableAttenuation =
      std::sqrt(PressureResponse(d, d, t / 100) * PressureResponse(d, d, t / 101));
  auto energyAt = [&](int harmonic, WaveBurstResult& r) {
    CMemoryBursts b = SineBursts(1, n, dt, harmonic, 0.01, d);
    ScriptedInteraction ui;
    CWaveAnalysis a(setup, b, "", ui);
    EXPECT_TRUE(a.PrepareRun());
    WaveBurst burst;
    b.GetBurst(0, burst);
    a.AnalyseBurst(burst, r);
    return r.energy;
  };
  WaveBurstResult r;
  double inside = energyAt(90, r);
  EXPECT_EQ(r.kMax, 100);
  EXPECT_EQ(r.bandEnergy.size(), 12u);
  // The band is corrected at its centre (harmonic 92.5), not at the component's harmonic.
  const double ratio = PressureResponse(d, d, t / 90) / PressureResponse(d, d, t / 92.5);
  EXPECT_NEAR(inside, 0.01 * 0.01 / 2 * ratio * ratio, 1e-2 * 0.01 * 0.01 / 2);
  double outside = energyAt(99, r);
  EXPECT_LT(outside, 1e-3 * inside);
}

TEST(WaveAnalysis, ConstantPressureHasNoEnergy) {
  CWaveSetup setup;
  CMemoryBursts bursts = ConstantBursts(1, 1000, 0.5, 30);
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, "", ui);
  ASSERT_TRUE(a.PrepareRun());
  WaveBurst b;
  bursts.GetBurst(0, b);
  WaveBurstResult r;
  a.AnalyseBurst(b, r);
  EXPECT_EQ(r.m, 1024);
  EXPECT_EQ(r.energy, 0);
  EXPECT_EQ(r.significantHeight, 0);
  EXPECT_EQ(r.peakPeriod, 0);
  EXPECT_EQ(r.kLow, 1);  // the default maximum period filters nothing
  EXPECT_EQ(r.stats.waves, 0);
}

TEST(WaveAnalysis, TrendIsRemovedAndWindowEndsAreCut) {
  // A tide rising by 0.5 psi over the burst under a 0.2 m wave at the centre of its band.
  CWaveSetup setup;
  CMemoryBursts bursts = SineBursts(1, 1024, 0.5, 73, 0.2, 5);
  std::vector<float>& p = bursts.bursts[0].pressure;
  for (int i = 0; i < 1024; ++i) p[i] += static_cast<float>(0.5 * i / 1023.0);
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, "", ui);
  ASSERT_TRUE(a.PrepareRun());
  WaveBurst b;
  bursts.GetBurst(0, b);
  WaveBurstResult r;
  a.AnalyseBurst(b, r);
  EXPECT_NEAR(r.meanPressure, HydrostaticPsia(5, SeawaterDensity(35, 0)) + 0.25, 1e-4);
  EXPECT_NEAR(r.significantHeight, 4 * std::sqrt(0.02), 0.01);
  EXPECT_NEAR(r.peakPeriod, 512.0 / 73, 1e-9);
  // A cutoff of 0.1 at M = 1024 cuts 105 samples at each end; the variance sees 814.
  EXPECT_EQ(r.cutSamples, 210);
  EXPECT_NEAR(r.stats.variance, 0.02, 0.002);
}

TEST(WaveAnalysis, FilterFactors) {
  const double t = 100;  // harmonic m has frequency m / 100 Hz
  // Without the taper everything outside the limits is exactly zero.
  EXPECT_EQ(CoefficientFilterFactor(31, t, 5, 30, 40, 0.05, 0.25, false, 0.05), 0);
  EXPECT_EQ(CoefficientFilterFactor(41, t, 5, 50, 40, 0.05, 0.25, true, 0.05), 0);
  EXPECT_EQ(CoefficientFilterFactor(4, t, 5, 30, 40, 0.05, 0.25, false, 0.05), 0);
  EXPECT_EQ(CoefficientFilterFactor(5, t, 5, 30, 40, 0.05, 0.25, false, 0.05), 1);
  EXPECT_EQ(CoefficientFilterFactor(30, t, 5, 30, 40, 0.05, 0.25, false, 0.05), 1);
  // With it, a coefficient one cutoff beyond the corner keeps e^-1.
  EXPECT_NEAR(CoefficientFilterFactor(30, t, 5, 25, 40, 0.05, 0.25, true, 0.05), std::exp(-1),
              1e-12);
  EXPECT_NEAR(CoefficientFilterFactor(2, t, 5, 25, 40, 0.07, 0.25, true, 0.05), std::exp(-1),
              1e-12);
}

TEST(WaveAnalysis, ConfidenceMultipliersFallBackToOne) {
  CWaveSetup setup;
  setup.chiSquaredConfPercent = 100;
  CMemoryBursts bursts = SineBursts(1, 256, 0.5, 20, 0.2, 3);
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, "", ui);
  ASSERT_TRUE(a.PrepareRun());
  WaveBurst b;
  bursts.GetBurst(0, b);
  WaveBurstResult r;
  a.AnalyseBurst(b, r);
  EXPECT_EQ(r.lower, 1);
  EXPECT_EQ(r.upper, 1);
}

class WaveOutputs : public ::testing::Test {
 protected:
  // Two bursts of 1024 samples at 1 s from 1 m below the surface: every harmonic passes.
  void Run(int nse, bool from2000, bool extras) {
    setup.numberSpectralEstimates = nse;
    setup.outputFFTtoWSS = extras;
    setup.outputSurfaceWT = extras;
    bursts = SineBursts(2, 1024, 1.0, 98, 0.1, 1.0);
    bursts.from2000 = from2000;
    bursts.bursts[1].start = 86400.0 * 59 + 0.9;
    ScriptedInteraction ui;
    ui.QueueAnswer(MsgAnswer::Yes);
    CWaveAnalysis a(setup, bursts, dir.file("deploy."), ui);
    a.KeepResults(true);
    ASSERT_EQ(a.VerifySetup(), 1);
    ASSERT_EQ(a.ProcessBursts(), 1);
    results = a.Results();
  }
  std::string Text(const char* ext) { return ReadFile(dir.file(std::string("deploy.") + ext)); }

  TempDir dir;
  CWaveSetup setup;
  CMemoryBursts bursts;
  std::vector<WaveBurstResult> results;
};

TEST_F(WaveOutputs, AutoSpectrumWithSixBands) {
  Run(80, true, false);  // k_max 512: 6 bands
  auto lines = Lines(Text("was"));
  ASSERT_EQ(lines.size(), 1u + 2 * 4);
  EXPECT_EQ(lines[0], "TGR 41plus");
  EXPECT_EQ(lines[1].substr(0, 72),
            "*    0           0    1.00 1024   80     1.000    1.000  1028.106    90 ");
  EXPECT_EQ(lines[2].substr(0, 7), "     6 ");
  EXPECT_EQ(lines[3].size(), 2u + 4 * 16);
  EXPECT_EQ(lines[4].size(), 2u + 2 * 16);
  EXPECT_EQ(lines[5].substr(0, 22), "*    1     5097600    ");
  EXPECT_FALSE(std::filesystem::exists(dir.file("deploy.wss")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("deploy.wt")));
}

TEST_F(WaveOutputs, AutoSpectrumWithEightBandsEndsWithABlankLine) {
  Run(64, false, false);
  auto lines = Lines(Text("was"));
  ASSERT_EQ(lines.size(), 2u * 5);
  EXPECT_EQ(lines[0].substr(0, 2), "* ");  // no identification line for the older recorder
  EXPECT_EQ(lines[2].size(), 66u);
  EXPECT_EQ(lines[3].size(), 66u);
  EXPECT_EQ(lines[4], "  ");
}

TEST_F(WaveOutputs, StatisticsReportAndOptionalFiles) {
  Run(5, true, true);
  auto wts = Lines(Text("wts"));
  ASSERT_EQ(wts.size(), 1u + 2 * 3);
  EXPECT_EQ(wts[0], "TGR 41plus");
  EXPECT_EQ(wts[1].substr(0, 30), "*    0          0   1.00 1024 ");
  EXPECT_EQ(wts[2].size(), 2u + 4 * 17 - 1);
  EXPECT_EQ(wts[3].size(), 2u + 5 * 17 - 1);

  auto wss = Lines(Text("wss"));
  ASSERT_EQ(wss.size(), 2048u);
  EXPECT_EQ(wss[0].substr(0, 8), "    0   ");
  EXPECT_EQ(wss[1023].substr(0, 8), " 1023   ");
  EXPECT_EQ(wss[1024].substr(0, 8), "    0   ");
  EXPECT_EQ(wss[5].size(), 5u + 3 + 16 + 2 + 16);

  auto wt = Lines(Text("wt"));
  ASSERT_EQ(wt.size(), 1u + 2 * (1 + 256));
  EXPECT_EQ(wt[1], "* 0 0   1.00 1024");
  EXPECT_EQ(wt[2].size(), 56u);
  const std::string zero = std::string(8, ' ') + "0.0000";
  EXPECT_EQ(wt[2], zero + zero + zero + zero);  // the cut start of the series
  EXPECT_EQ(wt[258], "* 1 5097600   1.00 1024");

  auto rpt = Lines(Text("rpt"));
  ASSERT_EQ(rpt.size(), 20u + 2);
  EXPECT_EQ(rpt[0], "surface wave processing summary:");
  EXPECT_EQ(rpt[1], "file = " + dir.file("deploy.") + "wb");
  EXPECT_EQ(rpt[7], "burst # 0:");
  EXPECT_EQ(rpt[16], "");
  EXPECT_EQ(rpt[17], "MM/DD/YYYY HH:MM SIG.HT SIG.PER                  ENERGY (CM.SQ.)");
  EXPECT_EQ(rpt[18],
            "                  (CM)   (SEC)   22+   20   17   15   13   11    9    7    5    3");
  EXPECT_EQ(rpt[19], std::string(81, '-'));
  EXPECT_EQ(rpt[20].size(), 81u);
  EXPECT_EQ(rpt[20].substr(0, 16), "01/01/2000 00:00");
  EXPECT_EQ(rpt[21].substr(0, 16), "02/29/2000 00:00");
  // 0.1 m amplitude at 10.45 s, the centre of its band: Hs = 4 sqrt(0.005) = 28 cm, class "11".
  EXPECT_EQ(rpt[20].substr(16, 15), "     28     10 ");
  EXPECT_NEAR(results[0].classEnergy[5] * 10000, 50, 0.5);
}

class CountingBursts : public CMemoryBursts {
 public:
  bool GetBurst(int index, WaveBurst& out) const override {
    if (index == stopAt && stop) stop->Stop();
    ++fetched;
    return CMemoryBursts::GetBurst(index, out);
  }
  int stopAt = -1;
  ProcessControl* stop = nullptr;
  mutable int fetched = 0;
};

class RecordingPage : public CInteractionPage {
 public:
  using CInteractionPage::CInteractionPage;
  void ProgressPos(int percent) override {
    positions.push_back(percent);
    CInteractionPage::ProgressPos(percent);
  }
  std::vector<int> positions;
};

TEST(WaveAnalysisProgress, TheBurstLoopWaitsWhileSuspended) {
  TempDir dir;
  CWaveSetup setup;
  CMemoryBursts bursts;
  for (int i = 0; i < 200; ++i)
    bursts.bursts.push_back({i, 60.0 * i, 0.5, std::vector<float>(16, 20.0f)});
  ProcessControl control;
  testing::SuspendHalfway ui(control);
  CInteractionPage page(ui);
  CWaveAnalysis a(setup, bursts, dir.file("p."), ui, &page, &control);
  ASSERT_TRUE(a.PrepareRun());
  a.KeepResults(true);
  testing::ExpectRunWaitsWhileSuspended(control, ui, [&] { EXPECT_EQ(a.ProcessBursts(), 1); });
  EXPECT_EQ(a.BurstsDone(), 200);
}

TEST(WaveAnalysisProgress, StopFlagIsReadEveryStep) {
  for (auto [count, stopAt, done] : {std::tuple{150, 15, 16}, std::tuple{1000, 15, 20}}) {
    TempDir dir;
    CWaveSetup setup;
    CountingBursts bursts;
    ProcessControl stop;
    for (int i = 0; i < count; ++i)
      bursts.bursts.push_back({i, 60.0 * i, 0.5, std::vector<float>(16, 20.0f)});
    bursts.stopAt = stopAt;
    bursts.stop = &stop;
    ScriptedInteraction ui;
    RecordingPage page(ui);
    CWaveAnalysis a(setup, bursts, dir.file("p."), ui, &page, &stop);
    ASSERT_TRUE(a.PrepareRun());
    a.KeepResults(true);
    ASSERT_EQ(a.ProcessBursts(), 1);
    EXPECT_EQ(a.BurstsDone(), done) << count;
    // The position goes out for every burst and moves only at the steps.
    EXPECT_EQ(page.positions.size(), 1u + done);
    if (count == 1000) {
      EXPECT_EQ(page.positions[1 + 19], 1);
    }
    // A stopped run leaves no output that could pass for a whole one, and no temporary file.
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  }
}

}  // namespace
}  // namespace tidora

namespace tidora {
namespace {

TEST(WaveAnalysisFiles, AnOutputThatCannotBeOpenedStopsTheRun) {
  TempDir dir;
  CWaveSetup setup;
  CMemoryBursts bursts = ConstantBursts(1, 64, 0.5, 30);
  ScriptedInteraction ui;
  const std::string base = dir.file("missing/deploy.");
  CWaveAnalysis a(setup, bursts, base, ui);
  ASSERT_TRUE(a.PrepareRun());
  EXPECT_EQ(a.ProcessBursts(), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "File Error");
  EXPECT_EQ(ui.Messages()[0].text, base + "was cannot be opened for writing, contact Brennic.");
}

}  // namespace
}  // namespace tidora

namespace tidora {
namespace {

// The previous outputs of a run, written before the run under test.
void WritePreviousOutputs(const TempDir& dir) {
  for (const char* ext : {"was", "wts", "rpt"})
    testing::WriteFile(dir.file(std::string("p.") + ext), ext);
}

// The previous outputs, unchanged, and nothing else in the folder.
void ExpectPreviousOutputs(const TempDir& dir) {
  for (const char* ext : {"was", "wts", "rpt"})
    EXPECT_EQ(ReadFile(dir.file(std::string("p.") + ext)), ext);
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 3u);
}

TEST(WaveAnalysisFiles, AnOutputPlaceThatIsAFolderLeavesThePreviousOutputs) {
  TempDir dir;
  WritePreviousOutputs(dir);
  std::filesystem::remove(dir.file("p.wts"));
  std::filesystem::create_directory(dir.file("p.wts"));
  CWaveSetup setup;
  CMemoryBursts bursts = ConstantBursts(2, 64, 0.5, 30);
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, dir.file("p."), ui);
  ASSERT_TRUE(a.PrepareRun());
  EXPECT_EQ(a.ProcessBursts(), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].text,
            dir.file("p.wts") + " cannot be opened for writing, contact Brennic.");
  EXPECT_EQ(ReadFile(dir.file("p.was")), "was");
  EXPECT_EQ(ReadFile(dir.file("p.rpt")), "rpt");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("p.wts")));
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 3u);  // no temporary file is left
}

TEST(WaveAnalysisFiles, AStopLeavesThePreviousOutputsAsTheyWere) {
  TempDir dir;
  WritePreviousOutputs(dir);
  CWaveSetup setup;
  setup.outputSurfaceWT = 1;
  CountingBursts bursts;
  ProcessControl stop;
  for (int i = 0; i < 300; ++i)
    bursts.bursts.push_back({i, 60.0 * i, 0.5, std::vector<float>(64, 20.0f)});
  bursts.stopAt = 150;
  bursts.stop = &stop;
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, dir.file("p."), ui, nullptr, &stop);
  ASSERT_TRUE(a.PrepareRun());
  EXPECT_EQ(a.ProcessBursts(), 1);
  ExpectPreviousOutputs(dir);  // and no .wt, which the stopped run would have added

  // The whole run replaces them all at once.
  stop.Clear();
  bursts.stopAt = -1;
  CWaveAnalysis b(setup, bursts, dir.file("p."), ui, nullptr, &stop);
  ASSERT_TRUE(b.PrepareRun());
  EXPECT_EQ(b.ProcessBursts(), 1);
  EXPECT_EQ(Lines(ReadFile(dir.file("p.wts"))).size(), 1u + 3 * 300);
  EXPECT_TRUE(std::filesystem::exists(dir.file("p.wt")));
}

}  // namespace
}  // namespace tidora
