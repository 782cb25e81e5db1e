#include <gtest/gtest.h>

#include <cmath>

#include "convert/calibration.h"
#include "convert/recorder_time.h"
#include "datafile/writers.h"

namespace tidora {
namespace {

TEST(Pss78, PublishedCheckValues) {
  // UNESCO technical paper 44 check values (temperature on IPTS-68).
  EXPECT_NEAR(PracticalSalinityPss78(1.0, 15.0, 0.0), 35.0000, 5e-5);
  EXPECT_NEAR(PracticalSalinityPss78(1.2, 20.0, 2000.0), 37.2455, 5e-4);
  EXPECT_NEAR(PracticalSalinityPss78(0.65, 5.0, 1500.0), 27.9953, 5e-4);
  EXPECT_NEAR(PracticalSalinityPss78(1.888091, 40.0, 10000.0), 40.0000, 5e-5);
}

TEST(Pss78, ConverterRules) {
  // Standard seawater: 4.2914 S/m at 15 deg C (IPTS-68) and no sea pressure is 35.
  EXPECT_NEAR(SalinityFromConductivity(4.2914, 15.0 / 1.00024, 0.0), 35.0, 1e-4);
  EXPECT_EQ(SalinityFromConductivity(0.0, 10.0, 0.0), 0.0);
  EXPECT_EQ(SalinityFromConductivity(-1.0, 10.0, 0.0), 0.0);
  // 1 + 0.0162 (T - 15) = 0 at T68 = 15 - 1/0.0162.
  double t90 = (15.0 - 1.0 / 0.0162) / 1.00024;
  double s = SalinityFromConductivity(4.0, t90, 0.0);
  EXPECT_TRUE(s == -99.0 || std::fabs(s) <= 99.0);
  EXPECT_LE(SalinityFromConductivity(1e6, 10.0, 0.0), 99.0);
  EXPECT_GE(SalinityFromConductivity(1e-12, 10.0, 0.0), -99.0);
}

TEST(Calibration, PressureEquations) {
  PressureCorrection corr{2.0, 1.0};
  EXPECT_DOUBLE_EQ(PressureFromNumber(1100, 10, 100, corr), 201.0);

  QuartzCoefficients q;
  q.C1 = 100;
  q.T1 = 1;  // T0 = 1 microsecond
  // fp T0 = 0.5: w = 0.75, P = 75, then * 2 + 1.
  EXPECT_NEAR(QuartzPressure(500000, 1e6, q, 0.0, corr), 151.0, 1e-9);
  q.D1 = 0.5;  // C w (1 - D1 w) = 75 * 0.625
  EXPECT_NEAR(QuartzPressure(500000, 1e6, q, 3.0, PressureCorrection{}), 75 * 0.625 + 3, 1e-9);
  // A temperature frequency of 0 is taken as 1 Hz rather than dividing by zero.
  EXPECT_TRUE(std::isfinite(QuartzPressure(500000, 0, q, 0, corr)));
  // Overflow past 999999 is written as the sentinel.
  q.C1 = 1e9;
  q.D1 = 0;
  EXPECT_EQ(QuartzPressure(0, 1e6, q, 0, PressureCorrection{}), 99999.0);
  q.C1 = -1e9;
  EXPECT_EQ(QuartzPressure(0, 1e6, q, 0, PressureCorrection{}), -99999.0);

  StrainGaugeCoefficients s;
  s.PA0 = 1;
  s.PA1 = 2;
  s.PA2 = 0.5;
  s.PTCA0 = 10;
  s.PTCA1 = 1;
  s.PTCB0 = 2;
  s.PTCB1 = 1;
  s.PTEMPA0 = 1;
  s.PTEMPA1 = 1;  // y = 1 + t
  // t = 1: y = 2, x = 16 - 10 - 2 = 4, m = 4 * 2 / (2 + 2) = 2, P = 1 + 4 + 2 + OFFSET 1.
  EXPECT_NEAR(StrainGaugePressure(16, 1, s, 1.0, PressureCorrection{}), 8.0, 1e-12);
}

TEST(Calibration, TemperatureEquations) {
  QuartzCoefficients q;
  q.U0 = 0.5;
  q.Y1 = 10;
  q.Y2 = 1;
  EXPECT_NEAR(QuartzTemperature(1e6, q), 5.25, 1e-12);  // U = 0.5
  q.Y1 = 1e6;
  EXPECT_EQ(QuartzTemperature(1e6, q), 99.99);
  q.Y1 = -1e6;
  EXPECT_EQ(QuartzTemperature(1e6, q), -99.99);

  EXPECT_NEAR(TemperatureFromNumber(25000, false), 15.0, 1e-12);
  EXPECT_NEAR(TemperatureFromNumber(25000, true), 10.5, 1e-12);

  const double ta[4] = {1e-3, 2e-4, 0, 1e-7};
  double L = std::log(10000.0);
  EXPECT_NEAR(ThermistorTemperature(10000, ta), 1 / (1e-3 + 2e-4 * L + 1e-7 * L * L * L) - 273.15,
              1e-9);
  EXPECT_EQ(ThermistorTemperature(0, ta), -10.0);
  const double zero[4] = {0, 2e-4, 0, 1e-7};
  EXPECT_EQ(ThermistorTemperature(10000, zero), 0.0);
  const double hot[4] = {1e-5, 0, 0, 0};  // 1e5 K is clamped
  EXPECT_EQ(ThermistorTemperature(10000, hot), 99.0);

  EXPECT_NEAR(TidewellThermistorVoltage(4095 + 4095), 5.0, 1e-12);
  EXPECT_NEAR(TidewellThermistorVoltage(0), -5.0, 1e-12);
  // A polynomial that is exactly 0 gives 0 degrees.
  EXPECT_EQ(TidewellThermistorTemperature(3000, 50000, -2.5, 0, 0, 0), 0.0);
  double V = (3000 - 4095) * 5.0 / 4095;
  double lr = std::log(50000 / (V + 2.5) - 15000);
  EXPECT_NEAR(TidewellThermistorTemperature(3000, 50000, -2.5, 1.129e-3, 2.341e-4, 8.775e-8),
              1 / (1.129e-3 + 2.341e-4 * lr + 8.775e-8 * lr * lr * lr) - 273.15, 1e-9);
}

TEST(Calibration, Conductivity) {
  ConductivityCoefficients c{-4.0, 0.6, -1.5e-3, 2.3e-4, 3.25e-6, -9.57e-8};
  double k = 8.0;
  double expect =
      (-4.0 + 0.6 * 64 - 1.5e-3 * 512 + 2.3e-4 * 4096) / (10 * (1 + 3.25e-6 * 12 + -9.57e-8 * 100));
  EXPECT_NEAR(Conductivity(k * 1000, 12, 100, c, 1.0, 0.0), expect, 1e-12);
  EXPECT_NEAR(Conductivity(k * 1000, 12, 100, c, 1.5, 0.25), expect * 1.5 + 0.25, 1e-12);
  EXPECT_EQ(Conductivity(9.99, 12, 100, c, 1.0, 0.0), 99.0);
  EXPECT_EQ(Conductivity(1e7, 12, 100, c, 1.0, 0.0), 99.0);  // clamped
  EXPECT_EQ(EffectiveConductivitySlope(2.5), 1.0);
  EXPECT_EQ(EffectiveConductivitySlope(0.4), 1.0);
  EXPECT_EQ(EffectiveConductivitySlope(1.9), 1.9);
  EXPECT_NEAR(SeaPressureDbar(114.7), 68.948, 1e-9);
}

TEST(RecorderTime, Calendar2000) {
  std::tm t = Time2000ToTm(0);
  EXPECT_EQ(t.tm_year + 1900, 2000);
  EXPECT_EQ(t.tm_mon, 0);
  EXPECT_EQ(t.tm_mday, 1);
  // 2000 is a leap year: day 59 is February 29.
  t = Time2000ToTm(59 * 86400.0 + 3661);
  EXPECT_EQ(t.tm_mon, 1);
  EXPECT_EQ(t.tm_mday, 29);
  EXPECT_EQ(t.tm_hour, 1);
  EXPECT_EQ(t.tm_min, 1);
  EXPECT_EQ(t.tm_sec, 1);
  t = Time2000ToTm(4294967295.0);  // the largest stamp: 2136-02-07 06:28:15
  EXPECT_EQ(t.tm_year + 1900, 2136);
  EXPECT_EQ(t.tm_mon, 1);
  EXPECT_EQ(t.tm_mday, 7);
  EXPECT_EQ(TmToTime2000(Time2000ToTm(123456789.0)), 123456789.0);
}

TEST(RecorderTime, TidewellLeapInstantIsStillTheTwentyEighth) {
  // The last second of 28 February 2000 as the recorder's clock counts it.
  const double instant = 11 * kTidewellYearSeconds + 59 * 86400.0 - 1;
  const double start = instant - 30 * 86400.0;
  auto text = [&](double t) {
    std::tm tm = TidewellTimeToTm(t, start);
    return FormatDataDateTime(tm);
  };
  EXPECT_EQ(text(instant - 1), "02/28/2000 23:59:58");
  EXPECT_EQ(text(instant), "02/28/2000 23:59:59");
  EXPECT_EQ(text(instant + 0.5), "02/28/2000 23:59:59");  // a fraction of the same second
  EXPECT_EQ(text(instant + 1), "02/29/2000 00:00:00");
  EXPECT_EQ(text(instant + 86400), "02/29/2000 23:59:59");
  EXPECT_EQ(text(instant + 86401), "03/01/2000 00:00:00");
}

TEST(RecorderTime, TidewellCalendar) {
  // Raw times count from the start of the start year.
  EXPECT_EQ(TidewellAdjustRawTime(100, 1990), 100 + kTidewellYearSeconds);
  EXPECT_EQ(TidewellAdjustRawTime(100, 1996), 100 + 7 * kTidewellYearSeconds);
  EXPECT_EQ(TidewellAdjustRawTime(100, 1989), 100);
  EXPECT_EQ(TidewellAdjustRawTime(63000000, 1996), 63000000);

  const double y1996 = 7 * kTidewellYearSeconds;
  const double feb1 = y1996 + 31 * 86400.0;
  std::tm t = TidewellTimeToTm(feb1, feb1);
  EXPECT_EQ(t.tm_year + 1900, 1996);
  EXPECT_EQ(t.tm_mon, 1);
  EXPECT_EQ(t.tm_mday, 1);
  // The recorder's "March 1" after a run that began in February is the real February 29.
  const double mar1 = y1996 + 59 * 86400.0 + 12 * 3600.0;
  t = TidewellTimeToTm(mar1, feb1);
  EXPECT_EQ(t.tm_mon, 1);
  EXPECT_EQ(t.tm_mday, 29);
  EXPECT_EQ(t.tm_hour, 12);
  // A day later it is March 1.
  t = TidewellTimeToTm(mar1 + 86400.0, feb1);
  EXPECT_EQ(t.tm_mon, 2);
  EXPECT_EQ(t.tm_mday, 1);
  // A run that began after the leap day is not moved.
  t = TidewellTimeToTm(mar1, mar1);
  EXPECT_EQ(t.tm_mon, 2);
  EXPECT_EQ(t.tm_mday, 1);
  // No leap day in 1997.
  const double y1997 = 8 * kTidewellYearSeconds;
  t = TidewellTimeToTm(y1997 + 59 * 86400.0, y1997);
  EXPECT_EQ(t.tm_year + 1900, 1997);
  EXPECT_EQ(t.tm_mon, 2);
  EXPECT_EQ(t.tm_mday, 1);
  t = TidewellTimeToTm(y1997 + 364 * 86400.0 + 86399, y1997);
  EXPECT_EQ(t.tm_mon, 11);
  EXPECT_EQ(t.tm_mday, 31);
  EXPECT_EQ(t.tm_sec, 59);
}

}  // namespace
}  // namespace tidora
