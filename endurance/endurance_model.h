#pragma once

namespace tidora::endurance {

// Power and memory models of the recorders, one function per equation. Times are in seconds
// unless a name says otherwise; energies in joules; charges in amp-hours.

inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kMinutesPerDay = 1440.0;
inline constexpr double kSecondsPerMinute = 60.0;

// Batteries.
inline constexpr double kTgr41AlkalineCapacityAh = 8.0;
inline constexpr double kAlkalineEnergyJ = 642600.0;
inline constexpr double kLithiumEnergyJ = 1982879.9999999998;  // 550.8 Wh
inline constexpr double kAlkalineSelfDischargeJPerDay = 642600.0 * 0.05 / 365.0;
inline constexpr double kLithiumSelfDischargeJPerDay = 1982879.9999999998 * 0.03 / 365.0;
// Beyond this an alkaline deployment earns a warning.
inline constexpr double kTwoYearsDays = 730.0;

// Memories.
inline constexpr double kTgr41MemoryBytes = 8388608.0;  // 8 MB
inline constexpr double kMemoryBytes = 33554432.0;      // 32 MB, every later recorder

// Divisors below these are treated as zero by the memory calculations.
inline constexpr double kBurstCountEpsilon = 0.0005;
inline constexpr double kTgr41MemoryUseEpsilon = 5e-5;
inline constexpr double kMemoryUseEpsilon = 5e-6;

// ---- Sampling scheme ----

// Tide samples per day for an interval given in minutes or in seconds.
double TideSamplesPerDayFromMinutes(double intervalMinutes);
double TideSamplesPerDayFromSeconds(double intervalSeconds);
// Bursts (or reference measurements) per day when one comes every `every` tide samples.
double EventsPerDay(double tideSamplesPerDay, double every);
// Length of a wave burst: samples times sample duration.
double BurstDuration(double samples, double sampleDuration);
// Time the recorder spends on real-time statistics of Q samples (0.06 s each).
double StatisticsDuration(double statisticsSamples);

// ---- Endurance from daily use ----

double AlkalineEnduranceDays(double joulesPerDay);
// Types with the lithium self-discharge term (quartz and BPR recorders).
double LithiumEnduranceDays(double joulesPerDay);
// The strain recorder's lithium figure has no self-discharge term.
double LithiumEnduranceDaysWithoutSelfDischarge(double joulesPerDay);
double MemoryEnduranceDays(double memoryBytes, double bytesPerDay);

// ---- TGR 41 ----

// Bytes per day: 4 per tide sample, 4 more per conductivity sample, 3 per wave sample and 16
// per burst.
double Tgr41MemoryBytesPerDay(double tideSamplesPerDay, double conductivitySamplesPerDay,
                              double burstsPerDay, double samplesPerBurst);
// Amp-hours per day: tide samples, bursts and the sleeping instrument.
double Tgr41ChargePerDay(double tideSamplesPerDay, double burstsPerDay, double burstSeconds,
                         bool conductivity);
double Tgr41AlkalineEnduranceDays(double ampHoursPerDay);

// ---- TGR 41plus, quartz sensor ----

double QuartzTideSampleEnergy(double tideDuration, double tideInterval, bool conductivity);
double QuartzBurstEnergy(double burstSeconds, double statisticsSeconds, bool statistics);
double QuartzDailyEnergy(double burstEnergy, double burstsPerDay, double tideSampleEnergy,
                         double tideSamplesPerDay);

// ---- TGR 41plus, memory of both sensors ----

double Plus41MemoryBytesPerDay(double samplesPerBurst, double burstsPerDay,
                               double tideSamplesPerDay, bool firmware6, bool conductivity);

// ---- TGR 41plus, strain-gauge sensor ----

double StrainTideOnlyIntervalEnergy(double tideDuration, double tideInterval, bool conductivity);
// W is the burst plus its statistics time.
bool StrainBurstFitsWithTide(double tideInterval, double burstAndStatistics, double tideDuration);
double StrainBurstIntervalEnergy(double burstSeconds, double tideDuration, double tideInterval,
                                 double burstAndStatistics, double statisticsSamples,
                                 bool statistics, bool conductivity);
double StrainDailyEnergy(double tideInterval, double tideDuration, double burstsEvery,
                         double burstSeconds, double statisticsSamples, bool statistics,
                         bool conductivity);

// ---- TGR 77 BPR ----

inline constexpr double kReferenceMeasurementJ = 250.0;
// The reference frequency needs an idle window of this many seconds.
inline constexpr double kReferenceWindowSeconds = 600.0;

double BprTideSampleEnergy(double tideInterval, double tideDuration, double warmUp,
                           bool continuouslyPowered, bool conductivity);
double BprDailyEnergy(double referencesPerDay, double tideSampleEnergy, double tideSamplesPerDay);
double BprMemoryBytesPerDay(double tideSamplesPerDay, double referencesPerDay, bool conductivity);
// True when the plan leaves no 600-second window for the reference frequency measurement.
bool ReferenceFrequencyDisabled(double tideInterval, double tideDuration, double warmUp,
                                bool continuouslyPowered);

}  // namespace tidora::endurance
