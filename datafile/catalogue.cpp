// The fixed catalogue of variables: identifier, long name with unit, label, short name.
#include "datafile/tgr41file.h"

namespace tidora {
namespace {

struct Variable {
  const char* name;
  const char* label;
  const char* shortName;
};

constexpr Variable kCatalogue[kNumVariableIds] = {
    {"Average Period [seconds], time series statistics", "Average Period, TSS", "Avgper"},
    {"Average Wave Height [meters], time series statistics", "Average Wave Height, TSS",
     "Avgheight"},
    {"Burst Number", "Burst Number", "Burst"},
    {"Conductivity [S/m]", "Conductivity [S/m]", "Cond"},
    {"Date/Time", "Date/Time", "Time"},
    {"Depth [meters]", "Depth [meters]", "Depth"},
    {"Density [sigma-theta, Kg/m^3]", "Density [sigma-theta, Kg/m^3]",
     "Density [sigma-theta, Kg/m^3]"},
    {"Density [sigma-t, Kg/m^3]", "Density [sigma-t, Kg/m^3]", "Density [sigma-t, Kg/m^3]"},
    {"Density [sigma-1, Kg/m^3]", "Density [sigma-1, Kg/m^3]", "Density [sigma-1, Kg/m^3]"},
    {"Density [sigma-2, Kg/m^3]", "Density [sigma-2, Kg/m^3]", "Density [sigma-2, Kg/m^3]"},
    {"Density [sigma-4, Kg/m^3]", "Density [sigma-4, Kg/m^3]", "Density [sigma-4, Kg/m^3]"},
    {"Energy [J/m^2], auto spectrum", "Energy [J/m^2], AS", "Energy-was"},
    {"Energy [J/m^2], time series statistics", "Energy [J/m^2], TSS", "Energy-wts"},
    {"Energy Density [m*m-sec]", "Energy Density [m*m-sec]", "Energy Density"},
    {"Frequency [Hz]", "Frequency [Hz]", "Freq"},
    {"H1/10 [meters], time series statistics", "H1/10 [meters], TSS", "H1/10"},
    {"H1/100 [meters], time series statistics", "H1/100 [meters], TSS", "H1/100"},
    {"Maximum Wave Height [meters], time series statistics", "Max Wave Height, TSS", "Maxheight"},
    {"Number of waves, time series statistics", "Number of waves, TSS", "Nwaves"},
    {"Pressure [psi]", "Pressure [psi]", "Pres"},
    {"Pressure Sensor Depth [meters]", "Pressure Sensor Depth [meters]", "Pres"},
    {"Salinity PSS-78 [psu]", "Salinity PSS-78 [psu]", "Salinity PSS-78 [psu]"},
    {"Significant period [seconds], auto spectrum", "Sig period, AS", "Swp-was"},
    {"Significant period [seconds], time series statistics", "Sig period, TSS", "Swp-wts"},
    {"Significant wave height [meters], auto spectrum", "Sig wave height, AS", "Swh-was"},
    {"Significant wave height [meters], time series statistics", "Sig wave height, TSS", "Swh-wts"},
    {"Subsurface Pressure [psi]", "Subsurface Pressure [psi]", "Pres"},
    {"Temperature [deg C]", "Temperature [deg C]", "Temp"},
    {"Time [seconds]", "Time [seconds]", "Time"},
    {"Variance, auto spectrum [m^2]", "Variance, AS [m^2]", "Var-was"},
    {"Variance, time series statistics [m^2]", "Variance, TSS [m^2]", "Var-wts"},
    {"Wave amplitude [meters]", "Wave amplitude [meters]", "Wave amplitude [meters]"},
    {"Period [seconds]", "Period [seconds]", "Period [seconds]"},
    {"Null", "Null", "Null"},
};

bool Known(int id) {
  return id >= 0 && id < kNumVariableIds;
}

}  // namespace

bool IsPerCalculationType(int id) {
  switch (id) {
    case kVarEnergyAs:
    case kVarEnergyTss:
    case kVarSigPeriodAs:
    case kVarSigPeriodTss:
    case kVarSigHeightAs:
    case kVarSigHeightTss:
    case kVarVarianceAs:
    case kVarVarianceTss:
      return true;
    default:
      return false;
  }
}

int GetDataNameFromID(std::string& name, int id) {
  if (!Known(id)) return 0;
  name = kCatalogue[id].name;
  return 1;
}

int GetLabelNameFromID(std::string& name, int id) {
  if (!Known(id)) return 0;
  name = kCatalogue[id].label;
  return 1;
}

int GetShortDataNameFromID(std::string& name, int id) {
  if (!Known(id)) return 0;
  name = kCatalogue[id].shortName;
  return 1;
}

int GetDataNameFromIDNoUnits(std::string& name, int id) {
  if (!Known(id)) return 0;
  std::string full = kCatalogue[id].name;
  size_t comma = full.rfind(',');
  name = comma == std::string::npos ? std::string() : full.substr(0, comma);
  return 1;
}

int GetID_FromDataName(int& id, const std::string& name) {
  for (int i = 0; i < kNumVariableIds; ++i) {
    if (name == kCatalogue[i].name) {
      id = i;
      return 1;
    }
  }
  return 0;
}

}  // namespace tidora
