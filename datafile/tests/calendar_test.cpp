// The calendars: Gregorian day arithmetic against a plain day-by-day count, and the recorder
// calendar's leap days at the instant the recorder's clock passes them.
#include "datafile/calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "datafile/tgr41file.h"

namespace tidora {
namespace {

std::string Text(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

bool IsGregorianLeap(int64_t y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

TEST(GregorianCalendar, EveryDayFrom1600To2400FollowsTheDayBefore) {
  const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int64_t days = DaysFromCivil(1600, 1, 1);
  EXPECT_EQ(days, -135140);
  int weekDay = GregorianTime(days * kSecondsPerDay, 0).tm_wday;
  EXPECT_EQ(weekDay, 6);  // 1 January 1600 was a Saturday
  for (int64_t y = 1600; y < 2400; ++y) {
    int yearDay = 0;
    for (int m = 1; m <= 12; ++m) {
      const int length = monthDays[m - 1] + (m == 2 && IsGregorianLeap(y) ? 1 : 0);
      for (int d = 1; d <= length; ++d, ++days, ++yearDay) {
        ASSERT_EQ(DaysFromCivil(y, m, d), days) << y << "-" << m << "-" << d;
        int64_t cy;
        int cm, cd;
        CivilFromDays(days, cy, cm, cd);
        ASSERT_TRUE(cy == y && cm == m && cd == d) << days;
        const std::tm t = GregorianTime(days * kSecondsPerDay + 86399, 0);
        ASSERT_EQ(t.tm_yday, yearDay);
        ASSERT_EQ(t.tm_wday, weekDay);
        ASSERT_EQ(t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec, 86399);
        weekDay = (weekDay + 1) % 7;
      }
    }
  }
}

TEST(GregorianCalendar, OutOfRangeFieldsCarryAndHugeTimesStayInRange) {
  EXPECT_EQ(DaysFromCivil(2004, 13, 1), DaysFromCivil(2005, 1, 1));
  EXPECT_EQ(DaysFromCivil(2004, 0, 1), DaysFromCivil(2003, 12, 1));
  EXPECT_EQ(DaysFromCivil(2004, -11, 1), DaysFromCivil(2003, 1, 1));
  EXPECT_EQ(DaysFromCivil(2004, 2, 30), DaysFromCivil(2004, 3, 1));
  EXPECT_EQ(DaysFromCivil(2004, 1, 0), DaysFromCivil(2003, 12, 31));
  EXPECT_EQ(WholeSeconds(-0.5), -1);
  EXPECT_EQ(WholeSeconds(1e300), WholeSeconds(1e13));
  EXPECT_EQ(WholeSeconds(std::nan("")), 0);
  EXPECT_EQ(Text(GregorianTime(-1, DaysFromCivil(2000, 1, 1))), "1999-12-31 23:59:59");
}

// The last second of 28 February of a leap year on the recorder's clock.
int64_t LeapInstant(int year) {
  return RecorderSeconds(year, 2, 28, 23, 59, 59);
}

TEST(RecorderCalendar, EveryLeapInstantIsStillTheTwentyEighth) {
  for (int year = kFirstRecorderLeapYear; year <= kLastRecorderLeapYear; year += 4) {
    const int64_t instant = LeapInstant(year);
    const double start = static_cast<double>(instant - 40 * kSecondsPerDay);
    const std::string y = std::to_string(year);
    EXPECT_FALSE(RecorderLeapDayPassed(instant, start)) << year;
    EXPECT_TRUE(RecorderLeapDayPassed(instant + 1, start)) << year;
    EXPECT_EQ(Text(RecorderTime(instant - 1, start)), y + "-02-28 23:59:58");
    EXPECT_EQ(Text(RecorderTime(instant, start)), y + "-02-28 23:59:59");
    EXPECT_EQ(Text(RecorderTime(instant + 1, start)), y + "-02-29 00:00:00");
    EXPECT_EQ(Text(RecorderTime(instant + 1 + kSecondsPerDay, start)), y + "-03-01 00:00:00");
    // The run started at the instant: it lives through the leap day; one second later: not.
    EXPECT_EQ(Text(RecorderTime(instant + 1, instant)), y + "-02-29 00:00:00");
    EXPECT_EQ(Text(RecorderTime(instant + 1, instant + 1)), y + "-03-01 00:00:00");
  }
  // No leap day outside the leap years the recorder was made for.
  const int64_t after = RecorderSeconds(2036, 3, 1, 0, 0, 0);
  EXPECT_EQ(Text(RecorderTime(after, after - 86400 * 40)), "2036-03-01 00:00:00");
  const int64_t before = RecorderSeconds(1992, 3, 1, 0, 0, 0);
  EXPECT_EQ(Text(RecorderTime(before, before - 86400 * 40)), "1992-03-01 00:00:00");
}

TEST(RecorderCalendar, TheDataFileReaderDatesTheLeapInstantAsTheCalendarDoes) {
  auto reader = CreateFileObject(kWaveBurstFileId);
  const int64_t instant = LeapInstant(2004);
  reader->SetStartTime(static_cast<double>(instant - 10 * kSecondsPerDay));
  std::tm t{};
  for (int64_t s : {instant - 1, instant, instant + 1}) {
    reader->AddP41Time(static_cast<double>(s), &t);
    EXPECT_EQ(Text(t), Text(RecorderTime(static_cast<double>(s), instant - 10 * 86400.0)));
  }
  reader->AddP41Time(static_cast<double>(instant), &t);
  EXPECT_EQ(Text(t), "2004-02-28 23:59:59");
  EXPECT_EQ(t.tm_yday, 58);
  EXPECT_EQ(t.tm_wday, 6);  // a Saturday
  reader->AddP41Time(static_cast<double>(instant + 1), &t);
  EXPECT_EQ(Text(t), "2004-02-29 00:00:00");
  EXPECT_EQ(t.tm_yday, 59);
  EXPECT_EQ(t.tm_wday, 0);
}

TEST(Calendars, TidewellSecondsHaveYearsOf365Days) {
  EXPECT_EQ(CTGR41File::DateTimeToSec(1989, 1, 1, 0, 0, 0), 0u);
  EXPECT_EQ(CTGR41File::DateTimeToSec(1990, 1, 1, 0, 0, 1), 31536001u);
  EXPECT_EQ(CTGR41File::DateTimeToSec(1996, 3, 1, 1, 2, 3), 7 * 31536000ul + 59 * 86400ul + 3723ul);
  EXPECT_EQ(CTGR41File::DateTimeToSec(1985, 1, 2, 0, 0, 0), 86400u);  // before 1990: no years
}

TEST(Calendars, TidewellDatesGainTheLeapDayAfterItPassed) {
  CTGR41File* f = nullptr;
  auto reader = CreateFileObject(kWaveBurstFileId);
  f = reader.get();
  const unsigned long start = CTGR41File::DateTimeToSec(1996, 1, 1, 0, 0, 0);
  f->SetStartTime(start);
  std::tm t{};
  auto at = [&](double days) {
    f->AddP41Time(start + days * 86400, &t);
    return Text(t);
  };
  EXPECT_EQ(at(58.5), "1996-02-28 12:00:00");
  EXPECT_EQ(at(59 - 1.0 / 86400), "1996-02-28 23:59:59");  // the instant itself
  EXPECT_EQ(at(59), "1996-02-29 00:00:00");
  EXPECT_EQ(at(59.5), "1996-02-29 12:00:00");
  EXPECT_EQ(at(60), "1996-03-01 00:00:00");
  EXPECT_EQ(at(366), "1997-01-01 00:00:00");
  // A deployment that starts after the leap day counts no leap day.
  f->SetStartTime(CTGR41File::DateTimeToSec(1996, 6, 1, 0, 0, 0));
  f->AddP41Time(CTGR41File::DateTimeToSec(1996, 7, 4, 10, 0, 0), &t);
  EXPECT_EQ(Text(t), "1996-07-04 10:00:00");
  f->AddP41Time(0, &t);
  EXPECT_EQ(Text(t), "1989-01-01 00:00:00");
}

TEST(Calendars, TimesFrom2000AreGregorian) {
  auto f = CreateFileObject(kWaveBurstFileId);
  f->Set2000Based(true);
  std::tm t{};
  f->AddP41Time(0, &t);
  EXPECT_EQ(Text(t), "2000-01-01 00:00:00");
  f->AddP41Time(59 * 86400.0 + 3661, &t);
  EXPECT_EQ(Text(t), "2000-02-29 01:01:01");
  f->AddP41Time(366 * 86400.0, &t);
  EXPECT_EQ(Text(t), "2001-01-01 00:00:00");
  f->AddP41Time((4 * 365 + 1 + 31 + 28) * 86400.0, &t);
  EXPECT_EQ(Text(t), "2004-02-29 00:00:00");
}

TEST(Calendars, SecondsFrom1989AndCalendarSeconds) {
  std::tm t{};
  CTGR41File::SecToTm(0, &t);
  EXPECT_EQ(Text(t), "1989-01-01 00:00:00");
  CTGR41File::SecToTm((3 * 365 + 31 + 28) * 86400.0 + 59, &t);
  EXPECT_EQ(Text(t), "1992-02-29 00:00:59");
  std::tm d{};
  d.tm_year = 99;
  d.tm_mon = 11;
  d.tm_mday = 31;
  d.tm_hour = 23;
  d.tm_min = 59;
  d.tm_sec = 59;
  double s = CalendarSeconds(d);
  EXPECT_EQ(s, 946684799.0);
  EXPECT_EQ(Text(CalendarTime(s)), "1999-12-31 23:59:59");
  EXPECT_EQ(Text(CalendarTime(s + 1)), "2000-01-01 00:00:00");
  EXPECT_EQ(Text(CalendarTime(-1)), "1969-12-31 23:59:59");
}

}  // namespace
}  // namespace tidora
