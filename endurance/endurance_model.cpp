#include "endurance/endurance_model.h"

namespace tidora::endurance {
namespace {

// TGR 41 charge model.
constexpr double kTgr41TideChargeUnit = 1.2222222222222223e-06;        // 0.0044 / 3600 Ah
constexpr double kTgr41BurstChargePerSecond = 1.8055555555555555e-05;  // 0.065 / 3600 Ah
constexpr double kTgr41SleepChargePerDay = 0.0288;
constexpr double kTgr41TideChargeFactor = 65.0;
constexpr double kTgr41TideChargeFactorConductivity = 75.0;

constexpr double kStatisticsSecondsPerSample = 0.06;

// Quartz sensor.
constexpr double kQuartzActiveW = 0.01;
constexpr double kQuartzSleepW = 0.0005;
constexpr double kQuartzWarmUpSeconds = 10.0;
constexpr double kQuartzContinuousOverheadJ = 0.3;
constexpr double kQuartzContinuousOverheadConductivityJ = 0.7;
constexpr double kQuartzOverheadJ = 0.6;
constexpr double kQuartzOverheadConductivityJ = 1.0;
constexpr double kQuartzBurstW = 0.11;
constexpr double kQuartzStatisticsW = 0.2;

// Strain-gauge sensor.
constexpr double kStrainActiveW = 0.14;
constexpr double kStrainSleepW = 0.0005;
constexpr double kStrainSettleSeconds = 2.6;
constexpr double kStrainConductivityJ = 0.71;
constexpr double kStrainIdleGapSeconds = 10.0;
constexpr double kStrainStatisticsJPerSample = 0.012;

// BPR.
constexpr double kBprSensorW = 0.016;
constexpr double kBprPoweredIdleW = 0.012;
constexpr double kBprSleepW = 0.0005;
constexpr double kBprWarmUpW = 0.012;
constexpr double kBprContinuousOverheadJ = 0.31;
constexpr double kBprContinuousOverheadConductivityJ = 0.54;
constexpr double kBprOverheadJ = 0.47;
constexpr double kBprOverheadConductivityJ = 0.7;
constexpr double kBprSwitchedOverheadJ = 0.66;
constexpr double kBprSwitchedOverheadConductivityJ = 0.89;
constexpr double kBprBytesPerRecord = 17.0;
constexpr double kBprBytesPerRecordConductivity = 20.0;

}  // namespace

double TideSamplesPerDayFromMinutes(double intervalMinutes) {
  return kMinutesPerDay / intervalMinutes;
}

double TideSamplesPerDayFromSeconds(double intervalSeconds) {
  return kSecondsPerDay / intervalSeconds;
}

double EventsPerDay(double tideSamplesPerDay, double every) {
  return tideSamplesPerDay / every;
}

double BurstDuration(double samples, double sampleDuration) {
  return samples * sampleDuration;
}

double StatisticsDuration(double statisticsSamples) {
  return kStatisticsSecondsPerSample * statisticsSamples;
}

double AlkalineEnduranceDays(double joulesPerDay) {
  return kAlkalineEnergyJ / (joulesPerDay + kAlkalineSelfDischargeJPerDay);
}

double LithiumEnduranceDays(double joulesPerDay) {
  return kLithiumEnergyJ / (joulesPerDay + kLithiumSelfDischargeJPerDay);
}

double LithiumEnduranceDaysWithoutSelfDischarge(double joulesPerDay) {
  return kLithiumEnergyJ / joulesPerDay;
}

double MemoryEnduranceDays(double memoryBytes, double bytesPerDay) {
  return memoryBytes / bytesPerDay;
}

double Tgr41MemoryBytesPerDay(double tideSamplesPerDay, double conductivitySamplesPerDay,
                              double burstsPerDay, double samplesPerBurst) {
  return 4 * (tideSamplesPerDay + conductivitySamplesPerDay +
              burstsPerDay * (0.75 * samplesPerBurst + 4));
}

double Tgr41ChargePerDay(double tideSamplesPerDay, double burstsPerDay, double burstSeconds,
                         bool conductivity) {
  double k = conductivity ? kTgr41TideChargeFactorConductivity : kTgr41TideChargeFactor;
  return k * kTgr41TideChargeUnit * tideSamplesPerDay +
         (burstSeconds + 1) * burstsPerDay * kTgr41BurstChargePerSecond + kTgr41SleepChargePerDay;
}

double Tgr41AlkalineEnduranceDays(double ampHoursPerDay) {
  return kTgr41AlkalineCapacityAh / ampHoursPerDay;
}

double QuartzTideSampleEnergy(double tideDuration, double tideInterval, bool conductivity) {
  if (tideDuration == tideInterval) {
    // The sensor runs all the time: no warm-up, no sleep.
    return kQuartzActiveW * tideDuration +
           (conductivity ? kQuartzContinuousOverheadConductivityJ : kQuartzContinuousOverheadJ);
  }
  return kQuartzActiveW * (tideDuration + kQuartzWarmUpSeconds) +
         kQuartzSleepW * (tideInterval - tideDuration - kQuartzWarmUpSeconds) +
         (conductivity ? kQuartzOverheadConductivityJ : kQuartzOverheadJ);
}

double QuartzBurstEnergy(double burstSeconds, double statisticsSeconds, bool statistics) {
  double e = kQuartzBurstW * burstSeconds;
  if (statistics) e += kQuartzStatisticsW * statisticsSeconds;
  return e;
}

double QuartzDailyEnergy(double burstEnergy, double burstsPerDay, double tideSampleEnergy,
                         double tideSamplesPerDay) {
  return burstEnergy * burstsPerDay + tideSampleEnergy * tideSamplesPerDay;
}

double Plus41MemoryBytesPerDay(double samplesPerBurst, double burstsPerDay,
                               double tideSamplesPerDay, bool firmware6, bool conductivity) {
  double burstHeader, tideRecord;
  if (firmware6) {
    burstHeader = conductivity ? 48 : 36;
    tideRecord = conductivity ? 12 : 9;
  } else {
    burstHeader = conductivity ? 32 : 20;
    tideRecord = conductivity ? 8 : 5;
  }
  return (3 * samplesPerBurst + burstHeader) * burstsPerDay + tideRecord * tideSamplesPerDay;
}

double StrainTideOnlyIntervalEnergy(double tideDuration, double tideInterval, bool conductivity) {
  return kStrainActiveW * (tideDuration + kStrainSettleSeconds) +
         kStrainSleepW * (tideInterval - tideDuration - kStrainSettleSeconds) +
         (conductivity ? kStrainConductivityJ : 0.0);
}

bool StrainBurstFitsWithTide(double tideInterval, double burstAndStatistics, double tideDuration) {
  return tideInterval - kStrainIdleGapSeconds >= burstAndStatistics + tideDuration;
}

double StrainBurstIntervalEnergy(double burstSeconds, double tideDuration, double tideInterval,
                                 double burstAndStatistics, double statisticsSamples,
                                 bool statistics, bool conductivity) {
  double active = StrainBurstFitsWithTide(tideInterval, burstAndStatistics, tideDuration)
                      ? burstSeconds + tideDuration + kStrainSettleSeconds
                      : burstSeconds + kStrainSettleSeconds;
  double e =
      kStrainActiveW * active +
      kStrainSleepW * (tideInterval - tideDuration - burstAndStatistics - kStrainSettleSeconds) +
      (conductivity ? kStrainConductivityJ : 0.0);
  if (statistics) e += kStrainStatisticsJPerSample * statisticsSamples;
  return e;
}

double StrainDailyEnergy(double tideInterval, double tideDuration, double burstsEvery,
                         double burstSeconds, double statisticsSamples, bool statistics,
                         bool conductivity) {
  double tides = TideSamplesPerDayFromSeconds(tideInterval);
  double bursts = EventsPerDay(tides, burstsEvery);
  double w = statistics ? burstSeconds + StatisticsDuration(statisticsSamples) : burstSeconds;
  double tideOnly = StrainTideOnlyIntervalEnergy(tideDuration, tideInterval, conductivity);
  double burst = StrainBurstIntervalEnergy(burstSeconds, tideDuration, tideInterval, w,
                                           statisticsSamples, statistics, conductivity);
  return burst * bursts + tideOnly * (tides - bursts);
}

double BprTideSampleEnergy(double tideInterval, double tideDuration, double warmUp,
                           bool continuouslyPowered, bool conductivity) {
  if (!continuouslyPowered) {
    return kBprSleepW * (tideInterval - tideDuration - warmUp) + kBprWarmUpW * warmUp +
           kBprSensorW * tideDuration +
           (conductivity ? kBprSwitchedOverheadConductivityJ : kBprSwitchedOverheadJ);
  }
  if (tideDuration == tideInterval) {
    return kBprSensorW * tideInterval +
           (conductivity ? kBprContinuousOverheadConductivityJ : kBprContinuousOverheadJ);
  }
  return kBprPoweredIdleW * (tideInterval - tideDuration) + kBprSensorW * tideDuration +
         (conductivity ? kBprOverheadConductivityJ : kBprOverheadJ);
}

double BprDailyEnergy(double referencesPerDay, double tideSampleEnergy, double tideSamplesPerDay) {
  return kReferenceMeasurementJ * referencesPerDay + tideSampleEnergy * tideSamplesPerDay;
}

double BprMemoryBytesPerDay(double tideSamplesPerDay, double referencesPerDay, bool conductivity) {
  return (tideSamplesPerDay + referencesPerDay) *
         (conductivity ? kBprBytesPerRecordConductivity : kBprBytesPerRecord);
}

bool ReferenceFrequencyDisabled(double tideInterval, double tideDuration, double warmUp,
                                bool continuouslyPowered) {
  if (continuouslyPowered) {
    if (tideDuration == tideInterval) return tideInterval < kReferenceWindowSeconds;
    return tideInterval - tideDuration < kReferenceWindowSeconds &&
           tideDuration <= kReferenceWindowSeconds;
  }
  return tideInterval - tideDuration - warmUp < kReferenceWindowSeconds &&
         tideDuration < kReferenceWindowSeconds && warmUp < kReferenceWindowSeconds;
}

}  // namespace tidora::endurance
