#include "platform/component.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/profile.h"
#include "platform/settings_dir.h"

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

std::string RegisteredComponentLibrary(const std::string& classId) {
  return GetProfileString(kComponentRegistrySection, classId, "", ComponentRegistryPath());
}

bool RegisterComponentClass(const std::string& classId, const std::string& libraryPath) {
  return WriteProfileString(kComponentRegistrySection, classId, libraryPath,
                            ComponentRegistryPath());
}

bool UnregisterComponentClass(const std::string& classId) {
  return DeleteProfileKey(kComponentRegistrySection, classId, ComponentRegistryPath());
}

bool RegisterComponentLibrary(const std::string& libraryPath, std::string* error) {
  std::error_code ec;
  std::string path = std::filesystem::absolute(libraryPath, ec).string();
  if (ec) path = libraryPath;
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    if (error) *error = LastDlError();
    return false;
  }
  auto classes = reinterpret_cast<ComponentClassesFn>(dlsym(lib, kComponentClassesSymbol));
  bool ok = classes != nullptr;
  if (!ok && error) *error = kTextProcNotFound;
  int count = 0;
  if (ok) {
    for (const char* const* c = classes(); c && *c && ok; ++c, ++count) {
      ok = RegisterComponentClass(*c, path);
      if (!ok && error) *error = "Could not write " + ComponentRegistryPath();
    }
    if (ok && count == 0) {
      ok = false;
      if (error) *error = kTextClassNotRegistered;
    }
  }
  dlclose(lib);
  return ok;
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
