#include "export/tests/cf_check.h"

#include <netcdf.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>

namespace tidora::testing {
namespace {

// Unit symbols and their dimensions (length, mass, time, current, temperature, angle).
struct Symbol {
  const char* name;
  UnitDims dims;
};
const Symbol kSymbols[] = {
    {"1", {{0, 0, 0, 0, 0, 0}}},
    {"m", {{1, 0, 0, 0, 0, 0}}},
    {"meter", {{1, 0, 0, 0, 0, 0}}},
    {"kg", {{0, 1, 0, 0, 0, 0}}},
    {"g", {{0, 1, 0, 0, 0, 0}}},
    {"s", {{0, 0, 1, 0, 0, 0}}},
    {"seconds", {{0, 0, 1, 0, 0, 0}}},
    {"second", {{0, 0, 1, 0, 0, 0}}},
    {"days", {{0, 0, 1, 0, 0, 0}}},
    {"hours", {{0, 0, 1, 0, 0, 0}}},
    {"Hz", {{0, 0, -1, 0, 0, 0}}},
    {"A", {{0, 0, 0, 1, 0, 0}}},
    {"K", {{0, 0, 0, 0, 1, 0}}},
    {"degree_Celsius", {{0, 0, 0, 0, 1, 0}}},
    {"degC", {{0, 0, 0, 0, 1, 0}}},
    {"Pa", {{-1, 1, -2, 0, 0, 0}}},
    {"dbar", {{-1, 1, -2, 0, 0, 0}}},
    {"bar", {{-1, 1, -2, 0, 0, 0}}},
    {"psi", {{-1, 1, -2, 0, 0, 0}}},
    {"J", {{2, 1, -2, 0, 0, 0}}},
    {"W", {{2, 1, -3, 0, 0, 0}}},
    {"S", {{-2, -1, 3, 2, 0, 0}}},
    {"degrees_north", {{0, 0, 0, 0, 0, 1}}},
    {"degrees_east", {{0, 0, 0, 0, 0, 1}}},
};

// Standard names we use, with the canonical units of the CF standard name table.
struct StandardName {
  const char* name;
  const char* canonical;
};
const StandardName kStandardNames[] = {
    {"time", "s"},
    {"latitude", "degrees_north"},
    {"longitude", "degrees_east"},
    {"depth", "m"},
    {"sea_floor_depth_below_sea_surface", "m"},
    {"sea_water_pressure", "dbar"},
    {"sea_water_pressure_due_to_sea_water", "dbar"},
    {"sea_water_temperature", "K"},
    {"sea_water_electrical_conductivity", "S m-1"},
    {"sea_water_practical_salinity", "1"},
    {"sea_water_sigma_t", "kg m-3"},
    {"sea_water_sigma_theta", "kg m-3"},
    {"sea_surface_wave_significant_height", "m"},
    {"sea_surface_wave_significant_period", "s"},
    {"sea_surface_wave_mean_height", "m"},
    {"sea_surface_wave_mean_period", "s"},
    {"sea_surface_wave_maximum_height", "m"},
    {"sea_surface_wave_mean_height_of_highest_tenth", "m"},
    {"sea_surface_wave_period_at_variance_spectral_density_maximum", "s"},
    {"sea_surface_wave_mean_period_from_variance_spectral_density_second_frequency_moment", "s"},
    {"sea_surface_wave_variance_spectral_density", "m2 s"},
    {"sea_surface_wave_frequency", "s-1"},
};

const char* const kFeatureTypes[] = {"point",   "timeSeries",        "trajectory",
                                     "profile", "timeSeriesProfile", "trajectoryProfile"};

bool ParseFactor(const std::string& word, UnitDims& dims) {
  size_t digits = word.size();
  while (digits > 0 && (std::isdigit(static_cast<unsigned char>(word[digits - 1])))) --digits;
  if (digits > 0 && digits < word.size() && word[digits - 1] == '-') --digits;
  std::string symbol = word.substr(0, digits);
  int exponent = 1;
  if (digits < word.size()) exponent = std::stoi(word.substr(digits));
  if (symbol.empty()) {  // a plain number: only "1" (dimensionless) is meaningful to us
    symbol = word;
    exponent = 1;
  }
  for (const Symbol& s : kSymbols) {
    if (symbol != s.name) continue;
    for (int i = 0; i < 6; ++i) dims.e[i] += exponent * s.dims.e[i];
    return true;
  }
  return false;
}

bool IsDate(const std::string& text) {
  // YYYY-MM-DD, then optionally hh:mm:ss
  std::istringstream in(text);
  std::string date, time;
  in >> date >> time;
  auto digitsAt = [](const std::string& s, std::initializer_list<size_t> at) {
    for (size_t i : at)
      if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
  };
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
      !digitsAt(date, {0, 1, 2, 3, 5, 6, 8, 9}))
    return false;
  return time.empty() || (time.size() == 8 && time[2] == ':' && time[5] == ':' &&
                          digitsAt(time, {0, 1, 3, 4, 6, 7}));
}

bool NumericType(int t) {
  return t != NC_CHAR && t != NC_STRING;
}

}  // namespace

