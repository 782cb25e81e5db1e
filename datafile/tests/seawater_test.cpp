// Published check values of the seawater equations and the two recorder calendars.
#include <gtest/gtest.h>

#include "datafile/tgr41file.h"

namespace tidora {
namespace {

std::string Text(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

TEST(Seawater, DensityMatchesTheUnescoCheckValues) {
  EXPECT_NEAR(CTGR41File::Density(40, 40, 10000), 59.82037, 5e-6);
  // Further values of the same tables: sigma at one atmosphere and under pressure.
  EXPECT_NEAR(CTGR41File::Density(35, 5, 0), 27.67547, 5e-6);
  EXPECT_NEAR(CTGR41File::Density(35, 25, 10000), 62.53817, 5e-6);
  EXPECT_NEAR(CTGR41File::Density(0, 5, 0), -0.03325, 5e-6);
}

TEST(Seawater, DensityTakesNoSalinityAsAlmostFreshAndClamps) {
  EXPECT_DOUBLE_EQ(CTGR41File::Density(-3, 10, 0), CTGR41File::Density(1e-6, 10, 0));
  EXPECT_DOUBLE_EQ(CTGR41File::Density(35, 10, 1e6), 99.0);
  EXPECT_DOUBLE_EQ(CTGR41File::CheckRange(-150, 99), -99);
  EXPECT_DOUBLE_EQ(CTGR41File::CheckRange(12.5, 99), 12.5);
}

TEST(Seawater, AdiabaticGradientAndPotentialTemperature) {
  EXPECT_NEAR(CTGR41File::ATG(40, 40, 10000), 3.255976e-4, 5e-11);
  EXPECT_NEAR(CTGR41File::PoTemp(40, 40, 10000, 0), 36.89073, 5e-6);
  EXPECT_DOUBLE_EQ(CTGR41File::PoTemp(35, 10, 500, 500), 10.0);
  // Referred back down, the potential temperature returns to where it started.
  double up = CTGR41File::PoTemp(35, 2, 4000, 0);
  EXPECT_NEAR(CTGR41File::PoTemp(35, up, 0, 4000), 2, 1e-4);
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
