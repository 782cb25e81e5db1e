// Settings files come from people and other programs: reading and rewriting one must never
// crash, whatever it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/profile.h"
#include "testing/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    static tidora::testing::TempDir dir;  // lives for the whole run
    return dir.file("fuzz.ini");
  }();
  tidora::WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size));
  tidora::GetProfileString("Comm Settings", "BaudRate", "9600", path);
  tidora::GetProfileInt("comm settings", "port", 1, path);
  tidora::GetProfileKeys("PlanDeployment", path);
  tidora::WriteProfileString("PlanDeployment", "Depth", "10.000000", path);
  tidora::DeleteProfileKey("Comm Settings", "Port", path);
  return 0;
}
