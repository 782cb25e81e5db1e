#pragma once

// What every module's sheet test needs: a temporary settings folder and data folder, the
// module with a scripted interaction, and its sheet opened on the module's page, found by
// control identifier.

#include <gtest/gtest.h>

#include <QTabWidget>
#include <memory>
#include <string>

#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "postproc/ui/module_sheet.h"
#include "testing/test_support.h"

namespace tidora::ui {

template <class Module>
class ModuleSheetFixture : public ::testing::Test {
 protected:
  ModuleSheetFixture() : module(ui) { tidora::testing::EnsureApplication(); }
  ~ModuleSheetFixture() override { CloseSheet(); }

  // Saves the module's setup as the one the module opens with next (Confirm Program Setup
  // Change and Overwrite Warning on), then puts the defaults back.
  void RememberSetup(const std::string& name) {
    CPostProcSetup& s = module.Setup();
    setupPath = dir.file(name);
    EXPECT_TRUE(s.Save(setupPath, ui));
    WriteModulePreferences(s.DisplayName(), {setupPath, true, true});
    s.ResetAll();
  }
  // The sheet on the module's Data Setup page, opened as the launcher's menu opens it.
  void OpenSheet(ModuleSheetTexts texts, ModulePage* dataPage) {
    page = dataPage;
    sheet = std::make_unique<ModuleSheet>(module, ui, bridge, std::move(texts),
                                          std::vector<ModulePage*>{page});
    ASSERT_TRUE(sheet->Open(false));
    sheet->show();
  }
  // Stops a run that still goes and closes the sheet.
  void CloseSheet() {
    if (!sheet) return;
    module.StopFlag().store(1);
    tidora::testing::WaitFor([&] { return !module.IsProcessing(); });
    bridge.Detach();
    module.ThreadEnded();
    sheet.reset();
  }
  template <class T = QWidget>
  T* File(int id) {
    return findControl<T>(sheet->tabs()->widget(0), id);
  }
  template <class T = QWidget>
  T* Data(int id) {
    return findControl<T>(page, id);
  }
  // "caption: text" of the last box or question.
  std::string LastMessage() {
    auto m = ui.Messages();
    return m.empty() ? std::string() : m.back().caption + ": " + m.back().text;
  }

  tidora::testing::TempHome home;
  tidora::testing::TempDir dir;
  std::string setupPath;
  ScriptedInteraction ui;
  SheetBridge bridge;
  Module module;
  ModulePage* page = nullptr;
  std::unique_ptr<ModuleSheet> sheet;
};

}  // namespace tidora::ui
