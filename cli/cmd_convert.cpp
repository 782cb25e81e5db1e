// `tidora convert`: an upload file (.hex) into a tide file (.tid), a wave burst file (.wb) and,
// for the TGR 77 BPR, a reference file (.ref), with the coefficient file of the settings folder.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "cli/command.h"
#include "convert/converter.h"
#include "platform/interaction.h"

namespace tidora::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

struct ConvertArgs {
  std::vector<std::string> args;      // the input file, and "/v"-style switches
  std::vector<std::string> switches;  // every switch in command-line order
  std::string tid, wb;
  int startYear = 2000;
};

void PrintSummary(const ConvertRequest& r, const ConvertSummary& s) {
  std::printf("Converted %s\n", r.input.c_str());
  std::printf("  tide file       %s: %ld records\n", r.tide.c_str(), s.tideRecords);
  if (s.family == InstrumentFamily::kTgr77Bpr) {
    std::printf("  reference file  %s: %ld records\n", s.referencePath.c_str(), s.referenceRecords);
  } else {
    std::printf("  wave burst file %s: %d bursts, %ld rows of 4 samples\n", r.wave.c_str(),
                s.bursts, s.burstRows);
  }
}

int Run(ConvertArgs& a) {
  ConvertRequest req;
  for (const std::string& s : a.args) {
    if (s.size() == 2 && s[0] == '/') continue;  // a switch, applied below
    if (!req.input.empty()) {
      return UsageError("convert", "more than one input file (" + s + ")");
    }
    req.input = s;
  }
  for (const std::string& s : a.switches) {
    if (!ApplyOutputSwitch(s, req.modes)) {
      return UsageError("convert", "unknown switch " + s);
    }
  }
  // As the Browse button sets them: the input's path with the extensions tid and wb.
  std::string tide, wave;
  CHexConverter::OutputPathsFor(req.input, tide, wave);
  req.tide = a.tid.empty() ? tide : a.tid;
  req.wave = a.wb.empty() ? wave : a.wb;
  req.startYear = a.startYear;

  CliInteraction ui;
  CHexConverter converter(ui);
  if (converter.Start(req) != ConvertStart::kStarted) return 1;
  // Ctrl-C stops the run as the dialog's Cancel does: the previous files stay as they were.
  g_interrupted = 0;
  auto old = std::signal(SIGINT, [](int) { g_interrupted = 1; });
  while (converter.IsRunning()) {
    if (g_interrupted) {
      converter.Stop();
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ConvertSummary s = converter.Wait();
  std::signal(SIGINT, old);
  if (s.outcome != ConvertOutcome::kFinished) return 1;
  PrintSummary(req, s);
  return 0;
}

RunFn SetupConvert(CLI::App& app) {
  auto a = std::make_shared<ConvertArgs>();
  CLI::App* sub = app.add_subcommand(
      "convert", "Convert an upload file (.hex) into tide (.tid) and wave burst (.wb) files");
  sub->footer(
      "The calibration coefficients come from the upload file's header and from CNVHex.ini in "
      "the settings folder ($TIDORA_HOME, else ~/.config/tidora): its pressure slope and "
      "offset corrections, and for the older TGR 41 its thermistor and conductivity "
      "coefficients. Without that file nothing is converted. Create one with `tidora "
      "recorder-sim` (which writes the coefficients of its simulated recorder there) or with "
      "the coefficient dialog of Convert HEX. For the TGR 77 BPR the reference records go to a "
      "file named like the tide file with the extension ref. Switches are also accepted as /v, "
      "/t, /d in either case. The exit status is 0 when the conversion finished.");
  sub->add_option("input", a->args, "Upload file (.hex)")
      ->required()
      ->trigger_on_parse()
      ->each([a](const std::string& s) {
        if (s.size() == 2 && s[0] == '/') a->switches.push_back(s);
      });
  sub->add_option("--tid", a->tid, "Tide file to write (default: INPUT with extension tid)");
  sub->add_option("--wb", a->wb, "Wave burst file to write (default: INPUT with extension wb)");
  sub->add_option("--start-year", a->startYear,
                  "Year the recording began, 1990 to 2100 (used for the TGR 41, which reports "
                  "itself as TIDEWELL, only)")
      ->capture_default_str();
  auto flag = [&](const char* names, const char* sw, const char* help) {
    sub->add_flag_function(
           names, [a, sw](std::int64_t) { a->switches.push_back(sw); }, help)
        ->trigger_on_parse();
  };
  flag("-v,-V", "-v", "TGR 41: write the thermistor voltage instead of the temperature");
  flag("-t,-T", "-t",
       "TGR 77 BPR: write the frequency columns (pressure and temperature frequency, pressure, "
       "temperature, the record's integer); excludes -d, the later one wins");
  flag("-d,-D", "-d", "TGR 77 BPR tsunami layout: write the raw counts; excludes -t");
  return [a]() { return Run(*a); };
}

}  // namespace

TIDORA_COMMAND(160, SetupConvert);

}  // namespace tidora::cli
