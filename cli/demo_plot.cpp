// Demo step, the last: draws the tide series, the wave height and period per burst and the
// spectrogram of the demo's files, as `tidora plot` does.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "outside/utility.h"
#include "plot/plot_data.h"
#include "plot/ui/plot_chart.h"

namespace tidora::cli {
namespace {

int DemoPlot(DemoContext& ctx) {
  struct Picture {
    const char* input;
    const char* output;
  };
  const Picture pictures[] = {{"demo.tid", "demo_tide.png"},
                              {"demo.wts", "demo_waves.png"},
                              {"demo.was", "demo_spectrogram.png"}};
  for (const Picture& p : pictures) {
    const std::string in = ctx.dir + "/" + p.input;
    const std::string out = ctx.dir + "/" + p.output;
    if (!IsFile(in)) {
      std::printf("%s does not exist (an earlier step writes it); nothing to draw.\n", in.c_str());
      continue;
    }
    std::printf("$ tidora plot %s --output %s\n", in.c_str(), out.c_str());
    std::fflush(stdout);
    PlotSettings settings;
    PlotModel model;
    std::string error;
    if (!BuildPlot({in}, settings, model, error)) {
      std::fprintf(stderr, "demo plot: %s\n", error.c_str());
      return 1;
    }
    ui::EnsurePictureApplication();
    if (!ui::SavePlotPicture(model, settings.pictureWidth, settings.pictureHeight, out, error)) {
      std::fprintf(stderr, "demo plot: %s\n", error.c_str());
      return 1;
    }
    std::printf("wrote %s (%s)\n", out.c_str(), model.title.c_str());
  }
  return 0;
}

}  // namespace

TIDORA_DEMO_STEP(990, "Draw the tide, the waves and the spectrogram", DemoPlot);

}  // namespace tidora::cli
