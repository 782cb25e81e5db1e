#pragma once

// The report module's settings: the report columns, the separator, the form of the burst time
// and the two flags, with the rules of their setup-file section "TabulonPsu".

#include <array>
#include <ostream>
#include <string>
#include <vector>

namespace tidora {

// A choice among a few items: a value outside its range is ignored and the previous value
// stays.
struct RangedChoice {
  int value;
  int lowest;
  int highest;
  int defaultValue;
  // False (the value unchanged) when v is outside lowest..highest.
  bool Set(int v);
  void Reset() { value = defaultValue; }
  bool operator==(const RangedChoice& o) const { return value == o.value; }
};

enum ColumnSeparatorChoice {
  kSeparatorSpace = 0,
  kSeparatorTab,
  kSeparatorSemicolon,
  kSeparatorColon
};
enum TimeFormChoice { kTimeJulianDays = 0, kTimeOfDay, kTimeDateAndTime };

class CTabulon_Psu {
 public:
  static constexpr int kSlots = 17;
  static constexpr const char* kSectionName = "TabulonPsu";
  // The section's keys in file order.
  static constexpr const char* kKeySelectedColumnItems = "SelectedColumnItems";
  static constexpr const char* kKeyColumnSeparator = "ColumnSeparator";
  static constexpr const char* kKeyJulianDaysConvFmt = "JulianDaysConvFmt";
  static constexpr const char* kKeyLabelDataColumns = "LabelDataColumns";
  static constexpr const char* kKeyOutputHeaderInfo = "OutputHeaderInfo";
  static const std::vector<std::string>& KeyNames();
  // Item texts of the two choices, by index.
  static const std::vector<std::string>& SeparatorNames();
  static const std::vector<std::string>& TimeFormNames();

  CTabulon_Psu() { Reset(); }
  // Defaults: every slot empty (-1), Space, Julian days, both flags on.
  void Reset();

  // The report columns: 17 slots, the list ending at the first negative slot.
  std::array<int, kSlots> columns{};
  RangedChoice columnSeparator{0, 0, 3, 0};
  RangedChoice julianDaysConvFmt{0, 0, 2, 0};
  int labelDataColumns = 1;
  int outputHeaderInfo = 1;

  // The used slots: the identifiers up to the first empty slot.
  std::vector<int> UsedColumns() const;
  bool HasColumns() const { return columns[0] >= 0; }
  // The identifiers up to the first empty slot joined by ",".
  std::string ColumnListText() const;
  // Fills slots from the first with a list split at ","; slots behind it keep their values.
  // A list of more than 17 identifiers fills the 17 slots and the rest is dropped. A piece that
  // is not a number reads as 0, as setup files are read.
  void ReadColumnList(const std::string& text);
  // Sets the whole list from identifiers; false when there are more than 17.
  bool SetColumns(const std::vector<int>& ids);

  // The section's key lines ("key=value", CR LF) in file order, without the section header.
  void WriteSection(std::ostream& out) const;
  // One key line of the section as a setup file holds it; false when the key is not one of
  // the section's keys. Choices pass the range rule.
  bool ReadKey(const std::string& key, const std::string& value);
  // KEY=VALUE typed by a person: the whole value must be valid (identifiers 0 to 33 for the
  // list, the choice's range, 0 or 1 for a flag). Empty on success, else why not.
  std::string Assign(const std::string& key, const std::string& value);

  bool operator==(const CTabulon_Psu& o) const;
};

}  // namespace tidora
