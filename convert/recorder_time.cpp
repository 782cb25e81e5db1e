#include "convert/recorder_time.h"

#include "datafile/calendar.h"

namespace tidora {
namespace {

const int64_t kDays2000 = DaysFromCivil(2000, 1, 1);

}  // namespace

std::tm Time2000ToTm(double seconds) {
  return GregorianTime(WholeSeconds(seconds), kDays2000);
}

double TmToTime2000(const std::tm& t) {
  const int64_t days = DaysFromCivil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday) - kDays2000;
  return static_cast<double>(days * kSecondsPerDay + t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec);
}

double TidewellAdjustRawTime(double raw, int startYear) {
  if (raw < kTidewellRawLimit && startYear >= 1990) {
    for (int y = 1990; y <= startYear; ++y) raw += kTidewellYearSeconds;
  }
  return raw;
}

std::tm TidewellTimeToTm(double seconds, double runStart) {
  return RecorderTime(seconds, runStart);
}

}  // namespace tidora
