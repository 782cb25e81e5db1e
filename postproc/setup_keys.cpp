#include "postproc/setup_keys.h"

#include <cmath>
#include <cstdlib>

#include "datafile/dump.h"
#include "datafile/tgr41file.h"

namespace tidora {

namespace {

const char* const kKeyNames[kNumSetupKeys] = {
    "PostProcPsu",
    "ServerName",
    "InputDir",
    "InputFileArray",
    "OutputDir",
    "NameAppend",
    "OutputFile",
    "LastProcessed",
    "TabulonPsu",
    "SelectedColumnItems",
    "ColumnSeparator",
    "JulianDaysConvFmt",
    "LabelDataColumns",
    "OutputHeaderInfo",
    "BaroblendPsu",
    "BarometricPressureUnits",
    "Gravity",
    "AverageDensity",
    "ConvertToWaterDepth",
    "SwellcalcWPsu",
    "OutputSurfaceWT",
    "OutputFFTtoWSS",
    "MinimumAllowableAttenuation",
    "ChiSquaredConfPercent",
    "WaterTemperature",
    "AverageSalinity",
    "NumberSpectralEstimates",
    "Height",
    "MinimumPeriod",
    "MaximumPeriod",
    "HanningWindowCutoff",
    "UseFilterCutoff",
    "FilterCutoff",
    "ProcessBurstsToEnd",
    "burstsToProcess",
    "skipAtStart",
    "PlotDataPsu",
    "PlotKind",
    "PlotVariables",
    "XVariable",
    "FirstBurst",
    "LastBurst",
    "PlotTitle",
    "AutoScaleX",
    "XMinimum",
    "XMaximum",
    "AutoScaleY",
    "YMinimum",
    "YMaximum",
    "LogFrequencyAxis",
    "LogEnergyAxis",
    "ShowConfidenceBand",
    "PictureWidth",
    "PictureHeight",
};

const char* const kTitles[kNumModules] = {
    "1  Plot Data",
    "2  Create Reports",
    "3  Merge Barometric Pressure",
    "4  Process Wave Burst Data",
};

}  // namespace

const char* SetupKeyName(int id) {
  return id >= 0 && id < kNumSetupKeys ? kKeyNames[id] : nullptr;
}

int SetupKeyId(const std::string& name) {
  for (int i = 0; i < kNumSetupKeys; ++i)
    if (name == kKeyNames[i]) return i;
  return -1;
}

int SectionOfKey(int id) {
  if (id < 0 || id >= kNumSetupKeys) return -1;
  if (id >= kKeyPlotDataPsu) return kKeyPlotDataPsu;
  if (id >= kKeySwellcalcWPsu) return kKeySwellcalcWPsu;
  if (id >= kKeyBaroblendPsu) return kKeyBaroblendPsu;
  if (id >= kKeyTabulonPsu) return kKeyTabulonPsu;
  return kKeyPostProcPsu;
}

const char* ModuleTitle(int index) {
  return index >= 0 && index < kNumModules ? kTitles[index] : "";
}

std::string ModuleDisplayName(int index) {
  std::string title = ModuleTitle(index);
  return title.size() > 3 ? title.substr(3) : std::string();
}

int ModuleSectionKey(int index) {
  switch (index) {
    case kReportModule:
      return kKeyTabulonPsu;
    case kMergeModule:
      return kKeyBaroblendPsu;
    case kWaveModule:
      return kKeySwellcalcWPsu;
    case kPlotModule:
      return kKeyPlotDataPsu;
    default:
      return -1;
  }
}

std::string CheckRange(RangeRule rule, double value) {
  std::string b;
  AppendShortest(b, rule.bound);
  switch (rule.mode) {
    case kRangeAbove:
      if (!(value > rule.bound)) return "must be greater than " + b;
      break;
    case kRangeNotBelow:
      if (!(value >= rule.bound)) return "must not be less than " + b;
      break;
    case kRangeNotAbove:
      if (!(value <= rule.bound)) return "must not be greater than " + b;
      break;
    case kRangeBelow:
      if (!(value < rule.bound)) return "must be less than " + b;
      break;
    default:
      break;
  }
  return {};
}

std::string CheckSettingText(SettingType type, RangeMode mode, double bound,
                             const std::string& text, double& value) {
  // Numbers are read without regard to the locale; blanks may lead, nothing may follow.
  FieldScanner s(text);
  bool whole;
  if (type == SettingType::kDouble) {
    value = 0;
    whole = s.Double(value) && s.Rest().empty();
  } else {
    long v = 0;
    whole = s.Long(v) && s.Rest().empty();
    if (whole && (v < -2147483647L || v > 2147483647L)) return "\"" + text + "\" is out of range";
    value = static_cast<double>(v);
  }
  if (text.empty() || !whole)
    return "\"" + text + "\" is not " +
           (type == SettingType::kDouble ? "a number" : "a whole number");
  if (!std::isfinite(value)) return "\"" + text + "\" is not a finite number";
  if (type == SettingType::kFlag && value != 0 && value != 1) return "must be 0 or 1";
  return CheckRange({mode, bound}, value);
}

std::string DescribeRejectedSetting(int keyId, double value, const std::string& why) {
  std::string text = SetupKeyName(keyId) ? SetupKeyName(keyId) : "?";
  text += " = ";
  AppendShortest(text, value);
  return text + ": " + why;
}

std::string SlotsText(const SettingSlots& slots) {
  std::string text;
  for (int id : slots) {
    if (id < 0) break;
    if (!text.empty()) text += ',';
    text += std::to_string(id);
  }
  return text;
}

namespace {
std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    pieces.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) return pieces;
    start = comma + 1;
  }
}
}  // namespace

