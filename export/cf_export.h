#pragma once

// A deployment's data files as CF-1.8 netCDF-4 files, read through the data file library:
// a tide file (.tid) as a time series, a wave burst file (.wb) as a burst x sample matrix, and
// the wave statistics (.wts) with their auto spectra (.was) as per-burst series and a
// burst x frequency spectrum. The files stream: memory does not grow with their length.

#include <ctime>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tidora {

class Interaction;

struct ExportOptions {
  // Global attributes given by the user (institution, source, ...); they replace ours.
  std::vector<std::pair<std::string, std::string>> attributes;
  // The command that made the file and the suite's version, for `history`.
  std::string command;
  std::string version;
  std::time_t now = 0;  // time of the export for `history`; 0: the current time
  // The mooring's position in degrees north and east, when known.
  std::optional<double> latitude, longitude;
  // Where the readers of the wave output files show their messages; may be null.
  Interaction* ui = nullptr;
};

// The output a set of inputs gets when none is named: the first input's name with ".nc"
// added (the statistics file's for a .wts with its .was).
std::string DefaultExportPath(const std::vector<std::string>& inputs);

// Writes `inputs` (one .tid, one .wb, or a .wts and/or a .was of one run) to `output`. The file
// is written beside `output` under a temporary name and renamed over it only when complete.
// False with a one-line message in `error` for inputs that cannot be read or paired, or a
// failed write; `output` is then left as it was.
bool ExportToNetcdf(const std::vector<std::string>& inputs, const std::string& output,
                    const ExportOptions& options, std::string& error);

}  // namespace tidora
