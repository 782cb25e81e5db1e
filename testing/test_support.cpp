#include "testing/test_support.h"

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace tidora::testing {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "tidora-test-XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

TempHome::TempHome() {
  if (const char* old = std::getenv("TIDORA_HOME")) {
    old_ = old;
    hadOld_ = true;
  }
  setenv("TIDORA_HOME", path().c_str(), 1);
}

TempHome::~TempHome() {
  if (hadOld_)
    setenv("TIDORA_HOME", old_.c_str(), 1);
  else
    unsetenv("TIDORA_HOME");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}

std::string ProgramPath(const std::string& name) {
  // The programs are built beside the test programs: found from the test's own location, the
  // test passes from any working directory.
  const char* bin = std::getenv("TIDORA_BIN");
  if (bin && *bin) return std::string(bin) + "/" + name;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path(".") : self.parent_path()).string() + "/" + name;
}

int RunCommand(const std::string& command, std::string* out, std::string* err) {
  TempDir tmp;
  std::string full = command + " >" + tmp.file("out") + " 2>" + tmp.file("err");
  int status = std::system(full.c_str());
  if (out) *out = ReadFile(tmp.file("out"));
  if (err) *err = ReadFile(tmp.file("err"));
  if (status == -1) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace tidora::testing
