#include "wave/wave_setup.h"

#include <array>

namespace tidora {

namespace {
constexpr int kKeyOutputSurfaceWT = 20;
constexpr int kKeyOutputFFTtoWSS = 21;
constexpr int kKeyMinimumAttenuation = 22;
constexpr int kKeyConfidencePercent = 23;
constexpr int kKeyWaterTemperature = 24;
constexpr int kKeyAverageSalinity = 25;
constexpr int kKeySpectralEstimates = 26;
constexpr int kKeyHeight = 27;
constexpr int kKeyMinimumPeriod = 28;
constexpr int kKeyMaximumPeriod = 29;
constexpr int kKeyHanningCutoff = 30;
constexpr int kKeyUseFilterCutoff = 31;
constexpr int kKeyFilterCutoff = 32;
constexpr int kKeyBurstsToEnd = 33;
constexpr int kKeyBurstsToProcess = 34;
constexpr int kKeySkipAtStart = 35;
}  // namespace

std::span<const SettingDecl<CWaveSetup>> CWaveSetup::Settings() {
  using S = CWaveSetup;
  static const std::array<SettingDecl<S>, 16> table = {
      FlagSetting<S>(kKeyOutputSurfaceWT, &S::outputSurfaceWT, 0,
                     "Output surface wave time series to .wt file"),
      FlagSetting<S>(kKeyOutputFFTtoWSS, &S::outputFFTtoWSS, 0,
                     "Output FFT coefficients to .wss file"),
      FlagSetting<S>(kKeyUseFilterCutoff, &S::useFilterCutoff, 0,
                     "Use filter cutoff (default = no)"),
      // A response factor is at most 1; -1 stands for 0.0025 / sample period.
      DoubleSetting<S>(kKeyMinimumAttenuation, &S::minimumAllowableAttenuation, 0.0025,
                       "Minimum allowable attenuation (default = 0.0025)")
          .Limits(AtLeast(0))
          .Marker(-1),
      // 0 and 100 leave the multipliers at 1.
      DoubleSetting<S>(kKeyConfidencePercent, &S::chiSquaredConfPercent, 90,
                       "Chi-squared confidence percent (default = 90)")
          .Limits(AtLeast(0), AtMost(100)),
      // The range of the equation of state of sea water.
      DoubleSetting<S>(kKeyWaterTemperature, &S::waterTemperature, 0,
                       "Average water temperature above the pressure sensor (deg C)")
          .Limits(AtLeast(-2), AtMost(40)),
      DoubleSetting<S>(kKeyAverageSalinity, &S::averageSalinity, 35,
                       "Average salinity above the pressure sensor (PSU)")
          .Limits(AtLeast(0), AtMost(42)),
      // Without a harmonic per band there is no spectrum; the top keeps 2 x n an int.
      IntSetting<S>(kKeySpectralEstimates, &S::numberSpectralEstimates, 5,
                    "Number of spectral estimates for each frequency band")
          .Limits(AtLeast(1), AtMost(1000000)),
      // Above the bottom, in no sea deeper than the deepest trench.
      DoubleSetting<S>(kKeyHeight, &S::height, 0, "Height of pressure sensor from bottom (meters)")
          .Limits(AtLeast(0), AtMost(11000)),
      DoubleSetting<S>(kKeyMinimumPeriod, &S::minimumPeriod, 0,
                       "Minimum period (seconds) to use in auto-spectrum (default = 0)")
          .Limits(AtLeast(0)),
      DoubleSetting<S>(kKeyMaximumPeriod, &S::maximumPeriod, 1000000,
                       "Maximum period (seconds) to use in auto-spectrum (default = 1e6)")
          .Limits(MoreThan(0)),
      // A window weight lies in 0..1: a cutoff below 0 divides by the zero ends, one of 1 or
      // more cuts every sample.
      DoubleSetting<S>(kKeyHanningCutoff, &S::hanningWindowCutoff, 0.1,
                       "Hanning window cutoff (default = 0.1)")
          .Limits(AtLeast(0), LessThan(1)),
      DoubleSetting<S>(kKeyFilterCutoff, &S::filterCutoff, 0.05, "Use filter cutoff (default = no)")
          .Limits(MoreThan(0)),
      FlagSetting<S>(kKeyBurstsToEnd, &S::processBurstsToEnd, 1,
                     "Process Wave bursts to end of file"),
      IntSetting<S>(kKeyBurstsToProcess, &S::burstsToProcess, 1, "Wave bursts to process",
                    kRangeAbove, 0),
      IntSetting<S>(kKeySkipAtStart, &S::skipAtStart, 0, "Wave bursts to skip at start",
                    kRangeNotBelow, 0),
  };
  return table;
}

}  // namespace tidora
