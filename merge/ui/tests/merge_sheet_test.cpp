// The merge module's property sheet driven by control identifier on the offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "merge/ui/merge_pages.h"
#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "postproc/ui/tests/module_sheet_fixture.h"
#include "testing/test_support.h"

namespace tidora::ui {
namespace {

using tidora::testing::WriteFile;

class MergeSheet : public ModuleSheetFixture<CMergeModule> {
 protected:
  MergeSheet() {
    module.MergeSetup().ResetAll(dir.path());
    RememberSetup("Baroblend.psa");
    Open();
  }
  void Open() { OpenSheet(MergeSheetTexts(module), new MergeDataPage(module)); }
};

TEST_F(MergeSheet, ExitAnswersAndRestoreFollowTheSavedSetup) {
  CheckExitAnswersAndRestore([&] { Open(); },
                             [&] {
                               sheet->tabs()->setCurrentIndex(1);
                               Data<QLineEdit>(kIdMergeDensity)->setText("1025");
                             },
                             [](const CPostProcSetup& s) {
                               return dynamic_cast<const CMergeSetup&>(s).averageDensity == 1025;
                             });
}

TEST_F(MergeSheet, DataSetupShowsTheDefaultsAndKeepsRefusedValues) {
  EXPECT_EQ(sheet->windowTitle(), "Merge Barometric Pressure");
  EXPECT_TRUE(Data<QCheckBox>(kIdMergeConvert)->isChecked());
  EXPECT_EQ(Data<QComboBox>(kIdMergeUnits)->currentText(), "psia");
  EXPECT_EQ(Data<QLineEdit>(kIdMergeDensity)->text(), "1028");
  EXPECT_EQ(Data<QLineEdit>(kIdMergeGravity)->text(), "9.8");
  Data<QCheckBox>(kIdMergeConvert)->setChecked(false);
  EXPECT_FALSE(Data<QLineEdit>(kIdMergeGravity)->isEnabled());
  EXPECT_FALSE(Data<QLineEdit>(kIdMergeDensity)->isEnabled());
  Data<QComboBox>(kIdMergeUnits)->setCurrentIndex(1);
  Data<QLineEdit>(kIdMergeGravity)->setText("-1");  // below zero: refused, the page stays
  Data<QLineEdit>(kIdMergeDensity)->setText("1025");
  sheet->tabs()->setCurrentIndex(1);
  sheet->tabs()->setCurrentIndex(0);
  EXPECT_EQ(LastMessage(),
            ": Gravity must be a number not less than 0 (nominal value = 9.8 m/s^2).");
  EXPECT_EQ(sheet->tabs()->currentIndex(), 1);
  const MergeSettings& m = module.MergeSetup().Merge();
  EXPECT_EQ(m.gravity, 9.8);
  // Start Process keeps the page too.
  ui.Clear();
  sheet->startButton()->click();
  EXPECT_EQ(sheet->tabs()->currentIndex(), 1);
  EXPECT_FALSE(sheet->processing());
  EXPECT_EQ(ui.Messages().size(), 1u);
  Data<QLineEdit>(kIdMergeGravity)->setText("9.81");
  Data<QLineEdit>(kIdMergeDensity)->setText("-1028");
  sheet->tabs()->setCurrentIndex(0);
  EXPECT_EQ(LastMessage(),
            ": Average Density must be a number not less than 0 (nominal value = 1028 kg/m^3).");
  EXPECT_EQ(sheet->tabs()->currentIndex(), 1);
  Data<QLineEdit>(kIdMergeDensity)->setText("1025");
  sheet->tabs()->setCurrentIndex(0);  // the page is left
  EXPECT_EQ(sheet->tabs()->currentIndex(), 0);
  EXPECT_EQ(m.convertToWaterDepth, 0);
  EXPECT_EQ(m.barometricPressureUnits, 1);
  EXPECT_EQ(m.gravity, 9.81);
  EXPECT_EQ(m.averageDensity, 1025);
  // Default Data Setup brings the page back.
  findCommand(sheet.get(), kCmdDefaultDataSetup)->trigger();
  EXPECT_TRUE(Data<QCheckBox>(kIdMergeConvert)->isChecked());
  EXPECT_EQ(Data<QLineEdit>(kIdMergeDensity)->text(), "1028");
}

TEST_F(MergeSheet, InputSelectionFollowsTheMergeRules) {
  WriteFile(dir.file("site.tid"), "");
  WriteFile(dir.file("site.bp"), "");
  WriteFile(dir.file("other.tid"), "");
  ui.QueueFiles({dir.file("site.tid"), dir.file("other.tid")});
  File<QPushButton>(kIdInputSelect)->click();
  ASSERT_FALSE(ui.Messages().empty());
  EXPECT_EQ(ui.Messages().back().caption, "Duplicate Extensions Found");
  EXPECT_EQ(File<QComboBox>(kIdInputList)->count(), 0);
  ui.QueueFiles({dir.file("site.tid")});
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(ui.Messages().back().text, "Must select both a .TID and .BP file for processing.");
  ui.QueueFiles({dir.file("site.tid"), dir.file("site.bp")});
  File<QPushButton>(kIdInputSelect)->click();
  EXPECT_EQ(File<QComboBox>(kIdInputList)->count(), 2);
  EXPECT_EQ(File<QComboBox>(kIdInputList)->currentText(), "site.bp");
  EXPECT_EQ(File<QLineEdit>(kIdOutputFile)->text(), "site.tid");
  EXPECT_TRUE(sheet->SetupChanged());
}

TEST_F(MergeSheet, StartRefusesAnOutputThatIsTheBarometricFile) {
  WriteFile(dir.file("site.tid"), "     1   03/01/2005 00:00:00    24.7000     20.000\r\n");
  WriteFile(dir.file("site.bp"), "3/1/05 0:00:00 14.7\n");
  ui.QueueFiles({dir.file("site.tid"), dir.file("site.bp")});
  File<QPushButton>(kIdInputSelect)->click();
  File<QLineEdit>(kIdOutputFile)->setText("site.bp");
  Q_EMIT File<QLineEdit>(kIdOutputFile)->editingFinished();
  ui.Clear();
  sheet->startButton()->click();
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].caption, "Output File Error");
  EXPECT_EQ(ui.Messages()[0].text, "The output file " + dir.file("site.bp") +
                                       " is the input file " + dir.file("site.bp") +
                                       ": choose another name.");
  EXPECT_FALSE(module.IsProcessing());
  EXPECT_EQ(tidora::testing::ReadFile(dir.file("site.bp")), "3/1/05 0:00:00 14.7\n");
}

}  // namespace
}  // namespace tidora::ui
