#include "postproc/input_selection.h"

#include <algorithm>
#include <cctype>

#include "outside/utility.h"

namespace tidora {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string FileName(const std::string& path) {
  std::string name;
  ExtractFileName(path, name, 0);
  return name;
}

std::string LowerRoot(const std::string& path) {
  std::string root;
  ExtractFileName(path, root, 1);
  return Lower(root);
}

std::string Extension(const std::string& name) {
  std::string ext;
  ExtractExtension(name, ext);
  return ext;
}

// The first two names (in order) sharing an extension; false when there are none.
bool FindRepeatedExtension(const std::vector<std::string>& names, size_t& first, size_t& second) {
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      if (LowerExtension(names[i]) == LowerExtension(names[j])) {
        first = i;
        second = j;
        return true;
      }
    }
  }
  return false;
}

bool OneOfEach(const std::vector<std::string>& names, const std::vector<std::string>& extensions) {
  if (names.size() != extensions.size()) return false;
  return std::all_of(names.begin(), names.end(), [&](const std::string& n) {
    return std::find(extensions.begin(), extensions.end(), LowerExtension(n)) != extensions.end();
  });
}

}  // namespace

void SortInputNames(std::vector<std::string>& names) {
  // char_traits<char> compares as unsigned char: plain character-code order.
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return FileName(a) < FileName(b); });
}

std::string LowerExtension(const std::string& name) {
  return Lower(Extension(name));
}

std::string RepeatedExtension(const std::vector<std::string>& names) {
  size_t i = 0, j = 0;
  return FindRepeatedExtension(names, i, j) ? Extension(names[i]) : std::string();
}

std::optional<SelectionMessage> CheckInputSelection(const std::vector<std::string>& names,
                                                    const InputSelectionRules& rules) {
  if (names.size() < rules.minimum) return rules.incomplete;
  size_t i = 0, j = 0;
  if (FindRepeatedExtension(names, i, j)) {
    const std::string ext = Extension(names[rules.spellLaterDuplicate ? j : i]);
    return SelectionMessage{"Cannot select more than one file with ." + ext + " extension",
                            "Duplicate Extensions Found", MsgIcon::Error};
  }
  // A module that reads exactly these kinds would read anything else as one of them.
  if (!rules.extensions.empty() && !OneOfEach(names, rules.extensions)) return rules.incomplete;
  if (rules.oneRootName) {
    for (const std::string& name : names) {
      if (LowerRoot(name) != LowerRoot(names.front()))
        return SelectionMessage{"Cannot select files with different root names",
                                "Inconsistent File Names Found", MsgIcon::Error};
    }
  }
  return std::nullopt;
}

bool TakeInputSelection(std::vector<std::string>& names, const InputSelectionRules& rules,
                        Interaction& ui) {
  SortInputNames(names);
  if (auto problem = CheckInputSelection(names, rules)) {
    ui.Message(problem->text, problem->caption, problem->icon, MsgButtons::Ok);
    return false;
  }
  return true;
}

}  // namespace tidora
