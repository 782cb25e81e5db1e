#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "merge/merge_module.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "postproc/tgr41_reader.h"

namespace tidora::cli {
namespace {

struct MergeOptions {
  std::vector<std::string> inputs;
  std::string setup;
  std::string output;
  std::vector<std::string> sets;
  bool yes = false;
};

int RunMerge(const MergeOptions& o) {
  CliInteraction ui(o.yes);
  CMergeModule module(ui);
  CMergeSetup& setup = module.MergeSetup();
  if (!o.setup.empty() && !setup.Load(o.setup, 1, ui)) return 1;
  for (const std::string& s : o.sets) {
    std::string key, value;
    if (!SplitAssignment(s, key, value)) {
      return UsageError("merge", "--set needs KEY=VALUE, not \"" + s + "\"");
    }
    if (std::string err = setup.AssignModuleSetting(key, value); !err.empty()) {
      return UsageError("merge", err);
    }
  }
  module.SetReaderFactory(DataFileReaderFactory());
  if (std::string err = module.PrepareFileRun(o.inputs[0], o.inputs[1], o.output); !err.empty()) {
    std::fprintf(stderr, "tidora merge: %s\n", err.c_str());
    return 1;
  }
  CInteractionPage page(ui);
  module.SetPage(&page);
  page.SetInputNames(setup.inputFiles);
  module.overwriteWarning = true;  // answered by --yes, by the person at a terminal, or refused
  module.RunAndWait();
  const std::string& out = module.LastOutputPath();
  switch (module.LastOutcome()) {
    case CMergeModule::Outcome::kDone:
      std::printf("%s\n", out.c_str());
      return 0;
    case CMergeModule::Outcome::kSkipped:
    case CMergeModule::Outcome::kCancelled:
      std::fprintf(stderr, "tidora merge: %s exists and was not overwritten%s\n", out.c_str(),
                   isatty(STDIN_FILENO) ? "" : " (--yes overwrites it)");
      return 1;
    case CMergeModule::Outcome::kStopped:
      std::fprintf(stderr, "tidora merge: stopped; %s is unchanged\n", out.c_str());
      return 1;
    case CMergeModule::Outcome::kNone:
    case CMergeModule::Outcome::kFailed:
      break;
  }
  std::fprintf(stderr, "tidora merge: nothing was written\n");
  return 1;
}

RunFn SetupMerge(CLI::App& app) {
  auto o = std::make_shared<MergeOptions>();
  CLI::App* sub = app.add_subcommand(
      "merge",
      "Remove barometric pressure from a tide file (.tid) with a barometric pressure file "
      "(.bp), optionally as water depth");
  sub->footer(
      "The input ending in .bp is the barometric file, the other the tide file. Without "
      "--output the result is named after the first input in name order with the extension "
      ".tid, in the inputs' directory: for dep.tid and dep.bp that is dep.tid itself, replaced "
      "once the merge has completed.\n"
      "Settings (--set KEY=VALUE, or the BaroblendPsu section of --setup):\n"
      "  BarometricPressureUnits  0 = psia (default), 1 = millibars\n"
      "  Gravity                  m/s^2 for the depth conversion (default 9.8)\n"
      "  AverageDensity           kg/m^3 for the depth conversion (default 1028)\n"
      "  ConvertToWaterDepth      1 = meters of water (default), 0 = psi");
  sub->add_option("inputs", o->inputs, "The tide file and the barometric pressure file")
      ->required()
      ->expected(2);
  sub->add_option("--setup", o->setup, "Program setup file (.psa) holding the merge settings");
  sub->add_option("--output", o->output, "Output tide file");
  sub->add_option("--set", o->sets, "A merge setting, KEY=VALUE (repeatable)");
  sub->add_flag("--yes", o->yes, "Overwrite an existing output without asking");
  return [o]() { return RunMerge(*o); };
}

}  // namespace

TIDORA_COMMAND(800, SetupMerge);

}  // namespace tidora::cli
