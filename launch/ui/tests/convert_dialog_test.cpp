#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "convert/coefficient_file.h"
#include "launch/ui/coefficient_dialog.h"
#include "launch/ui/convert_dialog.h"
#include "outside/utility.h"
#include "platform/profile.h"
#include "platform/settings_dir.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "sim/recorder.h"
#include "sim/upload.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora::ui {
namespace {

using tidora::testing::ReadFile;

class ConvertDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { tidora::testing::EnsureApplication(); }

  // A simulated upload and its coefficient file; returns the upload's path.
  std::string Upload(int tideSamples, int samplesPerBurst) {
    sim::Options o;
    o.family = sim::Family::kTgr41plus;
    o.tideSamples = tideSamples;
    o.samplesPerBurst = samplesPerBurst;
    sim::Deployment d = sim::Simulate(o);
    std::string path = home.file("deploy.hex");
    EXPECT_TRUE(sim::WriteUploadFile(d, path));
    EXPECT_TRUE(sim::WriteCoefficients(d, CoefficientFilePath()));
    return path;
  }
  std::unique_ptr<ConvertHexDialog> Open() {
    auto d = std::make_unique<ConvertHexDialog>(ui, session);
    d->show();
    return d;
  }
  void Set(QWidget* d, int id, const std::string& text) {
    findControl<QLineEdit>(d, id)->setText(QString::fromStdString(text));
  }
  void Click(QWidget* d, int id) { findControl<QPushButton>(d, id)->click(); }
  QString Status(QWidget* d) { return findControl<QLabel>(d, kIdConvStatus)->text(); }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> t;
    for (const auto& m : ui.Messages()) t.push_back(m.text);
    return t;
  }

  tidora::testing::TempHome home;
  ScriptedInteraction ui;
  CoefficientSession session;
};

TEST_F(ConvertDialogTest, AnOutputThatIsTheUploadIsRefused) {
  const std::string hex = Upload(24, 64);
  const std::string upload = ReadFile(hex);
  const std::string spelled = home.path() + "/./deploy.hex";
  auto d = Open();
  Set(d.get(), kIdConvInput, hex);
  Set(d.get(), kIdConvTide, spelled);
  Set(d.get(), kIdConvWave, home.file("deploy.wb"));
  Click(d.get(), kIdConvConvert);
  ASSERT_TRUE(tidora::testing::WaitFor([&] { return !d->running(); }));
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"The tide file " + spelled + " is the upload file " + hex +
                                     ": choose another name."});
  EXPECT_EQ(Status(d.get()), "Conversion aborted...");
  EXPECT_EQ(ReadFile(hex), upload);
  EXPECT_FALSE(IsFile(home.file("deploy.wb")));
}

TEST_F(ConvertDialogTest, BrowseThenConvertASimulatedUploadWithProgress) {
  std::string hex = Upload(96, 256);
  auto d = Open();
  EXPECT_EQ(d->windowTitle(), "Convert Hex to Wave and Tide");
  EXPECT_EQ(Status(d.get()), "Ready...");
  EXPECT_EQ(findControl<QLineEdit>(d.get(), kIdConvStartYear)->text(), "2000");

  ui.QueueFiles({hex});
  Click(d.get(), kIdConvBrowse);
  std::string tide = hex, wave = hex;
  SetExtension(tide, "tid");
  SetExtension(wave, "wb");
  EXPECT_EQ(findControl<QLineEdit>(d.get(), kIdConvTide)->text().toStdString(), tide);
  EXPECT_EQ(findControl<QLineEdit>(d.get(), kIdConvWave)->text().toStdString(), wave);

  auto* bar = findControl<QProgressBar>(d.get(), kIdConvProgress);
  auto* exit = findControl<QPushButton>(d.get(), kIdConvExit);
  int highest = 0;
  bool exitDisabledWhileRunning = false;
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
    highest = std::max(highest, v);
    if (v > 0 && !exit->isEnabled()) exitDisabledWhileRunning = true;
  });
  Click(d.get(), kIdConvConvert);
  EXPECT_TRUE(d->running());
  ASSERT_TRUE(tidora::testing::WaitFor([&] { return !d->running(); }));
  EXPECT_EQ(Status(d.get()), "Finished conversion...");
  EXPECT_TRUE(exit->isEnabled());
  EXPECT_TRUE(exitDisabledWhileRunning);
  EXPECT_GT(highest, 0);
  EXPECT_EQ(highest % 100, 0);  // advanced in steps of 100 lines
  EXPECT_EQ(bar->value(), 0);
  EXPECT_GT(ReadFile(tide).size(), 0u);
  EXPECT_EQ(ReadFile(wave).rfind("TGR 41plus", 0), 0u);
  EXPECT_TRUE(MessageTexts().empty());

  // Exit keeps the four fields.
  Click(d.get(), kIdConvExit);
  EXPECT_EQ(d->result(), QDialog::Accepted);
  EXPECT_EQ(GetProfileString("ConvertHEX", "HEXFile", "", SettingsFile("TidoraWaves.ini")), hex);
  EXPECT_EQ(GetProfileString("ConvertHEX", "StartYear", "", SettingsFile("TidoraWaves.ini")),
            "2000");
}

