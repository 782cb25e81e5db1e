// The launcher creates the wave module from its plugin library by class identifier.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <functional>

#include <QComboBox>
#include "datafile/tests/wave_output_builders.h"
#include "launch/module_start.h"
#include "launch/ui/launcher_window.h"
#include "platform/component.h"
#include "platform/interaction.h"
#include "platform/profile.h"
#include "platform/settings_dir.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "plot/plot_setup.h"
#include "postproc/setup.h"
#include "reports/tabulon.h"
#include "testing/scripted_interaction.h"
#include "testing/test_support.h"
#include "wave/wave_setup.h"

namespace tidora::ui {
namespace {

using tidora::testing::ProgramPath;
using tidora::testing::RunCommand;

constexpr const char* kWaveClass = "{72A3061B-9E93-4367-A809-5153ED9EC5CE}";

class HostRecorder : public ModuleHost {
 public:
  void SetTitle(const std::string& t) override { titles.push_back(t); }
  void Minimize() override {}
  void Restore() override {}
  std::vector<std::string> titles;
};

class ModulePlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    tidora::testing::EnsureApplication();
    std::string out, err;
    ASSERT_EQ(RunCommand(ProgramPath("TidoraLaunch") + " --register", &out, &err), 0) << err;
    EXPECT_NE(out.find("Swellcalc.so"), std::string::npos);
    EXPECT_NE(out.find("Tabulon.so"), std::string::npos);
    EXPECT_NE(out.find("PlotData.so"), std::string::npos);
  }
  // A setup file in a folder whose name holds a blank.
  std::string MakeSetup(const std::string& folder, double height) {
    std::filesystem::create_directories(dir.file(folder));
    CWaveSetup s(dir.file(folder));
    s.height = height;
    const std::string path = dir.file(folder) + "/my setup.psa";
    EXPECT_TRUE(s.Save(path, ui));
    return path;
  }
  // Closes the module's window when it shows, noting what it showed (with its input list).
  void CloseSheetWhenShown() {
    tidora::testing::HandleNextModal([this](QWidget* w) {
      title = w->windowTitle().toStdString();
      auto* tabs = w->findChild<QTabWidget*>();
      auto* path = tabs ? findControl<QLineEdit>(tabs->widget(0), 325) : nullptr;
      shownPath = path ? path->text().toStdString() : "";
      auto* inputs = tabs ? findControl<QComboBox>(tabs->widget(0), 303) : nullptr;
      shownInputs.clear();
      for (int i = 0; inputs && i < inputs->count(); ++i)
        shownInputs.push_back(inputs->itemText(i).toStdString());
      // Cancel; anything else that opened first (a box) is only closed, and the test fails.
      auto* cancel = findControl<QPushButton>(w, 2);
      EXPECT_NE(cancel, nullptr) << "not the module's window: " << title;
      if (cancel)
        cancel->click();
      else
        w->close();
    });
  }

  // The sheet that opens after a first box.
  void CloseSheetWhenShownLater() {
    tidora::testing::HandleNextModal([this](QWidget* box) {
      box->close();
      CloseSheetWhenShown();
    });
  }

  tidora::testing::TempHome home;
  tidora::testing::TempDir dir;
  ScriptedInteraction ui;
  std::string title, shownPath;
  std::vector<std::string> shownInputs;
};

TEST_F(ModulePlugin, RegisterWritesTheClassIntoTheUsersRegistry) {
  const std::string lib = RegisteredComponentLibrary(kWaveClass);
  EXPECT_EQ(std::filesystem::path(lib).filename(), "Swellcalc.so");
  // The plotting component is ours too.
  EXPECT_EQ(
      std::filesystem::path(RegisteredComponentLibrary("{FBEA03A0-BB68-476D-893B-AA8F4A1589C8}"))
          .filename(),
      "PlotData.so");
}

