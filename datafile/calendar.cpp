#include "datafile/calendar.h"

#include <algorithm>
#include <cmath>

namespace tidora {
namespace {

constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
constexpr int kRecorderMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Week day and day of the year of a date `absDays` days from 1970 in `year`.
void SetWeekAndYearDay(std::tm& t, int64_t absDays, int64_t year) {
  t.tm_wday = static_cast<int>(((absDays % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  t.tm_yday = static_cast<int>(absDays - DaysFromCivil(year, 1, 1));
}

}  // namespace

int64_t FloorDiv(int64_t a, int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  const int64_t yearsCarried = FloorDiv(m - 1, 12);
  y += yearsCarried;
  m -= 12 * yearsCarried;
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

int64_t WholeSeconds(double t) {
  if (!std::isfinite(t)) return 0;
  t = std::clamp(t, -1e13, 1e13);
  return static_cast<int64_t>(std::floor(t));
}

std::tm GregorianTime(int64_t seconds, int64_t epochDays) {
  const int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const int64_t rem = seconds - days * kSecondsPerDay;
  const int64_t absDays = epochDays + days;
  int64_t y;
  int m, d;
  CivilFromDays(absDays, y, m, d);
  std::tm t{};
  t.tm_sec = static_cast<int>(rem % 60);
  t.tm_min = static_cast<int>(rem / 60 % 60);
  t.tm_hour = static_cast<int>(rem / 3600);
  t.tm_mday = d;
  t.tm_mon = m - 1;
  t.tm_year = static_cast<int>(y - 1900);
  SetWeekAndYearDay(t, absDays, y);
  return t;
}

int64_t RecorderSeconds(int year, int month, int day, int hour, int minute, int second) {
  int64_t s =
      year > kRecorderEpochYear ? (int64_t{year} - kRecorderEpochYear) * kRecorderYearSeconds : 0;
  int64_t days = (month >= 1 && month <= 12) ? kDaysBeforeMonth[month - 1] : (month > 12 ? 365 : 0);
  days += int64_t{day} - 1;
  return s + days * kSecondsPerDay + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
}

bool RecorderLeapDayPassed(int64_t seconds, double runStart) {
  for (int year = kFirstRecorderLeapYear; year <= kLastRecorderLeapYear; year += 4) {
    const int64_t instant = RecorderSeconds(year, 2, 28, 23, 59, 59);
    if (static_cast<double>(instant) >= runStart && instant < seconds) return true;
  }
  return false;
}

std::tm RecorderTime(double seconds, double runStart) {
  int64_t s = std::max<int64_t>(0, WholeSeconds(seconds));
  const bool dayTaken = RecorderLeapDayPassed(s, runStart);
  if (dayTaken) s -= kSecondsPerDay;
  const int64_t year = kRecorderEpochYear + s / kRecorderYearSeconds;
  const int64_t rem = s % kRecorderYearSeconds;
  int dayOfYear = static_cast<int>(rem / kSecondsPerDay);
  const int64_t secs = rem % kSecondsPerDay;
  int month = 0;
  while (month < 11 && dayOfYear >= kRecorderMonthDays[month])
    dayOfYear -= kRecorderMonthDays[month++];
  int day = dayOfYear + 1;
  if (dayTaken && year % 4 == 0 && month == 1 && day == 28) day = 29;
  std::tm t{};
  t.tm_sec = static_cast<int>(secs % 60);
  t.tm_min = static_cast<int>(secs / 60 % 60);
  t.tm_hour = static_cast<int>(secs / 3600);
  t.tm_mday = day;
  t.tm_mon = month;
  t.tm_year = static_cast<int>(year - 1900);
  SetWeekAndYearDay(t, DaysFromCivil(year, month + 1, day), year);
  return t;
}

}  // namespace tidora