TEST_F(ConvertDialogTest, CancelTwiceStopsTheRunThenCloses) {
  std::string hex = Upload(400, 1024);
  auto d = Open();
  Set(d.get(), kIdConvInput, hex);
  Set(d.get(), kIdConvTide, home.file("out.tid"));
  Set(d.get(), kIdConvWave, home.file("out.wb"));
  auto* bar = findControl<QProgressBar>(d.get(), kIdConvProgress);
  bool cancelled = false;
  QString statusAfterCancel;
  bool visibleAfterCancel = false, exitEnabledAfterCancel = false;
  // The worker waits while its progress is shown, so the run is surely going on here.
  QObject::connect(bar, &QProgressBar::valueChanged, d.get(), [&](int v) {
    if (v < 200 || cancelled) return;
    cancelled = true;
    Click(d.get(), kIdConvCancel);
    statusAfterCancel = Status(d.get());
    visibleAfterCancel = d->isVisible();
    exitEnabledAfterCancel = findControl<QPushButton>(d.get(), kIdConvExit)->isEnabled();
  });
  Click(d.get(), kIdConvConvert);
  ASSERT_TRUE(tidora::testing::WaitFor([&] { return cancelled; }));
  EXPECT_EQ(statusAfterCancel, "Operator aborted Conversion");
  EXPECT_TRUE(visibleAfterCancel);
  EXPECT_TRUE(exitEnabledAfterCancel);
  EXPECT_FALSE(d->running());

  Click(d.get(), kIdConvCancel);
  EXPECT_FALSE(d->isVisible());
  EXPECT_EQ(d->result(), QDialog::Rejected);
  EXPECT_FALSE(d->converter().IsRunning());
  // Stopped, not finished: nothing more was shown, and Cancel saved nothing.
  EXPECT_EQ(Status(d.get()), "Operator aborted Conversion");
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(GetProfileString("ConvertHEX", "HEXFile", "none", SettingsFile("TidoraWaves.ini")),
            "none");
}

TEST_F(ConvertDialogTest, BadFieldsAndMissingCoefficientsAreRefused) {
  std::string hex = Upload(8, 32);
  auto d = Open();
  Set(d.get(), kIdConvInput, hex);
  Set(d.get(), kIdConvTide, "");
  Set(d.get(), kIdConvWave, home.file("x.wb"));
  Set(d.get(), kIdConvStartYear, "1989");
  Click(d.get(), kIdConvConvert);
  EXPECT_FALSE(d->running());
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"Please enter an integer between 1990 and 2100."});

  // In range, but an empty tide path: the worker refuses the names.
  ui.Clear();
  Set(d.get(), kIdConvStartYear, "2000");
  Click(d.get(), kIdConvConvert);
  ASSERT_TRUE(tidora::testing::WaitFor([&] { return !d->running(); }));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"File names invalid"});
  EXPECT_EQ(Status(d.get()), "Conversion aborted...");

  ui.Clear();
  std::remove(CoefficientFilePath().c_str());
  Set(d.get(), kIdConvTide, home.file("x.tid"));
  Click(d.get(), kIdConvConvert);
  EXPECT_FALSE(d->running());
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"Could not open cnvhex.ini, please re-enter coefficients"});
}

class CoefficientDialogTest : public ConvertDialogTest {
 protected:
  QLineEdit* Field(QWidget* d, int slot) { return findControl<QLineEdit>(d, kIdCoefField + slot); }
  QString FileLine(QWidget* d) { return findControl<QLabel>(d, kIdCoefFileLine)->text(); }
};

