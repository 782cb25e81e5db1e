#include "reports/input_selection.h"

#include <algorithm>
#include <cctype>

#include "outside/utility.h"
#include "platform/interaction.h"

namespace tidora {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string BaseName(const std::string& path) {
  std::string name;
  ExtractFileName(path, name, 1);
  return name;
}

std::string ExtensionOf(const std::string& path) {
  std::string ext;
  ExtractExtension(path, ext);
  return ext;
}

void SortByName(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    std::string na, nb;
    ExtractFileName(a, na, 0);
    ExtractFileName(b, nb, 0);
    return na < nb;
  });
}

}  // namespace

bool CheckReportInputSelection(std::vector<std::string>& names, Interaction& ui) {
  SortByName(names);
  if (names.size() < 2) {
    ui.Message("Must select both a .WTS and .WAS file for processing.", "Invalid Selection",
               MsgIcon::Error, MsgButtons::Ok);
    return false;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      // One kind each: a.WAS and a.was are the same kind of file.
      if (Lower(ExtensionOf(names[i])) == Lower(ExtensionOf(names[j]))) {
        ui.Message("Cannot select more than one file with ." + ExtensionOf(names[j]) + " extension",
                   "Duplicate Extensions Found", MsgIcon::Error, MsgButtons::Ok);
        return false;
      }
    }
  }
  const std::string root = Lower(BaseName(names[0]));
  for (const std::string& n : names) {
    if (Lower(BaseName(n)) != root) {
      ui.Message("Cannot select files with different root names", "Inconsistent File Names Found",
                 MsgIcon::Error, MsgButtons::Ok);
      return false;
    }
  }
  return true;
}

std::string DefaultReportOutputName(std::vector<std::string> names) {
  if (names.empty()) return {};
  SortByName(names);
  std::string out = names.front();
  SetExtension(out, "r41");
  return out;
}

bool IsReportInputName(const std::string& name) {
  const std::string ext = Lower(ExtensionOf(name));
  return ext == "was" || ext == "wts";
}

}  // namespace tidora
