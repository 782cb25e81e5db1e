#pragma once

#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "datafile/textio.h"
#include "outside/utility.h"

namespace tidora {

// The one vocabulary of program setup file names, shared by every module; a name's position
// is its identifier. Lookup is exact and case-sensitive.
inline constexpr int kNumSetupKeys = 54;
enum SetupKeyId {
  kKeyPostProcPsu = 0,
  kKeyServerName = 1,
  kKeyInputDir = 2,
  kKeyInputFileArray = 3,
  kKeyOutputDir = 4,
  kKeyNameAppend = 5,
  kKeyOutputFile = 6,
  kKeyLastProcessed = 7,
  kKeyTabulonPsu = 8,
  kKeyBaroblendPsu = 14,
  kKeySwellcalcWPsu = 19,
  kKeyPlotDataPsu = 36,
};
const char* SetupKeyName(int id);         // nullptr outside 0..35
int SetupKeyId(const std::string& name);  // -1 when the name is not in the table
// Identifier of the section header a key belongs to (0, 8, 14, 19 or 36); for a section name its
// own identifier; -1 for an unknown identifier.
int SectionOfKey(int id);

// Module indexes and the title lines that open their setup files.
enum ModuleIndex { kPlotModule = 0, kReportModule = 1, kMergeModule = 2, kWaveModule = 3 };
inline constexpr int kNumModules = 4;
const char* ModuleTitle(int index);        // "4  Process Wave Burst Data"
std::string ModuleDisplayName(int index);  // "Process Wave Burst Data"
// The section identifier of a module's own settings.
int ModuleSectionKey(int index);

// ---- Declared settings: one table per module drives the .psa section, comparison, the
// command line's KEY=VALUE and the settings page. ----

// kText: one line of text. kVariableList: data variable identifiers, as many as kListSlots.
enum class SettingType { kFlag, kInt, kDouble, kList, kText, kVariableList };

// A list setting: whole numbers in fixed slots, an empty slot holding -1; the list ends at the
// first negative slot. Saved as the numbers up to there joined by ",".
inline constexpr int kListSlots = 17;
using SettingSlots = std::array<int, kListSlots>;

// One side of a value's range: above, not below, ... the bound (kRangeNone: no rule).
struct RangeRule {
  RangeMode mode = kRangeNone;
  double bound = 0;
};
inline RangeRule MoreThan(double b) {
  return {kRangeAbove, b};
}
inline RangeRule AtLeast(double b) {
  return {kRangeNotBelow, b};
}
inline RangeRule AtMost(double b) {
  return {kRangeNotAbove, b};
}
inline RangeRule LessThan(double b) {
  return {kRangeBelow, b};
}
// Empty when the value keeps the rule, else why not ("must be greater than 0").
std::string CheckRange(RangeRule rule, double value);

template <class S>
struct SettingDecl {
  int keyId;  // position in the vocabulary
  SettingType type;
  int S::*intField;        // kFlag and kInt
  double S::*doubleField;  // kDouble
  double defaultValue;
  RangeMode rangeMode;  // checked when a person types the value (kRangeNone: anything goes)
  double bound;
  const char* label;                     // the settings page's label
  SettingSlots S::*listField = nullptr;  // kList
  // Where the value makes physical sense. Unlike the rule above these hold wherever a value
  // comes from (typed, setup file, settings page), because the analyses divide by and
  // iterate on them.
  RangeRule lowest{}, highest{};
  std::optional<double> marker{};           // a value with a meaning of its own, taken as it is
  std::string S::*textField = nullptr;      // kText
  std::vector<int> S::*idsField = nullptr;  // kVariableList

