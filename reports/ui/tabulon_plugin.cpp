// Tabulon: the report module as a plugin the launcher creates by class identifier.
#include <new>

#include "datafile/tgr41file.h"
#include "datafile/ui/tgr41_dialog.h"
#include "platform/ui/dialog_builder.h"
#include "postproc/ui/module_component.h"
#include "reports/tabulon.h"
#include "reports/ui/report_pages.h"
#include "reports/variable_tree.h"

namespace {

const tidora::ui::ModuleUi<tidora::CTabulon> kReportUi = {
    [](tidora::CTabulon& m) { return tidora::ui::ReportSheetTexts(m); },
    [](tidora::CTabulon& m, tidora::Interaction&) {
      return std::vector<tidora::ui::ModulePage*>{new tidora::ui::ReportDataPage(m)};
    }};

}  // namespace

TIDORA_MODULE_EXPORTS("{8376DA33-72EC-4535-B804-2246D2B4C85F}",
                      new (std::nothrow) tidora::ui::CModuleComponent<tidora::CTabulon>(kReportUi))

// Pictures of the module's windows for the manual: its pages, and the variable selection with
// a few columns chosen and the tree open.
extern "C" __attribute__((visibility("default"))) int TidoraComponentScreenshots(const char* dir) {
  using namespace tidora;
  using namespace tidora::ui;
  int ok = SaveModuleScreenshots(kReportUi, dir, "tabulon");
  CTabulonSelection selection;
  selection.SetTitle("Select Variables");
  selection.SetChosen({kVarBurstNumber, kVarDateTime, kVarSigHeightAs, kVarSigHeightTss});
  selection.SetdwSelection(kVarSigHeightTss);
  CTGR41Dlg dlg(selection);
  findControl<QPushButton>(&dlg, CTGR41Selection::kIdExpandAll)->click();
  return ok && SaveWindowScreenshot(&dlg, QString::fromLocal8Bit(dir), "select_variables");
}
