#pragma once

// What the three writers of cf_export share: the CF attributes of the catalogue's variables,
// the global attributes, and columns written in blocks of rows.

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "datafile/tgr41file.h"
#include "export/cf_export.h"
#include "export/netcdf_file.h"

namespace tidora {

// CF description of a catalogue variable: netCDF name, UDUNITS unit, standard name (empty when
// CF has none), and the netCDF type.
struct CfVariable {
  const char* name;
  const char* units;
  const char* standardName;
  NcType type;
};
// The description of identifier `id`; the name is empty for identifiers without one.
CfVariable CfVariableOf(int id);

// A source file opened through the data file library, with its rows and subtitles counted.
struct OpenedSource {
  std::string path;
  std::unique_ptr<CTGR41File> reader;
  int rows = 0;
  int subtitles = 0;
};
bool OpenSource(const std::string& path, Interaction* ui, OpenedSource& out, std::string& error);

// Conventions, title, history, version, the user's attributes; featureType, the station and
// its position with the names of the position variables for `coordinates`.
struct CommonParts {
  std::string coordinates;  // "latitude longitude station"
  std::string station;
  int stationVar = -1, latitudeVar = -1, longitudeVar = -1;
};
CommonParts WriteCommonParts(NcFile& nc, const ExportOptions& options, const std::string& title,
                             const std::string& station);
// The station's name and position, once the definitions have ended.
void WriteCommonValues(NcFile& nc, const CommonParts& parts, const ExportOptions& options);
// The user's attributes go last so that they win over ours.
void WriteUserAttributes(NcFile& nc, const ExportOptions& options);

// A catalogue variable over `dims` with its long name, units and standard name; with empty
// `coordinates` it is a coordinate variable itself (no fill value).
int DefineCatalogueVariable(NcFile& nc, int id, const std::vector<int>& dims,
                            const std::string& coordinates, const std::vector<size_t>& chunks = {});
// Calendar seconds of a burst's start on the recorder's clock, as the readers date bursts.
double BurstStartSeconds(const CTGR41File& reader, double start);
// The time coordinate: seconds since 1970 of the records' own clock times.
int DefineTime(NcFile& nc, int dim, const std::string& longName);

// Columns over the unlimited time dimension, `width` values per row (1 for a series, the
// samples or bands for a matrix), written `blockRows` rows at a time. A full block is written
// on a thread of its own while the next one fills, so compressing keeps pace with reading;
// nothing else may use the file until Flush.
class TimeBlock {
 public:
  TimeBlock(NcFile& nc, size_t blockRows) : nc_(nc), blockRows_(blockRows) {}
  ~TimeBlock();
  TimeBlock(const TimeBlock&) = delete;
  TimeBlock& operator=(const TimeBlock&) = delete;

  // Adds a column (a matrix column is over time and a second dimension); returns its index.
  size_t Add(int var, size_t width, NcType type, bool matrix = false);
  // The row being filled: its values of column c (width of them), preset to the fill value.
  double* Row(size_t c) { return &columns_[c].values[current_][filled_ * columns_[c].width]; }
  // Ends the row; hands the block to the writing thread when it is full.
  void EndRow();
  // Writes what is left and waits for the writing to end.
  void Flush();
  // True once a write failed (the file then holds the message).
  bool Failed() const { return failed_; }

 private:
  struct Column {
    int var;
    size_t width;
    bool matrix;
    double fill;
    std::vector<double> values[2];
  };
  void Write(int buffer, size_t start, size_t rows);
  void Wait();

  NcFile& nc_;
  size_t blockRows_;
  size_t filled_ = 0;
  size_t written_ = 0;
  int current_ = 0;
  std::vector<Column> columns_;
  std::future<void> pending_;
  std::atomic<bool> failed_{false};
};

// The three writers, given sources opened by OpenSource.
bool ExportTide(NcFile& nc, OpenedSource& tid, const ExportOptions& options, std::string& error);
bool ExportBursts(NcFile& nc, OpenedSource& wb, const ExportOptions& options, std::string& error);
// `wts` or `was` may be empty (no reader) when only one of the two is given.
bool ExportWaveStatistics(NcFile& nc, OpenedSource* wts, OpenedSource* was,
                          const ExportOptions& options, std::string& error);

// The file's name without its folder and extension.
std::string SourceRoot(const std::string& path);

}  // namespace tidora
