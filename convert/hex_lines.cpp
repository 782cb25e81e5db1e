#include "convert/hex_lines.h"

#include <array>
#include <cstring>

namespace tidora {

namespace {

// '0'..'9', 'A'..'F' and 'a'..'f'; every other character is 0.
constexpr std::array<int8_t, 256> HexDigitTable() {
  std::array<int8_t, 256> t{};
  for (int c = 0; c < 10; ++c) t['0' + c] = static_cast<int8_t>(c);
  for (int c = 0; c < 6; ++c) {
    t['A' + c] = static_cast<int8_t>(10 + c);
    t['a' + c] = static_cast<int8_t>(10 + c);
  }
  return t;
}

}  // namespace

const std::array<int8_t, 256> kHexDigitValue = HexDigitTable();

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
  // A piece needs at most kLineLimit raw characters (99 characters, or 98 and CR LF), and one
  // more to tell a CR LF from a lone CR.
  if (end_ - pos_ < kLineLimit + 1) Fill();
  if (pos_ >= end_) return false;
  char* start = buf_.data() + pos_;
  size_t avail = end_ - pos_;
  size_t scan = avail < kLineLimit ? avail : kLineLimit;
  // A line ends at LF, CR LF or a lone CR; every end is handed over as one line feed.
  size_t i = 0;
  while (i < scan && start[i] != '\n' && start[i] != '\r') ++i;
  if (i < scan) {
    size_t consumed = i + 1;
    if (start[i] == '\r' && i + 1 < avail && start[i + 1] == '\n') consumed = i + 2;
    size_t len = i + 1;
    if (len <= kLineLimit - 1) {
      start[i] = '\n';
      pos_ += consumed;
      line = std::string_view(start, len);
      ++lines_;
      return true;
    }
  }
  size_t len = avail < kLineLimit - 1 ? avail : kLineLimit - 1;
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
