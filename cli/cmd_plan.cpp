#include <cstdio>
#include <memory>

#include "cli/command.h"
#include "launch/plan_deployment.h"

namespace tidora::cli {
namespace {

struct PlanOptions {
  double depth = 0, height = 0, samplePeriod = 0;
  int samples = 0, estimates = 0;
  bool curve = false;
  bool save = false;
};

RunFn SetupPlan(CLI::App& app) {
  auto o = std::make_shared<PlanOptions>();
  CLI::App* sub = app.add_subcommand(
      "plan",
      "Plan a deployment: the wave bands a burst resolves at the mooring depth, and the pressure "
      "attenuation against wave period");
  sub->footer(
      "An option not given takes its value from [PlanDeployment] in TidoraWaves.ini (keys "
      "WaterDepth, InstrumentHeight, SampleInterval, NumberofPointsPerWaveBurst, "
      "SpectralEstimatesPerBand), else its default: 20.0 m, 1.0 m, 0.25 s, 1024, 10.");
  // Values without physical sense are usage errors.
  CLI::Option* depth =
      sub->add_option("--depth", o->depth, "Water depth (meters)")->check(GreaterThanZero());
  CLI::Option* height =
      sub->add_option("--height", o->height, "Instrument height above bottom (meters)")
          ->check(NotNegative());
  CLI::Option* period =
      sub->add_option("--sample-period", o->samplePeriod, "Wave sample duration (seconds)")
          ->check(GreaterThanZero());
  CLI::Option* samples =
      sub->add_option("--samples", o->samples, "Wave samples per burst")->check(GreaterThanZero());
  CLI::Option* estimates =
      sub->add_option("--estimates", o->estimates, "Spectral estimates per band")
          ->check(GreaterThanZero());
  sub->add_flag("--curve", o->curve,
                "Also print the attenuation curve: 100 lines \"period attenuation\" for periods "
                "0.25 to 25.00 s");
  sub->add_flag("--save", o->save, "Store the values used in TidoraWaves.ini");
  return [=]() {
    DeploymentPlan plan = ReadPlanSettings();
    if (depth->count()) plan.waterDepth = o->depth;
    if (height->count()) plan.instrumentHeight = o->height;
    if (period->count()) plan.samplePeriod = o->samplePeriod;
    if (samples->count()) plan.samplesPerBurst = o->samples;
    if (estimates->count()) plan.estimatesPerBand = o->estimates;
    ComputeSpectralParameters(plan);
    for (const std::string& line : PlanResultLines(plan)) std::printf("%s\n", line.c_str());
    if (o->curve)
      for (const AttenuationPoint& p : AttenuationCurve(plan))
        std::printf("%.2f %.6f\n", p.period, p.attenuation);
    if (o->save && !WritePlanSettings(plan)) {
      std::fprintf(stderr, "tidora plan: cannot write the settings file TidoraWaves.ini\n");
      return 1;
    }
    return 0;
  };
}

}  // namespace

TIDORA_COMMAND(100, SetupPlan);

}  // namespace tidora::cli
