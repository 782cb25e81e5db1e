#include "platform/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace tidora {
namespace fs = std::filesystem;

namespace {

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Name(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SystemError(const std::string& path) {
  return path + ": " + std::strerror(errno);
}

// A name beside `path` that no file has yet, created by `make` (which fails with EEXIST when
// the name is taken).
template <typename Make>
std::string FreshName(const std::string& path, const char* tag, Make make) {
  static thread_local std::mt19937 random{std::random_device{}()};
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + tag;
    for (int i = 0; i < 6; ++i) name += kChars[random() % (sizeof kChars - 1)];
    if (make(name)) return name;
    if (errno != EEXIST) return {};
  }
  return {};
}

}  // namespace

std::string WriteTarget(const std::string& path) {
  std::string p = path;
  // Bounded like the system's own resolution; a longer chain fails when it is opened.
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return p;
    std::string link(buf.data(), static_cast<size_t>(n));
    p = link[0] == '/' ? link : Folder(p) + "/" + link;
  }
  return p;
}

std::string NonRegularKind(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return {};
  if (S_ISDIR(st.st_mode)) return "a folder";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "a device";
  if (S_ISFIFO(st.st_mode)) return "a named pipe";
  if (S_ISSOCK(st.st_mode)) return "a socket";
  return "not a plain file";
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  struct stat sa {
  }, sb{};
  const bool ea = ::stat(a.c_str(), &sa) == 0, eb = ::stat(b.c_str(), &sb) == 0;
  if (ea || eb) return ea && eb && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  // Neither exists yet: the same name in the same (real) folder.
  auto place = [](const std::string& p) {
    const std::string target = WriteTarget(p);
    std::error_code ec;
    fs::path folder = fs::weakly_canonical(fs::absolute(Folder(target), ec), ec);
    return (folder / Name(target)).lexically_normal().string();
  };
  return place(a) == place(b);
}

std::string CheckOutputFiles(const std::vector<RoleFile>& inputs,
                             const std::vector<RoleFile>& outputs) {
  auto same = [](const RoleFile& out, const RoleFile& other) {
    return "The " + out.role + " " + out.path + " is the " + other.role + " " + other.path +
           ": choose another name.";
  };
  for (size_t i = 0; i < outputs.size(); ++i) {
    const RoleFile& out = outputs[i];
    if (out.path.empty()) continue;
    if (std::string kind = NonRegularKind(out.path); !kind.empty())
      return "The " + out.role + " " + out.path + " is " + kind +
             ", not a regular file: choose another name.";
    for (const RoleFile& in : inputs)
      if (SameFile(out.path, in.path)) return same(out, in);
    for (size_t j = 0; j < i; ++j)
      if (SameFile(out.path, outputs[j].path)) return same(out, outputs[j]);
  }
  return {};
}

OutputSet::~OutputSet() {
  Discard();
}

std::string OutputSet::Add(const std::string& path) {
  const std::string target = WriteTarget(path);
  if (std::string kind = NonRegularKind(target); !kind.empty()) {
    error_ = path + " is " + kind + ", not a regular file.";
    return {};
  }
  struct stat st {};
  const bool existed = ::stat(target.c_str(), &st) == 0;
  // A file its owner made read-only stays as it is, as it would when written in place.
  if (existed && ::access(target.c_str(), W_OK) != 0) {
    error_ = SystemError(path);
    return {};
  }
  int fd = -1;
  std::string temp = FreshName(target, ".tmp", [&](const std::string& name) {
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    return fd >= 0;
  });
  if (temp.empty()) {
    error_ = SystemError(path);
    return {};
  }
  if (existed) ::fchmod(fd, st.st_mode & 07777);
  ::close(fd);
  entries_.push_back({target, temp});
  return temp;
}

bool OutputSet::Commit() {
  for (const Entry& e : entries_) {
    const int fd = ::open(e.temp.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!synced) {
      error_ = SystemError(e.target);
      Discard();
      return false;
    }
  }
  // Each previous output is kept under a second name until every new one is in place, so a
  // rename that fails halfway puts everything back.
  std::vector<std::string> kept(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (std::string kind = NonRegularKind(entries_[i].target); !kind.empty()) {
      error_ = entries_[i].target + " is " + kind + ", not a regular file.";
      for (const std::string& k : kept)
        if (!k.empty()) ::unlink(k.c_str());
      Discard();
      return false;
    }
    if (::access(entries_[i].target.c_str(), F_OK) == 0)
      kept[i] = FreshName(entries_[i].target, ".old", [&](const std::string& name) {
        return ::link(entries_[i].target.c_str(), name.c_str()) == 0;
      });
  }
  size_t done = 0;
  for (; done < entries_.size(); ++done)
    if (std::rename(entries_[done].temp.c_str(), entries_[done].target.c_str()) != 0) break;
  if (done < entries_.size()) {
    error_ = SystemError(entries_[done].target);
    for (size_t i = 0; i < done; ++i) {
      if (!kept[i].empty())
        std::rename(kept[i].c_str(), entries_[i].target.c_str());
      else
        ::unlink(entries_[i].target.c_str());
    }
    entries_.erase(entries_.begin(), entries_.begin() + static_cast<long>(done));
  } else {
    entries_.clear();
  }
  for (const std::string& k : kept)
    if (!k.empty()) ::unlink(k.c_str());
  Discard();
  return done == kept.size();
}

void OutputSet::Discard() {
  for (const Entry& e : entries_) ::unlink(e.temp.c_str());
  entries_.clear();
}

bool WriteFileAtomically(const std::string& path, const std::string& contents, std::string* error) {
  OutputSet set;
  const std::string temp = set.Add(path);
  bool ok = !temp.empty();
  if (ok) {
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    ok = f && std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
    if (f && std::fclose(f) != 0) ok = false;
    ok = ok && set.Commit();
    if (!ok && set.Error().empty() && error) *error = SystemError(path);
  }
  if (!ok && error && !set.Error().empty()) *error = set.Error();
  return ok;
}

}  // namespace tidora
