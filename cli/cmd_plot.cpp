// `tidora plot FILE... --output PICTURE`: draws data files as the Plot Data window does, into
// a PNG, SVG or PDF file, without a display.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "datafile/dump.h"
#include "platform/interaction.h"
#include "plot/plot_data.h"
#include "plot/plot_setup.h"
#include "plot/ui/plot_chart.h"

namespace tidora::cli {
namespace {

struct PlotOptions {
  std::vector<std::string> files;
  std::string setup;
  std::string kind;
  std::string vars;
  std::string bursts;
  std::vector<std::string> sets;
  int width = 0, height = 0;
  std::string output;
};

std::string KeyList() {
  std::string keys;
  for (const std::string& k : CPlotSetup().ModuleKeyNames()) keys += (keys.empty() ? "" : ", ") + k;
  return keys;
}

int Usage(const std::string& text) {
  std::fprintf(stderr, "tidora plot: %s\n", text.c_str());
  return 2;
}

// The settings: the setup file, then --set, then the options that name a setting.
int Settle(const PlotOptions& o, CPlotSetup& setup, Interaction& ui) {
  if (!o.setup.empty() && !setup.Load(o.setup, 1, ui)) return 1;
  auto assign = [&](const std::string& key, const std::string& value) {
    std::string error = setup.AssignModuleSetting(key, value);
    if (!error.empty()) Usage(error + "\nSettings keys: " + KeyList());
    return error.empty();
  };
  for (const std::string& assignment : o.sets) {
    std::string key, value;
    if (!SplitAssignment(assignment, key, value))
      return Usage("--set expects KEY=VALUE, not \"" + assignment + "\"");
    if (!assign(key, value)) return 2;
  }
  if (!o.kind.empty()) {
    const int kind = PlotKindFromName(o.kind);
    if (kind < 0)
      return Usage("--kind \"" + o.kind +
                   "\" is not one of natural, tide, samples, statistics, spectra, spectrogram");
    setup.plotKind = kind;
  }
  if (!o.vars.empty() && !assign("PlotVariables", o.vars)) return 2;
  if (!o.bursts.empty()) {
    std::string error;
    if (!ParseBurstRange(o.bursts, setup.firstBurst, setup.lastBurst, error))
      return Usage("--bursts: " + error);
  }
  if (o.width && !assign("PictureWidth", std::to_string(o.width))) return 2;
  if (o.height && !assign("PictureHeight", std::to_string(o.height))) return 2;
  return 0;
}

RunFn SetupPlot(CLI::App& app) {
  auto o = std::make_shared<PlotOptions>();
  CLI::App* sub = app.add_subcommand(
      "plot",
      "Draw data files (.tid, .wb, .was, .wts, .wt) into a picture (.png, .svg or .pdf) as the "
      "Plot Data window draws them");
  sub->add_option("FILE", o->files, "Data files; all must give the same kind of plot")->required();
  sub->add_option("--output", o->output, "The picture: .png, .svg or .pdf")->required();
  sub->add_option("--kind", o->kind,
                  "natural (default: each file's own plot), tide, samples, statistics, spectra "
                  "or spectrogram");
  sub->add_option("--vars", o->vars, "Variable ids to draw, separated by commas (like 19,27)");
  sub->add_option("--bursts", o->bursts, "Bursts to draw: A, A-B or A- (counted from 1)");
  sub->add_option("--setup", o->setup, "Program setup file (.psa) of the Plot Data module");
  sub->add_option("--set", o->sets, "A setting KEY=VALUE of the PlotDataPsu section")
      ->type_name("KEY=VALUE");
  sub->add_option("--width", o->width, "Picture width in pixels (default 1000)");
  sub->add_option("--height", o->height, "Picture height in pixels (default 600)");
  sub->footer("Settings keys: " + KeyList());
  return [o]() {
    CliInteraction ui(false);
    CPlotSetup setup;
    if (int status = Settle(*o, setup, ui)) return status;
    PlotModel model;
    std::string error;
    if (!BuildPlot(o->files, setup.Plot(), model, error, &ui)) {
      std::fprintf(stderr, "tidora plot: %s\n", error.c_str());
      return 1;
    }
    ui::EnsurePictureApplication();
    if (!ui::SavePlotPicture(model, setup.pictureWidth, setup.pictureHeight, o->output, error)) {
      std::fprintf(stderr, "tidora plot: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s\n", o->output.c_str());
    return 0;
  };
}

}  // namespace

TIDORA_COMMAND(880, SetupPlot);

}  // namespace tidora::cli

// Drawing loads the font library, which keeps caches for the life of the process; they are
// not the program's leaks.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
