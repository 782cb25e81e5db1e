// The wave module's property sheet driven by control identifier on the offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <chrono>
#include <filesystem>
#include <thread>

#include "datafile/writers.h"
#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "postproc/tests/slow_reader.h"
#include "postproc/tgr41_reader.h"
#include "postproc/ui/tests/module_sheet_fixture.h"
#include "testing/test_support.h"
#include "wave/synthetic_sea.h"
#include "wave/ui/wave_pages.h"
#include "wave/wave_math.h"

namespace tidora::ui {
namespace {

using tidora::testing::TempDir;
using tidora::testing::WaitFor;

// A wave burst file of `bursts` bursts of a narrow sea, 8 m down in 8 m of water.
void WriteBurstFile(const std::string& path, int bursts, int samples = 1024) {
  WaveBurstFileWriter w;
  ASSERT_TRUE(w.Open(path));
  ASSERT_TRUE(w.WriteIdentification());
  const double rho = SeawaterDensity(35, 0);
  for (int b = 0; b < bursts; ++b) {
    auto sea = NarrowSea(1.0, 8.0, samples * 0.5, 3, b);
    std::vector<float> p = SeaPressureBurst(sea, 8, 8, rho, samples, 0.5);
    ASSERT_TRUE(w.WriteBurstHeader(b + 1, 3600.0 * b, 0.5, samples));
    for (int i = 0; i + 3 < samples; i += 4)
      ASSERT_TRUE(w.WriteRow(p[i], p[i + 1], p[i + 2], p[i + 3]));
  }
  ASSERT_TRUE(w.Close());
}

using tidora::testing::SlowReader;

class WaveSheet : public ModuleSheetFixture<CWaveModule> {
 protected:
  WaveSheet() {
    module.SetReaderFactory(DataFileReaderFactory());
    WriteBurstFile(dir.file("deploy.wb"), 3, 256);
    CWaveSetup& s = module.WaveSetup();
    s.inputDir = dir.path();
    s.outputDir = dir.path();
    s.inputFiles = {"deploy.wb"};
    s.height = 0;
    RememberSetup("Swellcalc.psa");
  }
  void OpenSheet() {
    ModuleSheetFixture::OpenSheet(WaveSheetTexts(), new WaveDataPage(module, ui));
  }
  void Type(int id, const QString& text) {
    auto* e = Data<QLineEdit>(id);
    e->setText(text);
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir.file(name)); }
};

TEST_F(WaveSheet, OpensWithTheLastSetupAndTheSheetLayout) {
  OpenSheet();
  EXPECT_EQ(sheet->windowTitle(), "Process Wave Burst Data");
  EXPECT_EQ(sheet->tabs()->tabText(0), "File Setup");
  EXPECT_EQ(sheet->tabs()->tabText(1), "Data Setup");
  EXPECT_EQ(File<QLineEdit>(kIdSetupPath)->text().toStdString(), setupPath);
  EXPECT_EQ(File<QComboBox>(kIdInputList)->currentText(), "deploy.wb");
  EXPECT_EQ(File<QLabel>(kIdInputLabel)->text(), "Select one Wave (.WB) input file");
  EXPECT_EQ(File<QLabel>(kIdStatus)->text(), "Not processing");
  EXPECT_EQ(sheet->startButton()->text(), "Start Process");
  EXPECT_EQ(findControl<QPushButton>(sheet.get(), kIdOkButton)->text(), "Exit");
  // The Data Setup page of a new setup.
  const std::pair<int, const char*> fields[] = {
      {kIdWaveHeight, "0"},         {kIdWaveTemperature, "0"},      {kIdWaveSalinity, "35"},
      {kIdWaveEstimates, "5"},      {kIdWaveAttenuation, "0.0025"}, {kIdWaveMinPeriod, "0"},
      {kIdWaveMaxPeriod, "1e+06"},  {kIdWaveHanning, "0.1"},        {kIdWaveChiSquared, "90"},
      {kIdWaveFilterCutoff, "0.05"}};
  for (auto [id, text] : fields) EXPECT_EQ(Data<QLineEdit>(id)->text(), text) << id;
  EXPECT_FALSE(Data<QLineEdit>(kIdWaveFilterCutoff)->isEnabled());
  Data<QCheckBox>(kIdWaveUseFilter)->setChecked(true);
  EXPECT_TRUE(Data<QLineEdit>(kIdWaveFilterCutoff)->isEnabled());
}

TEST_F(WaveSheet, StartProcessRunsToCompletionWithProgress) {
  OpenSheet();
  sheet->startButton()->click();
  EXPECT_EQ(sheet->startButton()->text(), "Stop Process");
  EXPECT_FALSE(File(kIdInputSelect)->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing complete"; }));
  EXPECT_EQ(sheet->startButton()->text(), "Start Process");
  EXPECT_TRUE(File(kIdInputSelect)->isEnabled());
  EXPECT_EQ(File<QProgressBar>(kIdProgress)->maximum(), 100);
  EXPECT_TRUE(Exists("deploy.was") && Exists("deploy.wts") && Exists("deploy.rpt"));
}

TEST_F(WaveSheet, StopProcessEndsTheRunWhileReading) {
  WriteBurstFile(dir.file("deploy.wb"), 2000, 8);
  module.SetReaderFactory([](const std::string& path) {
    return std::make_unique<SlowReader>(DataFileReaderFactory()(path));
  });
  OpenSheet();
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing 1/1: deploy.wb..."; }));
  ASSERT_TRUE(WaitFor([&] { return File<QLabel>(kIdPercent)->text() == "1%"; }));
  sheet->startButton()->click();  // Stop
  ASSERT_TRUE(WaitFor([&] { return !sheet->processing(); }));
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing stopped, 1/1: deploy.wb"; }));
  EXPECT_EQ(sheet->startButton()->text(), "Start Process");
  EXPECT_FALSE(Exists("deploy.was"));
}

TEST_F(WaveSheet, SampleErrorEndsTheRunAndKeepsTheWindow) {
  OpenSheet();
  Type(kIdWaveAttenuation, "2");
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] {
    return !sheet->processing() && sheet->startButton()->isEnabled() &&
           sheet->statusText() != "Processing 1/1: deploy.wb..." &&
           sheet->startButton()->text() == "Start Process";
  }));
  EXPECT_TRUE(sheet->isVisible());
  bool sampleError = false;
  for (const auto& m : ui.Messages()) sampleError |= m.caption == "Sample Error";
  EXPECT_TRUE(sampleError);
  EXPECT_FALSE(Exists("deploy.was"));
  // And the module runs again.
  Type(kIdWaveAttenuation, "0.0025");
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing complete"; }));
  EXPECT_TRUE(Exists("deploy.was"));
}

