#include "merge/merge_settings.h"

namespace tidora {

bool MergeSettings::SetUnits(int units) {
  if (units < kUnitsLowest || units > kUnitsHighest) return false;
  barometricPressureUnits = units;
  return true;
}

const char* BarometricUnitName(int units) {
  switch (units) {
    case MergeSettings::kUnitsPsia:
      return "psia";
    case MergeSettings::kUnitsMillibars:
      return "millibars";
    default:
      return "";
  }
}

}  // namespace tidora
