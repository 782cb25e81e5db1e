#pragma once

// Fast text of the numbers the data files hold, byte for byte what printf writes in the C
// locale. Every Put function writes at `out` and returns the end of what it wrote; none writes
// a terminating zero. The buffer must hold max(width, kFixedTextLimit) bytes for a number.
// The common cases are inline, so that the writers of every library format a line without a
// call; the rare ones (near a tie, very large, not finite, odd calendar fields) are not.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace tidora {

inline constexpr int kFixedTextLimit = 560;

namespace fixed_text {

inline constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
// 10^0 to 10^19.
inline constexpr auto kIntegerPowersOfTen = [] {
  std::array<uint64_t, 20> t{};
  t[0] = 1;
  for (size_t i = 1; i < t.size(); ++i) t[i] = t[i - 1] * 10;
  return t;
}();

// Below 2^42 a product is within 2^-12 of the exact decimal value, so a fraction that is not
// within kTieZone of one half rounds the same way as the exact value.
inline constexpr double kFastLimit = 4398046511104.0;  // 2^42
inline constexpr double kTieZone = 1.0 / 1024;

// The decimal digits of n, at least `minDigits` of them, written backwards ending at `end`.
template <typename Unsigned>
char* DigitsBackwards(char* end, Unsigned n, int minDigits) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char* p = end;
  while (n >= 100) {
    const unsigned pair = static_cast<unsigned>(n % 100) * 2;
    n /= 100;
    *--p = kPairs[pair + 1];
    *--p = kPairs[pair];
  }
  if (n >= 10) {
    *--p = kPairs[n * 2 + 1];
    *--p = kPairs[n * 2];
  } else {
    *--p = static_cast<char>('0' + n);
  }
  while (end - p < minDigits) *--p = '0';
  return p;
}

inline int DigitCount(uint64_t n) {
  int digits = 1;
  while (digits < 20 && n >= kIntegerPowersOfTen[static_cast<size_t>(digits)]) ++digits;
  return digits;
}

// Copies text right-aligned in `width`.
inline char* PutPadded(char* out, const char* text, size_t n, int width) {
  if (static_cast<int>(n) < width) {
    const size_t pad = static_cast<size_t>(width) - n;
    std::memset(out, ' ', pad);
    out += pad;
  }
  std::memcpy(out, text, n);
  return out + n;
}

// The exact paths, for what the inline ones leave.
char* PutFixedExact(char* out, double value, int width, int precision);
char* PutDataDateTimeWide(char* out, const std::tm& t);

}  // namespace fixed_text

// printf("%<width>.<precision>f", value).
inline char* PutFixed(char* out, double value, int width, int precision) {
  using namespace fixed_text;
  if (precision < 0 || precision > 9) return PutFixedExact(out, value, width, precision);
  const double scaled = std::fabs(value) * kPowersOfTen[precision];
  if (!(scaled < kFastLimit)) return PutFixedExact(out, value, width, precision);
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) < kTieZone) return PutFixedExact(out, value, width, precision);
  const uint64_t n = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  const uint64_t unit = kIntegerPowersOfTen[static_cast<size_t>(precision)];
  const uint64_t integer = n / unit;
  const bool negative = std::signbit(value);
  const int length = (negative ? 1 : 0) + DigitCount(integer) + (precision > 0 ? precision + 1 : 0);
  for (int i = length; i < width; ++i) *out++ = ' ';
  char* const end = out + length;
  char* p = end;
  if (precision > 0) {
    // Below 10^9: the fraction's digits in 32-bit steps.
    p = DigitsBackwards(p, static_cast<uint32_t>(n - integer * unit), precision);
    *--p = '.';
  }
  if (integer <= UINT32_MAX) {
    p = DigitsBackwards(p, static_cast<uint32_t>(integer), 1);
  } else {
    p = DigitsBackwards(p, integer, 1);
  }
  if (negative) *--p = '-';
  return end;
}

// printf("%<width>ld", value).
inline char* PutInteger(char* out, long value, int width = 0) {
  char text[32];
  char* const end = text + sizeof text;
  const uint64_t magnitude =
      value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char* p = fixed_text::DigitsBackwards(end, magnitude, 1);
  if (value < 0) *--p = '-';
  return fixed_text::PutPadded(out, p, static_cast<size_t>(end - p), width);
}

// "%02d/%02d/%04d %02d:%02d:%02d" (month/day/year hour:minute:second).
inline char* PutDataDateTime(char* out, const std::tm& t) {
  // In long long: tm_year + 1900 may be beyond int.
  const long long year = t.tm_year + 1900LL;
  const long long fields[] = {t.tm_mon + 1LL, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
  bool plain = year >= 0 && year <= 9999;
  for (long long f : fields) plain = plain && f >= 0 && f <= 99;
  if (!plain) return fixed_text::PutDataDateTimeWide(out, t);
  auto two = [&out](long long v, char after) {
    out[0] = static_cast<char>('0' + v / 10);
    out[1] = static_cast<char>('0' + v % 10);
    out[2] = after;
    out += 3;
  };
  two(fields[0], '/');
  two(fields[1], '/');
  two(year / 100, static_cast<char>('0' + year / 10 % 10));
  *out++ = static_cast<char>('0' + year % 10);
  *out++ = ' ';
  two(fields[2], ':');
  two(fields[3], ':');
  two(fields[4], ' ');
  return out - 1;
}

}  // namespace tidora
