#include <cstdio>

#include "cli/command.h"
#include "endurance/endurance_pages.h"
#include "launch/plan_deployment.h"
#include "platform/interaction.h"

namespace tidora::cli {
namespace {

// The demo deployment: a TGR 41plus quartz recorder moored in 10 m of water, 1 m above the
// bottom, sampling tide every 15 minutes for 60 seconds and a burst of 1024 samples at 0.25 s
// every 4 tide samples. The later demo steps simulate and convert this same scheme.
constexpr double kDemoDepth = 10.0;
constexpr double kDemoHeight = 1.0;
constexpr double kDemoSamplePeriod = 0.25;
constexpr int kDemoSamples = 1024;
constexpr int kDemoEstimatesPerBand = 10;
constexpr const char* kDemoTideIntervalMinutes = "15";
constexpr const char* kDemoTideDurationSeconds = "60";
constexpr const char* kDemoWavesEvery = "4";
constexpr const char* kDemoSamplesText = "1024";
constexpr const char* kDemoSampleDuration = "0.25";

int PlanStep(DemoContext&) {
  DeploymentPlan plan;
  plan.waterDepth = kDemoDepth;
  plan.instrumentHeight = kDemoHeight;
  plan.samplePeriod = kDemoSamplePeriod;
  plan.samplesPerBurst = kDemoSamples;
  plan.estimatesPerBand = kDemoEstimatesPerBand;
  ComputeSpectralParameters(plan);
  std::printf(
      "Water depth %.1f m, instrument %.1f m above the bottom, %d samples at %.2f s, "
      "%d estimates per band\n",
      plan.waterDepth, plan.instrumentHeight, plan.samplesPerBurst, plan.samplePeriod,
      plan.estimatesPerBand);
  for (const std::string& line : PlanResultLines(plan)) std::printf("%s\n", line.c_str());
  std::printf("Pressure attenuation p(inst)/p(surf):");
  for (const AttenuationPoint& p : AttenuationCurve(plan))
    if (p.period == 2 || p.period == 4 || p.period == 8 || p.period == 16)
      std::printf("  %.0f s %.4f", p.period, p.attenuation);
  std::printf("\n");
  return plan.numBands > 0 ? 0 : 1;
}

int EnduranceStep(DemoContext&) {
  using Id = EnduranceControl;
  CliInteraction ui;
  CQuartz page(ui);
  page.SetEntryText(Id::kTideInterval, kDemoTideIntervalMinutes);
  page.SetEntryText(Id::kTideDurationSeconds, kDemoTideDurationSeconds);
  page.SetEntryText(Id::kWavesEvery, kDemoWavesEvery);
  page.SetEntryText(Id::kSamplesPerBurst, kDemoSamplesText);
  page.SelectListText(Id::kSampleDuration, kDemoSampleDuration);
  std::printf(
      "%s: tide every %s minutes for %s s, waves every %s tide samples, %s samples at "
      "%s s\n",
      page.GetTitle().c_str(), kDemoTideIntervalMinutes, kDemoTideDurationSeconds, kDemoWavesEvery,
      kDemoSamplesText, kDemoSampleDuration);
  page.Calculate();
  if (!page.ResultsShown()) return 1;
  for (const std::string& line : page.ResultLines()) std::printf("%s\n", line.c_str());
  return 0;
}

}  // namespace

TIDORA_DEMO_STEP(100, "Plan the deployment", PlanStep);
TIDORA_DEMO_STEP(200, "Battery and memory endurance", EnduranceStep);

}  // namespace tidora::cli
