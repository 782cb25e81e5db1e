#include "platform/settings_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tidora {

std::string SettingsDirectory() {
  std::string dir;
  if (const char* home = std::getenv("TIDORA_HOME"); home && *home) {
    dir = home;
  } else if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    dir = std::string(xdg) + "/tidora";
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    dir = std::string(h) + "/.config/tidora";
  } else {
    dir = "./.tidora";
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);  // a failure shows later, when a file is opened
  return dir;
}

std::string SettingsFile(const std::string& name) {
  return SettingsDirectory() + "/" + name;
}

}  // namespace tidora
