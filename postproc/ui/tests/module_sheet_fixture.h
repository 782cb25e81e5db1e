#pragma once

// What every module's sheet test needs: a temporary settings folder and data folder, the
// module with a scripted interaction, and its sheet opened on the module's page, found by
// control identifier.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/interaction.h"
#include "platform/ui/dialog_builder.h"
#include "platform/ui/tests/gui_test_support.h"
#include "postproc/ui/module_sheet.h"
#include "testing/scripted_interaction.h"
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

  // Exit's three answers and Restore against a change made in the window. `change` makes it
  // on the open sheet; `holds` tells whether a setup has it; `open` opens the sheet again.
  // Restore puts the saved setup back; Cancel keeps the window; No leaves the saved file as it
  // was; Yes saves the change.
  void CheckExitAnswersAndRestore(const std::function<void()>& open,
                                  const std::function<void()>& change,
                                  const std::function<bool(const CPostProcSetup&)>& holds) {
    auto saved = [&] {
      std::unique_ptr<CPostProcSetup> s = module.Setup().Clone();
      EXPECT_EQ(s->Load(setupPath, 1, ui), 1);
      return holds(*s);
    };
    auto exitWith = [&](MsgAnswer a) {
      ui.QueueAnswer(a);
      findControl<QPushButton>(sheet.get(), kIdOkButton)->click();
      EXPECT_EQ(LastMessage(), "Program Setup Has Changed: Do you want to save your changes to " +
                                   setupPath + "?");
    };
    change();
    sheet->tabs()->setCurrentIndex(0);
    ASSERT_TRUE(holds(module.Setup()));
    File<QPushButton>(kIdRestore)->click();
    EXPECT_FALSE(holds(module.Setup())) << "Restore";
    EXPECT_FALSE(sheet->SetupChanged()) << "Restore";

    change();
    exitWith(MsgAnswer::Cancel);
    EXPECT_TRUE(sheet->isVisible()) << "Cancel";
    EXPECT_TRUE(holds(module.Setup())) << "Cancel";
    EXPECT_FALSE(saved()) << "Cancel";
    exitWith(MsgAnswer::No);
    EXPECT_FALSE(sheet->isVisible()) << "No";
    EXPECT_FALSE(saved()) << "No";

    CloseSheet();
    open();
    EXPECT_FALSE(holds(module.Setup())) << "No, opened again";
    change();
    exitWith(MsgAnswer::Yes);
    EXPECT_FALSE(sheet->isVisible()) << "Yes";
    EXPECT_TRUE(saved()) << "Yes";
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
