#include "launch/plan_deployment.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/settings_dir.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

using Lines = std::vector<std::string>;

DeploymentPlan Plan(double d, double h, double dt, int n, int m) {
  DeploymentPlan p;
  p.waterDepth = d;
  p.instrumentHeight = h;
  p.samplePeriod = dt;
  p.samplesPerBurst = n;
  p.estimatesPerBand = m;
  ComputeSpectralParameters(p);
  return p;
}

TEST(WaveNumber, SatisfiesTheDispersionRelation) {
  for (double depth : {0.5, 5.0, 20.0, 200.0}) {
    for (double period : {1.0, 4.0, 10.0, 25.0}) {
      double k = WaveNumber(depth, period);
      double omega = 2 * M_PI / period;
      // The iteration stops on a step of 1e-6 in k D.
      EXPECT_NEAR(kGravity * k * std::tanh(k * depth) / (omega * omega), 1.0, 1e-5)
          << depth << " m, " << period << " s";
    }
  }
}

TEST(WaveNumber, ShallowAndDeepWaterLimits) {
  // Shallow: k = omega / sqrt(g D).
  EXPECT_NEAR(WaveNumber(1, 200) / (2 * M_PI / 200 / std::sqrt(kGravity)), 1.0, 1e-4);
  // Deep: k = omega^2 / g.
  // (The dispersion factor is the recorder family's own rounding of 4 pi^2 / g.)
  EXPECT_NEAR(WaveNumber(1000, 2) / (std::pow(2 * M_PI / 2, 2) / kGravity), 1.0, 1e-6);
  EXPECT_NEAR(kDispersionFactor / (4 * M_PI * M_PI / kGravity), 1.0, 1e-6);
}

TEST(WaveNumber, NoWaveWithoutDepthOrPeriod) {
  EXPECT_EQ(WaveNumber(0, 5), 0);
  EXPECT_EQ(WaveNumber(-3, 5), 0);
  EXPECT_EQ(WaveNumber(10, 0), 0);
  EXPECT_EQ(WaveNumber(10, -1), 0);
  EXPECT_EQ(WaveNumber(NAN, 5), 0);
  // Extreme ratios end instead of spinning on a quotient of infinities or zeros.
  EXPECT_EQ(WaveNumber(1e-300, 1e300), 0);
  EXPECT_TRUE(std::isinf(WaveNumber(20, 1e-200)));
  EXPECT_EQ(PressureAttenuation(20, 19, 1e-200), 0);
}

TEST(PressureAttenuation, HyperbolicFormInShallowWater) {
  double k = WaveNumber(20, 8);
  EXPECT_DOUBLE_EQ(PressureAttenuation(20, 19, 8), std::cosh(k * 1) / std::cosh(k * 20));
  EXPECT_EQ(PressureAttenuation(20, 0, 8), 1.0);
  EXPECT_LT(PressureAttenuation(20, 19, 4), PressureAttenuation(20, 19, 8));
}

TEST(PressureAttenuation, ExponentialFormBeyondKD100) {
  // D = 100 m, T = 1 s: k D is about 402.
  double k = WaveNumber(100, 1);
  ASSERT_GT(k * 100, 100);
  EXPECT_DOUBLE_EQ(PressureAttenuation(100, 0.5, 1), std::exp(-k * 0.5));
  // Just below the switch the hyperbolic form is used, and both forms agree closely there.
  double t = 2 * M_PI / std::sqrt(kGravity * 99.0 / 20);  // k D about 99 at D = 20 m
  double k2 = WaveNumber(20, t);
  ASSERT_LT(k2 * 20, 100);
  EXPECT_DOUBLE_EQ(PressureAttenuation(20, 0.05, t), std::cosh(k2 * 19.95) / std::cosh(k2 * 20));
  EXPECT_NEAR(PressureAttenuation(20, 0.05, t), std::exp(-k2 * 0.05), 1e-12);
}

TEST(PressureAttenuation, InstrumentAboveTheSurfaceUsesItsDistance) {
  // Height 25 m in 20 m of water: z = -5, treated as 5 m below the surface.
  EXPECT_DOUBLE_EQ(InstrumentDepth(20, 25), -5);
  EXPECT_DOUBLE_EQ(PressureAttenuation(20, -5, 6), PressureAttenuation(20, 5, 6));
  DeploymentPlan above = Plan(20, 25, 0.25, 1024, 10);
  DeploymentPlan below = Plan(20, 15, 0.25, 1024, 10);
  EXPECT_EQ(above.numBands, below.numBands);
  EXPECT_DOUBLE_EQ(above.lastBandCentre, below.lastBandCentre);
}

TEST(SpectralParameters, Defaults) {
  DeploymentPlan p = Plan(20, 1, 0.25, 1024, 10);
  EXPECT_DOUBLE_EQ(p.bandWidth, 10.0 / 256);
  // The highest resolved Fourier index is the last one above the threshold.
  int n = HighestResolvedFourierIndex(20, 19, 1024, 0.25);
  ASSERT_GT(n, 0);
  ASSERT_LT(n, 512);
  EXPECT_GT(PressureAttenuation(20, 19, 256.0 / n), 0.01);
  EXPECT_LE(PressureAttenuation(20, 19, 256.0 / (n + 1)), 0.01);
  EXPECT_EQ(p.numBands, n / 10);
  EXPECT_DOUBLE_EQ(p.firstBandCentre, 5.5 / 256);
  EXPECT_DOUBLE_EQ(p.lastBandCentre, ((p.numBands - 1) * 10 + 5.5) / 256);
  Lines lines = PlanResultLines(p);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], std::to_string(p.numBands) + " Bands Calculated");
  EXPECT_EQ(lines[1], "Band Width (Hz): 0.0391");
  char span[64];
  std::snprintf(span, sizeof span, "Frequency Span (Hz): 0.0215 - %6.4f", p.lastBandCentre);
  EXPECT_EQ(lines[2], span);
}

