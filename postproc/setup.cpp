#include "postproc/setup.h"

#include <strings.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "datafile/textio.h"
#include "platform/interaction.h"
#include "platform/profile.h"
#include "platform/settings_dir.h"

namespace tidora {
namespace fs = std::filesystem;

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

const char* const kErrorCaption = "Program Setup File Error";

std::string Format(const char* fmt, const std::string& a) {
  std::string out(a.size() + 256, '\0');
  int n = std::snprintf(out.data(), out.size(), fmt, a.c_str());
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

std::string WorkingDirectory() {
  std::error_code ec;
  std::string dir = fs::current_path(ec).string();
  return ec ? std::string(".") : dir;
}

bool IsSectionHeader(const std::string& line, std::string& name) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  name = line.substr(1, line.size() - 2);
  return true;
}

bool SplitKeyLine(const std::string& line, int& id, std::string& value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  id = SetupKeyId(line.substr(0, eq));
  value = line.substr(eq + 1);
  return id >= 0;
}

// The module whose title line this is, compared without regard to case; -1 for none.
int TitleModule(const std::string& line) {
  for (int i = 0; i < kNumModules; ++i)
    if (strcasecmp(line.c_str(), kTitles[i]) == 0) return i;
  return -1;
}

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

// ---- SetupLineReader ----

bool SetupLineReader::Next(std::string& line) {
  if (givenBack_) {
    givenBack_ = false;
    line = last_;
    return true;
  }
  if (!std::getline(in_, last_)) {
    last_.clear();
    return false;
  }
  if (!last_.empty() && last_.back() == '\r') last_.pop_back();
  line = last_;
  return true;
}

void SetupLineReader::GiveBack() {
  givenBack_ = true;
}

// ---- CPostProcSetup ----

void CPostProcSetup::ResetFramework(const std::string& dir) {
  inputDir = dir.empty() ? WorkingDirectory() : dir;
  inputFiles.clear();
  outputDir = inputDir;
  nameAppend.clear();
  outputFile.clear();
  lastProcessed = 0;
}

void CPostProcSetup::ResetAll(const std::string& dir) {
  ResetFramework(dir);
  ResetModule();
}

bool CPostProcSetup::Equals(const CPostProcSetup& o) const {
  return ModuleIndex() == o.ModuleIndex() && inputDir == o.inputDir && inputFiles == o.inputFiles &&
         outputDir == o.outputDir && nameAppend == o.nameAppend && outputFile == o.outputFile &&
         ModuleEqual(o);
}

int CPostProcSetup::Save(const std::string& path, Interaction& ui) {
  std::ostringstream out;
  out << ModuleTitle(ModuleIndex()) << "\r\n";
  out << "[" << SetupKeyName(kKeyPostProcPsu) << "]\r\n";
  WriteString(SetupKeyName(kKeyInputDir), inputDir, out);
  std::string files;
  for (size_t i = 0; i < inputFiles.size(); ++i) files += (i ? "," : "") + inputFiles[i];
  WriteString(SetupKeyName(kKeyInputFileArray), files, out);
  WriteString(SetupKeyName(kKeyOutputDir), outputDir, out);
  WriteString(SetupKeyName(kKeyNameAppend), nameAppend, out);
  WriteString(SetupKeyName(kKeyOutputFile), outputFile, out);
  WriteIntString(SetupKeyName(kKeyLastProcessed), lastProcessed, out);
  int section = ModuleSectionKey(ModuleIndex());
  if (section >= 0) {
    out << "[" << SetupKeyName(section) << "]\r\n";
    WriteModuleSection(out);
  }
  // Written whole or not at all: a full disk must not leave half a setup file behind.
  std::string why;
  if (!WriteFileAtomically(path, out.str(), &why)) {
    // A device or a folder is left as it is, and the person is told what it is.
    ui.Message(NonRegularKind(path).empty()
                   ? Format("%s cannot be opened for writing, contact Brennic.", path)
                   : why,
               kErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
    return 0;
  }
  setupPath = path;
  return 1;
}

void CPostProcSetup::RejectSetting(int keyId, const std::string& text, const std::string& why) {
  const char* key = SetupKeyName(keyId);
  // A value of a hostile file may be very long: enough of it to find the line.
  const std::string shown = text.size() > 40 ? text.substr(0, 40) + "..." : text;
  rejected_ +=
      std::string(rejected_.empty() ? "" : "\n") + (key ? key : "?") + "=" + shown + ": " + why;
}

CPostProcSetup::ParseResult CPostProcSetup::Parse(std::istream& in, int* otherModule) {
  rejected_.clear();
  SetupLineReader reader(in);
  std::string line;
  if (!reader.Next(line)) return ParseResult::kNoTitle;
  int found = TitleModule(line);
  if (found < 0) return ParseResult::kUnknownTitle;
  if (found != ModuleIndex()) {
    if (otherModule) *otherModule = found;
    return ParseResult::kWrongModule;
  }
  int own = ModuleSectionKey(ModuleIndex());
  std::string name;
  while (reader.Next(line)) {
    if (!IsSectionHeader(line, name)) continue;
    int id = SetupKeyId(name);
    if (id == kKeyPostProcPsu)
      ReadFrameworkSection(reader);
    else if (id >= 0 && id == own)
      ReadModuleSection(reader);
    else
      SkipSection(reader);
  }
  return rejected_.empty() ? ParseResult::kOk : ParseResult::kBadValue;
}

int CPostProcSetup::Load(const std::string& path, int flag, Interaction& ui) {
  ResetAll();
  std::string openFailure = flag ? Format("%s cannot be opened for reading, contact Brennic.", path)
                                 : Format("Cannot read %s.", path);
  std::ifstream in(path, std::ios::binary);
  if (!in || IsDirectory(path)) {
    ui.Message(openFailure, kErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
    return 0;
  }
  int other = -1;
  ParseResult r = Parse(in, &other);
  if (r != ParseResult::kOk) {
    ResetAll();
    if (r == ParseResult::kNoTitle)
      ui.Message(Format("Cannot read %s.", path), kErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
    else if (r == ParseResult::kUnknownTitle)
      ui.Message(openFailure, kErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
    else if (r == ParseResult::kBadValue)
      // Running on a default in place of the value asked for would give wrong numbers.
      ui.Message(Format("%s holds settings that cannot be used:\n", path) + rejected_,
                 kErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
    else
      ui.Message(Format("%s is a program setup file for the ", path) + ModuleDisplayName(other) +
                     " program.",
                 "Wrong Type of Program Setup File", MsgIcon::Warning, MsgButtons::Ok);
    return 0;
  }
  setupPath = path;
  inputDirReplaced = false;
  return 1;
}

void CPostProcSetup::ReadFrameworkSection(SetupLineReader& in) {
  inputDir.clear();
  std::string line, value;
  while (in.Next(line)) {
    if (!line.empty() && line[0] == '[') {
      in.GiveBack();
      return;
    }
    int id;
    if (!SplitKeyLine(line, id, value)) continue;
    switch (id) {
      case kKeyInputDir:
        inputDir = value;
        break;
      case kKeyOutputDir:
        outputDir = value;
        break;
      case kKeyNameAppend:
        nameAppend = value;
        break;
      case kKeyOutputFile:
        outputFile = value;
        break;
      case kKeyLastProcessed:
        lastProcessed = std::atoi(value.c_str());
        break;
      case kKeyInputFileArray: {
        inputFiles.clear();
        size_t start = 0;
        while (start <= value.size()) {
          size_t comma = value.find(',', start);
          std::string piece =
              value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
          if (!piece.empty()) inputFiles.push_back(piece);
          if (comma == std::string::npos) break;
          start = comma + 1;
        }
        break;
      }
      default:
        break;
    }
  }
}

void CPostProcSetup::ReadModuleSection(SetupLineReader& in) {
  int own = ModuleSectionKey(ModuleIndex());
  bool ended = false;  // a key of another section ends what this section reads
  std::string line, value;
  while (in.Next(line)) {
    if (!line.empty() && line[0] == '[') {
      in.GiveBack();
      return;
    }
    int id;
    if (ended || !SplitKeyLine(line, id, value)) continue;
    if (SectionOfKey(id) != own || id == own) {
      ended = true;
      continue;
    }
    ReadModuleKey(id, value);
  }
}

void CPostProcSetup::SkipSection(SetupLineReader& in) {
  std::string line;
  while (in.Next(line)) {
    if (!line.empty() && line[0] == '[') {
      in.GiveBack();
      return;
    }
  }
}

std::string CPostProcSetup::DefaultPath(bool renameMode) const {
  return DefaultSetupPath(setupPath, DefaultFileName(), renameMode);
}

std::string DefaultSetupPath(const std::string& current, const std::string& defaultFileName,
                             bool renameMode) {
  std::string dir;
  if (!current.empty() && IsFile(current)) {
    ExtractDirectory(FullPath(current), dir, 1);
  } else if (!current.empty() && IsDirectory(current)) {
    dir = FullPath(current);
  } else {
    // Not the working folder: started from a desktop menu that is the home folder or one
    // the module cannot write to.
    dir = SettingsDirectory();
  }
  if (dir.empty() || dir.back() != '/') dir += '/';
  std::string path = dir + defaultFileName;
  if (renameMode && IsFile(path)) {
    std::string name = defaultFileName.size() > 4
                           ? defaultFileName.substr(0, defaultFileName.size() - 4)
                           : std::string();
    name += "_";
    for (int n = 1; n < 1000000; ++n) {
      std::string candidate = dir + name + std::to_string(n) + ".psa";
      std::error_code ec;
      if (!fs::exists(candidate, ec)) return candidate;
    }
  }
  return path;
}

ModulePreferences ReadModulePreferences(const std::string& displayName) {
  const std::string ini = SettingsFile("TidoraWaves.ini");
  ModulePreferences p;
  std::string path = GetProfileString(displayName, "program setup path", "PSA not found", ini);
  p.setupPath = path == "PSA not found" ? std::string() : path;
  p.confirmChanges =
      GetProfileString(displayName, "confirm .PSA changes", "yes", ini).substr(0, 3) == "yes";
  p.overwriteWarning =
      GetProfileString(displayName, "overwrite output warning", "yes", ini) == "yes";
  return p;
}

bool WriteModulePreferences(const std::string& displayName, const ModulePreferences& prefs) {
  const std::string ini = SettingsFile("TidoraWaves.ini");
  bool ok = WriteProfileString(displayName, "program setup path", prefs.setupPath, ini);
  ok = WriteProfileString(displayName, "confirm .PSA changes", prefs.confirmChanges ? "yes" : "no",
                          ini) &&
       ok;
  ok = WriteProfileString(displayName, "overwrite output warning",
                          prefs.overwriteWarning ? "yes" : "no", ini) &&
       ok;
  return ok;
}

int RunStartUpSequence(CPostProcSetup& setup, const ModulePreferences& prefs, Interaction& ui) {
  std::string path = prefs.setupPath;
  if (path.empty()) path = DefaultSetupPath("", setup.DefaultFileName(), false);
  bool loaded = false;
  if (IsFile(path)) {
    loaded = setup.Load(path, 0, ui) != 0;
    if (!loaded) {
      int choice =
          ui.Choose("Unable to read program setup file\n" + path + ".\nOverwrite it or rename it?",
                    "Error reading program setup file", {"Overwrite", "Rename"});
      if (choice == 1) path = DefaultSetupPath(path, setup.DefaultFileName(), true);
    }
  }
  if (!loaded) {
    setup.ResetAll();
    if (!setup.Save(path, ui)) return 0;
    ui.Message(Format("A default program setup file has been created:\n\n%s.", path),
               "Default program settup file", MsgIcon::Information, MsgButtons::Ok);
  }
  setup.setupPath = FullPath(setup.setupPath);
  return 1;
}

int SetSetupFileFromLauncher(CPostProcSetup& setup, const std::string& path, int source,
                             Interaction& ui) {
  std::string reason;
  if (source == 0 && path == "PSA not found") {
    reason = "\nCannot determine the PSA file because the INI file is missing.";
  } else {
    if (setup.Load(FullPath(path), 1, ui)) return 1;
    if (source == 0) reason = "\nAn invalid PSA file has been specified in the INI file.";
  }
  std::string caption =
      source == 0 ? std::string(kErrorCaption) : std::string("Command Line Error, '/P' Option");
  ui.Message("Must terminate the " + setup.DisplayName() + " program." + reason, caption,
             MsgIcon::Error, MsgButtons::Ok);
  return 0;
}

int SetupFileModule(const std::string& path) {
  // Only the first line matters, and a title is short: any file may be handed over.
  std::ifstream in(path, std::ios::binary);
  std::string line(64, '\0');
  in.read(line.data(), static_cast<std::streamsize>(line.size()));
  line.resize(static_cast<size_t>(in.gcount()));
  line.resize(std::min(line.find('\n'), line.size()));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line.empty() ? -1 : TitleModule(line);
}

}  // namespace tidora
