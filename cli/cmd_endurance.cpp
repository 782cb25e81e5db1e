#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "cli/command.h"
#include "endurance/endurance_pages.h"
#include "platform/interaction.h"

namespace tidora::cli {
namespace {

using Id = EnduranceControl;

struct EnduranceOptions {
  int type = 0;
  std::string interval, duration, wavesEvery, samples, referenceEvery, warmUp;
  std::string sampleDuration, rtSamples;
  bool conductivity = false, noFirmware6 = false, rtStats = false, notContinuous = false;
  // The options as the command line parsed them, to tell which were given.
  const CLI::Option *intervalOpt = nullptr, *durationOpt = nullptr, *wavesOpt = nullptr,
                    *samplesOpt = nullptr, *sampleDurationOpt = nullptr, *conductivityOpt = nullptr,
                    *noFirmwareOpt = nullptr, *rtStatsOpt = nullptr, *rtSamplesOpt = nullptr,
                    *referenceOpt = nullptr, *notContinuousOpt = nullptr, *warmUpOpt = nullptr;
};

// One option as the page sees it: the control it sets and the option's text.
struct Given {
  const char* option;
  Id control;
  const CLI::Option* cli;
};

int Refuse(const std::string& text) {
  return UsageError("endurance", text);
}

// The list item that equals the given number, so "0.5" picks "0.50" and "512" picks "512".
std::optional<int> ListIndex(const std::vector<std::string>& items, const std::string& text) {
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return std::nullopt;
  for (size_t i = 0; i < items.size(); ++i)
    if (std::fabs(std::strtod(items[i].c_str(), nullptr) - v) < 1e-9) return static_cast<int>(i);
  return std::nullopt;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string s;
  for (const std::string& i : items) s += (s.empty() ? "" : ", ") + i;
  return s;
}

// The sub-command and its options, bound to `o`.
void DeclareOptions(CLI::App& app, EnduranceOptions* o) {
  CLI::App* sub = app.add_subcommand(
      "endurance", "Battery and memory endurance of a sampling plan, for one recorder type");
  sub->footer(
      "Types: 1 TGR 41, 2 TGR 41plus-Quartz, 3 TGR 41plus-Strain, 4 TGR 77 BPR.\n"
      "Each option fills one entry, list or box of the type's page; an option not given leaves "
      "its entry empty (read as 0). Entries are read like the page reads them: the leading "
      "number of the text, 0 when there is none.\n"
      "An option the type's page does not have is refused (exit status 2), and so is one whose "
      "control the page disables: --rt-samples needs --rt-stats, --rt-stats is refused with "
      "--no-firmware6, --warmup needs --not-continuous.\n"
      "Output: the result lines of the page, then its notes. When a rule fails, its message "
      "goes to stderr (type 4 lists every failing rule) and the exit status is 1.");
  sub->add_option("--type", o->type, "Recorder type, 1 to 4")->required()->check(CLI::Range(1, 4));
  o->intervalOpt = sub->add_option("--interval", o->interval, "Tide measurement interval (minutes)")
                       ->check(NotNegative());
  o->durationOpt =
      sub->add_option("--duration", o->duration,
                      "Tide measurement duration: seconds for types 2 and 3, minutes for type 4")
          ->check(NotNegative());
  o->wavesOpt = sub->add_option("--waves-every", o->wavesEvery,
                                "Measure waves every N tide samples (types 1 to 3)")
                    ->check(NotNegative());
  o->samplesOpt = sub->add_option("--samples", o->samples, "Wave samples per burst (types 1 to 3)")
                      ->check(NotNegative());
  o->sampleDurationOpt =
      sub->add_option("--sample-duration", o->sampleDuration,
                      "Wave sample duration in seconds: 1.00, 0.75, 0.50 or 0.25 (default 0.25; "
                      "types 1 to 3)");
  o->conductivityOpt = sub->add_flag("--conductivity", o->conductivity, "Conductivity");
  o->noFirmwareOpt =
      sub->add_flag("--no-firmware6", o->noFirmware6, "Firmware older than version 6.0 (type 2)");
  o->rtStatsOpt =
      sub->add_flag("--rt-stats", o->rtStats, "Output real-time wave statistics (types 2, 3)");
  o->rtSamplesOpt = sub->add_option(
      "--rt-samples", o->rtSamples,
      "Real-time wave statistics samples per burst: 16384, 8192, 4096, 2048, 1024 or 512 "
      "(default 512; types 2, 3)");
  o->referenceOpt = sub->add_option("--reference-every", o->referenceEvery,
                                    "Measure reference frequency every N tide samples (type 4)")
                        ->check(NotNegative());
  o->notContinuousOpt = sub->add_flag("--not-continuous", o->notContinuous,
                                      "Pressure sensor is not continuously powered (type 4)");
  o->warmUpOpt = sub->add_option("--warmup", o->warmUp,
                                 "Pressure sensor warm up (minutes; type 4, with "
                                 "--not-continuous)")
                     ->check(NotNegative());
}

// Fills the type's page as the options say, then calculates it.
int RunEndurance(const EnduranceOptions& o) {
  CliInteraction ui;
  std::unique_ptr<CDPCPageBase> page = MakeEndurancePage(o.type, ui);
  if (!page) return Refuse("--type must be 1, 2, 3 or 4");
  std::string type = std::to_string(o.type) + " (" + page->GetTitle() + ")";
  Id durationControl = o.type == 4 ? Id::kTideDurationMinutes : Id::kTideDurationSeconds;

  const Given entries[] = {
      {"--interval", Id::kTideInterval, o.intervalOpt},
      {"--duration", durationControl, o.durationOpt},
      {"--waves-every", Id::kWavesEvery, o.wavesOpt},
      {"--samples", Id::kSamplesPerBurst, o.samplesOpt},
      {"--reference-every", Id::kReferenceEvery, o.referenceOpt},
      {"--warmup", Id::kWarmUp, o.warmUpOpt},
  };
  const Given others[] = {
      {"--sample-duration", Id::kSampleDuration, o.sampleDurationOpt},
      {"--conductivity", Id::kConductivity, o.conductivityOpt},
      {"--no-firmware6", Id::kFirmware6, o.noFirmwareOpt},
      {"--rt-stats", Id::kStatistics, o.rtStatsOpt},
      {"--rt-samples", Id::kStatisticsSamples, o.rtSamplesOpt},
      {"--not-continuous", Id::kContinuousPower, o.notContinuousOpt},
  };
  // Everything given must exist on the page before anything is set.
  for (const auto* list : {&entries, &others})
    for (const Given& g : *list)
      if (g.cli->count() && !page->HasControl(g.control))
        return Refuse(std::string(g.option) + " does not apply to type " + type);

  // Boxes first, as their clicks enable the controls that depend on them.
  if (o.noFirmware6) page->SetCheck(Id::kFirmware6, false);
  if (o.notContinuous) page->SetCheck(Id::kContinuousPower, false);
  if (o.conductivity) page->SetCheck(Id::kConductivity, true);
  if (o.rtStats && !page->SetCheck(Id::kStatistics, true))
    return Refuse("--rt-stats needs firmware version 6.0 or greater (drop --no-firmware6)");
  for (const Given& g : entries) {
    if (!g.cli->count()) continue;
    // Only the warm-up entry is ever disabled: while the sensor is continuously powered.
    if (!page->SetEntryText(g.control, g.cli->as<std::string>()))
      return Refuse(std::string(g.option) + " needs --not-continuous");
  }
  if (o.sampleDurationOpt->count()) {
    auto items = page->ListItems(Id::kSampleDuration);
    auto index = ListIndex(items, o.sampleDuration);
    if (!index) return Refuse("--sample-duration must be one of " + Joined(items));
    page->SelectListItem(Id::kSampleDuration, *index);
  }
  if (o.rtSamplesOpt->count()) {
    auto items = page->ListItems(Id::kStatisticsSamples);
    auto index = ListIndex(items, o.rtSamples);
    if (!index) return Refuse("--rt-samples must be one of " + Joined(items));
    if (!page->SelectListItem(Id::kStatisticsSamples, *index))
      return Refuse("--rt-samples needs --rt-stats");
  }

  page->Calculate();
  if (!page->ResultsShown()) {
    // A rule's message has been shown; a note explains a calculation that could not end.
    if (!page->NoteLine().empty()) std::fprintf(stderr, "%s\n", page->NoteLine().c_str());
    return 1;
  }
  for (const std::string& line : page->ResultLines()) std::printf("%s\n", line.c_str());
  return 0;
}

RunFn SetupEndurance(CLI::App& app) {
  auto o = std::make_shared<EnduranceOptions>();
  DeclareOptions(app, o.get());
  return [o]() { return RunEndurance(*o); };
}

}  // namespace

TIDORA_COMMAND(200, SetupEndurance);

}  // namespace tidora::cli