TEST_F(WaveSheet, InputSelectionRules) {
  OpenSheet();
  TempDir other;
  WriteBurstFile(other.file("bay.wb"), 1, 64);
  tidora::testing::WriteFile(other.file("bay2.wb"), "");
  tidora::testing::WriteFile(other.file("cove.tid"), "");
  // Two wave files together.
  ui.QueueFiles({other.file("bay.wb"), other.file("bay2.wb")});
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(LastMessage(),
            "Duplicate Extensions Found: Cannot select more than one file with .wb extension");
  // Different roots.
  ui.QueueFiles({other.file("bay.wb"), other.file("cove.tid")});
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(LastMessage(),
            "Inconsistent File Names Found: Cannot select files with different root names");
  EXPECT_EQ(File<QComboBox>(kIdInputList)->currentText(), "deploy.wb");
  // Another directory: No keeps the output directory.
  ui.QueueFiles({other.file("bay.wb")});
  ui.QueueAnswer(MsgAnswer::No);
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(LastMessage(),
            "Input Directory Has Changed: Do you want to change the output "
            "directory to " +
                other.path() + "?");
  EXPECT_EQ(File<QLineEdit>(kIdInputDir)->text().toStdString(), other.path());
  EXPECT_EQ(File<QLineEdit>(kIdOutputDir)->text().toStdString(), dir.path());
  EXPECT_EQ(File<QLineEdit>(kIdOutputFile)->text(), "bay.");
  EXPECT_EQ(File<QComboBox>(kIdInputList)->currentText(), "bay.wb");
  EXPECT_TRUE(sheet->SetupChanged());
}

TEST_F(WaveSheet, DuplicateExtensionsInTheSetupFileEmptyTheSelection) {
  CWaveSetup& s = module.WaveSetup();
  ASSERT_TRUE(s.Load(setupPath, 1, ui));
  s.inputFiles = {"deploy.wb", "deploy.WB"};
  ASSERT_TRUE(s.Save(setupPath, ui));
  OpenSheet();
  EXPECT_EQ(LastMessage(),
            "Duplicate Extensions Found: More than one file with .wb extension "
            "found in " +
                setupPath + " file");
  EXPECT_EQ(File<QComboBox>(kIdInputList)->count(), 0);
  // Start without input: the message, then the selection dialog (cancelled).
  sheet->startButton()->click();
  EXPECT_EQ(LastMessage(), "Cannot Start Process: Input files have not been selected.");
  EXPECT_FALSE(sheet->processing());
}

TEST_F(WaveSheet, ExitAsksAboutChangesAndCancelKeepsTheWindow) {
  OpenSheet();
  sheet->tabs()->setCurrentIndex(1);
  Type(kIdWaveSalinity, "abc");  // not a number: keeps the previous salinity
  sheet->tabs()->setCurrentIndex(0);
  EXPECT_EQ(module.WaveSetup().averageSalinity, 35);
  EXPECT_FALSE(sheet->SetupChanged());
  Type(kIdWaveSalinity, "30");
  ui.QueueAnswer(MsgAnswer::Cancel);
  findControl<QPushButton>(sheet.get(), kIdOkButton)->click();
  EXPECT_EQ(LastMessage(),
            "Program Setup Has Changed: Do you want to save your changes to " + setupPath + "?");
  EXPECT_TRUE(sheet->isVisible());
  // No: the saved copy stays on disk.
  ui.QueueAnswer(MsgAnswer::No);
  findControl<QPushButton>(sheet.get(), kIdOkButton)->click();
  EXPECT_FALSE(sheet->isVisible());
  CWaveSetup check;
  ASSERT_TRUE(check.Load(setupPath, 1, ui));
  EXPECT_EQ(check.averageSalinity, 35);
}

