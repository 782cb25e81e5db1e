#include "terminal/partial_file.h"

#include <sys/stat.h>
#include <filesystem>
#include <system_error>

namespace tidora {

bool PartialFile::Create(const std::string& path) {
  Abandon();
  path_ = path;
  struct stat st {};
  bool exists = stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or pipe has no name to keep a half file under: it is written directly.
    writing_ = path;
  } else {
    // Through a symbolic link to its target, so the link stays what it is.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::is_symlink(path, ec)
                                       ? std::filesystem::weakly_canonical(path, ec)
                                       : std::filesystem::path(path);
    if (!ec) path_ = target.string();
    writing_ = PartialName(path_);
  }
  written_ = 0;
  file_ = std::fopen(writing_.c_str(), "wb");
  if (!file_) {
    writing_.clear();
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);
  return true;
}

bool PartialFile::Write(const void* data, size_t n) {
  if (!file_) return false;
  size_t done = std::fwrite(data, 1, n, file_);
  written_ += static_cast<long long>(done);
  return done == n;
}

bool PartialFile::Complete() {
  if (!file_) return false;
  bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  if (ok && writing_ != path_) ok = std::rename(writing_.c_str(), path_.c_str()) == 0;
  if (ok) writing_.clear();
  return ok;  // on failure Abandon still reports the partial file
}

std::string PartialFile::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  std::string kept;
  if (!writing_.empty() && writing_ != path_) {
    if (written_ > 0)
      kept = writing_;
    else
      std::remove(writing_.c_str());
  }
  writing_.clear();
  return kept;
}

}  // namespace tidora
