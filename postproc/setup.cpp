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

const char* const kErrorCaption = "Program Setup File Error";

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
    if (strcasecmp(line.c_str(), ModuleTitle(i)) == 0) return i;
  return -1;
}

}  // namespace

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

bool SetupLineReader::NextInSection(std::string& line) {
  if (!Next(line)) return false;
  if (!line.empty() && line[0] == '[') {
    GiveBack();
    return false;
  }
  return true;
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
                   ? FormatC("%s cannot be opened for writing, contact Brennic.", path.c_str())
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
  std::string openFailure =
      flag ? FormatC("%s cannot be opened for reading, contact Brennic.", path.c_str())
           : FormatC("Cannot read %s.", path.c_str());
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
      ui.Message(FormatC("Cannot read %s.", path.c_str()), kErrorCaption, MsgIcon::Warning,
                 MsgButtons::Ok);
    else if (r == ParseResult::kUnknownTitle)
      ui.Message(openFailure, kErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
    else if (r == ParseResult::kBadValue)
      // Running on a default in place of the value asked for would give wrong numbers.
      ui.Message(FormatC("%s holds settings that cannot be used:\n", path.c_str()) + rejected_,
                 kErrorCaption, MsgIcon::Warning, MsgButtons::Ok);
    else
      ui.Message(FormatC("%s is a program setup file for the ", path.c_str()) +
                     ModuleDisplayName(other) + " program.",
                 "Wrong Type of Program Setup File", MsgIcon::Warning, MsgButtons::Ok);
    return 0;
  }
  setupPath = path;
  return 1;
}

void CPostProcSetup::ReadFrameworkSection(SetupLineReader& in) {
  inputDir.clear();
  std::string line, value;
  while (in.NextInSection(line)) {
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
  while (in.NextInSection(line)) {
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
  while (in.NextInSection(line)) {
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
    ui.Message(FormatC("A default program setup file has been created:\n\n%s.", path.c_str()),
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
