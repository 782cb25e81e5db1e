#pragma once

// The report module's settings: the report columns, the separator, the form of the burst time
// and the two flags.

#include <string>
#include <vector>

#include "postproc/setup_keys.h"

namespace tidora {

enum ColumnSeparatorChoice {
  kSeparatorSpace = 0,
  kSeparatorTab,
  kSeparatorSemicolon,
  kSeparatorColon
};
enum TimeFormChoice { kTimeJulianDays = 0, kTimeOfDay, kTimeDateAndTime };

// The report module's own settings. The setup record of the module (CTabulonSetup) carries
// these fields and declares them on the settings table.
class CTabulon_Psu {
 public:
  static constexpr int kSlots = kListSlots;
  static constexpr int kSeparatorHighest = kSeparatorColon;
  static constexpr int kTimeFormHighest = kTimeDateAndTime;
  // Item texts of the two choices, by index.
  static const std::vector<std::string>& SeparatorNames();
  static const std::vector<std::string>& TimeFormNames();

  // The report columns: 17 slots, the list ending at the first negative slot.
  SettingSlots columns = EmptySlots();
  int columnSeparator = kSeparatorSpace;
  int julianDaysConvFmt = kTimeJulianDays;
  int labelDataColumns = 1;
  int outputHeaderInfo = 1;

  // The choices' range rule: a value outside 0..highest is ignored and the previous value
  // stays. Returns whether the value was taken.
  bool SetSeparator(int v);
  bool SetTimeForm(int v);

  // The used slots: the identifiers up to the first empty slot.
  std::vector<int> UsedColumns() const;
  bool HasColumns() const { return columns[0] >= 0; }
  // The identifiers up to the first empty slot joined by ",".
  std::string ColumnListText() const { return SlotsText(columns); }
  // Sets the whole list from identifiers; false when there are more than 17.
  bool SetColumns(const std::vector<int>& ids);

 private:
  static SettingSlots EmptySlots() {
    SettingSlots s;
    s.fill(-1);
    return s;
  }
};

}  // namespace tidora
