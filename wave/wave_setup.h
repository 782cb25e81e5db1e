#pragma once

#include <span>
#include <string>

#include "postproc/setup.h"

namespace tidora {

// The wave module's settings: the SwellcalcWPsu section of its program setup files.
class CWaveSetup : public CTableSetup<CWaveSetup> {
 public:
  CWaveSetup() { ResetAll(); }
  explicit CWaveSetup(const std::string& dir) { ResetAll(dir); }

  int ModuleIndex() const override { return kWaveModule; }
  std::string DefaultFileName() const override { return "Swellcalc.psa"; }

  // The settings in file order, with their defaults and the labels of the settings page.
  static std::span<const SettingDecl<CWaveSetup>> Settings();

  // Burst selection handed to the input managers.
  int BurstCount() const { return processBurstsToEnd ? 0 : burstsToProcess; }
  int BurstSkip() const { return skipAtStart; }
  bool BurstsToEnd() const { return processBurstsToEnd != 0; }

  int outputSurfaceWT = 0;
  int outputFFTtoWSS = 0;
  int useFilterCutoff = 0;
  double minimumAllowableAttenuation = 0.0025;
  double chiSquaredConfPercent = 90;
  double waterTemperature = 0;
  double averageSalinity = 35;
  int numberSpectralEstimates = 5;
  double height = 0;
  double minimumPeriod = 0;
  double maximumPeriod = 1000000;
  double hanningWindowCutoff = 0.1;
  double filterCutoff = 0.05;
  int processBurstsToEnd = 1;
  int burstsToProcess = 1;
  int skipAtStart = 0;
};

}  // namespace tidora
