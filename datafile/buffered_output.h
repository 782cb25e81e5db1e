#pragma once

// An output file written in large pieces: text is gathered in a buffer of about a megabyte that
// goes to the file whole. The file remembers whether any write failed, so that a caller checks
// once, at Close().

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tidora {

class BufferedOutput {
 public:
  BufferedOutput() = default;
  ~BufferedOutput();
  BufferedOutput(const BufferedOutput&) = delete;
  BufferedOutput& operator=(const BufferedOutput&) = delete;

  bool Open(const std::string& path);  // create or truncate
  bool IsOpen() const { return file_ != nullptr; }
  bool Failed() const { return failed_; }

  // Room for `bytes` more at the returned position; Commit(end) takes what was written there.
  // False once anything failed (or when no file is open).
  char* Reserve(size_t bytes) {
    return used_ + bytes <= buf_.size() ? buf_.data() + used_ : MakeRoom(bytes);
  }
  bool Commit(char* end) {
    used_ = static_cast<size_t>(end - buf_.data());
    if (!file_ || failed_) return Fail();
    return used_ < kDrainBytes || Drain();
  }
  bool Write(std::string_view text);
  bool WriteLine(std::string_view text);  // text + "\r\n"
  bool Close();                           // false when anything failed, this close included

  // The buffer is written out once it holds this much.
  static constexpr size_t kDrainBytes = size_t{1} << 20;

 private:
  char* MakeRoom(size_t bytes);
  bool Drain();
  bool Fail();

  std::FILE* file_ = nullptr;
  std::vector<char> buf_;
  size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace tidora
