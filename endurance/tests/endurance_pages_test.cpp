#include "endurance/endurance_pages.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/interaction.h"
#include "testing/scripted_interaction.h"

namespace tidora {
namespace {

using Id = EnduranceControl;
using Lines = std::vector<std::string>;

struct Inputs {
  std::map<Id, std::string> entries;
  std::map<Id, bool> checks;  // clicked first, in id order
  std::string sampleDuration;
  std::string statisticsSamples;
};

std::vector<std::string> MessageTexts(const ScriptedInteraction& ui) {
  std::vector<std::string> texts;
  for (const auto& r : ui.Messages()) {
    EXPECT_EQ(r.caption, "Deploycalc");
    EXPECT_EQ(r.buttons, MsgButtons::Ok);
    EXPECT_EQ(r.icon, MsgIcon::None);
    texts.push_back(r.text);
  }
  return texts;
}

void Fill(CDPCPageBase& page, const Inputs& in) {
  for (const auto& [id, on] : in.checks) {
    ASSERT_TRUE(page.SetCheck(id, on));
  }
  for (const auto& [id, text] : in.entries) {
    ASSERT_TRUE(page.SetEntryText(id, text));
  }
  if (!in.sampleDuration.empty()) {
    ASSERT_TRUE(page.SelectListText(Id::kSampleDuration, in.sampleDuration));
  }
  if (!in.statisticsSamples.empty()) {
    ASSERT_TRUE(page.SelectListText(Id::kStatisticsSamples, in.statisticsSamples));
  }
}

// Runs a calculation on a fresh page of the type; returns the messages shown.
std::vector<std::string> Calc(int type, const Inputs& in, Lines* results = nullptr) {
  ScriptedInteraction ui;
  auto page = MakeEndurancePage(type, ui);
  Fill(*page, in);
  page->Calculate();
  if (results) *results = page->ResultLines();
  return MessageTexts(ui);
}

Inputs WavePlan() {
  return {{{Id::kTideInterval, "15"},
           {Id::kTideDurationSeconds, "60"},
           {Id::kWavesEvery, "4"},
           {Id::kSamplesPerBurst, "1024"}},
          {},
          "",
          ""};
}

Inputs Tgr41Plan() {
  Inputs in = WavePlan();
  in.entries.erase(Id::kTideDurationSeconds);
  return in;
}

Inputs BprPlan() {
  return {{{Id::kTideInterval, "15"}, {Id::kTideDurationMinutes, "1"}, {Id::kReferenceEvery, "96"}},
          {},
          "",
          ""};
}

TEST(EndurancePages, TypesTitlesAndCaptions) {
  ScriptedInteraction ui;
  const char* titles[] = {"TGR 41", "TGR 41plus-Quartz", "TGR 41plus-Strain", "TGR 77 BPR"};
  for (int type = 1; type <= 4; ++type) {
    auto page = MakeEndurancePage(type, ui);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->GetInstrumentType(), type);
    EXPECT_EQ(page->GetTitle(), titles[type - 1]);
    EXPECT_EQ(page->ShownText(Id::kMemory),
              type == 1 ? "8 MB Memory endurance (days) = " : "32 MB Memory endurance (days) = ");
    EXPECT_TRUE(page->ResultLines().empty());
    for (const PageControl& c : page->Controls()) {
      if (c.kind == ControlKind::kEntry) {
        EXPECT_EQ(c.entry.GetText(), "");
      }
    }
  }
  EXPECT_FALSE(MakeEndurancePage(5, ui));
  EXPECT_FALSE(MakeEndurancePage(0, ui));
}

TEST(EndurancePages, ControlsFollowTheLayoutOfEachType) {
  ScriptedInteraction ui;
  auto ids = [&](int type) {
    std::vector<Id> out;
    auto page = MakeEndurancePage(type, ui);
    for (const PageControl& c : page->Controls()) out.push_back(c.id);
    return out;
  };
  EXPECT_EQ(ids(1), (std::vector<Id>{Id::kTideInterval, Id::kWavesEvery, Id::kSamplesPerBurst,
                                     Id::kSampleDuration, Id::kConductivity, Id::kBurstDuration,
                                     Id::kAlkaline, Id::kMemory, Id::kNote}));
  EXPECT_EQ(ids(2), (std::vector<Id>{Id::kTideInterval, Id::kTideDurationSeconds, Id::kWavesEvery,
                                     Id::kSamplesPerBurst, Id::kSampleDuration, Id::kConductivity,
                                     Id::kFirmware6, Id::kStatistics, Id::kStatisticsSamples,
                                     Id::kBurstDuration, Id::kStatisticsDuration, Id::kAlkaline,
                                     Id::kLithium, Id::kMemory, Id::kNote}));
  EXPECT_EQ(ids(4),
            (std::vector<Id>{Id::kTideInterval, Id::kTideDurationMinutes, Id::kReferenceEvery,
                             Id::kContinuousPower, Id::kWarmUp, Id::kConductivity, Id::kAlkaline,
                             Id::kLithium, Id::kMemory, Id::kNote, Id::kReferenceNote}));
  auto strain = ids(3);
  EXPECT_EQ(std::count(strain.begin(), strain.end(), Id::kFirmware6), 0);
}

TEST(EndurancePages, PlannedSchemesGiveThePublishedFigures) {
  struct Case {
    int type;
    Inputs in;
    Lines expected;
  } cases[] = {
      {1,
       Tgr41Plan(),
       {"Wave burst duration (seconds) = 256", "Nominal alkaline battery endurance (days) = 54.1",
        "8 MB Memory endurance (days) = 112.6"}},
      {2,
       WavePlan(),
       {"Wave burst duration (seconds) = 256", "Wave statistics duration (seconds) = 0",
        "Nominal alkaline battery endurance (days) = 692.1",
        "Nominal lithium battery endurance (days) = 1976.0",
        "32 MB Memory endurance (days) = 444.7"}},
      {3,
       WavePlan(),
       {"Wave burst duration (seconds) = 256", "Wave statistics duration (seconds) = 0",
        "Nominal alkaline battery endurance (days) = 351.8",
        "Nominal lithium battery endurance (days) = 1140.5",
        "32 MB Memory endurance (days) = 444.7"}},
      {4,
       BprPlan(),
       {"Nominal alkaline battery endurance (days) = 445.3",
        "Nominal lithium battery endurance (days) = 1306.3",
        "32 MB Memory endurance (days) = 20348.4"}},
  };
  for (const Case& c : cases) {
    Lines lines;
    EXPECT_TRUE(Calc(c.type, c.in, &lines).empty()) << "type " << c.type;
    EXPECT_EQ(lines, c.expected) << "type " << c.type;
  }
}

TEST(EndurancePages, BprReferenceNoteWhenNoWindowIsLeft) {
  Inputs in = BprPlan();
  in.entries[Id::kTideDurationMinutes] = "10";
  ScriptedInteraction ui;
  C77Page page(ui);
  Fill(page, in);
  page.Calculate();
  EXPECT_EQ(page.ReferenceNoteLine(), "Reference frequency measurement is disabled ");
  EXPECT_EQ(page.ResultLines().back(), "Reference frequency measurement is disabled ");
  // Any edit puts the bare captions back and empties both note lines.
  page.SetEntryText(Id::kTideDurationMinutes, "1");
  EXPECT_EQ(page.ReferenceNoteLine(), "");
  EXPECT_EQ(page.ShownText(Id::kAlkaline), "Nominal alkaline battery endurance (days) =");
  EXPECT_FALSE(page.ResultsShown());
}

TEST(EndurancePages, TwoYearWarningOnLongAlkalineDeployments) {
  Inputs quartz = WavePlan();
  quartz.entries[Id::kTideInterval] = "60";
  quartz.entries[Id::kWavesEvery] = "100";
  quartz.entries[Id::kSamplesPerBurst] = "4";
  Lines lines;
  Calc(2, quartz, &lines);
  EXPECT_EQ(lines.back(),
            "Warning: deployments longer than 2 years are not recommended with alkaline "
            "batteries.");
  // A switched sensor sampling a minute an hour, with a monthly reference measurement.
  Inputs bpr = BprPlan();
  bpr.checks[Id::kContinuousPower] = false;
  bpr.entries[Id::kTideInterval] = "60";
  bpr.entries[Id::kReferenceEvery] = "720";
  bpr.entries[Id::kWarmUp] = "5";
  Calc(4, bpr, &lines);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Nominal alkaline battery endurance (days) = 2466.6");
  EXPECT_EQ(lines[3],
            "Warning: deployments longer than 2 years are not recommended with alkaline "
            "batteries.");
  // The published scheme stays below two years: no note.
  Calc(2, WavePlan(), &lines);
  EXPECT_EQ(lines.size(), 5u);
}

TEST(EndurancePages, EntriesReadAsLeadingNumbers) {
  Inputs in = Tgr41Plan();
  in.entries[Id::kTideInterval] = " 15 minutes";
  in.entries[Id::kSamplesPerBurst] = "1024abc";
  Lines lines;
  EXPECT_TRUE(Calc(1, in, &lines).empty());
  EXPECT_EQ(lines[2], "8 MB Memory endurance (days) = 112.6");
  // Text that is no number, and a number that is not finite, both read as 0.
  for (const char* text : {"abc", "nan", "inf", "1e999"}) {
    in.entries[Id::kSamplesPerBurst] = text;
    EXPECT_EQ(Calc(1, in), Lines{"Wave Samples per Burst must be a multiple of 4 greater than 0."})
        << text;
  }
}

TEST(EndurancePages, Tgr41MemoryGuards) {
  for (auto [id, text] : {std::pair{Id::kWavesEvery, "0.0004"}, std::pair{Id::kWavesEvery, ""},
                          std::pair{Id::kTideInterval, ""}}) {
    ScriptedInteraction ui;
    C41Page page(ui);
    Fill(page, Tgr41Plan());
    page.SetEntryText(id, text);
    page.Calculate();
    EXPECT_EQ(page.ResultLines(), Lines{"Error calculating memory endurance."}) << text;
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(page.ResultsShown());
  }
}

TEST(EndurancePages, SamplesPerBurstMustBeAPositiveMultipleOf4) {
  const std::string message = "Wave Samples per Burst must be a multiple of 4 greater than 0.";
  for (int type = 1; type <= 3; ++type) {
    for (const char* s : {"1022", "0", "-4", "1023.5"}) {
      Inputs in = type == 1 ? Tgr41Plan() : WavePlan();
      in.entries[Id::kSamplesPerBurst] = s;
      Lines lines;
      EXPECT_EQ(Calc(type, in, &lines), Lines{message}) << type << " " << s;
      EXPECT_TRUE(lines.empty());
    }
  }
}

TEST(EndurancePages, PlusPagesTruncateSamplesButStoreTheTypedCountInMemory) {
  Inputs in = WavePlan();
  in.entries[Id::kSamplesPerBurst] = "1024.7";
  Lines lines;
  EXPECT_TRUE(Calc(2, in, &lines).empty());
  EXPECT_EQ(lines[0], "Wave burst duration (seconds) = 256");
  EXPECT_EQ(lines[4], "32 MB Memory endurance (days) = 444.4");
}

TEST(EndurancePages, QuartzMemoryWithOlderFirmware) {
  Inputs in = WavePlan();
  in.checks[Id::kFirmware6] = false;
  Lines lines;
  EXPECT_TRUE(Calc(2, in, &lines).empty());
  EXPECT_EQ(lines[4], "32 MB Memory endurance (days) = 449.3");
}

TEST(EndurancePages, StatisticsDurationWhenStatisticsAreOn) {
  Inputs in = WavePlan();
  in.checks[Id::kStatistics] = true;
  in.statisticsSamples = "1024";
  Lines lines;
  EXPECT_TRUE(Calc(2, in, &lines).empty());
  EXPECT_EQ(lines[1], "Wave statistics duration (seconds) = 61");
}

struct RuleCase {
  const char* name;
  std::map<Id, std::string> changes;
  bool statistics;
  std::string sampleDuration, statisticsSamples;
  std::string quartz;  // message on the quartz page; "" when the inputs pass
  std::string strain;  // message on the strain page
};

TEST(EndurancePages, PlusPageRulesStopAtTheFirstFailure) {
  const std::string n1 = "Burst interval must be greater than or equal to 1.";
  const std::string n2 = "Burst interval must be less than or equal to 10000.";
  const std::string i1 = "Tide interval must be greater than or equal to one minute.";
  const std::string i2 = "Tide interval must be less than or equal to 12 hours.";
  const std::string b1 = "Tide duration must be greater than or equal to 10 seconds.";
  const std::string q6 =
      "Tide interval - tide duration must be greater than or equal to 20 seconds, or tide "
      "duration must equal time interval.";
  const std::string s6 =
      "Tide interval - tide duration must be greater than or equal to 10 seconds.";
  const std::string s7 = "Wave Samples per Burst must be a multiple of 4 greater than 0.";
  const std::string q8 = "Samples per burst for statistics must be <= wave samples per burst.";
  const std::string q9s =
      "burst duration + statistics duration - tide interval must be greater than or equal to 20 "
      "seconds.";
  const std::string s9s =
      "burst duration + statistics duration - tide interval must be greater than or equal to 10 "
      "seconds.";
  const std::string q9 =
      "burst duration time - tide interval must be greater than or equal to 20 seconds.";
  const std::string s9 =
      "burst duration time - tide interval must be greater than or equal to 10 seconds.";
  const RuleCase cases[] = {
      {"N below 1", {{Id::kWavesEvery, "0.5"}}, false, "", "", n1, n1},
      {"N empty", {{Id::kWavesEvery, ""}}, false, "", "", n1, n1},
      {"N above 10000", {{Id::kWavesEvery, "10001"}}, false, "", "", n2, n2},
      {"N of 10000", {{Id::kWavesEvery, "10000"}}, false, "", "", "", ""},
      {"interval below a minute", {{Id::kTideInterval, "0.9"}}, false, "", "", i1, i1},
      {"interval above 12 hours", {{Id::kTideInterval, "720.5"}}, false, "", "", i2, i2},
      {"duration below 10 s", {{Id::kTideDurationSeconds, "9"}}, false, "", "", b1, b1},
      {"idle time 19 s", {{Id::kTideDurationSeconds, "881"}}, false, "", "", q6, ""},
      {"idle time 9 s", {{Id::kTideDurationSeconds, "891"}}, false, "", "", q6, s6},
      {"idle time 20 s", {{Id::kTideDurationSeconds, "880"}}, false, "", "", "", ""},
      {"idle time 10 s", {{Id::kTideDurationSeconds, "890"}}, false, "", "", q6, ""},
      {"duration equal to the interval",
       {{Id::kTideDurationSeconds, "900"}},
       false,
       "",
       "",
       "",
       s6},
      {"samples not a multiple of 4", {{Id::kSamplesPerBurst, "1022"}}, false, "", "", s7, s7},
      {"statistics samples above samples", {}, true, "", "2048", q8, q8},
      {"burst and statistics too long",
       {{Id::kTideInterval, "13.8"}},
       true,
       "0.75",
       "1024",
       q9s,
       s9s},
      {"same burst without statistics", {{Id::kTideInterval, "13.8"}}, false, "0.75", "", "", ""},
      {"burst too long", {}, false, "1.00", "", q9, s9},
      {"first failure only",
       {{Id::kWavesEvery, "0"}, {Id::kTideInterval, "0"}},
       false,
       "",
       "",
       n1,
       n1},
  };
  for (const RuleCase& c : cases) {
    for (int type : {2, 3}) {
      Inputs in = WavePlan();
      for (const auto& [id, text] : c.changes) in.entries[id] = text;
      if (c.statistics) in.checks[Id::kStatistics] = true;
      in.sampleDuration = c.sampleDuration;
      in.statisticsSamples = c.statisticsSamples;
      const std::string& expected = type == 2 ? c.quartz : c.strain;
      Lines lines;
      Lines messages = Calc(type, in, &lines);
      if (expected.empty()) {
        EXPECT_TRUE(messages.empty()) << c.name << " type " << type;
        EXPECT_FALSE(lines.empty()) << c.name << " type " << type;
      } else {
        EXPECT_EQ(messages, Lines{expected}) << c.name << " type " << type;
        EXPECT_TRUE(lines.empty()) << c.name << " type " << type;
      }
    }
  }
}

TEST(EndurancePages, BprRulesShowEveryFailureInOrder) {
  const std::string r1 = "Tide interval must be >= 1 minute";
  const std::string r2 = "Tide interval must be < 60 minutes";
  const std::string r3 = "Tide duration must be >= 1 minute";
  const std::string r4 = "tide duration be = tide interval\nor < tide interval - one minute";
  const std::string r5a = "Pressure sensor warmup must be >= 5 minutes";
  const std::string r5b = "tide duration + warmup must be <= tide interval - one minute";
  const std::string r6 = "reference frequency measurement interval must be >= one day";
  const std::string r7 = "reference frequency measurement interval must be <= one month";
  struct Case {
    const char* name;
    std::map<Id, std::string> changes;
    bool switched;  // the pressure sensor is not continuously powered
    Lines expected;
  } cases[] = {
      {"interval of 30 s", {{Id::kTideInterval, "0.5"}}, false, {r1, r4, r6}},
      {"empty interval", {{Id::kTideInterval, ""}}, false, {r1, r4, r6}},
      {"interval above an hour", {{Id::kTideInterval, "61"}}, false, {r2}},
      {"interval of an hour", {{Id::kTideInterval, "60"}}, false, {}},
      {"duration below a minute", {{Id::kTideDurationMinutes, "0.5"}}, false, {r3}},
      {"idle time below a minute", {{Id::kTideDurationMinutes, "14.5"}}, false, {r4}},
      {"duration equal to interval", {{Id::kTideDurationMinutes, "15"}}, false, {}},
      {"warm-up below 5 minutes", {{Id::kWarmUp, "4"}}, true, {r5a}},
      {"duration and warm-up too long",
       {{Id::kWarmUp, "5"}, {Id::kTideDurationMinutes, "10"}},
       true,
       {r5b}},
      {"both warm-up rules",
       {{Id::kWarmUp, "4.5"}, {Id::kTideDurationMinutes, "10"}},
       true,
       {r5a, r5b}},
      {"switched sensor passes", {{Id::kWarmUp, "5"}}, true, {}},
      {"reference below a day", {{Id::kReferenceEvery, "95"}}, false, {r6}},
      {"reference above a month", {{Id::kReferenceEvery, "2881"}}, false, {r7}},
      {"reference of a month", {{Id::kReferenceEvery, "2880"}}, false, {}},
      {"everything wrong",
       {{Id::kTideInterval, "61"}, {Id::kTideDurationMinutes, "0"}, {Id::kReferenceEvery, "0"}},
       false,
       {r2, r3, r6}},
  };
  for (const Case& c : cases) {
    Inputs in = BprPlan();
    if (c.switched) in.checks[Id::kContinuousPower] = false;
    ScriptedInteraction ui;
    C77Page page(ui);
    Fill(page, in);
    for (const auto& [id, text] : c.changes) ASSERT_TRUE(page.SetEntryText(id, text)) << c.name;
    page.Calculate();
    EXPECT_EQ(MessageTexts(ui), c.expected) << c.name;
    EXPECT_EQ(page.ResultsShown(), c.expected.empty()) << c.name;
  }
}

TEST(EndurancePages, FirmwareAndStatisticsBoxes) {
  ScriptedInteraction ui;
  CQuartz page(ui);
  EXPECT_TRUE(page.IsChecked(Id::kFirmware6));
  EXPECT_TRUE(page.IsEnabled(Id::kStatistics));
  EXPECT_FALSE(page.IsEnabled(Id::kStatisticsSamples));
  EXPECT_EQ(
      page.ListItems(
          Id::kStatisticsSamples)[static_cast<size_t>(page.ListSelection(Id::kStatisticsSamples))],
      "512");
  EXPECT_EQ(page.ListItems(Id::kSampleDuration), (Lines{"1.00", "0.75", "0.50", "0.25"}));
  EXPECT_EQ(page.ListSelection(Id::kSampleDuration), 3);
  EXPECT_FALSE(page.SelectListItem(Id::kStatisticsSamples, 0));  // disabled
  ASSERT_TRUE(page.SetCheck(Id::kStatistics, true));
  EXPECT_TRUE(page.IsEnabled(Id::kStatisticsSamples));
  EXPECT_TRUE(page.SelectListItem(Id::kStatisticsSamples, 0));
  // Clearing the firmware box clears and disables the statistics box and its list.
  ASSERT_TRUE(page.SetCheck(Id::kFirmware6, false));
  EXPECT_FALSE(page.IsChecked(Id::kStatistics));
  EXPECT_FALSE(page.IsEnabled(Id::kStatistics));
  EXPECT_FALSE(page.IsEnabled(Id::kStatisticsSamples));
  EXPECT_FALSE(page.SetCheck(Id::kStatistics, true));
  ASSERT_TRUE(page.SetCheck(Id::kFirmware6, true));
  EXPECT_TRUE(page.IsEnabled(Id::kStatistics));
  EXPECT_FALSE(page.IsEnabled(Id::kStatisticsSamples));

  CStrain strain(ui);
  EXPECT_TRUE(strain.IsEnabled(Id::kStatistics));
  EXPECT_FALSE(strain.IsEnabled(Id::kStatisticsSamples));
  ASSERT_TRUE(strain.SetCheck(Id::kStatistics, true));
  EXPECT_TRUE(strain.IsEnabled(Id::kStatisticsSamples));
}

TEST(EndurancePages, ContinuousPowerBoxControlsTheWarmUpEntry) {
  ScriptedInteraction ui;
  C77Page page(ui);
  EXPECT_TRUE(page.IsChecked(Id::kContinuousPower));
  EXPECT_FALSE(page.IsEnabled(Id::kWarmUp));
  EXPECT_FALSE(page.SetEntryText(Id::kWarmUp, "5"));
  ASSERT_TRUE(page.SetCheck(Id::kContinuousPower, false));
  EXPECT_TRUE(page.IsEnabled(Id::kWarmUp));
  EXPECT_TRUE(page.SetEntryText(Id::kWarmUp, "5"));
}

TEST(EndurancePages, AnyChangeClearsShownResults) {
  ScriptedInteraction ui;
  CQuartz page(ui);
  int changes = 0;
  page.SetChangeCallback([&] { ++changes; });
  Fill(page, WavePlan());
  auto calculated = [&] {
    page.Calculate();
    return page.ResultsShown() && page.ResultLines().size() == 5;
  };
  ASSERT_TRUE(calculated());
  page.SetEntryText(Id::kWavesEvery, "4");
  EXPECT_FALSE(page.ResultsShown());
  EXPECT_EQ(page.ShownText(Id::kBurstDuration), "Wave burst duration (seconds) =");
  ASSERT_TRUE(calculated());
  page.SelectListItem(Id::kSampleDuration, 2);
  EXPECT_TRUE(page.ResultLines().empty());
  ASSERT_TRUE(calculated());
  page.SetCheck(Id::kConductivity, true);
  EXPECT_TRUE(page.ResultLines().empty());
  ASSERT_TRUE(calculated());
  page.SetCheck(Id::kStatistics, true);
  EXPECT_TRUE(page.ResultLines().empty());
  EXPECT_GT(changes, 0);
}

}  // namespace
}  // namespace tidora
