#include "datafile/buffered_output.h"

#include <cstring>

namespace tidora {
namespace {

// Beyond kDrainBytes, room for a few lines before the buffer must be written out.
constexpr size_t kSpareBytes = 16 * 1024;

}  // namespace

BufferedOutput::~BufferedOutput() {
  Close();
}

bool BufferedOutput::Open(const std::string& path) {
  Close();
  failed_ = false;
  used_ = 0;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    failed_ = true;
    return false;
  }
  // The buffer here is the only one: whole buffers go straight to the file.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  buf_.resize(kDrainBytes + kSpareBytes);
  return true;
}

bool BufferedOutput::Fail() {
  failed_ = true;
  used_ = 0;
  return false;
}

bool BufferedOutput::Drain() {
  if (used_ > 0 && file_ && !failed_ && std::fwrite(buf_.data(), 1, used_, file_) != used_)
    failed_ = true;
  used_ = 0;
  return !failed_;
}

char* BufferedOutput::MakeRoom(size_t bytes) {
  Drain();
  if (bytes > buf_.size()) buf_.resize(bytes);
  return buf_.data();
}

bool BufferedOutput::Write(std::string_view text) {
  char* p = Reserve(text.size());
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  return Commit(p + text.size());
}

bool BufferedOutput::WriteLine(std::string_view text) {
  char* p = Reserve(text.size() + 2);
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  p += text.size();
  *p++ = '\r';
  *p++ = '\n';
  return Commit(p);
}

bool BufferedOutput::Close() {
  if (!file_) return !failed_;
  Drain();
  if (std::fflush(file_) != 0 || std::ferror(file_)) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  buf_ = {};
  return !failed_;
}

}  // namespace tidora
