// Swellcalc: the wave module as a plugin the launcher creates by class identifier.
#include <new>

#include "postproc/ui/module_component.h"
#include "wave/ui/wave_pages.h"
#include "wave/wave_module.h"

namespace {

const tidora::ui::ModuleUi<tidora::CWaveModule> kWaveUi = {
    [](tidora::CWaveModule&) { return tidora::ui::WaveSheetTexts(); },
    [](tidora::CWaveModule& m, tidora::Interaction& ui) {
      return std::vector<tidora::ui::ModulePage*>{new tidora::ui::WaveDataPage(m, ui)};
    }};

}  // namespace

TIDORA_MODULE_EXPORTS("{72A3061B-9E93-4367-A809-5153ED9EC5CE}",
                      new (std::nothrow) tidora::ui::CModuleComponent<tidora::CWaveModule>(kWaveUi))

// Pictures of the module's windows for the manual.
extern "C" __attribute__((visibility("default"))) int TidoraComponentScreenshots(const char* dir) {
  using namespace tidora;
  using namespace tidora::ui;
  int ok = SaveModuleScreenshots(kWaveUi, dir, "swellcalc");
  QtInteraction ui;
  CWaveSetup setup;
  ProcessOptionsDialog options(setup, ui);
  return ok &&
         SaveWindowScreenshot(&options, QString::fromLocal8Bit(dir), "swellcalc_process_options");
}
