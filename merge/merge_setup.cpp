#include "merge/merge_setup.h"

#include <array>
#include <cstdlib>

#include "merge/selection.h"

namespace tidora {

namespace {
constexpr int kKeyUnits = 15;
constexpr int kKeyGravity = 16;
constexpr int kKeyDensity = 17;
constexpr int kKeyConvert = 18;
}  // namespace

std::string CMergeSetup::DefaultFileName() const {
  return kMergeDefaultSetupName;
}

std::span<const SettingDecl<CMergeSetup>> CMergeSetup::Settings() {
  using S = CMergeSetup;
  static const std::array<SettingDecl<S>, 4> table = {
      IntSetting<S>(kKeyUnits, &S::barometricPressureUnits, kUnitsDefault,
                    "Input Barometric Pressure Units", kRangeNotBelow, kUnitsLowest),
      // The depth divides by density x gravity: generous bands around any water column on
      // Earth keep it finite and inside its column.
      SettingDecl<S>{kKeyGravity, SettingType::kDouble, nullptr, &S::gravity, 9.8, kRangeNotBelow,
                     0, "Gravity (nominal value = 9.8 m/s^2)"}
          .Limits(AtLeast(1), AtMost(100)),
      SettingDecl<S>{kKeyDensity, SettingType::kDouble, nullptr, &S::averageDensity, 1028.0,
                     kRangeNotBelow, 0, "Average Density (nominal value = 1028 kg/m^3)"}
          .Limits(AtLeast(100), AtMost(10000)),
      FlagSetting<S>(kKeyConvert, &S::convertToWaterDepth, 1, "Convert Pressure to Water Depth"),
  };
  return table;
}

void CMergeSetup::ReadModuleKey(int keyId, const std::string& value) {
  if (keyId == kKeyUnits) {
    SetUnits(std::atoi(value.c_str()));
    return;
  }
  CTableSetup<CMergeSetup>::ReadModuleKey(keyId, value);
}

std::string CMergeSetup::AssignModuleSetting(const std::string& key, const std::string& value) {
  if (SetupKeyId(key) == kKeyUnits) {
    CMergeSetup probe(*this);
    std::string err = probe.CTableSetup<CMergeSetup>::AssignModuleSetting(key, value);
    if (!err.empty()) return err;
    if (!SetUnits(probe.barometricPressureUnits))
      return key + ": must be 0 (psia) or 1 (millibars)";
    return {};
  }
  return CTableSetup<CMergeSetup>::AssignModuleSetting(key, value);
}

}  // namespace tidora
