#include "merge/merge_lines.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "datafile/calendar.h"
#include "datafile/textio.h"

namespace tidora {

bool ReadTextLine(TextLineReader& in, std::string& line, bool* cut) {
  return in.ReadLineKeepingCr(line, kMaxTextLine, cut);
}

namespace {

const int64_t kOriginDays = DaysFromCivil(1989, 1, 1);

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
  FieldScanner sc(line);
  int n = 0;
  if (!sc.ClampedInt(s.record)) return n;
  ++n;
  if (!sc.ClampedInt(s.month)) return n;
  ++n;
  if (!sc.Literal('/') || !sc.ClampedInt(s.day)) return n;
  ++n;
  if (!sc.Literal('/') || !sc.ClampedInt(s.year)) return n;
  ++n;
  if (!sc.ClampedInt(s.hour)) return n;
  ++n;
  if (!sc.Literal(':') || !sc.ClampedInt(s.minute)) return n;
  ++n;
  if (!sc.Literal(':') || !sc.ClampedInt(s.second)) return n;
  ++n;
  if (!sc.Double(s.pressure)) return n;
  return n + 1;
}

int ParseBaroLine(const std::string& line, BaroReading& r) {
  FieldScanner sc(line);
  int n = 0;
  if (!sc.ClampedInt(r.month)) return n;
  ++n;
  if (!sc.Literal('/') || !sc.ClampedInt(r.day)) return n;
  ++n;
  if (!sc.Literal('/') || !sc.ClampedInt(r.year)) return n;
  ++n;
  if (!sc.ClampedInt(r.hour)) return n;
  ++n;
  if (!sc.Literal(':') || !sc.ClampedInt(r.minute)) return n;
  ++n;
  if (!sc.Literal(':') || !sc.ClampedInt(r.second)) return n;
  ++n;
  if (!sc.Double(r.pressure)) return n;
  return n + 1;
}

TideFirstLine ClassifyTideFirstLine(const std::string& line) {
  if (IsBlankLine(line)) return TideFirstLine::kData;
  FieldScanner sc(line);
  int record;
  std::string token;
  if (sc.ClampedInt(record) || !sc.Word(token)) return TideFirstLine::kData;
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

namespace {

// The pressure field follows the time: record number, date and time are found by the line's
// own words, so a record number wider than six digits moves the field with it.
bool FindPressureField(const std::string& line, size_t& start, size_t& end) {
  size_t i = 0;
  auto blanks = [&] {
    while (i < line.size() && IsBlankChar(line[i])) ++i;
  };
  auto word = [&] {
    size_t b = i;
    while (i < line.size() && !IsBlankChar(line[i])) ++i;
    return i > b;
  };
  blanks();
  if (!word()) return false;  // record number
  blanks();
  if (!word()) return false;  // date
  blanks();
  const size_t timeStart = i;
  if (!word()) return false;  // time
  if (std::count(line.begin() + static_cast<long>(timeStart), line.begin() + static_cast<long>(i),
                 ':') != 2)
    return false;
  start = i;
  blanks();
  if (!word()) return false;  // pressure
  end = i;
  return true;
}

// Whether a word follows position `i` of the line.
bool WordFollows(const std::string& line, size_t i) {
  while (i < line.size() && IsBlankChar(line[i])) ++i;
  return i < line.size() && line[i] != '\r';
}

}  // namespace

size_t PressureFieldStart(const std::string& line) {
  size_t start, end;
  if (FindPressureField(line, start, end)) return start;
  return line.size() >= 27 && line[26] == ' ' ? 26 : 28;
}

bool LocatePressureField(const std::string& line, size_t& start, size_t& end) {
  // "%11.4f" never writes less; a narrower pressure with more columns behind it (a hand-edited
  // line) is still that word, and only that word is replaced.
  if (FindPressureField(line, start, end)) return end - start >= 11 || WordFollows(line, end);
  start = line.size() >= 27 && line[26] == ' ' ? 26 : 28;
  end = start + 11;
  size_t n = line.size();
  if (n > 0 && line[n - 1] == '\r') --n;
  return n >= end;
}

bool HoldsPressureField(const std::string& line) {
  size_t start, end;
  return LocatePressureField(line, start, end);
}

void RewriteTideLine(const std::string& line, double value, std::string& out) {
  size_t start, end;
  LocatePressureField(line, start, end);
  RewriteTideLine(line, start, end, value, out);
}

void RewriteTideLine(const std::string& line, size_t start, size_t end, double value,
                     std::string& out) {
  out.append(line, 0, start);
  AppendFixed(out, value, 11, 4);
  if (line.size() > end) out.append(line, end, std::string::npos);
  out.push_back('\n');
}

}  // namespace tidora
