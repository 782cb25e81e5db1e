#pragma once

// The report module's rules for choosing its input files: one .was and one .wts file of the
// same wave run.

#include <string>
#include <vector>

namespace tidora {

class Interaction;

// Sorts the chosen names by file name (character codes), then checks them: fewer than two
// files, two files with one extension, or names whose roots differ (without regard to case)
// show their message box and give false; the caller then keeps its previous selection.
bool CheckReportInputSelection(std::vector<std::string>& names, Interaction& ui);

// The default report file: the first input in name order with the extension "r41".
std::string DefaultReportOutputName(std::vector<std::string> names);

// True for the file kinds a report reads (.was and .wts, in any case).
bool IsReportInputName(const std::string& name);

}  // namespace tidora