  SettingDecl Limits(RangeRule low, RangeRule high = {}) const {
    SettingDecl d = *this;
    d.lowest = low;
    d.highest = high;
    return d;
  }
  SettingDecl Marker(double value) const {
    SettingDecl d = *this;
    d.marker = value;
    return d;
  }
};

template <class S>
SettingDecl<S> IntSetting(int key, int S::*field, int def, const char* label,
                          RangeMode mode = kRangeNone, int bound = 0) {
  return {key, SettingType::kInt, field, nullptr, double(def), mode, double(bound), label};
}
template <class S>
SettingDecl<S> FlagSetting(int key, int S::*field, int def, const char* label) {
  return {key, SettingType::kFlag, field, nullptr, double(def), kRangeNone, 0, label};
}
template <class S>
SettingDecl<S> DoubleSetting(int key, double S::*field, double def, const char* label) {
  return {key, SettingType::kDouble, nullptr, field, def, kRangeNone, 0, label};
}

// A list of at most kListSlots identifiers, none negative; the default is the empty list.
template <class S>
SettingDecl<S> ListSetting(int key, SettingSlots S::*field, const char* label) {
  return {key, SettingType::kList, nullptr, nullptr, 0, kRangeNone, 0, label, field};
}

// One line of text, empty by default. A line end typed into it becomes a blank: it would end
// the key in the setup file.
template <class S>
SettingDecl<S> TextSetting(int key, std::string S::*field, const char* label) {
  SettingDecl<S> d{key, SettingType::kText, nullptr, nullptr, 0, kRangeNone, 0, label};
  d.textField = field;
  return d;
}

// Data variable identifiers in the order chosen, empty by default. A list in a setup file
// that does not read leaves the setting as it was; a typed one must name known variables.
template <class S>
SettingDecl<S> VariableListSetting(int key, std::vector<int> S::*field, const char* label) {
  SettingDecl<S> d{key, SettingType::kVariableList, nullptr, nullptr, 0, kRangeNone, 0, label};
  d.idsField = field;
  return d;
}

// The used slots of a list: up to the first negative one.
std::string SlotsText(const SettingSlots& slots);
// Fills the slots from the first with a list split at ","; the slots behind it are emptied and
// numbers past the last slot dropped. A piece that is not a number reads as 0.
void ReadSlots(SettingSlots& slots, const std::string& text);
// A typed list: every piece a whole number not below 0, at most kListSlots of them; empty on
// success (the slots set), else why not (the slots unchanged).
std::string CheckSlotsText(const std::string& text, SettingSlots& slots);

// "19,27" for a variable list; empty for none.
std::string VariableListText(const std::vector<int>& ids);
// A variable list of a setup file: an empty text empties it, a list that reads (at most
// kListSlots numbers) replaces it, anything else leaves it as it was.
void ReadVariableList(std::vector<int>& ids, const std::string& text);
// A typed variable list: empty on success (the list set), else why not (the list unchanged).
std::string CheckVariableListText(const std::string& text, std::vector<int>& ids);
// The text as one line: CR and LF become blanks.
std::string OneLine(std::string text);

template <class S>
void ResetSettings(S& s, std::span<const SettingDecl<S>> table) {
  for (const auto& d : table) {
    if (d.type == SettingType::kList)
      (s.*d.listField).fill(-1);
    else if (d.type == SettingType::kText)
      (s.*d.textField).clear();
    else if (d.type == SettingType::kVariableList)
      (s.*d.idsField).clear();
    else if (d.type == SettingType::kDouble)
      s.*d.doubleField = d.defaultValue;
    else
      s.*d.intField = static_cast<int>(d.defaultValue);
  }
}

template <class S>
void WriteSettings(std::ostream& out, const S& s, std::span<const SettingDecl<S>> table) {
  for (const auto& d : table) {
    if (d.type == SettingType::kList)
      WriteString(SetupKeyName(d.keyId), SlotsText(s.*d.listField), out);
    else if (d.type == SettingType::kText)
      WriteString(SetupKeyName(d.keyId), s.*d.textField, out);
    else if (d.type == SettingType::kVariableList)
      WriteString(SetupKeyName(d.keyId), VariableListText(s.*d.idsField), out);
    else if (d.type == SettingType::kDouble)
      WriteDoubleString(SetupKeyName(d.keyId), s.*d.doubleField, out);
    else
      WriteIntString(SetupKeyName(d.keyId), s.*d.intField, out);
  }
}

template <class S>
const SettingDecl<S>* FindSetting(std::span<const SettingDecl<S>> table, int keyId) {
  for (const auto& d : table)
    if (d.keyId == keyId) return &d;
  return nullptr;
}

// True for the settings that hold one number (a flag, an int or a double).
template <class S>
bool IsNumberSetting(const SettingDecl<S>& d) {
  return d.type == SettingType::kFlag || d.type == SettingType::kInt ||
         d.type == SettingType::kDouble;
}

// Empty when a setting may hold the value, else why not: every value is finite, a flag is 0
// or 1, an int fits, and the declared rule and limits hold.
template <class S>
std::string CheckSettingValue(const SettingDecl<S>& d, double value) {
  if (!IsNumberSetting(d)) return {};  // lists and texts are checked as they are read
  if (d.marker && value == *d.marker) return {};
  if (!std::isfinite(value)) return "must be a finite number";
  if (d.type == SettingType::kFlag && value != 0 && value != 1) return "must be 0 or 1";
  if (d.type != SettingType::kDouble && !(value >= -2147483647.0 && value <= 2147483647.0))
    return "is out of range";
  for (RangeRule rule : {RangeRule{d.rangeMode, d.bound}, d.lowest, d.highest}) {
    std::string why = CheckRange(rule, value);
    if (!why.empty()) return why;
  }
  return {};
}

template <class S>
double SettingValue(const S& s, const SettingDecl<S>& d) {
  if (!IsNumberSetting(d)) return 0;
  return d.type == SettingType::kDouble ? s.*d.doubleField : double(s.*d.intField);
}

// Setup-file reading: ints by decimal conversion, doubles by text-to-double conversion; text
// that is not a number reads as 0. A value the setting cannot hold is not taken: the result
// says why (empty when it was taken).
template <class S>
std::string ReadSettingText(S& s, const SettingDecl<S>& d, const std::string& value) {
  if (d.type == SettingType::kList) {
    ReadSlots(s.*d.listField, value);
    return {};
  }
  if (d.type == SettingType::kText) {
    s.*d.textField = value;
    return {};
  }
  if (d.type == SettingType::kVariableList) {
    ReadVariableList(s.*d.idsField, value);
    return {};
  }
  double v;
  if (d.type == SettingType::kDouble) {
    v = LeadingNumber(value);
  } else {
    v = static_cast<double>(std::strtol(value.c_str(), nullptr, 10));
  }
  std::string why = CheckSettingValue(d, v);
  if (!why.empty()) return why;
  if (d.type == SettingType::kDouble)
    s.*d.doubleField = v;
  else
    s.*d.intField = static_cast<int>(v);
  return {};
}

// The first setting of a record that it must not hold, as "Key = value: why"; empty when
// every one may be used.
std::string DescribeRejectedSetting(int keyId, double value, const std::string& why);
template <class S>
std::string CheckSettings(const S& s, std::span<const SettingDecl<S>> table) {
  for (const auto& d : table) {
    const double v = SettingValue(s, d);
    std::string why = CheckSettingValue(d, v);
    if (!why.empty()) return DescribeRejectedSetting(d.keyId, v, why);
  }
  return {};
}

template <class S>
bool SettingsEqual(const S& a, const S& b, std::span<const SettingDecl<S>> table) {
  for (const auto& d : table) {
    if (d.type == SettingType::kList) {
      if (a.*d.listField != b.*d.listField) return false;
    } else if (d.type == SettingType::kText) {
      if (a.*d.textField != b.*d.textField) return false;
    } else if (d.type == SettingType::kVariableList) {
      if (a.*d.idsField != b.*d.idsField) return false;
    } else if (d.type == SettingType::kDouble) {
      if (a.*d.doubleField != b.*d.doubleField) return false;
    } else if (a.*d.intField != b.*d.intField) {
      return false;
    }
  }
  return true;
}

// Every declared setting of `from` into `to` (Restore, and No at Exit).
template <class S>
void CopySettings(S& to, const S& from, std::span<const SettingDecl<S>> table) {
  for (const auto& d : table) {
    if (d.type == SettingType::kList)
      to.*d.listField = from.*d.listField;
    else if (d.type == SettingType::kText)
      to.*d.textField = from.*d.textField;
    else if (d.type == SettingType::kVariableList)
      to.*d.idsField = from.*d.idsField;
    else if (d.type == SettingType::kDouble)
      to.*d.doubleField = from.*d.doubleField;
    else
      to.*d.intField = from.*d.intField;
  }
}

// Strict parsing for values typed by a person (command line): the whole text must be a
// number of the setting's type, flags are 0 or 1, and the range rule must hold. Returns an
// empty string on success, else the reason.
std::string CheckSettingText(SettingType type, RangeMode mode, double bound,
                             const std::string& text, double& value);

template <class S>
std::string AssignSetting(S& s, std::span<const SettingDecl<S>> table, const std::string& key,
                          const std::string& text) {
  const SettingDecl<S>* d = FindSetting(table, SetupKeyId(key));
  if (!d) return "unknown setting \"" + key + "\"";
  if (d->type == SettingType::kList) {
    std::string err = CheckSlotsText(text, s.*d->listField);
    return err.empty() ? err : key + ": " + err;
  }
  if (d->type == SettingType::kText) {
    s.*d->textField = OneLine(text);
    return {};
  }
  if (d->type == SettingType::kVariableList) {
    std::string err = CheckVariableListText(text, s.*d->idsField);
    return err.empty() ? err : key + ": " + err;
  }
  double v = 0;
  std::string err = CheckSettingText(d->type, d->rangeMode, d->bound, text, v);
  if (err.empty()) err = CheckSettingValue(*d, v);
  if (!err.empty()) return key + ": " + err;
  if (d->type == SettingType::kDouble)
    s.*d->doubleField = v;
  else
    s.*d->intField = static_cast<int>(v);
  return {};
}

}  // namespace tidora
