// `tidora report A.was A.wts`: one table of the chosen wave statistics of a wave run.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "reports/input_selection.h"
#include "reports/tabulon.h"

namespace tidora::cli {
namespace {

struct ReportOptions {
  std::vector<std::string> inputs;
  std::string setup;
  std::string output;
  std::vector<std::string> sets;
  bool yes = false;
};

std::string KeyList() {
  std::string keys;
  for (const std::string& k : CTabulonSetup().ModuleKeyNames())
    keys += (keys.empty() ? "" : ", ") + k;
  return keys;
}

RunFn SetupReport(CLI::App& app) {
  auto o = std::make_shared<ReportOptions>();
  CLI::App* sub = app.add_subcommand(
      "report",
      "Tabulate the wave statistics of a wave run: one row per burst from its auto-spectrum "
      "(.was) and time-series statistics (.wts) files");
  sub->add_option("inputs", o->inputs, "The run's .was and .wts files")->required();
  sub->add_option("--setup", o->setup,
                  "Program setup file (.psa) of the report module; default: the module's defaults");
  sub->add_option("--output", o->output,
                  "Report file (default: the first input in name order with extension .r41)");
  sub->add_option("--set", o->sets, "A setting KEY=VALUE of the TabulonPsu section")
      ->type_name("KEY=VALUE");
  sub->add_flag("--yes", o->yes, "Allow overwriting an existing report file");
  sub->footer(
      "Settings keys: " + KeyList() +
      ".\nSelectedColumnItems lists variable ids joined by \",\" (for example 2,4,24,25): 2 burst "
      "number, 4 date/time, 11/12 energy, 22/23 significant period, 24/25 significant wave "
      "height, 29/30 variance (auto spectrum/time series), 15 H1/10, 16 H1/100, 17 maximum "
      "height, 18 number of waves, 0 average period, 1 average height, 20 pressure sensor "
      "depth.\nColumnSeparator: 0 Space, 1 Tab, 2 Semicolon, 3 Colon. JulianDaysConvFmt: 0 "
      "Julian days, 1 hh:mm:ss, 2 dd mmm yyyy hh:mm:ss. LabelDataColumns, OutputHeaderInfo: 0 "
      "or 1.");
  return [o]() {
    CliInteraction ui(o->yes);
    CTabulon module(ui);
    CTabulonSetup& setup = module.ReportSetup();
    if (!o->setup.empty() && !setup.Load(o->setup, 1, ui)) return 1;
    for (const std::string& assignment : o->sets) {
      std::string key, value;
      if (!SplitAssignment(assignment, key, value)) {
        return UsageError("report", "--set expects KEY=VALUE, not \"" + assignment + "\"");
      }
      std::string error = setup.AssignModuleSetting(key, value);
      if (!error.empty()) {
        return UsageError("report", error + "\nSettings keys: " + KeyList());
      }
    }
    for (const std::string& in : o->inputs) {
      if (!IsDirectory(in) && !IsReportInputName(in)) {
        return UsageError("report", in + " is not a .was or .wts file");
      }
    }
    std::string error = module.PrepareReportRun(o->inputs, o->output);
    if (!error.empty()) {
      std::fprintf(stderr, "tidora report: %s\n", error.c_str());
      return 1;
    }
    if (!module.StartCheck()) return 1;
    CInteractionPage page(ui);
    page.SetInputNames(setup.inputFiles);
    module.SetPage(&page);
    module.overwriteWarning = true;
    module.RunAndWait();
    if (module.LastOutcome() != CTabulon::Outcome::kWritten) {
      std::string why = module.OutcomeText();
      if (!o->yes && module.LastOutcome() == CTabulon::Outcome::kCancelled)
        why += " (answer on a terminal, or give --yes)";
      std::fprintf(stderr, "tidora report: %s\n", why.c_str());
      return 1;
    }
    std::printf("%s\n", module.LastReportPath().c_str());
    return 0;
  };
}

}  // namespace

TIDORA_COMMAND(850, SetupReport);

}  // namespace tidora::cli
