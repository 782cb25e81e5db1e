#include "convert/hex_lines.h"

#include <cstring>

namespace tidora {

const int8_t kHexDigitValue[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  0,  0,  0,  0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0,  0,  0,  0,  0, 0,
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0, 0, 0, 0, 10, 11, 12, 13, 14, 15};  // '0'..'9' and
                                                                                 // 'A'..'F'; the
                                                                                 // rest is 0

namespace {
constexpr size_t kBufferSize = 1 << 20;
}

HexLineReader::~HexLineReader() {
  Close();
}

bool HexLineReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  buf_.resize(kBufferSize);
  pos_ = end_ = 0;
  eof_ = false;
  lines_ = 0;
  return true;
}

void HexLineReader::OpenMemory(std::string_view bytes) {
  Close();
  buf_.assign(bytes.begin(), bytes.end());
  pos_ = 0;
  end_ = buf_.size();
  eof_ = true;
  lines_ = 0;
}

void HexLineReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  pos_ = end_ = 0;
  eof_ = true;
}

bool HexLineReader::Fill() {
  if (eof_ || !file_) return false;
  if (pos_ > 0) {
    std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  size_t n = std::fread(buf_.data() + end_, 1, buf_.size() - end_, file_);
  if (n == 0) {
    eof_ = true;
    return false;
  }
  end_ += n;
  return true;
}

bool HexLineReader::ReadLine(std::string_view& line) {
  // A piece needs at most kLineLimit raw characters (99 characters, or 98 and CR LF).
  if (end_ - pos_ < kLineLimit + 1) Fill();
  if (pos_ >= end_) return false;
  char* start = buf_.data() + pos_;
  size_t avail = end_ - pos_;
  size_t scan = avail < kLineLimit ? avail : kLineLimit;
  const char* nl = static_cast<const char*>(std::memchr(start, '\n', scan));
  size_t len;
  if (nl) {
    size_t i = static_cast<size_t>(nl - start);
    if (i > 0 && start[i - 1] == '\r') {
      start[i - 1] = '\n';  // text-mode reading turns CR LF into LF
      len = i;
    } else {
      len = i + 1;
    }
    if (len <= kLineLimit - 1) {
      pos_ += i + 1;
      line = std::string_view(start, len);
      ++lines_;
      return true;
    }
  }
  len = avail < kLineLimit - 1 ? avail : kLineLimit - 1;
  pos_ += len;
  line = std::string_view(start, len);
  ++lines_;
  return true;
}

void DecodeHexBytes(std::string_view line, uint8_t* out, size_t n) {
  if (line.size() >= 2 * n) {
    const char* p = line.data();
    for (size_t i = 0; i < n; ++i)
      out[i] = static_cast<uint8_t>(HexDigit(p[2 * i]) * 16 + HexDigit(p[2 * i + 1]));
    return;
  }
  for (size_t i = 0; i < n; ++i) out[i] = HexByte(line, i);
}

}  // namespace tidora
