#include "endurance/endurance_model.h"

#include <gtest/gtest.h>

namespace tidora::endurance {
namespace {

// With no load a battery lasts as long as its self-discharge lets it: 5 % of the alkaline
// pack a year is 20 years, 3 % of the lithium pack 33 1/3 years. Under a steady 1 W
// (86400 J a day) the 550.8 Wh lithium pack lasts 550.8 / 24 days before self-discharge.
TEST(EnduranceModel, BatteryFiguresFollowTheirRatedEnergyAndSelfDischarge) {
  EXPECT_NEAR(AlkalineEnduranceDays(0), 20 * 365.0, 1e-9);
  EXPECT_NEAR(LithiumEnduranceDays(0), 365.0 / 0.03, 1e-9);
  EXPECT_NEAR(LithiumEnduranceDaysWithoutSelfDischarge(86400), 550.8 / 24, 1e-12);
  // Under 1 W the self-discharge still counts: 22.9068 days of lithium, and the 178.5 Wh
  // alkaline pack lasts 7.4299 days.
  EXPECT_NEAR(LithiumEnduranceDays(86400), 22.90679, 5e-6);
  EXPECT_NEAR(AlkalineEnduranceDays(86400), 7.42993, 5e-6);
}

// The recorder family's published planning figures: 15-minute tides, a burst every 4 tide
// samples, 1024 samples at 0.25 s, no conductivity.
TEST(EnduranceModel, Tgr41MemoryAndCharge) {
  double tides = TideSamplesPerDayFromMinutes(15);
  double bursts = EventsPerDay(tides, 4);
  double bytes = Tgr41MemoryBytesPerDay(tides, 0, bursts, 1024);
  EXPECT_DOUBLE_EQ(bytes, 74496);
  EXPECT_NEAR(MemoryEnduranceDays(kTgr41MemoryBytes, bytes), 112.6, 0.05);
  double burst = BurstDuration(1024, 0.25);
  EXPECT_DOUBLE_EQ(burst, 256);
  double charge = Tgr41ChargePerDay(tides, bursts, burst, false);
  EXPECT_NEAR(charge, 0.14779333, 5e-9);
  EXPECT_NEAR(Tgr41AlkalineEnduranceDays(charge), 54.1, 0.05);
  // Conductivity costs 75 instead of 65 units per tide sample and 4 bytes per sample.
  EXPECT_NEAR(Tgr41ChargePerDay(tides, bursts, burst, true) - charge,
              10 * 1.2222222222222223e-06 * tides, 1e-15);
  EXPECT_DOUBLE_EQ(Tgr41MemoryBytesPerDay(tides, tides, bursts, 1024) - bytes, 4 * tides);
}

TEST(EnduranceModel, QuartzDailyEnergyAndEndurance) {
  double tides = TideSamplesPerDayFromSeconds(900);
  double bursts = EventsPerDay(tides, 4);
  double daily = QuartzDailyEnergy(QuartzBurstEnergy(256, 0, false), bursts,
                                   QuartzTideSampleEnergy(60, 900, false), tides);
  EXPECT_NEAR(daily, 840.48, 1e-9);
  EXPECT_NEAR(AlkalineEnduranceDays(daily), 692.1, 0.05);
  EXPECT_NEAR(LithiumEnduranceDays(daily), 1976.0, 0.05);
  double bytes = Plus41MemoryBytesPerDay(1024, bursts, tides, true, false);
  EXPECT_NEAR(MemoryEnduranceDays(kMemoryBytes, bytes), 444.7, 0.05);
}

TEST(EnduranceModel, StrainDailyEnergy) {
  double daily = StrainDailyEnergy(900, 60, 4, 256, 0, false, false);
  EXPECT_NEAR(daily, 1738.6272, 1e-9);
  EXPECT_NEAR(AlkalineEnduranceDays(daily), 351.8, 0.05);
  EXPECT_NEAR(LithiumEnduranceDaysWithoutSelfDischarge(daily), 1140.5, 0.05);
}

TEST(EnduranceModel, StrainBurstThatDoesNotFitWithTheTideSample) {
  // I - 10 = 290 < W + b = 256 + 60: the burst interval pays for the burst alone.
  EXPECT_FALSE(StrainBurstFitsWithTide(300, 256, 60));
  EXPECT_TRUE(StrainBurstFitsWithTide(326, 256, 60));
  EXPECT_NEAR(StrainBurstIntervalEnergy(256, 60, 300, 256, 0, false, false),
              0.14 * 258.6 + 0.0005 * (300 - 60 - 256 - 2.6), 1e-12);
  // Statistics cost 0.012 J per sample and conductivity 0.71 J per interval.
  EXPECT_NEAR(StrainBurstIntervalEnergy(256, 60, 900, 286.72, 512, true, true) -
                  StrainBurstIntervalEnergy(256, 60, 900, 286.72, 512, false, false),
              0.012 * 512 + 0.71, 1e-12);
}

TEST(EnduranceModel, BprDailyEnergyMemoryAndReferenceWindow) {
  double tides = TideSamplesPerDayFromSeconds(900);
  double refs = EventsPerDay(tides, 96);
  double daily = BprDailyEnergy(refs, BprTideSampleEnergy(900, 60, 0, true, false), tides);
  EXPECT_NEAR(daily, 1354.96, 1e-9);
  EXPECT_NEAR(AlkalineEnduranceDays(daily), 445.3, 0.05);
  EXPECT_NEAR(LithiumEnduranceDays(daily), 1306.3, 0.05);
  EXPECT_NEAR(MemoryEnduranceDays(kMemoryBytes, BprMemoryBytesPerDay(tides, refs, false)), 20348.4,
              0.05);
  EXPECT_DOUBLE_EQ(BprMemoryBytesPerDay(tides, refs, true), 97 * 20);
}

TEST(EnduranceModel, ReferenceWindow) {
  struct Case {
    double i, b, w;
    bool powered, disabled;
  } cases[] = {
      {900, 60, 0, true, false},    // 840 s idle
      {900, 600, 0, true, true},    // 300 s idle, 600 s of tide
      {900, 240, 0, true, false},   // 660 s idle
      {540, 540, 0, true, true},    // continuous sampling shorter than the window
      {600, 600, 0, true, false},   // continuous sampling of exactly the window
      {1200, 660, 0, true, false},  // a tide measurement longer than the window
      {900, 60, 300, false, true},  {1800, 60, 300, false, false},
      {900, 60, 600, false, false},  // the warm-up itself is long enough
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReferenceFrequencyDisabled(c.i, c.b, c.w, c.powered), c.disabled)
        << c.i << " " << c.b << " " << c.w << " " << c.powered;
}

}  // namespace
}  // namespace tidora::endurance
