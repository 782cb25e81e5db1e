#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "endurance/ui/deploycalc_sheet.h"
#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"
#include "platform/ui/tests/gui_test_support.h"
#include "testing/scripted_interaction.h"

namespace tidora::ui {
namespace {

using Id = EnduranceControl;

class DeploycalcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tidora::testing::EnsureApplication();
    sheet = std::make_unique<DeploycalcSheet>(ui);
    sheet->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
  }
  QWidget* Page() { return sheet->tabs()->currentWidget(); }
  QLineEdit* Edit(Id id) { return findControl<QLineEdit>(Page(), PageControlId(id)); }
  QCheckBox* Box(Id id) { return findControl<QCheckBox>(Page(), PageControlId(id)); }
  QComboBox* List(Id id) { return findControl<QComboBox>(Page(), PageControlId(id)); }
  QLabel* Label(Id id) { return findControl<QLabel>(Page(), PageControlId(id)); }
  void Type(Id id, const QString& text) {
    QLineEdit* e = Edit(id);
    ASSERT_NE(e, nullptr) << static_cast<int>(id);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
  }
  // Result labels and note lines of the current page, in page order.
  QStringList Shown() {
    QStringList t;
    for (Id id : {Id::kBurstDuration, Id::kStatisticsDuration, Id::kAlkaline, Id::kLithium,
                  Id::kMemory, Id::kNote, Id::kReferenceNote}) {
      if (QLabel* l = Label(id)) t << l->text();
    }
    return t;
  }
  void FillWavePlan() {
    Type(Id::kTideInterval, "15");
    Type(Id::kTideDurationSeconds, "60");
    Type(Id::kWavesEvery, "4");
    Type(Id::kSamplesPerBurst, "1024");
  }

  ScriptedInteraction ui;
  std::unique_ptr<DeploycalcSheet> sheet;
};

TEST_F(DeploycalcTest, SheetHasItsPagesInOrderMenuAndButtons) {
  EXPECT_EQ(sheet->windowTitle(), "Battery and Memory Endurance");
  QStringList tabs;
  for (int i = 0; i < sheet->tabs()->count(); ++i) tabs << sheet->tabs()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"TGR 41plus-Quartz", "TGR 41plus-Strain", "TGR 41", "TGR 77 BPR"}));
  EXPECT_EQ(findControl<QPushButton>(sheet.get(), kIdCalculate)->text(), "Calculate");
  EXPECT_TRUE(findControl<QPushButton>(sheet.get(), kIdCalculate)->isDefault());
  EXPECT_EQ(findControl<QPushButton>(sheet.get(), kIdSheetHelp)->text(), "Help");
  EXPECT_EQ(findControl<QPushButton>(sheet.get(), kIdSheetExit)->text(), "Exit");
  EXPECT_EQ(findCommand(sheet.get(), kCmdSheetAbout)->text(), "&About Tidora for Waves...");
  EXPECT_EQ(findControl<QLabel>(Page(), PageLabelId(Id::kWavesEvery))->text(),
            "Measure waves every N tide samples, N =");
  EXPECT_EQ(List(Id::kSampleDuration)->currentText(), "0.25");
  EXPECT_EQ(List(Id::kStatisticsSamples)->currentText(), "512");
  EXPECT_FALSE(List(Id::kStatisticsSamples)->isEnabled());
  EXPECT_TRUE(Box(Id::kFirmware6)->isChecked());
  // The TGR 41 page has no firmware box.
  sheet->tabs()->setCurrentIndex(2);
  EXPECT_EQ(Box(Id::kFirmware6), nullptr);
  EXPECT_NE(Edit(Id::kWavesEvery), nullptr);
}

TEST_F(DeploycalcTest, EnterCalculatesTheActivePageAndDoesNotClose) {
  QStringList bare = Shown();
  FillWavePlan();
  QTest::keyClick(Edit(Id::kSamplesPerBurst), Qt::Key_Return);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_TRUE(ui.Messages().empty());
  ASSERT_TRUE(sheet->pageWidget(0)->page().ResultsShown());
  EXPECT_NE(Shown(), bare);
  EXPECT_TRUE(
      Label(Id::kAlkaline)->text().startsWith("Nominal alkaline battery endurance (days) ="));
  EXPECT_GT(Label(Id::kAlkaline)->text().size(),
            QString("Nominal alkaline battery endurance (days) =").size());
  // The other pages are untouched.
  EXPECT_FALSE(sheet->pageWidget(1)->page().ResultsShown());

  // Enter on a check box calculates too.
  Box(Id::kConductivity)->setFocus();
  QTest::keyClick(Box(Id::kConductivity), Qt::Key_Enter);
  EXPECT_TRUE(sheet->pageWidget(0)->page().ResultsShown());
  EXPECT_TRUE(sheet->isVisible());
}

