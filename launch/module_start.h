#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/component.h"

namespace tidora {

class Interaction;

// The processing modules the launcher starts (Run menu items 5 to 8), by index.
struct LauncherModule {
  const char* entry;    // "4  Process Wave Burst Data"; the text after its first three
                        // characters is the module's section in TidoraWaves.ini
  const char* classId;  // class identifier in the component registry
};
inline constexpr int kLauncherModuleCount = 4;
inline constexpr LauncherModule kLauncherModules[kLauncherModuleCount] = {
    {"1  Plot Data", "{FBEA03A0-BB68-476D-893B-AA8F4A1589C8}"},
    {"2  Create Reports", "{8376DA33-72EC-4535-B804-2246D2B4C85F}"},
    {"3  Merge Barometric Pressure", "{9C7AA149-A03A-4A7F-ADD5-3A585DBBAA63}"},
    {"4  Process Wave Burst Data", "{72A3061B-9E93-4367-A809-5153ED9EC5CE}"},
};

inline constexpr const char* kLauncherTitle = "Tidora for Waves";
inline constexpr const char* kSetupPathKey = "program setup path";
inline constexpr const char* kSetupPathDefault = "PSA not found";

// The module's settings section: the entry after its first three characters.
std::string ModuleSection(int index);

// True when the option string holds a switch: "/" or "-" after a blank, followed by one of
// P, I, O, A, F, X in either case.
bool HasModuleSwitch(const std::string& options);
// The value of the first switch with this letter: the text after the two characters up to the
// next blank, or, when it starts with a double quote, up to the next double quote. False when
// there is no such switch.
bool FindModuleSwitch(const std::string& options, char letter, std::string* value);

// What the launcher window does around a running module.
class ModuleHost {
 public:
  virtual ~ModuleHost() = default;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void Minimize() = 0;
  virtual void Restore() = 0;
};

using ModuleFactory =
    std::function<std::unique_ptr<ModuleInstance>(const std::string& classId, std::string* error)>;

struct ModuleStartOptions {
  std::string options;  // the Run Options text, switches as above
  bool runMinimized = false;
};

enum class ModuleStartResult { kRan, kCreateFailed, kRefused };

// Creates module `index` and runs it: hands over the switches (or the setup file remembered in
// `iniFile`), retitles and minimises the host while it runs, releases it afterwards. A creation
// failure shows the system's text in a box titled "Error"; a module refusing a switch is
// released silently.
ModuleStartResult StartModule(int index, const ModuleStartOptions& opts, ModuleHost& host,
                              Interaction& ui, const std::string& iniFile,
                              const ModuleFactory& create = CreateModule);

// What the launcher does with a file handed to it, as from a file manager: a program setup file
// starts the module its title line names, with the file as /P; a data file (.tid, .wb, .was,
// .wts, .wt) starts Plot Data with the file as /I; an upload file (.hex) opens Convert HEX.
struct FileOpening {
  enum Kind { kNone, kModule, kConvertHex };
  Kind kind = kNone;
  int module = -1;      // the module index, for kModule
  std::string options;  // the Run Options text the module starts with
};
FileOpening OpenFileWith(const std::string& path);

}  // namespace tidora
