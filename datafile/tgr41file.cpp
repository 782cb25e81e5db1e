#include "datafile/tgr41file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <new>
#include <typeinfo>

#include "outside/utility.h"

namespace tidora {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  // Months outside 1..12 carry into the year, as mktime does.
  int64_t m0 = m - 1;
  y += m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
  m = m0 - 12 * (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12)) + 1;
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = yoe + era * 400;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y += m <= 2;
}

// Whole seconds of a time value, kept within some 300 000 years so that every later step
// stays inside its integer type.
int64_t WholeSeconds(double t) {
  if (!std::isfinite(t)) return 0;
  t = std::clamp(t, -1e13, 1e13);
  return static_cast<int64_t>(std::floor(t));
}

int64_t FloorDiv(int64_t a, int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Fills a tm from seconds counted from the start of the day `epochDays` (days from 1970).
void FillGregorian(int64_t seconds, int64_t epochDays, std::tm* out) {
  int64_t days = FloorDiv(seconds, 86400);
  int64_t rem = seconds - days * 86400;
  int64_t y;
  int m, d;
  CivilFromDays(epochDays + days, y, m, d);
  *out = std::tm{};
  out->tm_sec = static_cast<int>(rem % 60);
  out->tm_min = static_cast<int>(rem / 60 % 60);
  out->tm_hour = static_cast<int>(rem / 3600);
  out->tm_mday = d;
  out->tm_mon = m - 1;
  out->tm_year = static_cast<int>(y - 1900);
  int64_t absDays = epochDays + days;
  out->tm_wday = static_cast<int>(((absDays % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  out->tm_yday = static_cast<int>(absDays - DaysFromCivil(y, 1, 1));
}

constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kMaxSubTitles = 1 << 22;

}  // namespace

// ---- DataArrays ----

float ToFloat(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (value > kMax) return std::numeric_limits<float>::infinity();
  if (value < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

void DataArrays::Want(int id, bool yes) {
  if (id >= 0 && id < kMaxDataTypes) wanted[id] = yes;
}

double DataArrays::Get(int id, size_t index) const {
  if (id < 0 || id >= kMaxDataTypes) return 0;
  if (IsTimeId(id)) return index < times[id].size() ? times[id][index] : 0;
  return index < values[id].size() ? values[id][index] : 0;
}

void DataArrays::Store(int id, size_t index, double value) {
  if (!Wants(id)) return;
  if (IsTimeId(id)) {
    if (index >= times[id].size()) times[id].resize(index + 1);
    times[id][index] = value;
  } else {
    if (index >= values[id].size()) values[id].resize(index + 1);
    values[id][index] = ToFloat(value);
  }
}

void DataArrays::UpdateRange(int id, double value, bool first) {
  if (!Wants(id)) return;
  if (first || !hasRange[id]) {
    minimum[id] = maximum[id] = value;
    hasRange[id] = true;
    return;
  }
  minimum[id] = std::min(minimum[id], value);
  maximum[id] = std::max(maximum[id], value);
}

// ---- Calendar seconds ----

double CalendarSeconds(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                       int64_t second) {
  return static_cast<double>(DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
                             second);
}

double CalendarSeconds(const std::tm& t) {
  return CalendarSeconds(int64_t{t.tm_year} + 1900, int64_t{t.tm_mon} + 1, t.tm_mday, t.tm_hour,
                         t.tm_min, t.tm_sec);
}

std::tm CalendarTime(double seconds) {
  std::tm t{};
  FillGregorian(WholeSeconds(seconds), 0, &t);
  return t;
}

// ---- CTGR41File ----

CTGR41File::CTGR41File() {
  for (size_t i = 0; i < leapInstants_.size(); ++i)
    leapInstants_[i] = DateTimeToSec(1996 + 4 * static_cast<int>(i), 2, 28, 23, 59, 59);
}

CTGR41File::~CTGR41File() = default;

int CTGR41File::GetSecondaryXVariableNames(std::vector<std::string>&) {
  return 0;
}
int CTGR41File::GetSecondaryYVariableNames(std::vector<std::string>&) {
  return 0;
}
int CTGR41File::ReadData(DataArrays&, int, int&) {
  return 0;
}
int CTGR41File::SkipAtStart(int) {
  return 1;
}

std::vector<int> CTGR41File::IdsOfNames(const std::vector<std::string>& names) {
  std::vector<int> ids;
  for (const std::string& n : names) {
    int id = -1;
    if (GetID_FromDataName(id, n)) ids.push_back(id);
  }
  return ids;
}

std::vector<int> CTGR41File::GetReadableVariableIDs() {
  std::vector<std::string> names, more;
  GetAvailableXVariableNames(names);
  GetAvailableYVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  more.clear();
  GetSecondaryXVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  more.clear();
  GetSecondaryYVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  return IdsOfNames(names);
}

void CTGR41File::CopyHeaderFrom(const CTGR41File& o) {
  xNames_ = o.xNames_;
  yNames_ = o.yNames_;
  numRows_ = o.numRows_;
  fileId_ = o.fileId_;
  numYColumns_ = o.numYColumns_;
  numXColumns_ = o.numXColumns_;
  numValueColumns_ = o.numValueColumns_;
  defaultVarIds_ = o.defaultVarIds_;
  startTime_ = o.startTime_;
  timeFrom2000_ = o.timeFrom2000_;
}

bool CTGR41File::OpenFile(const std::string& path) {
  CloseFile();
  if (!file_.Open(path)) return false;
  path_ = path;
  dataError_.clear();
  return true;
}

void CTGR41File::SetDataError(const std::string& what, int64_t lineStart) {
  // Counted on a second reading: only a damaged file gets here, and the readers seek.
  long line = 1;
  TextLineReader count;
  std::string text;
  if (count.Open(path_))
    while (count.Tell() < lineStart && count.ReadLine(text, 0)) ++line;
  dataError_ = what + " on line " + std::to_string(line) + " of " + path_;
}

void CTGR41File::CloseFile() {
  file_.Close();
  path_.clear();
}

int CTGR41File::GetDefaultVarID(int index) const {
  if (index < 1 || index > 4) return kNoVariableId;
  return defaultVarIds_[static_cast<size_t>(index - 1)];
}

void CTGR41File::SetnSubTitles(int n) {
  if (n < 0) n = 0;
  if (!subTitlesMade_) {
    subTitlesMade_ = true;
    nSubTitles_ = n;
    subTitles_.clear();
    return;
  }
  if (n > nSubTitles_) nSubTitles_ = n;
  size_t clear = std::min(static_cast<size_t>(n), subTitles_.size());
  for (size_t i = 0; i < clear; ++i) subTitles_[i].clear();
}

std::string CTGR41File::GetSubTitle(int i) const {
  if (i < 0 || static_cast<size_t>(i) >= subTitles_.size()) return std::string();
  return subTitles_[static_cast<size_t>(i)];
}

void CTGR41File::SetSubTitle(int i, const std::string& text) {
  if (i < 0 || i >= kMaxSubTitles) return;
  try {
    if (static_cast<size_t>(i) >= subTitles_.size()) subTitles_.resize(static_cast<size_t>(i) + 1);
    subTitles_[static_cast<size_t>(i)] = text;
    if (i >= nSubTitles_) nSubTitles_ = i + 1;
    subTitlesMade_ = true;
  } catch (const std::bad_alloc&) {
    BRUtility::CDiagnostics::Log("\nCTGR41File::SetnSubTitles failed to allocate an array\n");
  }
}

// ---- Calendars ----

unsigned long CTGR41File::DateTimeToSec(int year, int month, int day, int hour, int minute,
                                        int second) {
  int64_t s = year >= 1990 ? (int64_t{year} - 1989) * 31536000 : 0;
  int64_t days = (month >= 1 && month <= 12) ? kDaysBeforeMonth[month - 1] : (month > 12 ? 365 : 0);
  days += int64_t{day} - 1;
  s += days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
  return static_cast<unsigned long>(s);
}

bool CTGR41File::IsLeapYear(unsigned long t) const {
  // The instant itself is the last second of February 28: only later times have passed the
  // leap day.
  for (unsigned long instant : leapInstants_)
    if (static_cast<double>(instant) >= startTime_ && instant < t) return true;
  return false;
}

void CTGR41File::AddP41Time(double t, std::tm* out) const {
  if (!out) return;
  if (timeFrom2000_) {
    FillGregorian(WholeSeconds(t), DaysFromCivil(2000, 1, 1), out);
    return;
  }
  int64_t whole = std::max<int64_t>(0, WholeSeconds(t));
  unsigned long ut = static_cast<unsigned long>(whole);
  bool dayTaken = false;
  if (IsLeapYear(ut) && ut >= 86400) {
    ut -= 86400;
    dayTaken = true;
  }
  // Add to the base with carries; February always has 28 days in this calendar.
  unsigned long total = ut + static_cast<unsigned long>(baseSec_) +
                        static_cast<unsigned long>(baseMin_) * 60 +
                        static_cast<unsigned long>(baseHour_) * 3600;
  int sec = static_cast<int>(total % 60);
  total /= 60;
  int min = static_cast<int>(total % 60);
  total /= 60;
  int hour = static_cast<int>(total % 24);
  unsigned long days = total / 24 + static_cast<unsigned long>(baseDay_ - 1);
  int64_t year = baseYear_;
  int mon = baseMonth_;
  // Whole years first (365 days from any month start back to the same month), then months.
  year += static_cast<int64_t>(days / 365);
  days %= 365;
  while (days >= static_cast<unsigned long>(kDaysInMonth[mon])) {
    days -= static_cast<unsigned long>(kDaysInMonth[mon]);
    if (++mon == 12) {
      mon = 0;
      ++year;
    }
  }
  int mday = static_cast<int>(days) + 1;
  if (dayTaken && (year + 1900) % 4 == 0 && mon == 1 && mday == 28) mday = 29;
  *out = std::tm{};
  out->tm_sec = sec;
  out->tm_min = min;
  out->tm_hour = hour;
  out->tm_mday = mday;
  out->tm_mon = mon;
  out->tm_year = static_cast<int>(year);
  int64_t absDays = DaysFromCivil(year + 1900, mon + 1, mday);
  out->tm_wday = static_cast<int>(((absDays % 7) + 11) % 7);
  out->tm_yday = static_cast<int>(absDays - DaysFromCivil(year + 1900, 1, 1));
}

void CTGR41File::SecToTm(double t, std::tm* out) {
  if (out) FillGregorian(WholeSeconds(t), DaysFromCivil(1989, 1, 1), out);
}

// ---- Object helpers ----

bool CopyFileObject(CTGR41File* dst, const CTGR41File* src) {
  if (!FileObjectsAreSameType(dst, src)) return false;
  if (dst != src) dst->CopyHeaderFrom(*src);
  return true;
}

bool FileObjectsAreSameType(const CTGR41File* a, const CTGR41File* b) {
  return a && b && typeid(*a) == typeid(*b);
}

bool FileObjectsEqual(const CTGR41File* a, const CTGR41File* b) {
  return FileObjectsAreSameType(a, b);
}

bool operator==(const CTGR41File&, const CTGR41File&) {
  return true;
}
bool operator!=(const CTGR41File& a, const CTGR41File& b) {
  return !(a == b);
}

int FileIdFromExtension(const std::string& path) {
  std::string ext;
  ExtractExtension(path, ext);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (ext == "TID") return kTideFileId;
  if (ext == "WB") return kWaveBurstFileId;
  if (ext == "WAS") return kWasFileId;
  if (ext == "WTS") return kWtsFileId;
  if (ext == "WT") return kWtFileId;
  return -1;
}

}  // namespace tidora