bool UnitDims::operator==(const UnitDims& o) const {
  return std::equal(std::begin(e), std::end(e), std::begin(o.e));
}

bool ParseUnits(const std::string& text, UnitDims& dims, bool* isReference) {
  dims = UnitDims{};
  if (isReference) *isReference = false;
  const size_t since = text.find(" since ");
  if (since != std::string::npos) {
    if (!ParseUnits(text.substr(0, since), dims) || !(dims == UnitDims{{0, 0, 1, 0, 0, 0}}) ||
        !IsDate(text.substr(since + 7)))
      return false;
    if (isReference) *isReference = true;
    return true;
  }
  std::istringstream in(text);
  int factors = 0;
  for (std::string word; in >> word; ++factors)
    if (!ParseFactor(word, dims)) return false;
  return factors > 0;
}

std::string NcVariable::Text(const std::string& attribute) const {
  auto it = attributes.find(attribute);
  return it == attributes.end() ? "" : it->second.text;
}

std::string NcDataset::Global(const std::string& attribute) const {
  auto it = global.find(attribute);
  return it == global.end() ? "" : it->second.text;
}

const NcVariable& NcDataset::Var(const std::string& name) const {
  auto it = vars.find(name);
  if (it == vars.end()) throw std::runtime_error("no variable " + name);
  return it->second;
}

namespace {

bool LoadAttributes(int nc, int var, int count, std::map<std::string, NcAttribute>& out) {
  for (int i = 0; i < count; ++i) {
    char name[NC_MAX_NAME + 1];
    nc_type type;
    size_t length;
    if (nc_inq_attname(nc, var, i, name) || nc_inq_att(nc, var, name, &type, &length)) return false;
    NcAttribute a;
    a.type = type;
    if (type == NC_CHAR) {
      a.text.resize(length);
      if (nc_get_att_text(nc, var, name, a.text.data())) return false;
    } else if (type == NC_STRING) {
      std::vector<char*> s(length);
      if (nc_get_att_string(nc, var, name, s.data())) return false;
      if (length) a.text = s[0];
      nc_free_string(length, s.data());
    } else {
      a.numbers.resize(length);
      if (nc_get_att_double(nc, var, name, a.numbers.data())) return false;
    }
    out[name] = a;
  }
  return true;
}

}  // namespace

bool LoadNetcdf(const std::string& path, NcDataset& out, std::string& error) {
  out = NcDataset{};
  int nc = -1;
  if (int status = nc_open(path.c_str(), NC_NOWRITE, &nc)) {
    error = path + ": " + nc_strerror(status);
    return false;
  }
  int ndims = 0, nvars = 0, ngatts = 0, unlimited = -1;
  bool ok = nc_inq(nc, &ndims, &nvars, &ngatts, &unlimited) == NC_NOERR;
  std::vector<std::string> dimNames;
  for (int d = 0; ok && d < ndims; ++d) {
    char name[NC_MAX_NAME + 1];
    size_t length = 0;
    ok = nc_inq_dim(nc, d, name, &length) == NC_NOERR;
    dimNames.push_back(name);
    out.dims[name] = length;
  }
  ok = ok && LoadAttributes(nc, NC_GLOBAL, ngatts, out.global);
  for (int v = 0; ok && v < nvars; ++v) {
    NcVariable var;
    char name[NC_MAX_NAME + 1];
    nc_type type;
    int nd = 0, natts = 0;
    int dims[NC_MAX_VAR_DIMS];
    ok = nc_inq_var(nc, v, name, &type, &nd, dims, &natts) == NC_NOERR;
    if (!ok) break;
    var.name = name;
    var.type = type;
    size_t total = 1;
    for (int i = 0; i < nd; ++i) {
      var.dims.push_back(dimNames[static_cast<size_t>(dims[i])]);
      var.shape.push_back(out.dims[var.dims.back()]);
      total *= var.shape.back();
    }
    ok = LoadAttributes(nc, v, natts, var.attributes);
    if (ok && type == NC_STRING) {
      std::vector<char*> s(total);
      ok = nc_get_var_string(nc, v, s.data()) == NC_NOERR;
      for (char* p : s) var.strings.push_back(p ? p : "");
      if (ok) nc_free_string(total, s.data());
    } else if (ok && total > 0 && NumericType(type)) {
      var.values.resize(total);
      ok = nc_get_var_double(nc, v, var.values.data()) == NC_NOERR;
    }
    out.vars[name] = std::move(var);
  }
  nc_close(nc);
  if (!ok) error = path + ": cannot be read back";
  return ok;
}

