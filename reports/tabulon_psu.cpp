#include "reports/tabulon_psu.h"

#include <cstdlib>

#include "datafile/textio.h"
#include "datafile/tgr41file.h"
#include "outside/utility.h"

namespace tidora {
namespace {

// A whole decimal integer and nothing else (blanks around it allowed).
bool WholeInt(const std::string& text, int& value) {
  FieldScanner s(text);
  return s.Int(value) && s.AtEnd();
}

}  // namespace

bool RangedChoice::Set(int v) {
  if (v < lowest || v > highest) return false;
  value = v;
  return true;
}

const std::vector<std::string>& CTabulon_Psu::KeyNames() {
  static const std::vector<std::string> names = {kKeySelectedColumnItems, kKeyColumnSeparator,
                                                 kKeyJulianDaysConvFmt, kKeyLabelDataColumns,
                                                 kKeyOutputHeaderInfo};
  return names;
}

const std::vector<std::string>& CTabulon_Psu::SeparatorNames() {
  static const std::vector<std::string> names = {"Space", "Tab", "Semicolon", "Colon"};
  return names;
}

const std::vector<std::string>& CTabulon_Psu::TimeFormNames() {
  static const std::vector<std::string> names = {"Julian days", "hh:mm:ss", "dd mmm yyyy hh:mm:ss"};
  return names;
}

void CTabulon_Psu::Reset() {
  columns.fill(-1);
  columnSeparator.Reset();
  julianDaysConvFmt.Reset();
  labelDataColumns = 1;
  outputHeaderInfo = 1;
}

std::vector<int> CTabulon_Psu::UsedColumns() const {
  std::vector<int> ids;
  for (int id : columns) {
    if (id < 0) break;
    ids.push_back(id);
  }
  return ids;
}

std::string CTabulon_Psu::ColumnListText() const {
  std::string text;
  for (int id : UsedColumns()) {
    if (!text.empty()) text += ',';
    text += std::to_string(id);
  }
  return text;
}

void CTabulon_Psu::ReadColumnList(const std::string& text) {
  if (text.empty()) return;
  size_t start = 0;
  for (int slot = 0; slot < kSlots; ++slot) {
    size_t comma = text.find(',', start);
    columns[static_cast<size_t>(slot)] = std::atoi(text.substr(start, comma - start).c_str());
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

bool CTabulon_Psu::SetColumns(const std::vector<int>& ids) {
  if (ids.size() > static_cast<size_t>(kSlots)) return false;
  columns.fill(-1);
  for (size_t i = 0; i < ids.size(); ++i) columns[i] = ids[i];
  return true;
}

void CTabulon_Psu::WriteSection(std::ostream& out) const {
  WriteString(kKeySelectedColumnItems, ColumnListText(), out);
  WriteIntString(kKeyColumnSeparator, columnSeparator.value, out);
  WriteIntString(kKeyJulianDaysConvFmt, julianDaysConvFmt.value, out);
  WriteIntString(kKeyLabelDataColumns, labelDataColumns, out);
  WriteIntString(kKeyOutputHeaderInfo, outputHeaderInfo, out);
}

bool CTabulon_Psu::ReadKey(const std::string& key, const std::string& value) {
  const int v = std::atoi(value.c_str());
  if (key == kKeySelectedColumnItems)
    ReadColumnList(value);
  else if (key == kKeyColumnSeparator)
    columnSeparator.Set(v);
  else if (key == kKeyJulianDaysConvFmt)
    julianDaysConvFmt.Set(v);
  else if (key == kKeyLabelDataColumns)
    labelDataColumns = v;
  else if (key == kKeyOutputHeaderInfo)
    outputHeaderInfo = v;
  else
    return false;
  return true;
}

std::string CTabulon_Psu::Assign(const std::string& key, const std::string& value) {
  int v = 0;
  if (key == kKeySelectedColumnItems) {
    std::vector<int> ids;
    size_t start = 0;
    while (!value.empty()) {
      size_t comma = value.find(',', start);
      std::string piece = value.substr(start, comma - start);
      int id = 0;
      std::string name;
      if (!WholeInt(piece, id) || !GetDataNameFromID(name, id))
        return key + ": \"" + piece + "\" is not a variable identifier (0 to 33)";
      ids.push_back(id);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    if (!SetColumns(ids)) return key + ": at most 17 columns";
    return {};
  }
  RangedChoice* choice = key == kKeyColumnSeparator     ? &columnSeparator
                         : key == kKeyJulianDaysConvFmt ? &julianDaysConvFmt
                                                        : nullptr;
  if (choice) {
    if (!WholeInt(value, v) || !choice->Set(v))
      return key + ": expected a whole number from " + std::to_string(choice->lowest) + " to " +
             std::to_string(choice->highest);
    return {};
  }
  int* flag = key == kKeyLabelDataColumns   ? &labelDataColumns
              : key == kKeyOutputHeaderInfo ? &outputHeaderInfo
                                            : nullptr;
  if (flag) {
    if (!WholeInt(value, v) || (v != 0 && v != 1)) return key + ": expected 0 or 1";
    *flag = v;
    return {};
  }
  return "unknown setting \"" + key + "\"";
}

bool CTabulon_Psu::operator==(const CTabulon_Psu& o) const {
  return columns == o.columns && columnSeparator == o.columnSeparator &&
         julianDaysConvFmt == o.julianDaysConvFmt && labelDataColumns == o.labelDataColumns &&
         outputHeaderInfo == o.outputHeaderInfo;
}

}  // namespace tidora
