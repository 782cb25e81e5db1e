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

}  // namespace
}  // namespace tidora
