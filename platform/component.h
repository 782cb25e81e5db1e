#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tidora {

// Processing modules are plugins: shared libraries that export a factory. A registry file in the
// settings folder maps each class identifier to the library that implements it; registering a
// library writes its classes there, and the launcher creates a module by class identifier.

// The module interface every processing module offers.
inline constexpr const char* kPostProcModuleInterfaceId = "{F459407F-D136-45E9-B64E-E752A74A38B3}";

class IPostProcModule {
 public:
  virtual ~IPostProcModule() = default;
  // Shows the module's property sheet modally; returns when it closes.
  virtual int Run(int a, int b, int c) = 0;
  // Loads a program setup file; `fromSwitch` is 1 when the path came from a /P switch, 0 when
  // it came from the settings file. 0 = failure.
  virtual int SetSetupFile(const std::string& path, int fromSwitch) = 0;
  // Selects the input files matching a pattern; 0 = failure.
  virtual int SetInputFiles(const std::string& pattern) = 0;
  // Sets the output directory; 0 = failure.
  virtual int SetOutputDir(const std::string& dir) = 0;
  virtual void SetNameAppend(const std::string& text) = 0;
  virtual void SetOutputFile(const std::string& name) = 0;
  virtual void SetJobText(const std::string& text) = 0;
  virtual int GetLastProcessed() = 0;
  virtual void SetLastProcessed(int value) = 0;
};

// ---- The plugin side: what a module library exports (with C linkage). ----
//
//   int TidoraCreateComponent(const char* classId, const char* interfaceId, void** object);
//     Creates one object of the class and returns the interface asked for in *object
//     (an IPostProcModule* for kPostProcModuleInterfaceId). Returns a ComponentStatus.
//   void TidoraReleaseComponent(void* object);
//     Destroys an object the library created.
//   const char* const* TidoraComponentClasses();
//     The class identifiers the library implements, ending with a null pointer.

enum ComponentStatus : int {
  kComponentOk = 0,
  kComponentClassNotAvailable = 1,
  kComponentNoInterface = 2,
  kComponentOutOfMemory = 3,
};

using ComponentCreateFn = int (*)(const char* classId, const char* interfaceId, void** object);
using ComponentReleaseFn = void (*)(void* object);
using ComponentClassesFn = const char* const* (*)();

inline constexpr const char* kComponentCreateSymbol = "TidoraCreateComponent";
inline constexpr const char* kComponentReleaseSymbol = "TidoraReleaseComponent";
inline constexpr const char* kComponentClassesSymbol = "TidoraComponentClasses";

// The system's texts for the failures of component creation.
inline constexpr const char* kTextClassNotRegistered = "Class not registered";
inline constexpr const char* kTextNoInterface = "No such interface supported";
inline constexpr const char* kTextProcNotFound = "The specified procedure could not be found.";
inline constexpr const char* kTextOutOfMemory =
    "Not enough storage is available to complete this operation.";

// ---- The registry: [Components] classId=library path, in TidoraComponents.ini. ----

inline constexpr const char* kComponentRegistryFile = "TidoraComponents.ini";
inline constexpr const char* kComponentRegistrySection = "Components";

// The user's registry, in the settings folder; `RegisterComponentClass` writes it.
std::string ComponentRegistryPath();
// The folder the module libraries are installed in, relative to the running program, and the
// registry installed there with them: it lets an installed launcher create its modules without
// a per-user registration. Its library names are relative to its own folder.
std::string InstalledModuleDirectory();
std::string SystemComponentRegistryPath();
// The library for a class identifier: the user's entry, else the system registry's (also when
// the user's library has gone, as after a build tree was removed); empty when there is none.
std::string LookUpComponentLibrary(const std::string& classId, const std::string& userRegistry,
                                   const std::string& systemRegistry);
// LookUpComponentLibrary over the user's and the installed registry.
std::string RegisteredComponentLibrary(const std::string& classId);
// False when the registry cannot be written.
bool RegisterComponentClass(const std::string& classId, const std::string& libraryPath);
bool UnregisterComponentClass(const std::string& classId);
// The class identifiers a library lists. False (with the reason in `error`) when it cannot be
// loaded, lacks the list or lists no classes.
bool ComponentLibraryClasses(const std::string& libraryPath, std::vector<std::string>* classes,
                             std::string* error = nullptr);
// Loads a library and registers every class it lists under its absolute path. False (with the
// reason in `error`) when it cannot be loaded, lists no classes or the registry is not written.
bool RegisterComponentLibrary(const std::string& libraryPath, std::string* error = nullptr);

// A created module: releases the object, then lets the library unload, when it goes.
class ModuleInstance {
 public:
  ModuleInstance(IPostProcModule* module, std::function<void()> release)
      : module_(module), release_(std::move(release)) {}
  ~ModuleInstance() {
    if (release_) release_();
  }
  ModuleInstance(const ModuleInstance&) = delete;
  ModuleInstance& operator=(const ModuleInstance&) = delete;
  IPostProcModule* get() const { return module_; }
  IPostProcModule* operator->() const { return module_; }

 private:
  IPostProcModule* module_;
  std::function<void()> release_;
};

// Creates the module of a class identifier through the registry. On failure returns nullptr
// and sets `error` to the system's text for it.
std::unique_ptr<ModuleInstance> CreateModule(const std::string& classId, std::string* error);

}  // namespace tidora
