#include "reports/input_selection.h"

#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/input_selection.h"

namespace tidora {
namespace {

// One .was and one .wts file of one run, in any case.
const InputSelectionRules& ReportSelectionRules() {
  static const InputSelectionRules rules{
      .minimum = 2,
      .incomplete = {"Must select both a .WTS and .WAS file for processing.", "Invalid Selection",
                     MsgIcon::Error},
      .extensions = {},
      .oneRootName = true,
      .spellLaterDuplicate = true};
  return rules;
}

}  // namespace

bool CheckReportInputSelection(std::vector<std::string>& names, Interaction& ui) {
  return TakeInputSelection(names, ReportSelectionRules(), ui);
}

std::string DefaultReportOutputName(std::vector<std::string> names) {
  if (names.empty()) return {};
  SortInputNames(names);
  std::string out = names.front();
  SetExtension(out, "r41");
  return out;
}

bool IsReportInputName(const std::string& name) {
  const std::string ext = LowerExtension(name);
  return ext == "was" || ext == "wts";
}

}  // namespace tidora
