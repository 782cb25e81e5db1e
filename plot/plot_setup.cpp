#include "plot/plot_setup.h"

#include <array>
#include <cstdlib>

#include "datafile/tgr41file.h"

namespace tidora {

namespace {

enum PlotKeyId {
  kKeyPlotKind = 37,
  kKeyPlotVariables = 38,
  kKeyXVariable = 39,
  kKeyFirstBurst = 40,
  kKeyLastBurst = 41,
  kKeyPlotTitle = 42,
  kKeyAutoScaleX = 43,
  kKeyXMinimum = 44,
  kKeyXMaximum = 45,
  kKeyAutoScaleY = 46,
  kKeyYMinimum = 47,
  kKeyYMaximum = 48,
  kKeyLogFrequency = 49,
  kKeyLogEnergy = 50,
  kKeyConfidenceBand = 51,
  kKeyPictureWidth = 52,
  kKeyPictureHeight = 53,
};

const char* const kKindNames[kNumPlotKinds] = {"natural",    "tide",    "samples",
                                               "statistics", "spectra", "spectrogram"};
const char* const kKindLabels[kNumPlotKinds] = {
    "Natural plot of each file", "Tide time series",  "Burst samples",
    "Per-burst statistics",      "Spectra of bursts", "Spectrogram"};

// Values a file or a person may give that the plot cannot use; the previous value stays.
std::string CheckPlotValue(const PlotSettings& s) {
  if (s.plotKind < 0 || s.plotKind >= kNumPlotKinds) return "must be 0 to 5";
  if (s.xVariable != kVarDateTime && s.xVariable != kVarBurstNumber)
    return "must be 4 (Date/Time) or 2 (Burst Number)";
  if (s.pictureWidth < 16 || s.pictureWidth > kMaxPictureSide || s.pictureHeight < 16 ||
      s.pictureHeight > kMaxPictureSide)
    return "must be 16 to 10000 pixels";
  return {};
}

}  // namespace

const char* PlotKindName(int kind) {
  return kind >= 0 && kind < kNumPlotKinds ? kKindNames[kind] : "";
}

int PlotKindFromName(const std::string& name) {
  for (int i = 0; i < kNumPlotKinds; ++i)
    if (name == kKindNames[i]) return i;
  return -1;
}

const char* PlotKindLabel(int kind) {
  return kind >= 0 && kind < kNumPlotKinds ? kKindLabels[kind] : "";
}

std::span<const SettingDecl<CPlotSetup>> CPlotSetup::Settings() {
  using S = CPlotSetup;
  // The variables and the title come last in the file.
  static const std::array<SettingDecl<S>, 17> table = {
      IntSetting<S>(kKeyPlotKind, &S::plotKind, kPlotNatural, "Plot kind", kRangeNotBelow, 0),
      IntSetting<S>(kKeyXVariable, &S::xVariable, kVarDateTime,
                    "X variable (4 Date/Time, 2 Burst)"),
      IntSetting<S>(kKeyFirstBurst, &S::firstBurst, 1, "First burst", kRangeNotBelow, 1),
      IntSetting<S>(kKeyLastBurst, &S::lastBurst, 0, "Last burst (0: automatic)", kRangeNotBelow,
                    0),
      FlagSetting<S>(kKeyAutoScaleX, &S::autoScaleX, 1, "Automatic X range"),
      DoubleSetting<S>(kKeyXMinimum, &S::xMinimum, 0, "X minimum"),
      DoubleSetting<S>(kKeyXMaximum, &S::xMaximum, 1, "X maximum"),
      FlagSetting<S>(kKeyAutoScaleY, &S::autoScaleY, 1, "Automatic Y range"),
      DoubleSetting<S>(kKeyYMinimum, &S::yMinimum, 0, "Y minimum"),
      DoubleSetting<S>(kKeyYMaximum, &S::yMaximum, 1, "Y maximum"),
      FlagSetting<S>(kKeyLogFrequency, &S::logFrequency, 0, "Logarithmic frequency axis"),
      FlagSetting<S>(kKeyLogEnergy, &S::logEnergy, 1, "Logarithmic energy axis"),
      FlagSetting<S>(kKeyConfidenceBand, &S::confidenceBand, 1, "Show the confidence band"),
      IntSetting<S>(kKeyPictureWidth, &S::pictureWidth, 1000, "Picture width", kRangeNotBelow, 16),
      IntSetting<S>(kKeyPictureHeight, &S::pictureHeight, 600, "Picture height", kRangeNotBelow,
                    16),
      VariableListSetting<S>(kKeyPlotVariables, &S::variables, "Variables (ids)"),
      TextSetting<S>(kKeyPlotTitle, &S::title, "Title"),
  };
  return table;
}

void CPlotSetup::ReadModuleKey(int keyId, const std::string& value) {
  PlotSettings before = *this;
  CTableSetup<CPlotSetup>::ReadModuleKey(keyId, value);
  if (!CheckPlotValue(*this).empty()) static_cast<PlotSettings&>(*this) = before;
}

std::string CPlotSetup::AssignModuleSetting(const std::string& key, const std::string& value) {
  PlotSettings before = *this;
  std::string error = CTableSetup<CPlotSetup>::AssignModuleSetting(key, value);
  if (error.empty()) error = CheckPlotValue(*this);
  if (!error.empty()) {
    static_cast<PlotSettings&>(*this) = before;
    return error.find(key) == 0 ? error : key + ": " + error;
  }
  return {};
}

}  // namespace tidora

namespace tidora {

void CPlotSelection::BuildTGR41Tree() {
  const int tide[] = {kVarPressure,   kVarDepth,  kVarTemperature, kVarConductivity, kVarSalinity,
                      kVarSigmaTheta, kVarSigmaT, kVarSigma1,      kVarSigma2,       kVarSigma4};
  const int series[] = {kVarSigHeightTss,     kVarSigPeriodTss,  kVarAverageHeightTss,
                        kVarAveragePeriodTss, kVarMaxHeightTss,  kVarH10Tss,
                        kVarH100Tss,          kVarNumberOfWaves, kVarVarianceTss,
                        kVarEnergyTss,        kVarSensorDepth};
  const int spectrum[] = {kVarSigHeightAs, kVarSigPeriodAs, kVarVarianceAs, kVarEnergyAs};
  for (int id : tide) AddTGR41(id, kNoItem);
  for (int id : series) AddTGR41(id, kNoItem);
  for (int id : spectrum) AddTGR41(id, kNoItem);
}

}  // namespace tidora

namespace tidora {

bool ParseBurstRange(const std::string& text, int& first, int& last, std::string& error) {
  auto number = [](const std::string& t, int& out) {
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
      return false;
    out = std::atoi(t.c_str());
    return out >= 1;
  };
  const size_t dash = text.find('-');
  int a = 0, b = 0;
  bool ok = number(text.substr(0, dash), a);
  if (ok && dash == std::string::npos)
    b = a;
  else if (ok && dash + 1 == text.size())
    b = 0;
  else if (ok)
    ok = number(text.substr(dash + 1), b) && b >= a;
  if (!ok) {
    error = "\"" + text + "\" is not a burst range (like 3, 3-8 or 3-, bursts counted from 1)";
    return false;
  }
  first = a;
  last = b;
  return true;
}

}  // namespace tidora
