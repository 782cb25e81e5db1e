#include "launch/module_start.h"

#include <cctype>
#include <filesystem>

#include "platform/interaction.h"
#include "platform/profile.h"
#include "postproc/setup.h"

namespace tidora {

namespace {

constexpr const char* kSwitchLetters = "PIOAFX";

bool IsSwitchAt(const std::string& s, size_t i) {
  return i > 0 && s[i - 1] == ' ' && (s[i] == '/' || s[i] == '-') && i + 1 < s.size();
}

}  // namespace

std::string ModuleSection(int index) {
  if (index < 0 || index >= kLauncherModuleCount) return {};
  std::string entry = kLauncherModules[index].entry;
  return entry.size() > 3 ? entry.substr(3) : std::string();
}

bool HasModuleSwitch(const std::string& options) {
  for (size_t i = 1; i < options.size(); ++i) {
    if (!IsSwitchAt(options, i)) continue;
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(options[i + 1])));
    if (std::string(kSwitchLetters).find(c) != std::string::npos) return true;
  }
  return false;
}

bool FindModuleSwitch(const std::string& options, char letter, std::string* value) {
  char want = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (size_t i = 1; i < options.size(); ++i) {
    if (!IsSwitchAt(options, i)) continue;
    if (std::toupper(static_cast<unsigned char>(options[i + 1])) != want) continue;
    size_t start = i + 2;
    std::string v;
    if (start < options.size() && options[start] == '"') {
      size_t end = options.find('"', start + 1);
      v = options.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    } else {
      size_t end = options.find(' ', start);
      v = options.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    if (value) *value = v;
    return true;
  }
  return false;
}

ModuleStartResult StartModule(int index, const ModuleStartOptions& opts, ModuleHost& host,
                              Interaction& ui, const std::string& iniFile,
                              const ModuleFactory& create) {
  if (index < 0 || index >= kLauncherModuleCount) return ModuleStartResult::kCreateFailed;
  std::string error;
  std::unique_ptr<ModuleInstance> instance = create(kLauncherModules[index].classId, &error);
  if (!instance || !instance->get()) {
    ui.Message(error, "Error", MsgIcon::Error, MsgButtons::Ok);
    return ModuleStartResult::kCreateFailed;
  }
  IPostProcModule* m = instance->get();

  const std::string& o = opts.options;
  if (HasModuleSwitch(o)) {
    std::string v;
    if (FindModuleSwitch(o, 'P', &v)) {
      if (m->SetSetupFile(v, 1) == 0) return ModuleStartResult::kRefused;
    } else {
      std::string path =
          GetProfileString(ModuleSection(index), kSetupPathKey, kSetupPathDefault, iniFile);
      if (path.size() > 511) path.resize(511);
      if (m->SetSetupFile(path, 0) == 0) return ModuleStartResult::kRefused;
    }
    if (FindModuleSwitch(o, 'I', &v) && m->SetInputFiles(v) == 0) {
      return ModuleStartResult::kRefused;
    }
    if (FindModuleSwitch(o, 'O', &v) && m->SetOutputDir(v) == 0) {
      return ModuleStartResult::kRefused;
    }
    if (FindModuleSwitch(o, 'A', &v)) m->SetNameAppend(v);
    if (FindModuleSwitch(o, 'F', &v)) m->SetOutputFile(v);
    if (FindModuleSwitch(o, 'X', &v)) m->SetJobText(v);
  }

  host.SetTitle(ModuleSection(index) + " Running...");
  if (opts.runMinimized) host.Minimize();
  m->Run(0, 0, 0);
  if (opts.runMinimized) host.Restore();
  host.SetTitle(kLauncherTitle);
  return ModuleStartResult::kRan;
}

FileOpening OpenFileWith(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  FileOpening how;
  if (ext == ".hex") {
    how.kind = FileOpening::kConvertHex;
  } else if (ext == ".tid" || ext == ".wb" || ext == ".was" || ext == ".wts" || ext == ".wt") {
    how = {FileOpening::kModule, kPlotModule, " /I\"" + path + "\""};
  } else if (int module = SetupFileModule(path); module >= 0) {
    how = {FileOpening::kModule, module, " /P\"" + path + "\""};
  }
  return how;
}

}  // namespace tidora
