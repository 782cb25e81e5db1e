// The report module's property sheet driven by control identifier on the offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <chrono>
#include <filesystem>
#include <thread>

#include "datafile/tests/wave_output_builders.h"
#include "datafile/tgr41file.h"
#include "datafile/ui/tgr41_dialog.h"
#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "postproc/tests/slow_reader.h"
#include "postproc/tgr41_reader.h"
#include "postproc/ui/tests/module_sheet_fixture.h"
#include "reports/ui/report_pages.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora::ui {
namespace {

using tidora::testing::ReadFile;
using tidora::testing::WaitFor;
using tidora::testing::WriteFile;

using tidora::testing::SlowReader;

class ReportSheet : public ModuleSheetFixture<CTabulon> {
 protected:
  ReportSheet() {
    WriteRun("run", 3);
    CTabulonSetup& s = module.ReportSetup();
    s.ResetAll(dir.path());
    s.inputDir = s.outputDir = dir.path();
    s.inputFiles = {"run.was", "run.wts"};
    s.outputFile = "run.r41";
    RememberSetup("Tabulon.psa");
  }
  // The two statistics files of a wave run of `bursts` bursts, an hour apart.
  void WriteRun(const std::string& root, int bursts) {
    std::vector<testing::WasBurst> a(static_cast<size_t>(bursts));
    std::vector<testing::WtsBurst> b(static_cast<size_t>(bursts));
    for (int i = 0; i < bursts; ++i) {
      a[static_cast<size_t>(i)].burst = b[static_cast<size_t>(i)].burst = i + 1;
      a[static_cast<size_t>(i)].start = b[static_cast<size_t>(i)].start = 3600L * i;
      a[static_cast<size_t>(i)].sigHeight = 1.25;
      b[static_cast<size_t>(i)].h13 = 1.5;
    }
    WriteFile(dir.file(root + ".was"), testing::WasFileText(a));
    WriteFile(dir.file(root + ".wts"), testing::WtsFileText(b));
  }
  void OpenSheet() {
    ModuleSheetFixture::OpenSheet(ReportSheetTexts(module), new ReportDataPage(module));
  }
  // On the next variable selection dialog: picks each variable and presses Add, then OK (or
  // Cancel).
  void ChooseWhenAsked(std::vector<int> ids, bool ok) {
    tidora::testing::HandleNextModal([this, ids, ok](QWidget* w) {
      auto* dlg = qobject_cast<CTGR41Dlg*>(w);
      dialogTitle = w->windowTitle().toStdString();
      if (!dlg) {
        w->close();
        return;
      }
      for (int id : ids) {
        dlg->Tree()->setCurrentItem(dlg->TreeItem(dlg->Selection().FindItem(id)));
        findControl<QPushButton>(dlg, CTGR41Selection::kIdAdd)->click();
      }
      findControl<QPushButton>(dlg, ok ? CTGR41Dlg::kIdOk : CTGR41Dlg::kIdCancel)->click();
    });
  }

