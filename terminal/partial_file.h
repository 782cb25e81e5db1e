#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace tidora {

// A file that is complete only when its sequence ends well (an upload, a diagnostic). Everything
// goes to NAME.partial, which becomes NAME only when the sequence completes, so a failed, stopped
// or interrupted one never leaves a file that looks complete under the chosen name; what was
// received stays in NAME.partial (removed when empty). A device or pipe named as the file is
// written directly. One owner: however the sequence ends, the file is closed exactly once.
class PartialFile {
 public:
  PartialFile() = default;
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;
  ~PartialFile() { Abandon(); }

  static std::string PartialName(const std::string& path) { return path + ".partial"; }
  // Opens the file for NAME (unbuffered, so each write's failure is known at once).
  bool Create(const std::string& path);
  bool Write(const void* data, size_t n);
  bool Write(const std::string& text) { return Write(text.data(), text.size()); }
  // Closes and puts the file under its name; false (and the file kept as partial) on failure.
  bool Complete();
  // Closes an unfinished file; returns the path that keeps what was received, or "" when
  // nothing was kept (no file, an empty one, or a device written directly).
  std::string Abandon();
  bool open() const { return file_ != nullptr; }

 private:
  FILE* file_ = nullptr;
  std::string path_, writing_;
  long long written_ = 0;
};

}  // namespace tidora
