#pragma once

#include <string>
#include <vector>

namespace tidora {

// Where the files a command writes land, and how they get there without harming what is
// already on disk: every output is first written to a temporary file beside it and takes its
// place only when complete.

// The path a write to `path` lands on: symbolic links followed to their target (which need
// not exist yet).
std::string WriteTarget(const std::string& path);

// "a folder", "a device", "a named pipe", "a socket" when the path (links followed) names an
// existing file that is not a regular file; empty otherwise.
std::string NonRegularKind(const std::string& path);

// Whether two paths name one file, however they are spelled: an existing file by its device
// and inode, one not there yet by its canonical folder and name.
bool SameFile(const std::string& a, const std::string& b);

// A file with what it is to the command ("upload file", "tide file"), for messages.
struct RoleFile {
  std::string role;
  std::string path;
};

// Empty when no output is one of the inputs or another output and none names an existing
// file that is not a regular file; otherwise the message naming both files (or the one).
// Empty paths are left out.
std::string CheckOutputFiles(const std::vector<RoleFile>& inputs,
                             const std::vector<RoleFile>& outputs);

// The outputs of one run. Add() creates an empty temporary file in each target's folder and
// gives its path for the writers; Commit() flushes every one to disk and renames them all into
// place. A set that is not committed (a failure, a stop) removes its temporary files and
// leaves the previous outputs exactly as they were.
class OutputSet {
 public:
  OutputSet() = default;
  ~OutputSet();
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // The temporary file for `path`; empty (with Error() set) when the target is not a regular
  // file or its folder takes no file. An existing target's permissions are kept.
  std::string Add(const std::string& path);
  // True when every output is in place. On false nothing has changed on disk and Error() says
  // why. The writers must have closed their files.
  bool Commit();
  // Removes the temporary files (also done by the destructor).
  void Discard();
  const std::string& Error() const { return error_; }

 private:
  struct Entry {
    std::string target, temp;
  };
  std::vector<Entry> entries_;
  std::string error_;
};

// Writes a whole text to a file through an output set of one. Links are written through to
// their target; a target that is not a regular file is refused untouched. Returns false (and
// leaves the old file untouched) when any step fails; `error`, when given, then says why.
bool WriteFileAtomically(const std::string& path, const std::string& contents,
                         std::string* error = nullptr);

}  // namespace tidora
