#include "reports/tabulon_psu.h"

namespace tidora {

const std::vector<std::string>& CTabulon_Psu::SeparatorNames() {
  static const std::vector<std::string> names = {"Space", "Tab", "Semicolon", "Colon"};
  return names;
}

const std::vector<std::string>& CTabulon_Psu::TimeFormNames() {
  static const std::vector<std::string> names = {"Julian days", "hh:mm:ss", "dd mmm yyyy hh:mm:ss"};
  return names;
}

bool CTabulon_Psu::SetSeparator(int v) {
  if (v < 0 || v > kSeparatorHighest) return false;
  columnSeparator = v;
  return true;
}

bool CTabulon_Psu::SetTimeForm(int v) {
  if (v < 0 || v > kTimeFormHighest) return false;
  julianDaysConvFmt = v;
  return true;
}

std::vector<int> CTabulon_Psu::UsedColumns() const {
  std::vector<int> ids;
  for (int id : columns) {
    if (id < 0) break;
    ids.push_back(id);
  }
  return ids;
}

bool CTabulon_Psu::SetColumns(const std::vector<int>& ids) {
  if (ids.size() > static_cast<size_t>(kSlots)) return false;
  columns.fill(-1);
  for (size_t i = 0; i < ids.size(); ++i) columns[i] = ids[i];
  return true;
}

}  // namespace tidora
