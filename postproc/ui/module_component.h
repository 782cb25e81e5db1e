#pragma once

// What every module plugin library is made of: the component behind the module interface,
// and the pictures of its windows. A library defines its factory functions with these.

#include <QApplication>
#include <QTabWidget>
#include <string>
#include <vector>

#include "platform/component.h"
#include "platform/settings_dir.h"
#include "platform/ui/qt_interaction.h"
#include "platform/ui/screenshot.h"
#include "postproc/tgr41_reader.h"
#include "postproc/ui/module_sheet.h"

namespace tidora::ui {

template <class M>
struct ModuleUi {
  // The File Setup texts and the module's own pages (owned by the sheet once added).
  ModuleSheetTexts (*texts)(M& module);
  std::vector<ModulePage*> (*pages)(M& module, Interaction& ui);
};

template <class M>
class CModuleComponent : public IPostProcModule {
 public:
  explicit CModuleComponent(ModuleUi<M> moduleUi) : module_(ui_), moduleUi_(moduleUi) {
    // The data files show their reading messages in the window.
    module_.SetReaderFactory(DataFileReaderFactory(&ui_));
  }
  ~CModuleComponent() override { module_.SetPage(nullptr); }

  int Run(int, int, int) override {
    ModuleSheet sheet(module_, ui_, bridge_, moduleUi_.texts(module_),
                      moduleUi_.pages(module_, ui_));
    ui_.SetWindow(&sheet);
    const int result = RunModuleSheet(module_, sheet, bridge_, setupFromLauncher_);
    ui_.SetWindow(nullptr);
    return result;
  }
  int SetSetupFile(const std::string& path, int fromSwitch) override {
    const int ok = SetSetupFileFromLauncher(module_.Setup(), path, fromSwitch, ui_);
    if (ok) setupFromLauncher_ = true;
    return ok;
  }
  int SetInputFiles(const std::string& pattern) override { return module_.SetInputFiles(pattern); }
  int SetOutputDir(const std::string& dir) override { return module_.SetOutputDir(dir); }
  void SetNameAppend(const std::string& text) override { module_.SetNameAppend(text); }
  void SetOutputFile(const std::string& name) override { module_.SetOutputFile(name); }
  void SetJobText(const std::string& text) override { module_.SetJobText(text); }
  int GetLastProcessed() override { return module_.GetLastProcessed(); }
  void SetLastProcessed(int value) override { module_.SetLastProcessed(value); }

 private:
  QtInteraction ui_;
  SheetBridge bridge_;  // outlives the module: its thread may still report at the end
  M module_;
  ModuleUi<M> moduleUi_;
  bool setupFromLauncher_ = false;
};

// Saves the File Setup page and every module page as <prefix>_<n>.png on a default setup in
// the settings folder; 1 on success.
template <class M>
int SaveModuleScreenshots(const ModuleUi<M>& moduleUi, const char* dir, const QString& prefix) {
  QtInteraction ui;
  SheetBridge bridge;
  M module(ui);
  CPostProcSetup& s = module.Setup();
  s.ResetAll(SettingsDirectory());
  s.setupPath = SettingsFile(s.DefaultFileName());
  ModuleSheet sheet(module, ui, bridge, moduleUi.texts(module), moduleUi.pages(module, ui));
  ui.SetWindow(&sheet);
  const QString out = QString::fromLocal8Bit(dir);
  bool ok = sheet.Open(true);
  sheet.show();
  const char* names[] = {"file_setup", "data_setup", "page_3", "page_4"};
  for (int i = 0; i < sheet.tabs()->count() && i < 4; ++i) {
    sheet.tabs()->setCurrentIndex(i);
    QApplication::processEvents();
    ok = ok && SaveScreenshot(GrabWindow(&sheet), out, prefix + "_" + names[i]);
  }
  bridge.Detach();
  return ok ? 1 : 0;
}

}  // namespace tidora::ui

// The factory functions of a library holding one module class.
#define TIDORA_MODULE_EXPORTS(ClassId, ComponentExpr)                                              \
  extern "C" __attribute__((visibility("default"))) int TidoraCreateComponent(                     \
      const char* classId, const char* interfaceId, void** object) {                               \
    if (!object) return tidora::kComponentNoInterface;                                             \
    *object = nullptr;                                                                             \
    if (!classId || std::string(classId) != (ClassId)) return tidora::kComponentClassNotAvailable; \
    if (!interfaceId || std::string(interfaceId) != tidora::kPostProcModuleInterfaceId)            \
      return tidora::kComponentNoInterface;                                                        \
    tidora::IPostProcModule* module = (ComponentExpr);                                             \
    if (!module) return tidora::kComponentOutOfMemory;                                             \
    *object = module;                                                                              \
    return tidora::kComponentOk;                                                                   \
  }                                                                                                \
  extern "C" __attribute__((visibility("default"))) void TidoraReleaseComponent(void* object) {    \
    delete static_cast<tidora::IPostProcModule*>(object);                                          \
  }                                                                                                \
  extern "C" __attribute__((visibility("default"))) const char* const* TidoraComponentClasses() {  \
    static const char* const classes[] = {(ClassId), nullptr};                                     \
    return classes;                                                                                \
  }
