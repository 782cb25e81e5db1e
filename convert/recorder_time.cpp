#include "convert/recorder_time.h"

#include <cmath>
#include <cstdint>

namespace tidora {
namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

const int64_t kDays2000 = DaysFromCivil(2000, 1, 1);

int64_t WholeSeconds(double s) {
  if (!(s > -9e15 && s < 9e15)) return 0;
  return static_cast<int64_t>(std::floor(s));
}

}  // namespace

std::tm Time2000ToTm(double seconds) {
  int64_t s = WholeSeconds(seconds);
  int64_t days = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
  int64_t rem = s - days * 86400;
  std::tm t{};
  int y, m, d;
  CivilFromDays(kDays2000 + days, y, m, d);
  t.tm_year = y - 1900;
  t.tm_mon = m - 1;
  t.tm_mday = d;
  t.tm_hour = static_cast<int>(rem / 3600);
  t.tm_min = static_cast<int>(rem / 60 % 60);
  t.tm_sec = static_cast<int>(rem % 60);
  return t;
}

double TmToTime2000(const std::tm& t) {
  int64_t days = DaysFromCivil(t.tm_year + 1900, static_cast<unsigned>(t.tm_mon + 1),
                               static_cast<unsigned>(t.tm_mday)) -
                 kDays2000;
  return static_cast<double>(days * 86400 + t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec);
}

double TidewellAdjustRawTime(double raw, int startYear) {
  if (raw < kTidewellRawLimit && startYear >= 1990) {
    for (int y = 1990; y <= startYear; ++y) raw += kTidewellYearSeconds;
  }
  return raw;
}

std::tm TidewellTimeToTm(double seconds, double runStart) {
  bool dayTaken = false;
  for (int y = 1996; y <= 2032; y += 4) {
    double instant = (y - 1989) * kTidewellYearSeconds + 58 * 86400.0 + 86399.0;
    if (instant >= runStart && instant <= seconds) {
      dayTaken = true;
      break;
    }
  }
  if (dayTaken) seconds -= 86400.0;
  int64_t s = WholeSeconds(seconds);
  if (s < 0) s = 0;
  const int64_t year = static_cast<int64_t>(kTidewellYearSeconds);
  int64_t rem = s % year;
  int dayOfYear = static_cast<int>(rem / 86400);
  int64_t secs = rem % 86400;
  std::tm t{};
  t.tm_year = static_cast<int>(1989 + s / year) - 1900;
  int month = 0;
  while (month < 11 && dayOfYear >= kMonthDays[month]) dayOfYear -= kMonthDays[month++];
  t.tm_mon = month;
  t.tm_mday = dayOfYear + 1;
  t.tm_hour = static_cast<int>(secs / 3600);
  t.tm_min = static_cast<int>(secs / 60 % 60);
  t.tm_sec = static_cast<int>(secs % 60);
  if (dayTaken && (t.tm_year + 1900) % 4 == 0 && t.tm_mon == 1 && t.tm_mday == 28) t.tm_mday = 29;
  return t;
}

}  // namespace tidora