TEST(SpectralParameters, EveryIndexResolvedNearTheSurface) {
  // 5 cm under the surface even the Nyquist frequency passes: n = N / 2.
  DeploymentPlan p = Plan(20, 19.95, 0.25, 1024, 10);
  EXPECT_EQ(p.numBands, 51);
  EXPECT_EQ(PlanResultLines(p)[2], "Frequency Span (Hz): 0.0215 - 1.9746");
}

TEST(SpectralParameters, OneSampleGivesNoBands) {
  DeploymentPlan p = Plan(20, 1, 0.25, 1, 10);
  EXPECT_EQ(p.numBands, 0);
  EXPECT_EQ(PlanResultLines(p), (Lines{"0 Bands Calculated", "Band Width (Hz): 40.0000",
                                       "Frequency Span (Hz): 0.0000 - 0.0000"}));
}

TEST(SpectralParameters, DegenerateInputsGiveNoBandsInsteadOfFaults) {
  for (const DeploymentPlan& p :
       {Plan(20, 1, 0.25, 1024, 0), Plan(20, 1, 0.25, 1024, -3), Plan(20, 1, 0, 1024, 10),
        Plan(20, 1, 0.25, 0, 10), Plan(20, 1, -0.25, 1024, 10), Plan(NAN, 1, 0.25, 1024, 10)}) {
    EXPECT_EQ(p.numBands, 0);
    EXPECT_EQ(p.firstBandCentre, 0);
    EXPECT_EQ(p.lastBandCentre, 0);
    EXPECT_TRUE(std::isfinite(p.bandWidth));
  }
}

TEST(AttenuationCurve, HundredPeriodsFromAQuarterSecondTo25Seconds) {
  DeploymentPlan p = Plan(20, 1, 0.25, 1024, 10);
  auto curve = AttenuationCurve(p);
  ASSERT_EQ(curve.size(), 100u);
  EXPECT_DOUBLE_EQ(curve.front().period, 0.25);
  EXPECT_DOUBLE_EQ(curve.back().period, 25.0);
  for (size_t i = 1; i < curve.size(); ++i) {
    EXPECT_DOUBLE_EQ(curve[i].period, 0.25 * static_cast<double>(i + 1));
    EXPECT_GE(curve[i].attenuation, curve[i - 1].attenuation);
    EXPECT_LE(curve[i].attenuation, 1.0);
  }
  EXPECT_DOUBLE_EQ(curve[39].attenuation, PressureAttenuation(20, 19, 10.0));
  EXPECT_LT(curve.front().attenuation, 1e-30);
}

TEST(PlanSettings, DefaultsWhenMissing) {
  testing::TempHome home;
  DeploymentPlan p = ReadPlanSettings();
  EXPECT_EQ(p.waterDepth, 20.0);
  EXPECT_EQ(p.instrumentHeight, 1.0);
  EXPECT_EQ(p.samplePeriod, 0.25);
  EXPECT_EQ(p.samplesPerBurst, 1024);
  EXPECT_EQ(p.estimatesPerBand, 10);
}

TEST(PlanSettings, WrittenWithPrintfFormatsAndReadBack) {
  testing::TempHome home;
  DeploymentPlan p;
  p.waterDepth = 12.5;
  p.instrumentHeight = 0.75;
  p.samplePeriod = 0.5;
  p.samplesPerBurst = 2048;
  p.estimatesPerBand = 8;
  ASSERT_TRUE(WritePlanSettings(p));
  std::string ini = testing::ReadFile(SettingsFile("TidoraWaves.ini"));
  for (const char* line :
       {"WaterDepth=12.500000", "InstrumentHeight=0.750000", "SpectralEstimatesPerBand=8",
        "SampleInterval=0.500000", "NumberofPointsPerWaveBurst=2048"})
    EXPECT_NE(ini.find(line), std::string::npos) << line;
  EXPECT_NE(ini.find("[PlanDeployment]"), std::string::npos);
  DeploymentPlan back = ReadPlanSettings();
  EXPECT_EQ(back.waterDepth, 12.5);
  EXPECT_EQ(back.instrumentHeight, 0.75);
  EXPECT_EQ(back.samplePeriod, 0.5);
  EXPECT_EQ(back.samplesPerBurst, 2048);
  EXPECT_EQ(back.estimatesPerBand, 8);
}

TEST(PlanSettings, TextIsConvertedLikeTheDialogDoes) {
  testing::TempDir dir;
  std::string f = dir.file("TidoraWaves.ini");
  testing::WriteFile(f,
                     "[plandeployment]\r\nwaterdepth=15.5 m\r\nInstrumentHeight=deep\r\n"
                     "SampleInterval=nan\r\nSpectralEstimatesPerBand=x\r\n"
                     "WaterDepthX=1\r\nNumberofPointsPerWaveBurst=" +
                         std::string(600, '9') + "\r\n");
  DeploymentPlan p = ReadPlanSettings(f);
  EXPECT_EQ(p.waterDepth, 15.5);
  EXPECT_EQ(p.instrumentHeight, 0);
  EXPECT_EQ(p.samplePeriod, 0);
  EXPECT_EQ(p.estimatesPerBand, 0);
  // The computation of such a plan still ends with no bands.
  ComputeSpectralParameters(p);
  EXPECT_EQ(p.numBands, 0);
}

}  // namespace
}  // namespace tidora