TEST_F(CoefficientDialogTest, OpensFromTheFileAndOkWritesTheTypedValues) {
  CoefficientFile f = DefaultCoefficientsAtStart();
  f.SetValue(kSlotSlopeCorrection, 1.25);
  ASSERT_TRUE(WriteCoefficientFile(CoefficientFilePath(), f));
  CoefficientDialog d(ui, session);
  EXPECT_EQ(d.windowTitle(), "Coefficient Configuration");
  EXPECT_EQ(Field(&d, kSlotSlopeCorrection)->text().toStdString(), f.slots[kSlotSlopeCorrection]);
  EXPECT_EQ(Field(&d, kSlotCPcor)->text(), "-9.57e-08");
  EXPECT_EQ(FileLine(&d).toStdString(), "Initialization file: " + CoefficientFilePath());
  EXPECT_EQ(findControl<QLabel>(&d, kIdCoefLabel + static_cast<int>(kSlotA3))->text(), "A3 =");

  Field(&d, kSlotOffsetCorrection)->setText("-0.5");
  Field(&d, kSlotG)->setText("4.5xyz");  // parsed as far as it goes
  findControl<QPushButton>(&d, kIdCoefOk)->click();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  CoefficientFile back = DefaultCoefficientsForShortFile();
  ASSERT_EQ(LoadCoefficientFile(CoefficientFilePath(), back), CoefficientFileStatus::kOk);
  EXPECT_DOUBLE_EQ(back.Value(kSlotOffsetCorrection), -0.5);
  EXPECT_DOUBLE_EQ(back.Value(kSlotG), 4.5);
  EXPECT_DOUBLE_EQ(back.Value(kSlotSlopeCorrection), 1.25);
  EXPECT_DOUBLE_EQ(session.slots.Value(kSlotG), 4.5);
}

TEST_F(CoefficientDialogTest, CancelPutsEverySlotBack) {
  session.slots.SetValue(kSlotA0, 7.0);  // no file: the slots stay as they are
  CoefficientDialog d(ui, session);
  EXPECT_EQ(Field(&d, kSlotA0)->text().toStdString(), session.slots.slots[kSlotA0]);
  std::string before = session.slots.slots[kSlotA0];
  // Open changes the slots; Cancel still returns to the values at opening.
  CoefficientFile other = DefaultCoefficientsAtStart();
  other.SetValue(kSlotA0, 3.0);
  ASSERT_TRUE(WriteCoefficientFile(home.file("other.ini"), other));
  ui.QueueFiles({home.file("other.ini")});
  findControl<QPushButton>(&d, kIdCoefOpen)->click();
  EXPECT_DOUBLE_EQ(session.slots.Value(kSlotA0), 3.0);
  findControl<QPushButton>(&d, kIdCoefCancel)->click();
  EXPECT_EQ(session.slots.slots[kSlotA0], before);
}

TEST_F(CoefficientDialogTest, OpenLoadsAndRewritesSaveAsWritesBothFiles) {
  CoefficientFile other = DefaultCoefficientsAtStart();
  other.SetValue(kSlotH, 0.125);
  ASSERT_TRUE(WriteCoefficientFile(home.file("site.ini"), other));
  CoefficientDialog d(ui, session);
  ui.QueueFiles({home.file("site.ini")});
  findControl<QPushButton>(&d, kIdCoefOpen)->click();
  EXPECT_EQ(Field(&d, kSlotH)->text().toStdString(), other.slots[kSlotH]);
  EXPECT_EQ(FileLine(&d).toStdString(), "Initialization file: " + home.file("site.ini"));
  // The coefficient file in the settings folder is rewritten at once, naming the folder.
  CoefficientFile now = DefaultCoefficientsForShortFile();
  ASSERT_EQ(LoadCoefficientFile(CoefficientFilePath(), now), CoefficientFileStatus::kOk);
  EXPECT_DOUBLE_EQ(now.Value(kSlotH), 0.125);
  EXPECT_EQ(ReadFile(CoefficientFilePath()).substr(0, home.path().size() + 2), home.path() + "/\n");

  Field(&d, kSlotJ)->setText("2.5");
  ui.QueueFiles({home.file("copy.ini")});
  findControl<QPushButton>(&d, kIdCoefSaveAs)->click();
  EXPECT_EQ(FileLine(&d).toStdString(), "Initialization file: " + home.file("copy.ini"));
  EXPECT_EQ(ReadFile(home.file("copy.ini")), ReadFile(CoefficientFilePath()));
  CoefficientFile copy = DefaultCoefficientsForShortFile();
  ASSERT_EQ(LoadCoefficientFile(home.file("copy.ini"), copy), CoefficientFileStatus::kOk);
  EXPECT_DOUBLE_EQ(copy.Value(kSlotJ), 2.5);

  // A cancelled Open changes nothing.
  findControl<QPushButton>(&d, kIdCoefOpen)->click();
  EXPECT_EQ(Field(&d, kSlotJ)->text(), "2.5");
}

}  // namespace
}  // namespace tidora::ui
