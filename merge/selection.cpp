#include "merge/selection.h"

#include <algorithm>
#include <cctype>

#include "outside/utility.h"

namespace tidora {

namespace {

std::string LowerExtension(const std::string& name) {
  std::string ext;
  ExtractExtension(name, ext);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

void SortInputNames(std::vector<std::string>& names) {
  // char_traits<char> compares as unsigned char: plain character-code order.
  std::sort(names.begin(), names.end());
}

bool IsBarometricName(const std::string& name) {
  return LowerExtension(name) == "bp";
}

std::optional<SelectionMessage> CheckMergeSelection(const std::vector<std::string>& names) {
  const SelectionMessage missing{"Must select both a .TID and .BP file for processing.",
                                 "Invalid Selection", MsgIcon::Error};
  if (names.size() < 2) return missing;
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      if (LowerExtension(names[i]) == LowerExtension(names[j])) {
        std::string ext;
        ExtractExtension(names[i], ext);
        return SelectionMessage{"Cannot select more than one file with ." + ext + " extension",
                                "Duplicate Extensions Found", MsgIcon::Error};
      }
    }
  }
  // The merge reads exactly two files: anything but one tide and one barometric file would
  // be merged as if it were one of them.
  if (names.size() != 2) return missing;
  const std::string a = LowerExtension(names[0]), b = LowerExtension(names[1]);
  if (!((a == "tid" && b == "bp") || (a == "bp" && b == "tid"))) return missing;
  return std::nullopt;
}

std::string DefaultMergeOutputName(const std::vector<std::string>& sortedNames) {
  if (sortedNames.empty()) return {};
  std::string name = sortedNames.front();
  SetExtension(name, "tid");
  return name;
}

std::optional<std::vector<std::string>> TakeMergeSelection(std::vector<std::string> names,
                                                           Interaction& ui) {
  SortInputNames(names);
  if (auto problem = CheckMergeSelection(names)) {
    ui.Message(problem->text, problem->caption, problem->icon, MsgButtons::Ok);
    return std::nullopt;
  }
  return names;
}

}  // namespace tidora
