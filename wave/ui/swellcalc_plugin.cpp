// Swellcalc: the wave module as a plugin the launcher creates by class identifier.
#include <QApplication>
#include <QTabWidget>
#include <cstring>
#include <new>

#include "platform/component.h"
#include "platform/settings_dir.h"
#include "platform/ui/qt_interaction.h"
#include "platform/ui/screenshot.h"
#include "postproc/tgr41_reader.h"
#include "postproc/ui/module_sheet.h"
#include "wave/ui/wave_pages.h"
#include "wave/wave_module.h"

namespace tidora {
namespace {

constexpr const char* kSwellcalcClassId = "{72A3061B-9E93-4367-A809-5153ED9EC5CE}";

class CSwellcalc : public IPostProcModule {
 public:
  CSwellcalc() : module_(ui_) { module_.SetReaderFactory(DataFileReaderFactory()); }
  ~CSwellcalc() override { module_.SetPage(nullptr); }

  int Run(int, int, int) override {
    ui::WaveDataPage* data = new ui::WaveDataPage(module_, ui_);
    ui::ModuleSheet sheet(module_, ui_, bridge_, ui::WaveSheetTexts(), {data});
    ui_.SetWindow(&sheet);
    const int result = ui::RunModuleSheet(module_, sheet, bridge_, setupFromLauncher_);
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
  ui::QtInteraction ui_;
  ui::SheetBridge bridge_;  // outlives the module: its thread may still report at the end
  CWaveModule module_;
  bool setupFromLauncher_ = false;
};

}  // namespace
}  // namespace tidora

extern "C" {

__attribute__((visibility("default"))) int TidoraCreateComponent(const char* classId,
                                                                 const char* interfaceId,
                                                                 void** object) {
  if (!object) return tidora::kComponentNoInterface;
  *object = nullptr;
  if (!classId || std::strcmp(classId, tidora::kSwellcalcClassId) != 0)
    return tidora::kComponentClassNotAvailable;
  if (!interfaceId || std::strcmp(interfaceId, tidora::kPostProcModuleInterfaceId) != 0)
    return tidora::kComponentNoInterface;
  auto* module = new (std::nothrow) tidora::CSwellcalc;
  if (!module) return tidora::kComponentOutOfMemory;
  *object = static_cast<tidora::IPostProcModule*>(module);
  return tidora::kComponentOk;
}

__attribute__((visibility("default"))) void TidoraReleaseComponent(void* object) {
  delete static_cast<tidora::IPostProcModule*>(object);
}

// Pictures of the module's windows for the manual, on a default setup in the settings folder.
__attribute__((visibility("default"))) int TidoraComponentScreenshots(const char* dir) {
  using namespace tidora;
  using namespace tidora::ui;
  QtInteraction ui;
  SheetBridge bridge;
  CWaveModule module(ui);
  CPostProcSetup& s = module.Setup();
  s.ResetAll(SettingsDirectory());
  s.setupPath = SettingsFile("Swellcalc.psa");
  auto* data = new WaveDataPage(module, ui);
  ModuleSheet sheet(module, ui, bridge, WaveSheetTexts(), {data});
  ui.SetWindow(&sheet);
  const QString out = QString::fromLocal8Bit(dir);
  bool ok = sheet.Open(true);
  sheet.show();
  QApplication::processEvents();
  ok = ok && SaveScreenshot(GrabWindow(&sheet), out, "swellcalc_file_setup");
  sheet.tabs()->setCurrentIndex(1);
  QApplication::processEvents();
  ok = ok && SaveScreenshot(GrabWindow(&sheet), out, "swellcalc_data_setup");
  ProcessOptionsDialog options(static_cast<CWaveSetup&>(s), ui, &sheet);
  options.show();
  QApplication::processEvents();
  ok = ok && SaveScreenshot(GrabWindow(&options), out, "swellcalc_process_options");
  options.reject();
  bridge.Detach();
  return ok ? 1 : 0;
}

__attribute__((visibility("default"))) const char* const* TidoraComponentClasses() {
  static const char* const classes[] = {tidora::kSwellcalcClassId, nullptr};
  return classes;
}
}