TEST_F(DeploycalcTest, TypingAfterACalculationPutsTheBareCaptionsBack) {
  QStringList bare = Shown();
  FillWavePlan();
  findControl<QPushButton>(sheet.get(), kIdCalculate)->click();
  ASSERT_NE(Shown(), bare);
  QTest::keyClick(Edit(Id::kTideInterval), Qt::Key_0);
  EXPECT_EQ(Shown(), bare);
  EXPECT_EQ(Edit(Id::kTideInterval)->text(), "150");

  // A list selection and the conductivity box clear them as well.
  findControl<QPushButton>(sheet.get(), kIdCalculate)->click();
  ASSERT_NE(Shown(), bare);
  QComboBox* durations = List(Id::kSampleDuration);
  durations->setCurrentIndex(0);
  durations->activated(0);  // as a user's choice sends it
  EXPECT_EQ(Shown(), bare);
  findControl<QPushButton>(sheet.get(), kIdCalculate)->click();
  Box(Id::kConductivity)->click();
  EXPECT_EQ(Shown(), bare);
}

TEST_F(DeploycalcTest, ClearingTheFirmwareBoxClearsAndDisablesStatistics) {
  QCheckBox* stats = Box(Id::kStatistics);
  stats->click();
  EXPECT_TRUE(stats->isChecked());
  EXPECT_TRUE(List(Id::kStatisticsSamples)->isEnabled());

  Box(Id::kFirmware6)->click();
  EXPECT_FALSE(Box(Id::kFirmware6)->isChecked());
  EXPECT_FALSE(stats->isChecked());
  EXPECT_FALSE(stats->isEnabled());
  EXPECT_FALSE(List(Id::kStatisticsSamples)->isEnabled());

  Box(Id::kFirmware6)->click();
  EXPECT_TRUE(stats->isEnabled());
  EXPECT_FALSE(stats->isChecked());
  EXPECT_FALSE(List(Id::kStatisticsSamples)->isEnabled());
}

TEST_F(DeploycalcTest, WarmUpEntryIsUsableOnlyWhileTheSensorIsNotContinuouslyPowered) {
  sheet->tabs()->setCurrentIndex(3);
  QLineEdit* warm = Edit(Id::kWarmUp);
  ASSERT_NE(warm, nullptr);
  EXPECT_FALSE(warm->isEnabled());
  EXPECT_TRUE(Box(Id::kContinuousPower)->isChecked());
  Box(Id::kContinuousPower)->click();
  EXPECT_TRUE(warm->isEnabled());
  Type(Id::kWarmUp, "5");
  EXPECT_EQ(sheet->pageWidget(3)->page().EntryText(Id::kWarmUp), "5");
  Box(Id::kContinuousPower)->click();
  EXPECT_FALSE(warm->isEnabled());
}

TEST_F(DeploycalcTest, InvalidInputsAreShownWithTheProgramTitleAndExitCloses) {
  sheet->tabs()->setCurrentIndex(3);
  Type(Id::kTideInterval, "61");
  Type(Id::kTideDurationMinutes, "0");
  Type(Id::kReferenceEvery, "0");
  findControl<QPushButton>(sheet.get(), kIdCalculate)->click();
  auto m = ui.Messages();
  ASSERT_FALSE(m.empty());
  for (const auto& r : m) EXPECT_EQ(r.caption, "Deploycalc");
  EXPECT_FALSE(sheet->pageWidget(3)->page().ResultsShown());

  findControl<QPushButton>(sheet.get(), kIdSheetHelp)->click();
  auto* help = sheet->findChild<HelpBrowser*>();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->topic(), kHelpEndurance);

  findControl<QPushButton>(sheet.get(), kIdSheetExit)->click();
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_EQ(sheet->result(), QDialog::Rejected);
}

}  // namespace
}  // namespace tidora::ui
