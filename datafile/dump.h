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

// Opens a data file by its extension and reads its overview (ReadFileInfo, the wave output
// readers showing their messages through `ui` when given). Null with a one-line message in
// `error` for a missing, empty or unreadable file, or a file kind without a reader.
std::unique_ptr<CTGR41File> OpenDataFile(const std::string& path, Interaction* ui, int& rows,
                                         int& nSubTitles, std::string& error);

// The column header of a variable: its catalogue name, with a unit where the name has none.
std::string DumpColumnName(int id);

// A field quoted when it holds a comma, a double quote, CR or LF (quotes doubled).
std::string CsvField(const std::string& text);

// Parses "19,27,3" into identifiers; false with a message on a malformed list.
bool ParseVariableList(const std::string& text, std::vector<int>& ids, std::string& error);

// The columns dumped when none are asked for: the X variable first, then the file's default
// variables; burst files lead with the burst number.
std::vector<int> DefaultDumpVariables(CTGR41File& reader);

// Writes the file as CSV to `out`: the variables `vars` (the defaults when empty), at most
// `maxRows` data rows when it is not negative. False with a one-line message in `error` for a
// missing, empty or unreadable file, a file kind without a reader, a variable id that is
// unknown or not in the file, or a failed write.
bool DumpDataFileCsv(const std::string& path, const std::vector<int>& vars, std::ostream& out,
                     std::string& error, long maxRows = -1);

}  // namespace tidora
