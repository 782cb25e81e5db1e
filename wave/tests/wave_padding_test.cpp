// Bursts whose length is not a power of two are zero-padded for the transform; these tests
// hold the window and normalisation to the real samples, and keep power-of-two bursts exactly
// as they were.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/interaction.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "wave/synthetic_sea.h"
#include "wave/wave_analysis.h"

namespace tidora {
namespace {

using testing::ReadFile;
using testing::TempDir;

// FNV-1a: a fixed fingerprint of a file's bytes.
uint64_t Fingerprint(const std::string& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string Hex(uint64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
  return buf;
}

struct GoldenCase {
  const char* name;
  int n;
  double dt;
  bool from2000;
  bool filter;
  // Fingerprints of .was, .wts, .rpt, .wss, .wt as the analysis wrote them before padded
  // bursts were windowed over their own length.
  const char* expected[5];
};

// Every output of a run over power-of-two bursts, byte for byte.
TEST(PaddedBursts, PowerOfTwoBurstsKeepTheirOutputsByteForByte) {
  const GoldenCase cases[] = {
      {"1024 samples at 2 Hz",
       1024,
       0.5,
       true,
       false,
       {"ce83323240d97db3", "2abb65da6dfd0514", "6b020994405c6b2c", "684a2d92f9173c05",
        "00d4761d67f47020"}},
      {"2048 samples at 4 Hz with the period filter",
       2048,
       0.25,
       false,
       true,
       {"e46a8f51da0cde3b", "834978eb56573bd4", "c279f863a2d2bd60", "a77c167afa02dcd2",
        "acceb523bfae3527"}},
  };
  const char* const exts[5] = {"was", "wts", "rpt", "wss", "wt"};
  for (const GoldenCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    CWaveSetup setup;
    setup.outputSurfaceWT = 1;
    setup.outputFFTtoWSS = 1;
    setup.height = 0.5;
    if (c.filter) {
      setup.useFilterCutoff = 1;
      setup.minimumPeriod = 3;
      setup.maximumPeriod = 20;
      setup.numberSpectralEstimates = 8;
      setup.hanningWindowCutoff = 0.2;
    }
    const double rho = SeawaterDensity(35, 0);
    CMemoryBursts bursts;
    bursts.from2000 = c.from2000;
    for (int i = 0; i < 3; ++i) {
      auto sea = NarrowSea(1.2 + 0.3 * i, 7.0 + i, c.n * c.dt, 5, 40 + i);
      bursts.bursts.push_back(
          {i + 1, 1800.0 * i, c.dt, SeaPressureBurst(sea, 8.5, 8.0, rho, c.n, c.dt)});
    }
    ScriptedInteraction ui;
    ui.QueueAnswer(MsgAnswer::Yes);
    CWaveAnalysis a(setup, bursts, dir.file("golden."), ui);
    ASSERT_EQ(a.VerifySetup(), 1);
    ASSERT_EQ(a.ProcessBursts(), 1);
    for (int f = 0; f < 5; ++f) {
      std::string text = ReadFile(dir.file(std::string("golden.") + exts[f]));
      // The report names the input by its path, which is a new folder every run.
      const size_t name = text.find("file = ");
      if (name != std::string::npos) text.erase(name, text.find('\n', name) - name);
      EXPECT_EQ(Hex(Fingerprint(text)), c.expected[f]) << exts[f];
    }
  }
}

// One burst analysed alone; the recorder sits just under the surface, where every period
// passes with a response of 1, so the spectrum sees the sea as it is.
WaveBurstResult Analyse(const std::vector<float>& pressure, double dt) {
  CWaveSetup setup;
  setup.height = 10;
  CMemoryBursts bursts;
  bursts.bursts.push_back({1, 0, dt, pressure});
  ScriptedInteraction ui;
  CWaveAnalysis a(setup, bursts, "", ui);
  WaveBurstResult r;
  EXPECT_TRUE(a.PrepareRun()) << a.DataErrorText();
  WaveBurst b;
  bursts.GetBurst(0, b);
  EXPECT_TRUE(a.AnalyseBurst(b, r));
  return r;
}

const int kLengths[] = {1000, 1024, 1500, 2048, 2049, 3000, 10240};

TEST(PaddedBursts, SineGivesTheSameHeightWhateverTheLength) {
  const double amplitude = 0.6, dt = 0.5, rho = SeawaterDensity(35, 0);
  const double expected = 4 * std::sqrt(amplitude * amplitude / 2);
  for (int n : kLengths) {
    SCOPED_TRACE(n);
    const std::vector<SeaComponent> sea = {{amplitude, 9.3, 0.4}};
    WaveBurstResult r = Analyse(SeaPressureBurst(sea, 10, 0, rho, n, dt), dt);
    EXPECT_EQ(r.m, TransformLength(n));
    EXPECT_NEAR(r.significantHeight, expected, 0.01 * expected);
    // The time series sees the sine's own variance, not the padding's zeros.
    EXPECT_NEAR(r.stats.variance, amplitude * amplitude / 2, 0.01 * amplitude * amplitude / 2);
    EXPECT_NEAR(r.stats.averagePeriod, 9.3, 0.1);
    EXPECT_NEAR(r.stats.averageHeight, 2 * amplitude, 0.02 * 2 * amplitude);
  }
}

TEST(PaddedBursts, RandomSeaGivesTheSameHeightWhateverTheLength) {
  const double hs = 1.8, dt = 0.5, rho = SeawaterDensity(35, 0);
  for (int n : kLengths) {
    SCOPED_TRACE(n);
    // Random phases at harmonics of each burst's own length: every burst holds exactly the
    // sea's variance, so its height is known whatever the length.
    const std::vector<SeaComponent> sea = NarrowSea(hs, 8.0, n * dt, 6, 11);
    WaveBurstResult r = Analyse(SeaPressureBurst(sea, 10, 0, rho, n, dt), dt);
    EXPECT_NEAR(r.significantHeight, hs, 0.01 * hs);
    EXPECT_NEAR(4 * std::sqrt(r.stats.variance), hs, 0.02 * hs);
  }
}

TEST(PaddedBursts, PaddingIsNeitherWindowedNorCutNorCounted) {
  const double amplitude = 0.5, dt = 0.5, rho = SeawaterDensity(35, 0);
  const int n = 1500;
  const std::vector<SeaComponent> sea = {{amplitude, 7.7, 1.1}};
  CWaveSetup setup;
  setup.height = 10;
  setup.outputSurfaceWT = 1;
  CMemoryBursts bursts;
  bursts.bursts.push_back({1, 0, dt, SeaPressureBurst(sea, 10, 0, rho, n, dt)});
  TempDir dir;
  ScriptedInteraction ui;
  ui.QueueAnswer(MsgAnswer::Yes);
  CWaveAnalysis a(setup, bursts, dir.file("p."), ui);
  a.KeepResults(true);
  ASSERT_EQ(a.VerifySetup(), 1);
  ASSERT_EQ(a.ProcessBursts(), 1);
  const WaveBurstResult& r = a.Results().at(0);
  // A cutoff of 0.1 on a window of 1500 samples cuts 308 of them (154 at each end), none
  // in the padded tail.
  int cut = 0;
  for (int i = 0; i < n; ++i) {
    const double s = std::sin(kPi * i / (n - 1));
    if (!(s * s > 0.1)) ++cut;
  }
  EXPECT_EQ(r.cutSamples, cut);
  EXPECT_EQ(cut, 308);
  // The .wt file keeps all M values, zeros on the tail.
  std::string wt = ReadFile(dir.file("p.wt"));
  std::vector<double> values;
  for (size_t p = 0, end; (end = wt.find("\r\n", p)) != std::string::npos; p = end + 2) {
    const std::string line = wt.substr(p, end - p);
    if (line.rfind("TGR", 0) == 0 || line.rfind("*", 0) == 0) continue;
    for (size_t f = 0; f + 14 <= line.size(); f += 14)
      values.push_back(std::stod(line.substr(f, 14)));
  }
  ASSERT_EQ(values.size(), 2048u);
  for (int i = n; i < 2048; ++i) ASSERT_EQ(values[i], 0.0) << i;
  EXPECT_GT(std::fabs(values[n / 2]) + std::fabs(values[n / 2 + 3]), 0.1);
}

}  // namespace
}  // namespace tidora