  std::string dialogTitle;
};

TEST_F(ReportSheet, DataSetupShowsTheSettingsAndTakesThemWhenLeft) {
  OpenSheet();
  EXPECT_EQ(sheet->windowTitle(), "Create Reports");
  EXPECT_EQ(sheet->tabs()->tabText(1), "Data Setup");
  EXPECT_EQ(File<QLabel>(kIdInputLabel)->text(), "Select one (.WAS) and one (.WTS) input file");
  EXPECT_TRUE(Data<QCheckBox>(kIdReportLabelColumns)->isChecked());
  EXPECT_TRUE(Data<QCheckBox>(kIdReportHeaderInfo)->isChecked());
  auto* separator = Data<QComboBox>(kIdReportSeparator);
  auto* timeForm = Data<QComboBox>(kIdReportTimeForm);
  ASSERT_EQ(separator->count(), 4);
  EXPECT_EQ(separator->itemText(2), "Semicolon");
  EXPECT_EQ(separator->currentText(), "Space");
  ASSERT_EQ(timeForm->count(), 3);
  EXPECT_EQ(timeForm->currentText(), "Julian days");
  EXPECT_EQ(Data<QPushButton>(kIdReportSelectVariables)->text(), "Select Variables...");

  sheet->tabs()->setCurrentIndex(1);
  Data<QCheckBox>(kIdReportHeaderInfo)->setChecked(false);
  separator->setCurrentIndex(3);
  timeForm->setCurrentIndex(2);
  sheet->tabs()->setCurrentIndex(0);  // the page is left
  const CTabulon_Psu& p = module.ReportSetup().Psu();
  EXPECT_EQ(p.outputHeaderInfo, 0);
  EXPECT_EQ(p.labelDataColumns, 1);
  EXPECT_EQ(p.columnSeparator, kSeparatorColon);
  EXPECT_EQ(p.julianDaysConvFmt, kTimeDateAndTime);
  EXPECT_TRUE(sheet->SetupChanged());
  // No item chosen is outside the range: the previous value stays.
  separator->setCurrentIndex(-1);
  sheet->tabs()->setCurrentIndex(1);
  EXPECT_EQ(p.columnSeparator, kSeparatorColon);
  // A reset shows the defaults again.
  findCommand(sheet.get(), kCmdDefaultDataSetup)->trigger();
  EXPECT_TRUE(Data<QCheckBox>(kIdReportHeaderInfo)->isChecked());
  EXPECT_EQ(separator->currentText(), "Space");
  EXPECT_EQ(timeForm->currentText(), "Julian days");
}

TEST_F(ReportSheet, SelectVariablesKeepsTheCopyOnlyOnOk) {
  OpenSheet();
  module.ReportSetup().Psu().SetColumns({kVarBurstNumber});
  ChooseWhenAsked({kVarSigHeightTss}, false);
  Data<QPushButton>(kIdReportSelectVariables)->click();
  EXPECT_EQ(dialogTitle, "Select Variables");
  EXPECT_EQ(module.ReportSetup().Psu().UsedColumns(), (std::vector<int>{kVarBurstNumber}));
  ChooseWhenAsked({kVarSigHeightTss, kVarDateTime}, true);
  Data<QPushButton>(kIdReportSelectVariables)->click();
  EXPECT_EQ(module.ReportSetup().Psu().UsedColumns(),
            (std::vector<int>{kVarBurstNumber, kVarSigHeightTss, kVarDateTime}));
  EXPECT_TRUE(sheet->SetupChanged());
}

TEST_F(ReportSheet, InputSelectionFollowsTheReportRules) {
  OpenSheet();
  WriteRun("bay", 1);
  WriteFile(dir.file("cove.wts"), "");
  WriteFile(dir.file("bay2.was"), "");
  ui.QueueFiles({dir.file("bay.was")});
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(LastMessage(),
            "Invalid Selection: Must select both a .WTS and .WAS file for processing.");
  ui.QueueFiles({dir.file("bay.was"), dir.file("bay2.was")});
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(LastMessage(),
            "Duplicate Extensions Found: Cannot select more than one file with .was extension");
  ui.QueueFiles({dir.file("bay.was"), dir.file("cove.wts")});
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(LastMessage(),
            "Inconsistent File Names Found: Cannot select files with different root names");
  EXPECT_EQ(File<QComboBox>(kIdInputList)->itemText(0), "run.was");
  EXPECT_EQ(File<QLineEdit>(kIdOutputFile)->text(), "run.r41");
  // Taken: sorted by name, the output named after the first.
  ui.QueueFiles({dir.file("bay.wts"), dir.file("bay.was")});
  File<QPushButton>(kIdInputSelect)->click();
  ASSERT_EQ(File<QComboBox>(kIdInputList)->count(), 2);
  EXPECT_EQ(File<QComboBox>(kIdInputList)->itemText(0), "bay.was");
  EXPECT_EQ(File<QLineEdit>(kIdOutputFile)->text(), "bay.r41");
  EXPECT_EQ(module.Inputs().size(), 2u);
}

TEST_F(ReportSheet, StartWithoutColumnsOpensTheSelectionThenTheReportIsWritten) {
  OpenSheet();
  ChooseWhenAsked({kVarBurstNumber, kVarSigHeightAs}, true);
  sheet->startButton()->click();
  EXPECT_EQ(ui.Messages().front().caption, "Cannot Start Process");
  EXPECT_EQ(ui.Messages().front().text, "No Data columns have been selected.");
  EXPECT_EQ(dialogTitle, "Select Variables");
  EXPECT_EQ(sheet->tabs()->currentIndex(), 1);  // the Data Setup page
  EXPECT_FALSE(sheet->processing());
  EXPECT_EQ(module.ReportSetup().Psu().UsedColumns(),
            (std::vector<int>{kVarBurstNumber, kVarSigHeightAs}));

  Data<QComboBox>(kIdReportSeparator)->setCurrentIndex(kSeparatorSemicolon);
  Data<QCheckBox>(kIdReportHeaderInfo)->setChecked(false);
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing complete"; }));
  EXPECT_EQ(sheet->tabs()->currentIndex(), 1);  // back where the run started
  EXPECT_EQ(ReadFile(dir.file("run.r41")),
            "Burst;Swh-was;\r\n1;1.250000e+00;\r\n2;1.250000e+00;\r\n3;1.250000e+00;");
}

TEST_F(ReportSheet, StopWhileReadingWritesNoReport) {
  WriteRun("run", 1500);
  module.SetReaderFactory([this](const std::string& path) {
    return std::make_unique<SlowReader>(DataFileReaderFactory(&ui)(path));
  });
  OpenSheet();
  module.ReportSetup().Psu().SetColumns({kVarBurstNumber});
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing 1/2: run.was..."; }));
  ASSERT_TRUE(WaitFor([&] { return File<QLabel>(kIdPercent)->text() == "1%"; }));
  sheet->startButton()->click();  // Stop
  ASSERT_TRUE(WaitFor([&] { return !sheet->processing(); }));
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing stopped, 1/2: run.was"; }));
  EXPECT_FALSE(std::filesystem::exists(dir.file("run.r41")));
}

TEST_F(ReportSheet, AnExistingReportIsOverwrittenOnlyWhenTheUserSaysSo) {
  WriteFile(dir.file("run.r41"), "kept");
  OpenSheet();
  module.ReportSetup().Psu().SetColumns({kVarBurstNumber});
  // Skip: nothing written, the run ends normally.
  ui.QueueChoice(4);
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing complete"; }));
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_EQ(ui.Messages().back().kind, ScriptedInteraction::Record::kChoose);
  EXPECT_EQ(ui.Messages().back().text, "Is it OK to overwrite " + dir.file("run.r41") + "?");
  EXPECT_EQ(ui.Messages().back().caption, "Create Reports");
  EXPECT_EQ(ReadFile(dir.file("run.r41")), "kept");
  // No, then another name: the report goes there and the old one stays.
  ui.QueueChoice(1);
  ui.QueueFiles({dir.file("second.r41")});
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(dir.file("second.r41")); }));
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing complete"; }));
  EXPECT_EQ(ReadFile(dir.file("run.r41")), "kept");
  EXPECT_EQ(ReadFile(dir.file("second.r41")).rfind("# filename = ", 0), 0u);
  // Yes: overwritten.
  ui.QueueChoice(0);
  sheet->startButton()->click();
  ASSERT_TRUE(WaitFor([&] { return ReadFile(dir.file("run.r41")) != "kept"; }));
  ASSERT_TRUE(WaitFor([&] { return sheet->statusText() == "Processing complete"; }));
}

