#pragma once

// The calendars every part of the suite dates its times by: the Gregorian calendar (times from
// 1970, 1989 or 2000) and the recorder calendar of the older recorder, whose clock counts
// seconds from 1989-01-01 in years of 365 days.

#include <cstdint>
#include <ctime>

namespace tidora {

// ---- Gregorian calendar (proleptic) ----

inline constexpr int64_t kSecondsPerDay = 86400;

// a / b rounded towards minus infinity (b > 0).
int64_t FloorDiv(int64_t a, int64_t b);
// Days from 1970-01-01 to a date. Months outside 1..12 carry into the neighbouring years and
// days past a month's end run on into the next months, as mktime counts them.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day);
// The date `days` days after 1970-01-01 (month 1..12, day 1..31).
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day);
// Whole seconds of a time value: rounded down, 0 for a value that is no number, and kept
// within some 300 000 years so that every later step stays inside its integer type.
int64_t WholeSeconds(double t);
// The date and time `seconds` after the start of day `epochDays` (days from 1970), every
// field of the tm filled (week day and year day included).
std::tm GregorianTime(int64_t seconds, int64_t epochDays);

// ---- Recorder calendar ----

inline constexpr int kRecorderEpochYear = 1989;
inline constexpr int64_t kRecorderYearSeconds = 31536000;  // 365 days
// Leap years whose 29 February the recorder's clock does not know and the dates make up for.
inline constexpr int kFirstRecorderLeapYear = 1996;
inline constexpr int kLastRecorderLeapYear = 2032;

// Seconds of a date in the recorder calendar: 365-day years from 1989 (a year before 1990
// counts no years), February always of 28 days; a month past 12 counts as a whole year.
int64_t RecorderSeconds(int year, int month, int day, int hour, int minute, int second);

// Whether a time of the recorder's clock lies after a leap day that the run lived through.
// The clock goes from 28 February 23:59:59 straight to its "1 March 00:00:00", which in
// truth is 29 February: so the instant 28 February 23:59:59 itself is still 28 February,
// and only the times after it, of a run that started at or before it, are a day ahead.
bool RecorderLeapDayPassed(int64_t seconds, double runStart);

// Date of a time of the recorder's clock (whole seconds of `seconds`, none below 0). After a
// leap day the run lived through (see RecorderLeapDayPassed) one day is taken off, and the
// recorder's 28 February shows as 29 February.
std::tm RecorderTime(double seconds, double runStart);

}  // namespace tidora
