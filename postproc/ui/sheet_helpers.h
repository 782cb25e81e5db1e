#pragma once

// Small helpers the files of the module sheet share.

#include <QString>
#include <string>

#include "outside/utility.h"

namespace tidora::ui::sheet {

inline QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

// The directory part without trailing separators; "." for a bare name.
inline std::string DirOf(const std::string& path) {
  std::string dir;
  if (!ExtractDirectory(path, dir, 0)) return ".";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

inline std::string NameOf(const std::string& path) {
  std::string name;
  ExtractFileName(path, name, 0);
  return name;
}

}  // namespace tidora::ui::sheet