void ReadSlots(SettingSlots& slots, const std::string& text) {
  // The whole list is replaced: slots a shorter list leaves behind must not keep old values.
  slots.fill(-1);
  const std::vector<std::string> pieces = SplitList(text);
  for (size_t i = 0; i < pieces.size() && i < slots.size(); ++i)
    slots[i] = std::atoi(pieces[i].c_str());
}

std::string CheckSlotsText(const std::string& text, SettingSlots& slots) {
  const std::vector<std::string> pieces = SplitList(text);
  if (pieces.size() > slots.size()) return "at most " + std::to_string(slots.size()) + " items";
  SettingSlots taken;
  taken.fill(-1);
  for (size_t i = 0; i < pieces.size(); ++i) {
    double v = 0;
    std::string err = CheckSettingText(SettingType::kInt, kRangeNotBelow, 0, pieces[i], v);
    if (!err.empty()) return err;
    taken[i] = static_cast<int>(v);
  }
  slots = taken;
  return {};
}

std::string VariableListText(const std::vector<int>& ids) {
  std::string text;
  for (size_t i = 0; i < ids.size(); ++i) text += (i ? "," : "") + std::to_string(ids[i]);
  return text;
}

void ReadVariableList(std::vector<int>& ids, const std::string& text) {
  // A damaged file must not pick other variables: a list that does not read is not taken.
  std::vector<int> read;
  std::string error;
  if (text.empty())
    ids.clear();
  else if (ParseVariableList(text, read, error) && read.size() <= kListSlots)
    ids = read;
}

std::string CheckVariableListText(const std::string& text, std::vector<int>& ids) {
  std::vector<int> read;
  std::string error;
  if (!text.empty() && !ParseVariableList(text, read, error)) return error;
  for (int v : read) {
    std::string name;
    if (!GetDataNameFromID(name, v))
      return "unknown variable id " + std::to_string(v) + " (ids are 0 to 33)";
  }
  if (read.size() > kListSlots) return "at most " + std::to_string(kListSlots) + " variables";
  ids = read;
  return {};
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

}  // namespace tidora
