#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/interaction.h"
#include "postproc/input_selection.h"

namespace tidora {

// The merge module's rules for choosing its input files, shared by every front end.

inline constexpr const char* kMergeInputTitle = "Select one .TID and one .BP File";
inline constexpr const char* kMergeInputFilter =
    "Tide/Barometric Pres Input Files (*.tid, *.bp)|*.tid;*.bp||";
inline constexpr const char* kMergeInputLabel = "Select one (.TID) and one (.BP) input file";
inline constexpr const char* kMergeOutputFilter = "Output File ()|*.tid||";
inline constexpr const char* kMergeDefaultSetupName = "Baroblend.psa";

// One tide file and one barometric file, of any root names.
const InputSelectionRules& MergeSelectionRules();

// Checks sorted names (without directory): fewer than two names, two with one extension,
// or a selection that is not one tide file and one barometric file is refused with the
// message to show. An empty result means the selection is taken.
std::optional<SelectionMessage> CheckMergeSelection(const std::vector<std::string>& names);

// Whether a name has the barometric file's extension "bp" (any case).
bool IsBarometricName(const std::string& name);

// The default output file name: the first name with its extension set to "tid". For a tide
// file and a barometric file of one base name this is the tide file's own name.
std::string DefaultMergeOutputName(const std::vector<std::string>& sortedNames);

// Sorts, checks and shows the message when the names are refused (nullopt); otherwise gives
// back the sorted names, which the caller takes as its selection.
std::optional<std::vector<std::string>> TakeMergeSelection(std::vector<std::string> names,
                                                           Interaction& ui);

}  // namespace tidora
