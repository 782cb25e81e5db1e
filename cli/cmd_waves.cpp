#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "postproc/tgr41_reader.h"
#include "wave/wave_module.h"

namespace tidora::cli {
namespace {

struct WavesOptions {
  std::string input;
  std::string setup;
  std::string outputDir;
  std::string nameAppend;
  std::vector<std::string> sets;
  bool yes = false;
};

std::string KeyList() {
  std::string keys;
  for (const std::string& k : CWaveSetup().ModuleKeyNames()) keys += (keys.empty() ? "" : ", ") + k;
  return keys;
}

RunFn SetupWaves(CLI::App& app) {
  auto o = std::make_shared<WavesOptions>();
  CLI::App* sub = app.add_subcommand(
      "waves",
      "Process a wave burst file: auto-spectrum (.was), time-series statistics (.wts) and report "
      "(.rpt), and on request surface elevation (.wt) and Fourier coefficients (.wss)");
  sub->add_option("input", o->input, "Wave burst file (.wb)")->required();
  sub->add_option("--setup", o->setup,
                  "Program setup file (.psa) of the wave module; default: the module's defaults");
  sub->add_option("--output-dir", o->outputDir,
                  "Folder for the outputs (default: the input file's folder)");
  CLI::Option* append =
      sub->add_option("--name-append", o->nameAppend, "Text added to the output file names");
  sub->add_option("--set", o->sets, "A setting KEY=VALUE of the SwellcalcWPsu section")
      ->type_name("KEY=VALUE");
  sub->add_flag("--yes", o->yes,
                "Answer Yes to the setup summary and allow overwriting existing outputs");
  sub->footer(
      "Output names: DIR/ROOT + name append + \".was\" and so on, ROOT being the input "
      "file's name without its extension.\nSettings keys: " +
      KeyList());
  return [o, append]() {
    CliInteraction ui(o->yes);
    CWaveModule module(ui);
    CWaveSetup& setup = module.WaveSetup();
    if (!o->setup.empty() && !setup.Load(o->setup, 1, ui)) return 1;
    for (const std::string& assignment : o->sets) {
      std::string key, value;
      if (!SplitAssignment(assignment, key, value)) {
        return UsageError("waves", "--set expects KEY=VALUE, not \"" + assignment + "\"");
      }
      std::string error = setup.AssignModuleSetting(key, value);
      if (!error.empty()) {
        return UsageError("waves", error + "\nSettings keys: " + KeyList());
      }
    }
    if (append->count()) setup.nameAppend = o->nameAppend;
    module.SetReaderFactory(DataFileReaderFactory());
    CInteractionPage page(ui);
    module.SetPage(&page);
    std::string error = module.PrepareFileRun(o->input, o->outputDir);
    if (!error.empty()) {
      std::fprintf(stderr, "tidora waves: %s\n", error.c_str());
      return 1;
    }
    page.SetInputNames(setup.inputFiles);
    module.overwriteWarning = true;
    module.RunAndWait();
    if (module.LastOutcome() != CWaveModule::Outcome::kDone) {
      std::string why = module.OutcomeText();
      if (!o->yes && (module.LastOutcome() == CWaveModule::Outcome::kDeclined ||
                      module.LastOutcome() == CWaveModule::Outcome::kCancelled))
        why += " (answer on a terminal, or give --yes)";
      std::fprintf(stderr, "tidora waves: %s\n", why.c_str());
      return 1;
    }
    for (const std::string& f : module.OutputFiles()) std::printf("%s\n", f.c_str());
    return 0;
  };
}

}  // namespace

TIDORA_COMMAND(700, SetupWaves);

}  // namespace tidora::cli
