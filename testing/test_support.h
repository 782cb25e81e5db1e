#pragma once

#include <string>

namespace tidora::testing {

// A fresh temporary folder, removed with everything in it at the end of its scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A temporary settings folder: TIDORA_HOME points to it for the scope's life.
class TempHome : public TempDir {
 public:
  TempHome();
  ~TempHome();

 private:
  std::string old_;
  bool hadOld_ = false;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);

// Path of a program built beside the tests (TIDORA_BIN, set by CTest).
std::string ProgramPath(const std::string& name);

// Runs a shell command; returns its exit status and fills the output (stdout and, when
// asked, stderr) when the pointers are given.
int RunCommand(const std::string& command, std::string* out = nullptr, std::string* err = nullptr);

}  // namespace tidora::testing
