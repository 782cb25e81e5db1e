#include "platform/component.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/profile.h"
#include "platform/settings_dir.h"

// Where the package puts the module libraries, seen from the programs' folder.
#ifndef TIDORA_MODULE_DIR_FROM_BIN
#define TIDORA_MODULE_DIR_FROM_BIN "../lib/tidora"
#endif

namespace tidora {

namespace {

std::string LastDlError() {
  const char* e = dlerror();
  return e ? std::string(e) : std::string("The specified module could not be found.");
}

}  // namespace

std::string ComponentRegistryPath() {
  return SettingsFile(kComponentRegistryFile);
}

std::string InstalledModuleDirectory() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return (exe.parent_path() / TIDORA_MODULE_DIR_FROM_BIN).lexically_normal().string();
}

std::string SystemComponentRegistryPath() {
  const std::string dir = InstalledModuleDirectory();
  return dir.empty() ? std::string() : dir + "/" + kComponentRegistryFile;
}

std::string LookUpComponentLibrary(const std::string& classId, const std::string& userRegistry,
                                   const std::string& systemRegistry) {
  namespace fs = std::filesystem;
  std::string user = GetProfileString(kComponentRegistrySection, classId, "", userRegistry);
  std::error_code ec;
  if (!user.empty() && fs::exists(user, ec)) return user;
  if (systemRegistry.empty()) return user;
  std::string installed = GetProfileString(kComponentRegistrySection, classId, "", systemRegistry);
  if (installed.empty()) return user;
  const fs::path p(installed);
  return p.is_absolute() ? installed : (fs::path(systemRegistry).parent_path() / p).string();
}

std::string RegisteredComponentLibrary(const std::string& classId) {
  return LookUpComponentLibrary(classId, ComponentRegistryPath(), SystemComponentRegistryPath());
}

bool RegisterComponentClass(const std::string& classId, const std::string& libraryPath) {
  return WriteProfileString(kComponentRegistrySection, classId, libraryPath,
                            ComponentRegistryPath());
}

bool UnregisterComponentClass(const std::string& classId) {
  return DeleteProfileKey(kComponentRegistrySection, classId, ComponentRegistryPath());
}

bool ComponentLibraryClasses(const std::string& libraryPath, std::vector<std::string>* classes,
                             std::string* error) {
  void* lib = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    if (error) *error = LastDlError();
    return false;
  }
  auto list = reinterpret_cast<ComponentClassesFn>(dlsym(lib, kComponentClassesSymbol));
  std::vector<std::string> found;
  for (const char* const* c = list ? list() : nullptr; c && *c; ++c) found.push_back(*c);
  dlclose(lib);
  if (!list || found.empty()) {
    if (error) *error = list ? kTextClassNotRegistered : kTextProcNotFound;
    return false;
  }
  if (classes) *classes = std::move(found);
  return true;
}

bool RegisterComponentLibrary(const std::string& libraryPath, std::string* error) {
  std::error_code ec;
  std::string path = std::filesystem::absolute(libraryPath, ec).string();
  if (ec) path = libraryPath;
  std::vector<std::string> classes;
  if (!ComponentLibraryClasses(path, &classes, error)) return false;
  for (const std::string& c : classes) {
    if (!RegisterComponentClass(c, path)) {
      if (error) *error = "Could not write " + ComponentRegistryPath();
      return false;
    }
  }
  return true;
}

std::unique_ptr<ModuleInstance> CreateModule(const std::string& classId, std::string* error) {
  auto fail = [&](const std::string& text) {
    if (error) *error = text;
    return nullptr;
  };
  std::string path = RegisteredComponentLibrary(classId);
  if (path.empty()) return fail(kTextClassNotRegistered);
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) return fail(LastDlError());
  auto create = reinterpret_cast<ComponentCreateFn>(dlsym(lib, kComponentCreateSymbol));
  auto release = reinterpret_cast<ComponentReleaseFn>(dlsym(lib, kComponentReleaseSymbol));
  if (!create || !release) {
    dlclose(lib);
    return fail(kTextProcNotFound);
  }
  void* object = nullptr;
  int status = create(classId.c_str(), kPostProcModuleInterfaceId, &object);
  if (status != kComponentOk || !object) {
    dlclose(lib);
    switch (status) {
      case kComponentNoInterface:
        return fail(kTextNoInterface);
      case kComponentOutOfMemory:
        return fail(kTextOutOfMemory);
      default:
        return fail(kTextClassNotRegistered);
    }
  }
  return std::make_unique<ModuleInstance>(static_cast<IPostProcModule*>(object),
                                          [lib, release, object] {
                                            release(object);
                                            dlclose(lib);  // unloads once nothing uses it
                                          });
}

}  // namespace tidora
