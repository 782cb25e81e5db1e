#pragma once

// Reading a netCDF file back whole, and a check of the CF rules our exports rely on, written
// from the conventions: units that parse as UDUNITS spellings, standard names from the CF table
// with units convertible to their canonical units, coordinate variables and `coordinates`
// attributes consistent with the dimensions, the featureType and its station, and fill values
// of the variable's own type.

#include <map>
#include <string>
#include <vector>

namespace tidora::testing {

struct NcAttribute {
  int type = 0;  // nc_type
  std::string text;
  std::vector<double> numbers;
};

struct NcVariable {
  std::string name;
  int type = 0;  // nc_type
  std::vector<std::string> dims;
  std::vector<size_t> shape;
  std::map<std::string, NcAttribute> attributes;
  std::vector<double> values;  // numeric variables
  std::vector<std::string> strings;
  std::string Text(const std::string& attribute) const;
  bool Has(const std::string& attribute) const { return attributes.count(attribute) != 0; }
};

struct NcDataset {
  std::map<std::string, size_t> dims;
  std::map<std::string, NcAttribute> global;
  std::map<std::string, NcVariable> vars;
  std::string Global(const std::string& attribute) const;
  const NcVariable& Var(const std::string& name) const;  // throws when missing
};

// Loads every dimension, attribute and value; false with a message.
bool LoadNetcdf(const std::string& path, NcDataset& out, std::string& error);

// Dimensions of a unit in the base quantities (length, mass, time, current, temperature,
// angle), or false when the text is not a unit we know the spelling of. "X since DATE" is a
// time reference when `isReference` is given.
struct UnitDims {
  int e[6] = {0, 0, 0, 0, 0, 0};
  bool operator==(const UnitDims& o) const;
};
bool ParseUnits(const std::string& text, UnitDims& dims, bool* isReference = nullptr);

// Every breach of the rules found, one line each; empty when the file complies.
std::vector<std::string> CheckCf(const NcDataset& ds);

}  // namespace tidora::testing
