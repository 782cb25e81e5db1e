#include "merge/selection.h"

#include "outside/utility.h"

namespace tidora {

const InputSelectionRules& MergeSelectionRules() {
  static const InputSelectionRules rules{
      .minimum = 2,
      .incomplete = {"Must select both a .TID and .BP file for processing.", "Invalid Selection",
                     MsgIcon::Error},
      .extensions = {"tid", "bp"},
      .oneRootName = false,
      .spellLaterDuplicate = false};
  return rules;
}

bool IsBarometricName(const std::string& name) {
  return LowerExtension(name) == "bp";
}

std::optional<SelectionMessage> CheckMergeSelection(const std::vector<std::string>& names) {
  return CheckInputSelection(names, MergeSelectionRules());
}

std::string DefaultMergeOutputName(const std::vector<std::string>& sortedNames) {
  if (sortedNames.empty()) return {};
  std::string name = sortedNames.front();
  SetExtension(name, "tid");
  return name;
}

std::optional<std::vector<std::string>> TakeMergeSelection(std::vector<std::string> names,
                                                           Interaction& ui) {
  if (!TakeInputSelection(names, MergeSelectionRules(), ui)) return std::nullopt;
  return names;
}

}  // namespace tidora