TEST_F(ModulePlugin, SlashPInDoubleQuotesWithABlankReachesTheModule) {
  const std::string path = MakeSetup("deploy one", 2.5);
  HostRecorder host;
  CloseSheetWhenShown();
  const auto result =
      StartModule(3, {" /P\"" + path + "\"", false}, host, ui, SettingsFile("TidoraWaves.ini"));
  EXPECT_EQ(result, ModuleStartResult::kRan);
  EXPECT_EQ(title, "Process Wave Burst Data");
  EXPECT_EQ(shownPath, path);
  ASSERT_FALSE(host.titles.empty());
  EXPECT_EQ(host.titles.front(), "Process Wave Burst Data Running...");
  EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(ModulePlugin, RunMenuItemSixOpensTheModuleWithTheRememberedSetup) {
  const std::string path = MakeSetup("last", 1);
  ASSERT_TRUE(WriteModulePreferences("Process Wave Burst Data", {path, true, true}));
  LauncherWindow w(ui);
  w.SetPopUpRunMenu(false);
  CloseSheetWhenShown();
  findCommand(&w, kCmdProcessWaves)->trigger();
  EXPECT_EQ(title, "Process Wave Burst Data");
  EXPECT_EQ(shownPath, path);
  EXPECT_EQ(w.windowTitle(), "Tidora for Waves");
  EXPECT_TRUE(ui.Messages().empty());
  // Item 5: the merge module, on its default setup file in the settings folder.
  ASSERT_TRUE(WriteModulePreferences("Merge Barometric Pressure",
                                     {SettingsFile("Baroblend.psa"), true, true}));
  CloseSheetWhenShownLater();
  findCommand(&w, kCmdMergeBarometric)->trigger();
  EXPECT_EQ(title, "Merge Barometric Pressure");
  EXPECT_EQ(shownPath, SettingsFile("Baroblend.psa"));
  // Item 7: the report module.
  ASSERT_TRUE(WriteModulePreferences("Create Reports", {SettingsFile("Tabulon.psa"), true, true}));
  CloseSheetWhenShownLater();
  findCommand(&w, kCmdCreateReports)->trigger();
  EXPECT_EQ(title, "Create Reports");
  EXPECT_EQ(shownPath, SettingsFile("Tabulon.psa"));
  // Item 8: Plot Data, on its default setup file in the settings folder.
  ASSERT_TRUE(WriteModulePreferences("Plot Data", {SettingsFile("PlotData.psa"), true, true}));
  CloseSheetWhenShownLater();
  findCommand(&w, kCmdPlotData)->trigger();
  EXPECT_EQ(title, "Plot Data");
  EXPECT_EQ(shownPath, SettingsFile("PlotData.psa"));
}

TEST_F(ModulePlugin, PlotDataTakesItsSetupAndInputsFromTheSwitches) {
  std::filesystem::create_directories(dir.file("run 2"));
  tidora::testing::WriteFile(dir.file("run 2/bay.wts"), tidora::testing::WtsFileText({{}}));
  tidora::testing::WriteFile(dir.file("run 2/notes.txt"), "");
  CPlotSetup setup(dir.file("run 2"));
  setup.plotKind = kPlotBurstStatistics;
  const std::string path = dir.file("run 2") + "/plot setup.psa";
  ASSERT_EQ(setup.Save(path, ui), 1);
  HostRecorder host;
  CloseSheetWhenShown();
  const std::string options = " /P\"" + path + "\" /I\"" + dir.file("run 2") + "/*\"";
  EXPECT_EQ(StartModule(0, {options, false}, host, ui, SettingsFile("TidoraWaves.ini")),
            ModuleStartResult::kRan);
  EXPECT_EQ(title, "Plot Data");
  EXPECT_EQ(shownPath, path);
  // Only data files are plot inputs.
  EXPECT_EQ(shownInputs, (std::vector<std::string>{"bay.wts"}));
  ASSERT_FALSE(host.titles.empty());
  EXPECT_EQ(host.titles.front(), "Plot Data Running...");
}

TEST_F(ModulePlugin, TheReportModuleTakesItsSetupAndInputsFromTheSwitches) {
  std::filesystem::create_directories(dir.file("run 1"));
  tidora::testing::WriteFile(dir.file("run 1/bay.was"), tidora::testing::WasFileText({{}}));
  tidora::testing::WriteFile(dir.file("run 1/bay.wts"), tidora::testing::WtsFileText({{}}));
  tidora::testing::WriteFile(dir.file("run 1/bay.wb"), "");
  CTabulonSetup setup(dir.file("run 1"));
  setup.SetColumns({2, 24});
  const std::string path = dir.file("run 1") + "/report setup.psa";
  ASSERT_EQ(setup.Save(path, ui), 1);
  HostRecorder host;
  CloseSheetWhenShown();
  const std::string options =
      " /P\"" + path + "\" /I\"" + dir.file("run 1") + "/bay.w*\" /O" + dir.path();
  EXPECT_EQ(StartModule(1, {options, false}, host, ui, SettingsFile("TidoraWaves.ini")),
            ModuleStartResult::kRan);
  EXPECT_EQ(title, "Create Reports");
  EXPECT_EQ(shownPath, path);
  // Only the module's own kinds of file match: the .wb is no report input.
  EXPECT_EQ(shownInputs, (std::vector<std::string>{"bay.was", "bay.wts"}));
  ASSERT_FALSE(host.titles.empty());
  EXPECT_EQ(host.titles.front(), "Create Reports Running...");
}

TEST_F(ModulePlugin, AMissingSlashPFileIsRefusedWithoutRunning) {
  HostRecorder host;
  // The module's own boxes: the file cannot be read, the program must end.
  int boxes = 0;
  std::function<void(QWidget*)> close = [&](QWidget* w) {
    ++boxes;
    w->close();
    if (boxes < 2) tidora::testing::HandleNextModal(close);
  };
  tidora::testing::HandleNextModal(close);
  const auto result = StartModule(3, {" /p\"" + dir.file("no such.psa") + "\"", false}, host, ui,
                                  SettingsFile("TidoraWaves.ini"));
  EXPECT_EQ(result, ModuleStartResult::kRefused);
  EXPECT_TRUE(host.titles.empty());
  EXPECT_EQ(boxes, 2);
}

}  // namespace
}  // namespace tidora::ui
