#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "launch/ui/launcher_window.h"
#include "launch/ui/run_options_dialog.h"
#include "platform/interaction.h"
#include "platform/ui/about_box.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"
#include "platform/ui/tests/gui_test_support.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"

namespace tidora::ui {
namespace {

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override { tidora::testing::EnsureApplication(); }
  tidora::testing::TempHome home;
  ScriptedInteraction ui;
};

QStringList Texts(QMenu* menu) {
  QStringList t;
  for (QAction* a : menu->actions()) t << (a->isSeparator() ? "-" : a->text());
  return t;
}

TEST_F(LauncherTest, RunMenuHoldsTheEightStepsInOrderAndPopsUpAtOpening) {
  LauncherWindow w(ui);
  EXPECT_EQ(w.windowTitle(), "Tidora for Waves");
  EXPECT_EQ(Texts(w.runMenu()),
            (QStringList{"&1. Plan Deployment...", "&2. Battery and Memory Endurance...",
                         "&3. QuaylinkW...", "&4. Convert HEX...",
                         "&5. Merge Barometric Pressure...", "&6. Process Wave Burst Data...",
                         "&7. Create Reports...", "&8. Plot Data...", "-", "E&xit"}));
  const int commands[] = {kCmdPlanDeployment,  kCmdEndurance,    kCmdQuaylink,      kCmdConvertHex,
                          kCmdMergeBarometric, kCmdProcessWaves, kCmdCreateReports, kCmdPlotData};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ControlId(w.runMenu()->actions()[i]), commands[i]);
  QMenu* help = w.menuBar()->actions()[1]->menu();
  EXPECT_EQ(Texts(help), (QStringList{"&Contents and Index...", "Current &Topic...",
                                      "About Tidora for Waves..."}));

  w.show();
  EXPECT_TRUE(tidora::testing::WaitFor([&] { return w.runMenu()->isVisible(); }));
  w.runMenu()->hide();
}

TEST_F(LauncherTest, RunOptionsFromTheKeyboardStoreTheOptionsWithALeadingBlank) {
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  bool minimizedHiddenAtFirst = false, minimizedShownAfter = false;
  tidora::testing::HandleNextModal([&](QWidget* dlg) {
    EXPECT_EQ(dlg->windowTitle(), "Run Options");
    EXPECT_EQ(findControl<QLabel>(dlg, kIdOptionsLabel)->text(), "Options");
    auto* minimized = findControl<QCheckBox>(dlg, kIdRunMinimized);
    minimizedHiddenAtFirst = !minimized->isVisible();
    findControl<QCheckBox>(dlg, kIdAutoStart)->click();
    minimizedShownAfter = minimized->isVisible();
    minimized->click();
    findControl<QLineEdit>(dlg, kIdOptionsEdit)->setText("/P\"/a b/w.psa\"");
    findControl<QPushButton>(dlg, kIdOptionsOk)->click();
  });
  QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(minimizedHiddenAtFirst);
  EXPECT_TRUE(minimizedShownAfter);
  EXPECT_EQ(w.runOptions().options, " /P\"/a b/w.psa\"");
  EXPECT_TRUE(w.runOptions().autoStart);
  EXPECT_TRUE(w.runOptions().runMinimized);

  // Cancel keeps what was there; the dialog starts from the stored values.
  QString shown;
  tidora::testing::HandleNextModal([&](QWidget* dlg) {
    shown = findControl<QLineEdit>(dlg, kIdOptionsEdit)->text();
    findControl<QLineEdit>(dlg, kIdOptionsEdit)->setText("/Ix");
    findControl<QPushButton>(dlg, kIdOptionsCancel)->click();
  });
  findCommand(&w, kCmdRunOptions)->trigger();
  EXPECT_EQ(shown, " /P\"/a b/w.psa\"");
  EXPECT_EQ(w.runOptions().options, " /P\"/a b/w.psa\"");
}

TEST_F(LauncherTest, ModuleThatIsNotInstalledFailsWithTheSystemTextAndTitleStays) {
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  findCommand(&w, kCmdPlotData)->trigger();
  findCommand(&w, kCmdProcessWaves)->trigger();
  auto m = ui.Messages();
  ASSERT_EQ(m.size(), 2u);
  for (const auto& r : m) {
    EXPECT_EQ(r.text, "Class not registered");
    EXPECT_EQ(r.caption, "Error");
  }
  EXPECT_EQ(w.windowTitle(), "Tidora for Waves");
}

TEST_F(LauncherTest, ProgramStepsStartTheSiblingsAndAMissingOneStaysSilent) {
  tidora::testing::TempDir bin;
  std::string marker = bin.file("started");
  tidora::testing::WriteFile(bin.file("Deploycalc"), "#!/bin/sh\necho \"$#\" > '" + marker + "'\n");
  std::filesystem::permissions(bin.file("Deploycalc"), std::filesystem::perms::owner_all);
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  w.SetProgramDirectory(QString::fromStdString(bin.path()));
  findCommand(&w, kCmdEndurance)->trigger();
  ASSERT_TRUE(tidora::testing::WaitFor(
      [&] { return tidora::testing::ReadFile(marker).find('\n') != std::string::npos; }));
  EXPECT_EQ(tidora::testing::ReadFile(marker), "0\n");  // no arguments passed
  EXPECT_FALSE(w.StartProgram("QuaylinkW"));
  findCommand(&w, kCmdQuaylink)->trigger();
  EXPECT_TRUE(ui.Records().empty());
}

