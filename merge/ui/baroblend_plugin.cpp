// Baroblend: the merge module as a plugin the launcher creates by class identifier.
#include <new>

#include "merge/merge_module.h"
#include "merge/ui/merge_pages.h"
#include "postproc/ui/module_component.h"

namespace {

const tidora::ui::ModuleUi<tidora::CMergeModule> kMergeUi = {
    [](tidora::CMergeModule& m) { return tidora::ui::MergeSheetTexts(m); },
    [](tidora::CMergeModule& m, tidora::Interaction&) {
      return std::vector<tidora::ui::ModulePage*>{new tidora::ui::MergeDataPage(m)};
    }};

}  // namespace

TIDORA_MODULE_EXPORTS("{9C7AA149-A03A-4A7F-ADD5-3A585DBBAA63}",
                      new (std::nothrow)
                          tidora::ui::CModuleComponent<tidora::CMergeModule>(kMergeUi))

// Pictures of the module's windows for the manual.
extern "C" __attribute__((visibility("default"))) int TidoraComponentScreenshots(const char* dir) {
  return tidora::ui::SaveModuleScreenshots(kMergeUi, dir, "baroblend");
}
