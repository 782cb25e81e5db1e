#pragma once

#include <ctime>

#include "datafile/calendar.h"

namespace tidora {

// The recorders' time bases.

// TGR 41plus and TGR 77 BPR: seconds since 2000-01-01 00:00:00, Gregorian calendar.
std::tm Time2000ToTm(double seconds);
double TmToTime2000(const std::tm& t);

// The older recorder: seconds since 1989-01-01 00:00:00 in 365-day years.
inline constexpr double kTidewellYearSeconds = static_cast<double>(kRecorderYearSeconds);
// Raw times below this count from the start of the start year.
inline constexpr double kTidewellRawLimit = 63000000.0;

// A raw time below the limit moved to the 1989-based count: one year for every year from 1990
// up to the start year (none when the start year is before 1990).
double TidewellAdjustRawTime(double raw, int startYear);

// Date of a time in the 1989-based calendar (see RecorderTime): the recorder's clock knows no
// leap days, so a time after the last second of 28 February of a leap year the run lived
// through is dated a day earlier, and the recorder's 28 February shows as 29 February.
std::tm TidewellTimeToTm(double seconds, double runStart);

}  // namespace tidora
