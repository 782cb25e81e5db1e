#include "merge/merge_lines.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace tidora {

bool ReadTextLine(std::FILE* f, std::string& line, bool* cut) {
  line.clear();
  if (cut) *cut = false;
  int c = getc_unlocked(f);
  if (c == EOF) return false;
  while (c != EOF && c != '\n') {
    if (line.size() < kMaxTextLine) {
      line.push_back(static_cast<char>(c));
    } else if (cut) {
      *cut = true;
    }
    c = getc_unlocked(f);
  }
  return true;
}

namespace {

// Days from 1970-01-01 to a Gregorian date; any month and day, in 64 bits so that no input
// can overflow.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  // Months outside 1..12 roll into the neighbouring years.
  int64_t m0 = m - 1;
  y += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
  m0 -= (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12)) * 12;
  m = m0 + 1;
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

const int64_t kOriginDays = DaysFromCivil(1989, 1, 1);

// The pieces of the scanf patterns the merge uses: "%d" and "%lf" skip blanks first, a blank
// in the pattern skips any number of blanks, other characters must match exactly.
struct Scanner {
  const char* p;
  void SkipSpace() {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
  }
  bool Int(int& out) {
    SkipSpace();
    const char* q = p;
    if (*q == '+' || *q == '-') ++q;
    if (!std::isdigit(static_cast<unsigned char>(*q))) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(p, &end, 10);
    if (v > INT_MAX) v = INT_MAX;
    if (v < INT_MIN) v = INT_MIN;
    out = static_cast<int>(v);
    p = end;
    return true;
  }
  bool Double(double& out) {
    SkipSpace();
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p) return false;
    out = v;
    p = end;
    return true;
  }
  bool Char(char c) {
    if (*p != c) return false;
    ++p;
    return true;
  }
};

}  // namespace

double TimeToSeconds(int month, int day, int year, int hour, int minute, int second) {
  int64_t y = year;
  if (y < 89)
    y += 2000;
  else if (y < 1900)
    y += 1900;
  int64_t days = DaysFromCivil(y, month, day) - kOriginDays;
  return static_cast<double>(days) * 86400.0 +
         static_cast<double>(int64_t{hour} * 3600 + int64_t{minute} * 60 + second);
}

int ParseTideLine(const std::string& line, TideSample& s) {
  Scanner sc{line.c_str()};
  int n = 0;
  if (!sc.Int(s.record)) return n;
  ++n;
  if (!sc.Int(s.month)) return n;
  ++n;
  if (!sc.Char('/') || !sc.Int(s.day)) return n;
  ++n;
  if (!sc.Char('/') || !sc.Int(s.year)) return n;
  ++n;
  if (!sc.Int(s.hour)) return n;
  ++n;
  if (!sc.Char(':') || !sc.Int(s.minute)) return n;
  ++n;
  if (!sc.Char(':') || !sc.Int(s.second)) return n;
  ++n;
  if (!sc.Double(s.pressure)) return n;
  return n + 1;
}

int ParseBaroLine(const std::string& line, BaroReading& r) {
  Scanner sc{line.c_str()};
  int n = 0;
  if (!sc.Int(r.month)) return n;
  ++n;
  if (!sc.Char('/') || !sc.Int(r.day)) return n;
  ++n;
  if (!sc.Char('/') || !sc.Int(r.year)) return n;
  ++n;
  if (!sc.Int(r.hour)) return n;
  ++n;
  if (!sc.Char(':') || !sc.Int(r.minute)) return n;
  ++n;
  if (!sc.Char(':') || !sc.Int(r.second)) return n;
  ++n;
  if (!sc.Double(r.pressure)) return n;
  return n + 1;
}

TideFirstLine ClassifyTideFirstLine(const std::string& line) {
  Scanner sc{line.c_str()};
  int record;
  sc.SkipSpace();
  if (*sc.p == '\0' || sc.Int(record)) return TideFirstLine::kData;
  const char* end = sc.p;
  while (*end && !std::isspace(static_cast<unsigned char>(*end))) ++end;
  std::string token(sc.p, end);
  if (token == "PSI") return TideFirstLine::kPsi;
  if (token.size() == 4) {
    std::string upper;
    for (char c : token)
      upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (upper == "PSIA") return TideFirstLine::kPsia;
  }
  return TideFirstLine::kOther;
}

std::string MergeHeaderLine(bool waterDepth, size_t firstLineLength) {
  std::string h = waterDepth ? std::string(31, ' ') + "Meters" : std::string(34, ' ') + "PSI";
  h += "      Deg C";
  if (firstLineLength > 52) h += "        S/m";
  if (firstLineLength > 62) h += "        PSU";
  return h;
}

size_t PressureFieldStart(const std::string& line) {
  return line.size() >= 27 && line[26] == ' ' ? 26 : 28;
}

bool HoldsPressureField(const std::string& line) {
  size_t n = line.size();
  if (n > 0 && line[n - 1] == '\r') --n;
  return n >= PressureFieldStart(line) + 11;
}

void RewriteTideLine(const std::string& line, double value, std::string& out) {
  size_t k = PressureFieldStart(line);
  // "%11.4f" of the largest double needs a little over 300 characters.
  char field[400];
  int n = std::snprintf(field, sizeof field, "%11.4f", value);
  if (n < 0) n = 0;
  if (static_cast<size_t>(n) >= sizeof field) n = sizeof field - 1;
  out.append(line, 0, k);
  out.append(field, static_cast<size_t>(n));
  if (line.size() > k + 11) out.append(line, k + 11, std::string::npos);
  out.push_back('\n');
}

}  // namespace tidora
