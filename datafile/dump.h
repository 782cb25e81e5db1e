#pragma once

// Any data file as CSV, through the data file library: what `tidora dump` prints. A header of
// the variables' long names with units, then one row per record (tide file), per sample (wave burst
// and surface elevation files), per burst (statistics and auto-spectrum files) or per band (an
// auto-spectrum file asked for energy density or frequency);
// RFC 4180 quoting and CR LF line ends; Date/Time as "MM/DD/YYYY HH:MM:SS".

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tidora {

class CTGR41File;
class Interaction;

// The column header of a variable: its catalogue name, with a unit where the name has none.
std::string DumpColumnName(int id);

// A field quoted when it holds a comma, a double quote, CR or LF (quotes doubled).
std::string CsvField(const std::string& text);

// Parses "19,27,3" into identifiers; false with a message on a malformed list.
bool ParseVariableList(const std::string& text, std::vector<int>& ids, std::string& error);

// The columns dumped when none are asked for: the X variable first, then the file's default
// variables; burst files lead with the burst number.
std::vector<int> DefaultDumpVariables(CTGR41File& reader);

// A reader for the file, opened and past ReadFileInfo; null with a one-line message in `error`
// for a name that is no data file, a missing, empty or unreadable file, or a file without data.
// The reader shows its own reading messages through `ui` when one is given; `rows` and
// `nSubTitles`, when given, receive what ReadFileInfo found.
std::unique_ptr<CTGR41File> OpenDataFile(const std::string& path, std::string& error,
                                         Interaction* ui = nullptr, int* rows = nullptr,
                                         int* nSubTitles = nullptr);
// False with a message naming the first variable that is unknown or not in the file.
bool CheckVariablesInFile(CTGR41File& reader, const std::vector<int>& vars, const std::string& path,
                          std::string& error);

// Writes the file as CSV to `out`: the variables `vars` (the defaults when empty), at most
// `maxRows` data rows when it is not negative. False with a one-line message in `error` for a
// missing, empty or unreadable file, a file kind without a reader, a variable id that is
// unknown or not in the file, or a failed write.
bool DumpDataFileCsv(const std::string& path, const std::vector<int>& vars, std::ostream& out,
                     std::string& error, long maxRows = -1);

}  // namespace tidora