TEST_F(ReportSheet, ATypedSetupPathIsKeptOnlyForOpenAndSaveAs) {
  OpenSheet();
  sheet->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
  auto* path = File<QLineEdit>(kIdSetupPath);
  const QString typed = QString::fromStdString(dir.file("other.psa"));
  auto typeThenFocus = [&](QWidget* next) {
    path->setFocus();
    EXPECT_TRUE(WaitFor([&] { return path->hasFocus(); }));
    path->setText(typed);
    next->setFocus();
    EXPECT_TRUE(WaitFor([&] { return next->hasFocus(); }));
  };
  typeThenFocus(File(kIdInputDir));
  EXPECT_EQ(path->text().toStdString(), setupPath);
  typeThenFocus(File(kIdSave));
  EXPECT_EQ(path->text().toStdString(), setupPath);
  typeThenFocus(File(kIdSaveAs));
  EXPECT_EQ(path->text(), typed);
  typeThenFocus(File(kIdOpen));
  EXPECT_EQ(path->text(), typed);
}

TEST_F(ReportSheet, ExitAsksAboutChangedColumns) {
  OpenSheet();
  ChooseWhenAsked({kVarNumberOfWaves}, true);
  Data<QPushButton>(kIdReportSelectVariables)->click();
  ui.QueueAnswer(MsgAnswer::Cancel);
  findControl<QPushButton>(sheet.get(), kIdOkButton)->click();
  EXPECT_EQ(LastMessage(),
            "Program Setup Has Changed: Do you want to save your changes to " + setupPath + "?");
  EXPECT_TRUE(sheet->isVisible());
  ui.QueueAnswer(MsgAnswer::Yes);
  findControl<QPushButton>(sheet.get(), kIdOkButton)->click();
  EXPECT_FALSE(sheet->isVisible());
  CTabulonSetup saved;
  ASSERT_EQ(saved.Load(setupPath, 1, ui), 1);
  EXPECT_EQ(saved.Psu().UsedColumns(), (std::vector<int>{kVarNumberOfWaves}));
}

TEST_F(ReportSheet, ExitAnswersAndRestoreFollowTheSavedColumns) {
  // Saved: burst number and date/time; the change adds the two significant wave heights.
  module.ReportSetup().ResetAll(dir.path());
  module.ReportSetup().SetColumns({kVarBurstNumber, kVarDateTime});
  RememberSetup("Tabulon.psa");
  OpenSheet();
  CheckExitAnswersAndRestore(
      [&] { OpenSheet(); },
      [&] {
        ChooseWhenAsked({kVarSigHeightAs, kVarSigHeightTss}, true);
        Data<QPushButton>(kIdReportSelectVariables)->click();
      },
      [](const CPostProcSetup& s) {
        const auto used = dynamic_cast<const CTabulonSetup&>(s).UsedColumns();
        EXPECT_EQ(std::vector<int>(used.begin(), used.begin() + std::min<size_t>(2, used.size())),
                  (std::vector<int>{kVarBurstNumber, kVarDateTime}));
        return used.size() > 2;
      });
}

}  // namespace
}  // namespace tidora::ui