TEST_F(LauncherTest, StepThreeStartsTheTerminalProgramBesideTheLauncher) {
  tidora::testing::TempDir bin;
  std::string marker = bin.file("terminal-started");
  tidora::testing::WriteFile(bin.file("QuaylinkW"), "#!/bin/sh\necho \"$#\" > '" + marker + "'\n");
  std::filesystem::permissions(bin.file("QuaylinkW"), std::filesystem::perms::owner_all);
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  w.SetProgramDirectory(QString::fromStdString(bin.path()));
  findCommand(&w, kCmdQuaylink)->trigger();
  ASSERT_TRUE(tidora::testing::WaitFor(
      [&] { return tidora::testing::ReadFile(marker).find('\n') != std::string::npos; }));
  EXPECT_EQ(tidora::testing::ReadFile(marker), "0\n");
  EXPECT_TRUE(ui.Records().empty());
}

TEST_F(LauncherTest, AboutAndHelpShowTheSuiteAndTheLauncherTopic) {
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  QString title;
  tidora::testing::HandleNextModal([&](QWidget* dlg) {
    title = findControl<QLabel>(dlg, kIdAboutTitle)->text();
    findControl<QPushButton>(dlg, kIdAboutOk)->click();
  });
  findCommand(&w, kCmdAbout)->trigger();
  EXPECT_EQ(title, "Tidora for Waves, Version 1.14");

  findCommand(&w, kCmdHelpTopic)->trigger();
  auto* help = w.findChild<HelpBrowser*>();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->topic(), kHelpLauncher);
  findCommand(&w, kCmdHelpContents)->trigger();
  EXPECT_EQ(help->topic(), kHelpContents);
}

TEST_F(LauncherTest, PlanDeploymentOpensModallyAndExitSavesToTheSuiteSettings) {
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  QString title;
  tidora::testing::HandleNextModal([&](QWidget* dlg) {
    title = dlg->windowTitle();
    findControl<QPushButton>(dlg, 1023)->click();  // Exit
  });
  findCommand(&w, kCmdPlanDeployment)->trigger();
  EXPECT_EQ(title, "Plan Deployment");
  EXPECT_NE(tidora::testing::ReadFile(home.file("TidoraWaves.ini")).find("WaterDepth=20.000000"),
            std::string::npos);
}

TEST_F(LauncherTest, ConvertHexOpensModallyAndCancelClosesIt) {
  LauncherWindow w(ui, {"-t"});
  w.SetPopUpRunMenu(false);
  EXPECT_TRUE(findCommand(&w, kCmdConvertHex)->isEnabled());
  QString title, status;
  tidora::testing::HandleNextModal([&](QWidget* dlg) {
    title = dlg->windowTitle();
    status = findControl<QLabel>(dlg, 1620)->text();
    findControl<QPushButton>(dlg, 2)->click();  // Cancel
  });
  findCommand(&w, kCmdConvertHex)->trigger();
  EXPECT_EQ(title, "Convert Hex to Wave and Tide");
  EXPECT_EQ(status, "Ready...");
}

TEST_F(LauncherTest, FilesHandedToTheLauncherOpenWhereTheyBelong) {
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  const std::string upload = home.file("deployment 1.hex");
  QString input, tide, wave;
  tidora::testing::HandleNextModal([&](QWidget* dlg) {
    input = findControl<QLineEdit>(dlg, 1601)->text();
    tide = findControl<QLineEdit>(dlg, 1602)->text();
    wave = findControl<QLineEdit>(dlg, 1603)->text();
    findControl<QPushButton>(dlg, 2)->click();  // Cancel
  });
  EXPECT_TRUE(w.OpenFile(upload));
  EXPECT_EQ(input.toStdString(), upload);
  EXPECT_EQ(tide.toStdString(), home.file("deployment 1.tid"));
  EXPECT_EQ(wave.toStdString(), home.file("deployment 1.wb"));

  // A data file goes to Plot Data, which is not installed here; a setup file to its module.
  tidora::testing::WriteFile(home.file("w.psa"), "4  Process Wave Burst Data\r\n");
  EXPECT_TRUE(w.OpenFile(home.file("run.wts")));
  EXPECT_TRUE(w.OpenFile(home.file("w.psa")));
  tidora::testing::WriteFile(home.file("notes.txt"), "Process Wave Burst Data\r\n");
  EXPECT_FALSE(w.OpenFile(home.file("notes.txt")));
  auto m = ui.Messages();
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m[0].text, "Class not registered");
  EXPECT_EQ(m[1].text, "Class not registered");
  EXPECT_EQ(m[2].caption, "Tidora for Waves");
  EXPECT_EQ(w.windowTitle(), "Tidora for Waves");
}

TEST_F(LauncherTest, PictureFillsTheClientArea) {
  QImage img = LauncherPicture({200, 120}).toImage();
  EXPECT_NE(img.pixel(5, 5), img.pixel(5, 115));  // sky above, sea below
}

}  // namespace
}  // namespace tidora::ui
