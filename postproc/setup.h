#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "postproc/setup_keys.h"

namespace tidora {

class Interaction;

// Reads a setup file line by line, line ends (CR LF or LF) removed, and can give back the
// last line so that the next reader sees it again.
class SetupLineReader {
 public:
  explicit SetupLineReader(std::istream& in) : in_(in) {}
  bool Next(std::string& line);
  void GiveBack();
  // The next line of the section being read; false at the next section's header (which the
  // next Next returns) or at the end.
  bool NextInSection(std::string& line);

 private:
  std::istream& in_;
  std::string last_;
  bool givenBack_ = false;
};

// The framework part of every module's settings and the program setup file (.psa) rules.
// Each module derives its own record and adds one section.
class CPostProcSetup {
 public:
  virtual ~CPostProcSetup() = default;

  // Framework reset, then the module reset. The directory (or the current working directory
  // when empty) becomes the input and output directory.
  void ResetAll(const std::string& dir = "");
  void ResetFramework(const std::string& dir = "");
  virtual void ResetModule() = 0;
  virtual int ModuleIndex() const = 0;
  virtual std::string DefaultFileName() const = 0;
  virtual std::unique_ptr<CPostProcSetup> Clone() const = 0;
  // The module's section: its keys in its order, and one key read from a file.
  virtual void WriteModuleSection(std::ostream& out) const = 0;
  virtual void ReadModuleKey(int keyId, const std::string& value) = 0;
  virtual bool ModuleEqual(const CPostProcSetup& other) const = 0;
  // The module's settings of another setup of the same module (Restore, No at Exit).
  virtual void CopyModuleFrom(const CPostProcSetup& other) = 0;
  // KEY=VALUE typed by a person for one of the module's keys; empty on success, else why not.
  virtual std::string AssignModuleSetting(const std::string& key, const std::string& value) = 0;
  // The module's key names in file order.
  virtual std::vector<std::string> ModuleKeyNames() const = 0;

  std::string DisplayName() const { return ModuleDisplayName(ModuleIndex()); }

  // Saves to the path; 1 on success, 0 after the "Program Setup File Error" box. The file is
  // replaced only when it was written completely.
  int Save(const std::string& path, Interaction& ui);
  // Loads the path; 1 on success. flag selects the wording of the open failure. A failed load
  // leaves the defaults and the previous setup path.
  int Load(const std::string& path, int flag, Interaction& ui);
  // Loads from text (the file's contents) without messages; the result tells what happened.
  // kBadValue: the module section holds values its settings cannot take (RejectedSettings);
  // the other values were read.
  enum class ParseResult { kOk, kNoTitle, kUnknownTitle, kWrongModule, kBadValue };
  ParseResult Parse(std::istream& in, int* otherModule = nullptr);
  // "Key=text: why" for every value the last Parse did not take, one a line.
  const std::string& RejectedSettings() const { return rejected_; }
  // "Key = value: why" for the first module setting that must not be used (set on a page,
  // say, where any number can be typed); empty when every one may be used.
  virtual std::string CheckModuleSettings() const { return {}; }

  // Every module setting and the framework's texts and file list; not LastProcessed.
  bool Equals(const CPostProcSetup& other) const;

  // Default setup path next to the current one (see DefaultSetupPath below).
  std::string DefaultPath(bool renameMode) const;

  // The framework record.
  std::string inputDir;
  std::vector<std::string> inputFiles;
  std::string outputDir;
  std::string nameAppend;
  std::string outputFile;
  int lastProcessed = 0;
  // Current program setup file path; set by Load and Save.
  std::string setupPath;

 protected:
  CPostProcSetup() = default;
  CPostProcSetup(const CPostProcSetup&) = default;
  CPostProcSetup& operator=(const CPostProcSetup&) = default;
  // A module reader's note of a value it did not take.
  void RejectSetting(int keyId, const std::string& text, const std::string& why);

 private:
  void ReadFrameworkSection(SetupLineReader& in);
  void ReadModuleSection(SetupLineReader& in);
  void SkipSection(SetupLineReader& in);

  std::string rejected_;
};

// A module setup whose section is declared by a table: `S::Settings()` returns the table.
template <class S>
class CTableSetup : public CPostProcSetup {
 public:
  void ResetModule() override { ResetSettings<S>(self(), S::Settings()); }
  void WriteModuleSection(std::ostream& out) const override {
    WriteSettings<S>(out, self(), S::Settings());
  }
  void ReadModuleKey(int keyId, const std::string& value) override {
    if (const SettingDecl<S>* d = FindSetting<S>(S::Settings(), keyId)) {
      std::string why = ReadSettingText<S>(self(), *d, value);
      if (!why.empty()) RejectSetting(keyId, value, why);
    }
  }
  std::string CheckModuleSettings() const override {
    return CheckSettings<S>(self(), S::Settings());
  }
  bool ModuleEqual(const CPostProcSetup& other) const override {
    const S* o = dynamic_cast<const S*>(&other);
    return o && SettingsEqual<S>(self(), *o, S::Settings());
  }
  void CopyModuleFrom(const CPostProcSetup& other) override {
    if (const S* o = dynamic_cast<const S*>(&other)) CopySettings<S>(self(), *o, S::Settings());
  }
  std::string AssignModuleSetting(const std::string& key, const std::string& value) override {
    return AssignSetting<S>(self(), S::Settings(), key, value);
  }
  std::vector<std::string> ModuleKeyNames() const override {
    std::vector<std::string> names;
    for (const auto& d : S::Settings()) names.push_back(SetupKeyName(d.keyId));
    return names;
  }
  std::unique_ptr<CPostProcSetup> Clone() const override { return std::make_unique<S>(self()); }

 private:
  S& self() { return static_cast<S&>(*this); }
  const S& self() const { return static_cast<const S&>(*this); }
};

// Default setup file path: the directory of `current` (the path itself when it is a
// directory, the settings folder when it names nothing) + the default file name. In rename
// mode an existing file gives way to name_1.psa, name_2.psa, ... whichever is free first.
std::string DefaultSetupPath(const std::string& current, const std::string& defaultFileName,
                             bool renameMode);

// The three TidoraWaves.ini keys of a module (section: its display name).
struct ModulePreferences {
  std::string setupPath;  // empty: no path known
  bool confirmChanges = true;
  bool overwriteWarning = true;
};
ModulePreferences ReadModulePreferences(const std::string& displayName);
bool WriteModulePreferences(const std::string& displayName, const ModulePreferences& prefs);

// The start-up sequence of a module's window: the last setup file, loaded, or a default one
// created (asking "Overwrite" or "Rename" when the last one cannot be read). Returns 0 when a
// default setup file could not be saved: the window must then close.
int RunStartUpSequence(CPostProcSetup& setup, const ModulePreferences& prefs, Interaction& ui);

// The setup path handed over by the launcher (source 1: its /P switch; 0: from the .ini).
int SetSetupFileFromLauncher(CPostProcSetup& setup, const std::string& path, int source,
                             Interaction& ui);

// The module index a program setup file's title line names, compared as a load compares it;
// -1 when the file cannot be read or names no module. The launcher opens a file with it.
int SetupFileModule(const std::string& path);

}  // namespace tidora
