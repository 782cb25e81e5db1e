#pragma once

#include <string>

namespace tidora {

// The merge module's own settings: the unit of the barometric readings and the depth
// conversion. The setup record of the module (CMergeSetup) carries these fields.
struct MergeSettings {
  static constexpr int kUnitsPsia = 0;
  static constexpr int kUnitsMillibars = 1;
  static constexpr int kUnitsLowest = kUnitsPsia;
  static constexpr int kUnitsHighest = kUnitsMillibars;
  static constexpr int kUnitsDefault = kUnitsPsia;

  int barometricPressureUnits = kUnitsDefault;
  double gravity = 9.8;            // m/s^2, depth conversion only
  double averageDensity = 1028.0;  // kg/m^3, depth conversion only
  int convertToWaterDepth = 1;     // nonzero: meters of water; zero: psi

  void Reset() { *this = MergeSettings(); }
  // The unit's range rule: a value outside 0..1 is ignored and the previous one stays.
  // Returns whether the value was taken.
  bool SetUnits(int units);

  // Exact comparison: any change of a value counts as a changed setup.
  bool operator==(const MergeSettings&) const = default;
};

// The names of the units in list order ("psia", "millibars").
const char* BarometricUnitName(int units);

}  // namespace tidora
