// Numbers in files and texts never follow the locale: the whole road (conversion, wave
// processing, merge, report, deployment plan and endurance) run under a locale with a decimal
// comma gives, byte for byte, what it gives in the C locale.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "endurance/endurance_pages.h"
#include "launch/plan_deployment.h"
#include "platform/interaction.h"
#include "platform/settings_dir.h"
#include "postproc/page.h"
#include "postproc/tgr41_reader.h"
#include "reports/tabulon.h"
#include "sim/recorder.h"
#include "sim/upload.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "wave/wave_module.h"

namespace tidora {

// The merge step lives in a file of its own: the merge and the wave module each define the
// psi-to-pascal constant. Merges the tide and barometric files and returns the texts shown.
std::string MergeForLocaleTest(const std::string& tide, const std::string& baro,
                               const std::string& output);

namespace {

namespace fs = std::filesystem;

// Everything a run leaves: the files of the work folder and of the settings folder (the log,
// which carries the clock, left out), and every text shown.
using Snapshot = std::map<std::string, std::string>;

void Snap(const std::string& folder, const std::string& prefix, Snapshot& out) {
  for (const auto& e : fs::directory_iterator(folder)) {
    if (!e.is_regular_file() || e.path().extension() == ".log") continue;
    out[prefix + e.path().filename().string()] = testing::ReadFile(e.path().string());
  }
}

void AddTexts(const ScriptedInteraction& ui, const std::string& step, Snapshot& out) {
  std::string texts;
  for (const auto& m : ui.Messages()) texts += m.caption + ": " + m.text + "\n";
  for (const std::string& s : ui.StatusTexts()) texts += s + "\n";
  out[step + " texts"] = texts;
}

Snapshot RunRoad(const std::string& work) {
  Snapshot snap;
  fs::remove_all(work);
  fs::create_directories(work);
  const std::string hex = work + "/dep.hex", tid = work + "/dep.tid", wb = work + "/dep.wb";

  sim::Options o;
  o.family = sim::Family::kTgr41plus;
  o.conductivity = true;
  o.depth = 10.0;
  o.tideSamples = 16;
  o.burstEvery = 4;
  o.samplesPerBurst = 512;
  o.waveHeight = 1.5;
  o.peakPeriod = 8.0;
  sim::Deployment d = sim::Simulate(o);
  EXPECT_TRUE(sim::WriteUploadFile(d, hex));
  EXPECT_TRUE(sim::WriteCoefficients(d, CoefficientFilePath()));

  {
    ScriptedInteraction ui;
    CHexConverter converter(ui);
    CoefficientFile coefficients;
    EXPECT_EQ(ReadCoefficientFileStrict(CoefficientFilePath(), coefficients),
              CoefficientFileStatus::kOk);
    ConvertRequest r;
    r.input = hex;
    r.tide = tid;
    r.wave = wb;
    EXPECT_EQ(converter.RunNow(r, coefficients).outcome, ConvertOutcome::kFinished);
    AddTexts(ui, "convert", snap);
  }
  {
    ScriptedInteraction ui;
    ui.defaultAnswer = MsgAnswer::Yes;
    CWaveModule module(ui);
    module.SetReaderFactory(DataFileReaderFactory());
    CInteractionPage page(ui);
    module.SetPage(&page);
    EXPECT_EQ(module.PrepareFileRun(wb, ""), "");
    module.RunAndWait();
    EXPECT_EQ(module.OutcomeText(), "");
    AddTexts(ui, "waves", snap);
  }
  {
    std::string bp;
    for (int h = 0; h < 6; ++h)
      bp += "6/1/2026 " + std::to_string(h) + ":00:00 " + std::to_string(1010 + h) + ".25\r\n";
    testing::WriteFile(work + "/dep.bp", bp);
    snap["merge texts"] = MergeForLocaleTest(tid, work + "/dep.bp", work + "/merged.tid");
  }
  {
    ScriptedInteraction ui;
    ui.defaultAnswer = MsgAnswer::Yes;
    CTabulon module(ui);
    EXPECT_EQ(module.ReportSetup().AssignModuleSetting(
                  "SelectedColumnItems", "2,4,11,12,22,23,24,25,29,30,15,16,17,18,0,1,20"),
              "");
    EXPECT_EQ(module.PrepareReportRun({work + "/dep.was", work + "/dep.wts"}, ""), "");
    EXPECT_TRUE(module.StartCheck());
    CInteractionPage page(ui);
    module.SetPage(&page);
    module.RunAndWait();
    EXPECT_EQ(module.LastOutcome(), CTabulon::Outcome::kWritten) << module.OutcomeText();
    AddTexts(ui, "report", snap);
  }
  {
    DeploymentPlan plan = ReadPlanSettings();
    plan.waterDepth = 12.5;
    plan.instrumentHeight = 0.75;
    ComputeSpectralParameters(plan);
    std::string lines;
    for (const std::string& l : PlanResultLines(plan)) lines += l + "\n";
    for (const AttenuationPoint& p : AttenuationCurve(plan))
      lines += FormatC("%.2f %.6f\n", p.period, p.attenuation);
    EXPECT_TRUE(WritePlanSettings(plan));
    snap["plan texts"] = lines;
  }
  for (int type = 1; type <= 4; ++type) {
    ScriptedInteraction ui;
    std::unique_ptr<CDPCPageBase> page = MakeEndurancePage(type, ui);
    if (!page) {
      ADD_FAILURE() << "no endurance page of type " << type;
      continue;
    }
    page->SetEntryText(EnduranceControl::kTideInterval, "7.5");
    page->SetEntryText(
        type == 4 ? EnduranceControl::kTideDurationMinutes : EnduranceControl::kTideDurationSeconds,
        type == 4 ? "1.5" : "40.5");
    page->SetEntryText(EnduranceControl::kWavesEvery, "4");
    page->SetEntryText(EnduranceControl::kSamplesPerBurst, "1024");
    page->SetEntryText(EnduranceControl::kReferenceEvery, "2");
    page->Calculate();
    std::string lines;
    for (const std::string& l : page->ResultLines()) lines += l + "\n";
    lines += page->NoteLine() + "\n";
    snap["endurance " + std::to_string(type)] = lines;
    AddTexts(ui, "endurance " + std::to_string(type), snap);
  }
  Snap(work, "", snap);
  Snap(SettingsDirectory(), "settings/", snap);
  return snap;
}

// Restores the C locale however the test ends.
struct LocaleGuard {
  ~LocaleGuard() { std::setlocale(LC_ALL, "C"); }
};

TEST(Locale, DecimalCommaLocaleGivesTheSameFilesAndTexts) {
  testing::TempHome home;
  LocaleGuard guard;
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  const Snapshot c = RunRoad(home.file("road"));
  fs::remove_all(SettingsDirectory());
  fs::create_directories(SettingsDirectory());
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
    GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/install-deps makes it)";
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  const Snapshot de = RunRoad(home.file("road"));
  std::setlocale(LC_ALL, "C");

  // The road really ran: its outputs are all there.
  for (const char* name : {"dep.tid", "dep.wb", "dep.was", "dep.wts", "merged.tid", "dep.r41"})
    EXPECT_TRUE(c.count(name)) << name;
  ASSERT_EQ(c.size(), de.size());
  for (const auto& [name, text] : c) {
    auto it = de.find(name);
    ASSERT_NE(it, de.end()) << name;
    EXPECT_TRUE(it->second == text) << name << " differs under de_DE.UTF-8:\n"
                                    << it->second.substr(0, 2000) << "\n---- C locale:\n"
                                    << text.substr(0, 2000);
  }
}

}  // namespace
}  // namespace tidora
