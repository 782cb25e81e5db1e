// A module library for the registry tests: one class whose operations echo what they were given.
#include <new>
#include <string>

#include "platform/component.h"

namespace {

constexpr const char* kFakeClass = "{00000000-1111-2222-3333-444444444444}";

class FakeModule : public tidora::IPostProcModule {
 public:
  int Run(int, int, int) override { return ++runs_; }
  int SetSetupFile(const std::string& path, int fromSwitch) override {
    setup_ = path;
    return path.empty() ? 0 : 1 + fromSwitch;
  }
  int SetInputFiles(const std::string& pattern) override { return pattern.empty() ? 0 : 1; }
  int SetOutputDir(const std::string& dir) override { return dir.empty() ? 0 : 1; }
  void SetNameAppend(const std::string&) override {}
  void SetOutputFile(const std::string&) override {}
  void SetJobText(const std::string&) override {}
  int GetLastProcessed() override { return last_; }
  void SetLastProcessed(int value) override { last_ = value; }

 private:
  int runs_ = 0;
  int last_ = 0;
  std::string setup_;
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int TidoraCreateComponent(const char* classId,
                                                                 const char* interfaceId,
                                                                 void** object) {
  *object = nullptr;
  if (std::string(classId) != kFakeClass) return tidora::kComponentClassNotAvailable;
  if (std::string(interfaceId) != tidora::kPostProcModuleInterfaceId) {
    return tidora::kComponentNoInterface;
  }
  auto* m = new (std::nothrow) FakeModule;
  if (!m) return tidora::kComponentOutOfMemory;
  *object = static_cast<tidora::IPostProcModule*>(m);
  return tidora::kComponentOk;
}

__attribute__((visibility("default"))) void TidoraReleaseComponent(void* object) {
  delete static_cast<tidora::IPostProcModule*>(object);
}

__attribute__((visibility("default"))) const char* const* TidoraComponentClasses() {
  static const char* const classes[] = {kFakeClass, nullptr};
  return classes;
}
}
