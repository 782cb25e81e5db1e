#include "datafile/textio.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace tidora {
namespace {

constexpr size_t kBufferSize = 64 * 1024;

}  // namespace

bool TextLineReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  buffer_.resize(kBufferSize);
  pos_ = len_ = 0;
  bufferStart_ = 0;
  atEnd_ = false;
  return true;
}

void TextLineReader::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  pos_ = len_ = 0;
  bufferStart_ = 0;
  atEnd_ = false;
}

bool TextLineReader::Fill() {
  if (!file_ || atEnd_) return false;
  bufferStart_ += static_cast<int64_t>(len_);
  pos_ = len_ = 0;
  len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (len_ == 0) {
    atEnd_ = true;
    return false;
  }
  return true;
}

bool TextLineReader::ReadLine(std::string& line, size_t maxChars) {
  line.clear();
  if (!file_) return false;
  bool any = false;
  size_t total = 0;  // length of the whole line, however much of it is kept
  char last = 0;
  for (;;) {
    if (pos_ >= len_ && !Fill()) break;
    const char* start = buffer_.data() + pos_;
    size_t avail = len_ - pos_;
    const void* nl = std::memchr(start, '\n', avail);
    size_t take = nl ? static_cast<size_t>(static_cast<const char*>(nl) - start) : avail;
    any = true;
    if (line.size() < maxChars) line.append(start, std::min(take, maxChars - line.size()));
    if (take > 0) last = start[take - 1];
    total += take;
    pos_ += take;
    if (nl) {
      ++pos_;  // the line feed
      break;
    }
  }
  // The CR of a CR LF line end is no part of the line.
  if (last == '\r' && total <= maxChars && !line.empty()) line.pop_back();
  return any;
}

bool TextLineReader::Seek(int64_t position) {
  if (!file_ || position < 0) return false;
  if (position >= bufferStart_ && position <= bufferStart_ + static_cast<int64_t>(len_)) {
    pos_ = static_cast<size_t>(position - bufferStart_);
    return true;
  }
  if (fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0) return false;
  bufferStart_ = position;
  pos_ = len_ = 0;
  atEnd_ = false;
  return true;
}

bool IsBlankChar(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsBlankLine(std::string_view line) {
  for (char c : line)
    if (!IsBlankChar(c)) return false;
  return true;
}

std::string_view FirstWord(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && IsBlankChar(line[i])) ++i;
  size_t j = i;
  while (j < line.size() && !IsBlankChar(line[j])) ++j;
  return line.substr(i, j - i);
}

void FieldScanner::Blanks() {
  while (p_ < end_ && IsBlankChar(*p_)) ++p_;
}

bool FieldScanner::Long(long& value) {
  const char* save = p_;
  Blanks();
  const char* s = p_;
  bool negative = false;
  if (s < end_ && (*s == '+' || *s == '-')) negative = *s++ == '-';
  if (s >= end_ || *s < '0' || *s > '9') {
    p_ = save;
    return false;
  }
  unsigned long magnitude = 0;
  auto [next, ec] = std::from_chars(s, end_, magnitude);
  unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
  if (ec != std::errc() || magnitude > limit) {
    p_ = save;
    return false;
  }
  value = negative ? static_cast<long>(0UL - magnitude) : static_cast<long>(magnitude);
  p_ = next;
  return true;
}

bool FieldScanner::Int(int& value) {
  const char* save = p_;
  long v = 0;
  if (!Long(v) || v < INT_MIN || v > INT_MAX) {
    p_ = save;
    return false;
  }
  value = static_cast<int>(v);
  return true;
}

bool FieldScanner::Double(double& value) {
  const char* save = p_;
  Blanks();
  const char* s = p_;
  bool negative = false;
  if (s < end_ && (*s == '+' || *s == '-')) negative = *s++ == '-';
  // from_chars takes no sign of its own for the magnitude we want; a second sign is no number.
  if (s >= end_ || *s == '+' || *s == '-') {
    p_ = save;
    return false;
  }
  double v = 0;
  auto [next, ec] = std::from_chars(s, end_, v);
  if (ec == std::errc::result_out_of_range) {
    // Like strtod: a value too large becomes infinite, one too small becomes zero.
    const char* e = s;
    while (e < next && *e != 'e' && *e != 'E') ++e;
    bool tiny = (e + 1 < next && e[1] == '-') || (e > s && *s == '0') || (e > s && *s == '.');
    v = tiny ? 0.0 : HUGE_VAL;
  } else if (ec != std::errc()) {
    p_ = save;
    return false;
  }
  value = negative ? -v : v;
  p_ = next;
  return true;
}

bool FieldScanner::Literal(char c) {
  if (p_ < end_ && *p_ == c) {
    ++p_;
    return true;
  }
  return false;
}

bool FieldScanner::Word(std::string& word) {
  const char* save = p_;
  Blanks();
  const char* s = p_;
  while (p_ < end_ && !IsBlankChar(*p_)) ++p_;
  if (p_ == s) {
    p_ = save;
    return false;
  }
  word.assign(s, p_);
  return true;
}

bool FieldScanner::AtEnd() {
  Blanks();
  return p_ >= end_;
}

void AppendFixed(std::string& out, double value, int width, int precision) {
  char buf[512];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
  size_t n = res.ec == std::errc() ? static_cast<size_t>(res.ptr - buf) : 0;
  if (n == 0) {
    // Only a value of more than 500 digits gets here; printf would print every digit.
    int len = std::snprintf(buf, sizeof buf, "%.*e", precision, value);
    n = len > 0 ? std::min(static_cast<size_t>(len), sizeof buf - 1) : 0;
  }
  if (static_cast<int>(n) < width) out.append(static_cast<size_t>(width) - n, ' ');
  out.append(buf, n);
}

void AppendShortest(std::string& out, double value) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

void AppendShortest(std::string& out, float value) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

}  // namespace tidora
