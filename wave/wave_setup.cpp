#include "wave/wave_setup.h"

#include <array>

namespace tidora {

std::span<const SettingDecl<CWaveSetup>> CWaveSetup::Settings() {
  using S = CWaveSetup;
  static const std::array<SettingDecl<S>, 16> table = {
      FlagSetting<S>(20, &S::outputSurfaceWT, 0, "Output surface wave time series to .wt file"),
      FlagSetting<S>(21, &S::outputFFTtoWSS, 0, "Output FFT coefficients to .wss file"),
      FlagSetting<S>(31, &S::useFilterCutoff, 0, "Use filter cutoff (default = no)"),
      DoubleSetting<S>(22, &S::minimumAllowableAttenuation, 0.0025,
                       "Minimum allowable attenuation (default = 0.0025)"),
      DoubleSetting<S>(23, &S::chiSquaredConfPercent, 90,
                       "Chi-squared confidence percent (default = 90)"),
      DoubleSetting<S>(24, &S::waterTemperature, 0,
                       "Average water temperature above the pressure sensor (deg C)"),
      DoubleSetting<S>(25, &S::averageSalinity, 35,
                       "Average salinity above the pressure sensor (PSU)"),
      IntSetting<S>(26, &S::numberSpectralEstimates, 5,
                    "Number of spectral estimates for each frequency band"),
      DoubleSetting<S>(27, &S::height, 0, "Height of pressure sensor from bottom (meters)"),
      DoubleSetting<S>(28, &S::minimumPeriod, 0,
                       "Minimum period (seconds) to use in auto-spectrum (default = 0)"),
      DoubleSetting<S>(29, &S::maximumPeriod, 1000000,
                       "Maximum period (seconds) to use in auto-spectrum (default = 1e6)"),
      DoubleSetting<S>(30, &S::hanningWindowCutoff, 0.1, "Hanning window cutoff (default = 0.1)"),
      DoubleSetting<S>(32, &S::filterCutoff, 0.05, "Use filter cutoff (default = no)"),
      FlagSetting<S>(33, &S::processBurstsToEnd, 1, "Process Wave bursts to end of file"),
      IntSetting<S>(34, &S::burstsToProcess, 1, "Wave bursts to process", kRangeAbove, 0),
      IntSetting<S>(35, &S::skipAtStart, 0, "Wave bursts to skip at start", kRangeNotBelow, 0),
  };
  return table;
}

}  // namespace tidora
