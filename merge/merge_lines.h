#pragma once

#include <string>

#include "datafile/textio.h"

namespace tidora {

// ---- Line reading ----

// Longest line the merge reads, line feed included.
inline constexpr size_t kMaxTextLine = 364;
// Longest tide data line of the layout, line end included.
inline constexpr size_t kMaxTideLine = 127;

// Reads one line up to and including its line end, at most kMaxTextLine characters, and
// drops the line feed; a carriage return, before a line feed or alone as the line end, stays
// part of the line. A line longer than the limit is cut: the rest of it up to its line end is
// skipped and `cut` is set, so a long line never turns into two. Returns false only at end of
// file.
bool ReadTextLine(TextLineReader& in, std::string& line, bool* cut = nullptr);

// ---- Time scale ----

// Seconds since 1 January 1989 00:00:00 on the Gregorian calendar. A year below 89 is 2000 +
// year, 89 up to 1899 is 1900 + year, 1900 and above as written. Months outside 1..12 and
// days past the month's end roll over, as a calendar would count them.
double TimeToSeconds(int month, int day, int year, int hour, int minute, int second);

// ---- Parsing; each returns the number of fields converted, as the C library's scanf ----

struct TideSample {
  int record = 0, month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  double pressure = 0;
  double Seconds() const { return TimeToSeconds(month, day, year, hour, minute, second); }
};
// " %d %d/%d/%d %d:%d:%d %lf"
int ParseTideLine(const std::string& line, TideSample& s);

struct BaroReading {
  int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  double pressure = 0;
  double Seconds() const { return TimeToSeconds(month, day, year, hour, minute, second); }
};
// " %d/%d/%d %d:%d:%d %lf"
int ParseBaroLine(const std::string& line, BaroReading& r);

// ---- Header ----

enum class TideFirstLine {
  kData,   // begins with an integer, or holds only blanks: no header
  kPsia,   // header of absolute pressure: replaced
  kPsi,    // barometric pressure already removed
  kOther,  // pressure is not the first column
};
TideFirstLine ClassifyTideFirstLine(const std::string& line);

// The output's unit line (without its line end): PSI or Meters and Deg C, then S/m when the
// input's first line is longer than 52 characters and PSU when longer than 62.
std::string MergeHeaderLine(bool waterDepth, size_t firstLineLength);

// ---- Rewriting ----

// Where the pressure field starts (0-based): right after the time, which is the third word
// of the line (28 in the layout, 26 in the older one; further right when the record number
// is wider). A line without that structure falls back to the fixed columns: 28, or 26 when
// its 27th character is a blank.
size_t PressureFieldStart(const std::string& line);
// Whether the line holds the whole pressure field (a trailing carriage return not counted).
bool HoldsPressureField(const std::string& line);
// The same, telling where the field lies: from `start` up to `end` (RewriteTideLine's field).
bool LocatePressureField(const std::string& line, size_t& start, size_t& end);
// Appends the line to `out` with its pressure field (from the end of the time to the end of
// the number after it; 11 characters in the fixed columns) replaced by value ("%11.4f") and
// a line feed; every other character, a carriage return included, is kept. The line must
// hold the pressure field.
void RewriteTideLine(const std::string& line, double value, std::string& out);
// The same with the field located by LocatePressureField.
void RewriteTideLine(const std::string& line, size_t start, size_t end, double value,
                     std::string& out);

}  // namespace tidora