std::vector<std::string> CheckCf(const NcDataset& ds) {
  std::vector<std::string> problems;
  auto problem = [&](const std::string& text) { problems.push_back(text); };
  if (ds.Global("Conventions") != "CF-1.8") problem("Conventions is not \"CF-1.8\"");
  for (const char* a : {"title", "history"})
    if (ds.Global(a).empty()) problem(std::string("no global ") + a);

  int stations = 0;
  bool hasTime = false, hasLatitude = false, hasLongitude = false;
  for (const auto& [name, v] : ds.vars) {
    const std::string where = "variable " + name + ": ";
    const bool isCoordinate = v.dims.size() == 1 && v.dims[0] == name;
    // Fill values must be of the variable's own type.
    if (auto it = v.attributes.find("_FillValue"); it != v.attributes.end()) {
      if (it->second.type != v.type) problem(where + "_FillValue of another type");
      if (isCoordinate) problem(where + "a coordinate variable with a fill value");
    }
    // Units: a spelling we can parse, and convertible to the standard name's.
    UnitDims dims;
    bool reference = false;
    const std::string units = v.Text("units");
    const bool hasUnits = v.Has("units");
    const bool parsed = hasUnits && ParseUnits(units, dims, &reference);
    if (hasUnits && !parsed) problem(where + "units \"" + units + "\" do not parse");
    if (!hasUnits && NumericType(v.type)) problem(where + "no units");
    const std::string standard = v.Text("standard_name");
    if (!standard.empty()) {
      auto sn = std::find_if(std::begin(kStandardNames), std::end(kStandardNames),
                             [&](const StandardName& s) { return standard == s.name; });
      if (sn == std::end(kStandardNames)) {
        problem(where + "standard name \"" + standard + "\" is not in the table");
      } else {
        UnitDims canonical;
        ParseUnits(sn->canonical, canonical);
        if (parsed && !(dims == canonical))
          problem(where + "units \"" + units + "\" do not convert to " + sn->canonical);
        if ((standard == "time") != reference)
          problem(where + "a time needs a reference \"since\" unit, and only a time has one");
      }
      hasTime |= standard == "time" && isCoordinate;
      hasLatitude |= standard == "latitude";
      hasLongitude |= standard == "longitude";
    }
    if (v.Has("cf_role")) {
      const std::string role = v.Text("cf_role");
      if (role != "timeseries_id" && role != "profile_id" && role != "trajectory_id")
        problem(where + "cf_role \"" + role + "\" is not one of CF's");
      stations += role == "timeseries_id";
    }
    // Coordinate variables: numeric, strictly monotonic.
    if (isCoordinate && NumericType(v.type)) {
      bool up = true, down = true;
      for (size_t i = 1; i < v.values.size(); ++i) {
        up &= v.values[i] > v.values[i - 1];
        down &= v.values[i] < v.values[i - 1];
      }
      if (!up && !down) problem(where + "coordinate values are not strictly monotonic");
    }
    // Auxiliary coordinates exist and span no dimension the variable lacks.
    std::istringstream coordinates(v.Text("coordinates"));
    for (std::string c; coordinates >> c;) {
      auto it = ds.vars.find(c);
      if (it == ds.vars.end()) {
        problem(where + "coordinate " + c + " does not exist");
        continue;
      }
      for (const std::string& d : it->second.dims)
        if (std::find(v.dims.begin(), v.dims.end(), d) == v.dims.end())
          problem(where + "coordinate " + c + " spans dimension " + d + " it lacks");
    }
    for (const std::string& d : v.dims)
      if (!ds.dims.count(d)) problem(where + "unknown dimension " + d);
  }
  const std::string feature = ds.Global("featureType");
  if (!feature.empty()) {
    if (std::find(std::begin(kFeatureTypes), std::end(kFeatureTypes), feature) ==
        std::end(kFeatureTypes))
      problem("featureType \"" + feature + "\" is not one of CF's");
    if (!hasTime || !hasLatitude || !hasLongitude)
      problem("a discrete sampling geometry needs time, latitude and longitude");
    if (feature == "timeSeries" && stations != 1)
      problem("a single time series needs one variable with cf_role timeseries_id");
  }
  return problems;
}

}  // namespace tidora::testing
