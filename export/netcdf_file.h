#pragma once

// A netCDF-4 file being written: a thin layer over the netCDF C library that remembers the
// first failure, so a writer can define and write a whole file and check once at the end.

#include <cstddef>
#include <string>
#include <vector>

namespace tidora {

enum class NcType { kInt, kFloat, kDouble, kString };

// The fill value written as _FillValue for each numeric type (the library's defaults).
double NcFillValue(NcType type);

class NcFile {
 public:
  NcFile() = default;
  ~NcFile();
  NcFile(const NcFile&) = delete;
  NcFile& operator=(const NcFile&) = delete;

  // Creates a netCDF-4 file, replacing what is at the path (the caller's temporary file).
  bool Create(const std::string& path);
  // Closes the file; false when anything failed since Create (this close included).
  bool Close();
  bool Ok() const { return error_.empty(); }
  // The first failure, "" when none.
  const std::string& Error() const { return error_; }

  // Definitions. `length` 0 makes the dimension unlimited.
  int Dim(const std::string& name, size_t length);
  // A variable over `dims` (none: a scalar); numeric ones get _FillValue unless they are
  // coordinates, which must not miss values. `chunks` (one per dimension) makes it chunked
  // and compressed.
  int Var(const std::string& name, NcType type, const std::vector<int>& dims,
          const std::vector<size_t>& chunks = {}, bool fill = true);
  // Attributes of a variable, or global ones with var -1.
  void Text(int var, const std::string& name, const std::string& value);
  void Number(int var, const std::string& name, double value, NcType type = NcType::kDouble);
  void Numbers(int var, const std::string& name, const std::vector<double>& values, NcType type);
  bool EndDefinitions();

  // Data: a block of `count` values per dimension from `start`, converted to the variable's type.
  void Put(int var, const std::vector<size_t>& start, const std::vector<size_t>& count,
           const double* values);
  void Put(int var, const std::vector<size_t>& start, const std::vector<size_t>& count,
           const float* values);
  void PutString(int var, const std::string& value);

 private:
  bool Check(int status, const std::string& what);

  int id_ = -1;
  std::string path_;
  std::string error_;
};

}  // namespace tidora