TEST_F(WaveSheet, ExitAnswersAndRestoreFollowTheSavedSetup) {
  OpenSheet();
  CheckExitAnswersAndRestore([&] { OpenSheet(); },
                             [&] {
                               sheet->tabs()->setCurrentIndex(1);
                               Type(kIdWaveSalinity, "30");
                             },
                             [](const CPostProcSetup& s) {
                               return dynamic_cast<const CWaveSetup&>(s).averageSalinity == 30;
                             });
}

TEST_F(WaveSheet, WithoutConfirmationExitSavesSilently) {
  OpenSheet();
  findCommand(sheet.get(), kCmdConfirmChange)->trigger();
  EXPECT_EQ(findControl<QPushButton>(sheet.get(), kIdOkButton)->text(), "Save && Exit");
  Type(kIdWaveHeight, "1.5");
  const size_t before = ui.Messages().size();
  findCommand(sheet.get(), kCmdExit)->trigger();
  EXPECT_EQ(ui.Messages().size(), before);
  EXPECT_FALSE(sheet->isVisible());
  CWaveSetup check;
  ASSERT_TRUE(check.Load(setupPath, 1, ui));
  EXPECT_EQ(check.height, 1.5);
  EXPECT_FALSE(ReadModulePreferences(check.DisplayName()).confirmChanges);
}

TEST_F(WaveSheet, ClosingDuringProcessingAndAnsweringNoKeepsItRunning) {
  WriteBurstFile(dir.file("deploy.wb"), 2000, 8);
  module.SetReaderFactory([](const std::string& path) {
    return std::make_unique<SlowReader>(DataFileReaderFactory()(path));
  });
  OpenSheet();
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing 1/1: deploy.wb..."; }));
  ui.QueueAnswer(MsgAnswer::No);
  sheet->close();
  EXPECT_EQ(LastMessage(),
            "Cannot Close Until Processing Is Stopped: Are you sure you want to "
            "stop processing?");
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_TRUE(sheet->processing());
  EXPECT_FALSE(module.IsSuspended());
  // Yes stops it and closes.
  ui.QueueAnswer(MsgAnswer::Yes);
  sheet->close();
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_FALSE(sheet->processing());
}

TEST_F(WaveSheet, TypedSetupPathRules) {
  OpenSheet();
  auto* path = File<QLineEdit>(kIdSetupPath);
  tidora::testing::WriteFile(dir.file("notes.txt"), "");
  path->setText(QString::fromStdString(dir.file("notes.txt")));
  File<QPushButton>(kIdOpen)->click();
  EXPECT_EQ(LastMessage(), "Cannot Open Program Setup File: File " + dir.file("notes.txt") +
                               " does not have a '.psa' extension.");
  EXPECT_EQ(path->text().toStdString(), setupPath);
  path->setText(QString::fromStdString(dir.file("missing.psa")));
  File<QPushButton>(kIdOpen)->click();
  EXPECT_EQ(LastMessage(), "Cannot Open Program Setup File: File " + dir.file("missing.psa") +
                               " cannot be found.");
  // An upper-case extension passes: Save As goes on to its dialog (cancelled here).
  path->setText(QString::fromStdString(dir.file("OTHER.PSA")));
  const size_t before = ui.Messages().size();
  File<QPushButton>(kIdSaveAs)->click();
  EXPECT_EQ(ui.Messages().size(), before);
}

TEST_F(WaveSheet, ProcessOptionsRefusesACountOfZero) {
  OpenSheet();
  bool stayedOpen = false;
  tidora::testing::HandleNextModal([&](QWidget* w) {
    findControl<QCheckBox>(w, kIdOptToEnd)->setChecked(false);
    EXPECT_TRUE(findControl<QLineEdit>(w, kIdOptCount)->isEnabled());
    findControl<QLineEdit>(w, kIdOptCount)->setText("0");
    findControl<QPushButton>(w, kIdOptOk)->click();
    stayedOpen = w->isVisible();
    findControl<QLineEdit>(w, kIdOptCount)->setText("4");
    findControl<QLineEdit>(w, kIdOptSkip)->setText("1");
    findControl<QPushButton>(w, kIdOptOk)->click();
  });
  Data<QPushButton>(kIdWaveProcessOptions)->click();
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(module.WaveSetup().processBurstsToEnd, 0);
  EXPECT_EQ(module.WaveSetup().burstsToProcess, 4);
  EXPECT_EQ(module.WaveSetup().skipAtStart, 1);
}

}  // namespace
}  // namespace tidora::ui
