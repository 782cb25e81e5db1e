#pragma once

// The rules for the input files a module takes in one selection: how many, one file of each
// extension, which extensions, one root name. Each module states its rules; the checks and
// their messages are the same everywhere.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/interaction.h"

namespace tidora {

// A message box a selection gives instead of taking the names.
struct SelectionMessage {
  std::string text;
  std::string caption;
  MsgIcon icon = MsgIcon::Error;
};

struct InputSelectionRules {
  // Fewer names than this, or (with `extensions`) anything but one file of each of them, is
  // refused with `incomplete`.
  size_t minimum = 0;
  SelectionMessage incomplete;
  std::vector<std::string> extensions;  // lower case, without the dot; empty: any
  // Every name has the root of the first (without regard to case).
  bool oneRootName = true;
  // Of two names sharing an extension, the message spells it as the later name does (the
  // earlier name's spelling otherwise).
  bool spellLaterDuplicate = false;
};

// Sorts by the file-name part (character codes: capitals first, codes above 127 last).
void SortInputNames(std::vector<std::string>& names);

// The extension, without its dot, in lower case.
std::string LowerExtension(const std::string& name);

// The extension two of the names share (any case), as the earlier of them spells it; empty
// when each name has an extension of its own.
std::string RepeatedExtension(const std::vector<std::string>& names);

// Checks sorted names (a directory part is passed over); nullopt when they may be taken.
std::optional<SelectionMessage> CheckInputSelection(const std::vector<std::string>& names,
                                                    const InputSelectionRules& rules);

// Sorts the names and checks them; a refusal shows its message box and gives false.
bool TakeInputSelection(std::vector<std::string>& names, const InputSelectionRules& rules,
                        Interaction& ui);

}  // namespace tidora
