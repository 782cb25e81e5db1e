#include <cmath>
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "postproc/tgr41_reader.h"
#include "wave/wave_module.h"

namespace tidora::cli {
namespace {

// Processes the wave bursts the conversion step wrote and shows each burst's sea state.
int DemoWaves(DemoContext& ctx) {
  const std::string input = ctx.dir + "/demo.wb";
  if (!IsFile(input)) {
    std::printf("%s does not exist (the conversion step writes it); nothing to process.\n",
                input.c_str());
    return 0;
  }
  CliInteraction ui(true, true);
  CWaveModule module(ui);
  module.SetReaderFactory(DataFileReaderFactory());
  module.KeepResults(true);
  CInteractionPage page(ui);
  module.SetPage(&page);
  std::string error = module.PrepareFileRun(input, "");
  if (error.empty()) {
    std::printf("tidora waves %s --yes\n", input.c_str());
    std::fflush(stdout);
    module.RunAndWait();
    error = module.OutcomeText();
  }
  if (!error.empty()) {
    std::fprintf(stderr, "demo waves: %s\n", error.c_str());
    return 1;
  }
  std::printf("burst  start (s)   Hs 4*sqrt(E) (m)  peak period (s)  H1/3 (m)  waves\n");
  for (const WaveBurstResult& r : module.Results())
    std::printf("%5d %11ld %18.3f %16.2f %9.3f %6d\n", r.number, r.start, r.significantHeight,
                r.peakPeriod, r.stats.h13, r.stats.waves);
  for (const std::string& f : module.OutputFiles()) std::printf("wrote %s\n", f.c_str());
  return 0;
}

}  // namespace

TIDORA_DEMO_STEP(700, "Process the wave bursts", DemoWaves);

}  // namespace tidora::cli
