#include "datafile/fixed_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>

#include "datafile/textio.h"

namespace tidora::fixed_text {

char* PutFixedExact(char* out, double value, int width, int precision) {
  char buf[512];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
  size_t n = res.ec == std::errc() ? static_cast<size_t>(res.ptr - buf) : 0;
  if (n == 0) {
    // Only a value of more than 500 digits gets here; printf would print every digit.
    std::string e = FormatC("%.*e", precision, value);
    n = std::min(e.size(), sizeof buf - 1);
    e.copy(buf, n);
  }
  return PutPadded(out, buf, n, width);
}

char* PutDataDateTimeWide(char* out, const std::tm& t) {
  // A field printf would widen or sign.
  char buf[80];
  const int n = std::snprintf(buf, sizeof buf, "%02lld/%02lld/%04lld %02lld:%02lld:%02lld",
                              t.tm_mon + 1LL, static_cast<long long>(t.tm_mday), t.tm_year + 1900LL,
                              static_cast<long long>(t.tm_hour), static_cast<long long>(t.tm_min),
                              static_cast<long long>(t.tm_sec));
  std::memcpy(out, buf, static_cast<size_t>(n));
  return out + n;
}

}  // namespace tidora::fixed_text
