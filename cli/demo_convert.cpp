// Demo steps of the conversion: a simulated deployment's upload file, then its conversion.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "cli/command.h"
#include "cli/demo_deployment.h"
#include "convert/converter.h"
#include "sim/recorder.h"
#include "sim/upload.h"

namespace tidora::cli {
namespace {

int SimulateDeployment(DemoContext& ctx) {
  // The demo keeps its settings to itself, so a user's CNVHex.ini is never overwritten.
  if (!std::getenv("TIDORA_HOME")) setenv("TIDORA_HOME", (ctx.dir + "/settings").c_str(), 1);
  // The same deployment is served on a serial line by the upload step.
  sim::Options o = DemoDeploymentOptions();
  sim::Deployment d = sim::Simulate(o);
  std::string hex = ctx.dir + "/demo.hex";
  std::string coef = CoefficientFilePath();
  if (!sim::WriteUploadFile(d, hex) || !sim::WriteCoefficients(d, coef)) {
    std::fprintf(stderr, "cannot write %s or %s\n", hex.c_str(), coef.c_str());
    return 1;
  }
  std::printf("TGR 41plus, quartz pressure sensor and conductivity cell, on the bottom at %.0f m\n",
              o.depth);
  std::printf("%zu tide samples every %.0f minutes, a burst of %d samples at %.2f s every %d\n",
              d.tides.size(), o.tideInterval / 60, o.samplesPerBurst, o.samplePeriod, o.burstEvery);
  std::printf("sea state: significant height %.1f m, peak period %.0f s\n", o.waveHeight,
              o.peakPeriod);
  std::printf("wrote %s (%zu bursts) and %s\n", hex.c_str(), d.bursts.size(), coef.c_str());
  return 0;
}

int ConvertUpload(DemoContext& ctx) {
  ConvertRequest req;
  req.input = ctx.dir + "/demo.hex";
  req.tide = ctx.dir + "/demo.tid";
  req.wave = ctx.dir + "/demo.wb";
  CliInteraction ui(false, true);
  CHexConverter converter(ui);
  if (converter.Start(req) != ConvertStart::kStarted) return 1;
  ConvertSummary s = converter.Wait();
  if (s.outcome != ConvertOutcome::kFinished) return 1;
  std::printf("Finished conversion...\n");
  std::printf("%s: %ld tide records\n", req.tide.c_str(), s.tideRecords);
  std::printf("%s: %d bursts, %ld rows of 4 pressures\n", req.wave.c_str(), s.bursts, s.burstRows);
  std::ifstream tid(req.tide);
  std::string line;
  std::printf("first tide records:\n");
  for (int i = 0; i < 3 && std::getline(tid, line); ++i) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::printf("  %s\n", line.c_str());
  }
  return 0;
}

}  // namespace

TIDORA_DEMO_STEP(300, "Simulate the deployment", SimulateDeployment);
TIDORA_DEMO_STEP(500, "Convert the upload", ConvertUpload);

}  // namespace tidora::cli
