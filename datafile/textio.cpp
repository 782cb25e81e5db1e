#include "datafile/textio.h"

#include <locale.h>
#include <sys/stat.h>
#include <algorithm>
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

bool TextLineReader::ReadUpToLineEnd(std::string& line, size_t maxChars, bool& cr, bool& cut) {
  line.clear();
  cr = cut = false;
  if (!file_) return false;
  bool any = false;
  for (;;) {
    if (pos_ >= len_ && !Fill()) break;
    const char* start = buffer_.data() + pos_;
    const size_t avail = len_ - pos_;
    // The first line feed, and a carriage return before it, by the library's fast search.
    const void* lf = std::memchr(start, '\n', avail);
    size_t take = lf ? static_cast<size_t>(static_cast<const char*>(lf) - start) : avail;
    if (const void* cr = std::memchr(start, '\r', take))
      take = static_cast<size_t>(static_cast<const char*>(cr) - start);
    any = true;
    const size_t room = line.size() < maxChars ? maxChars - line.size() : 0;
    if (take > room) cut = true;
    line.append(start, std::min(take, room));
    pos_ += take;
    if (take == avail) continue;
    // LF, CR LF and a lone CR all end a line.
    cr = buffer_[pos_] == '\r';
    ++pos_;
    if (cr && (pos_ < len_ || Fill()) && buffer_[pos_] == '\n') ++pos_;
    break;
  }
  return any;
}

bool TextLineReader::ReadLine(std::string& line, size_t maxChars) {
  bool cr, cut;
  return ReadUpToLineEnd(line, maxChars, cr, cut);
}

bool TextLineReader::ReadLineKeepingCr(std::string& line, size_t maxChars, bool* cut) {
  bool cr, passed;
  const bool any = ReadUpToLineEnd(line, maxChars, cr, passed);
  if (cr) {
    if (line.size() < maxChars)
      line.push_back('\r');
    else
      passed = true;
  }
  if (cut) *cut = passed;
  return any;
}

int64_t TextLineReader::Size() const {
  struct stat st;
  if (!file_ || fstat(fileno(file_), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
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

const char* FieldScanner::SignedDigits(bool& negative) {
  const char* save = p_;
  Blanks();
  const char* s = p_;
  p_ = save;
  negative = false;
  if (s < end_ && (*s == '+' || *s == '-')) negative = *s++ == '-';
  return s < end_ && *s >= '0' && *s <= '9' ? s : nullptr;
}

bool FieldScanner::Long(long& value) {
  bool negative;
  const char* s = SignedDigits(negative);
  if (!s) return false;
  unsigned long magnitude = 0;
  bool tooLarge = false;
  const char* next = s;
  for (; next < end_ && *next >= '0' && *next <= '9'; ++next) {
    const unsigned long digit = static_cast<unsigned long>(*next - '0');
    if (__builtin_mul_overflow(magnitude, 10UL, &magnitude) ||
        __builtin_add_overflow(magnitude, digit, &magnitude))
      tooLarge = true;
  }
  unsigned long limit = negative ? static_cast<unsigned long>(LONG_MAX) + 1 : LONG_MAX;
  if (tooLarge || magnitude > limit) return false;
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

bool FieldScanner::ClampedInt(int& value) {
  bool negative;
  const char* s = SignedDigits(negative);
  if (!s) return false;
  long long v = 0;
  for (; s < end_ && *s >= '0' && *s <= '9'; ++s) v = std::min(v * 10 + (*s - '0'), 1LL << 40);
  if (negative) v = -v;
  value = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
  p_ = s;
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

std::string FormatCV(const char* format, va_list args) {
  // A thread-local switch to the C locale: other threads, and the process locale a desktop
  // program chose, are left alone.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  const locale_t previous = uselocale(cLocale);
  char small[512];
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  std::string out;
  if (n >= 0 && static_cast<size_t>(n) < sizeof small) {
    out.assign(small, static_cast<size_t>(n));
  } else if (n > 0) {
    out.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data(), out.size(), format, again);
    out.resize(static_cast<size_t>(n));
  }
  va_end(again);
  uselocale(previous);
  return out;
}

std::string FormatC(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = FormatCV(format, args);
  va_end(args);
  return out;
}

double LeadingNumber(std::string_view text) {
  FieldScanner s(text);
  double v = 0;
  return s.Double(v) ? v : 0.0;
}

bool ParseWholeNumber(std::string_view text, double& value) {
  FieldScanner s(text);
  double v = 0;
  if (!s.Double(v) || !s.AtEnd()) return false;
  value = v;
  return true;
}

bool ParseWholeNumber(std::string_view text, long& value) {
  FieldScanner s(text);
  long v = 0;
  if (!s.Long(v) || !s.AtEnd()) return false;
  value = v;
  return true;
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

bool NextDouble(std::string_view& text, double& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && IsBlankChar(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // Mantissa and divisor are exact doubles (at most 2^53 and 10^22): their quotient is the
  // correctly rounded value of the text, which is what the general conversion gives.
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  uint64_t mantissa = 0;
  int digits = 0;
  int fraction = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits)
    mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
  if (p < end && *p == '.') {
    for (++p; p < end && *p >= '0' && *p <= '9'; ++p, ++digits, ++fraction)
      mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
  }
  const bool exponent = p < end && (*p == 'e' || *p == 'E');
  if (digits > 0 && digits <= 19 && fraction <= 22 && mantissa <= (uint64_t{1} << 53) &&
      !exponent) {
    const double v = static_cast<double>(mantissa) / kPowersOfTen[fraction];
    value = negative ? -v : v;
    text.remove_prefix(static_cast<size_t>(p - text.data()));
    return true;
  }
  FieldScanner general(text);
  if (!general.Double(value)) return false;
  text = general.Rest();
  return true;
}

}  // namespace tidora
