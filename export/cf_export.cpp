#include "export/cf_export.h"

#include <algorithm>
#include <filesystem>

#include "datafile/dump.h"
#include "datafile/tgr41file.h"
#include "export/export_parts.h"
#include "platform/output_files.h"

namespace tidora {
namespace {

// Identifier by identifier, in catalogue order; UDUNITS spellings, CF standard names.
constexpr CfVariable kCfVariables[kNumVariableIds] = {
    {"mean_period_zc", "s", "sea_surface_wave_mean_period", NcType::kFloat},
    {"mean_height_zc", "m", "sea_surface_wave_mean_height", NcType::kFloat},
    {"burst", "1", "", NcType::kInt},
    {"conductivity", "S m-1", "sea_water_electrical_conductivity", NcType::kFloat},
    {"time", "seconds since 1970-01-01 00:00:00", "time", NcType::kDouble},
    {"depth", "m", "depth", NcType::kFloat},
    {"sigma_theta", "kg m-3", "sea_water_sigma_theta", NcType::kFloat},
    {"sigma_t", "kg m-3", "sea_water_sigma_t", NcType::kFloat},
    {"sigma_1", "kg m-3", "", NcType::kFloat},
    {"sigma_2", "kg m-3", "", NcType::kFloat},
    {"sigma_4", "kg m-3", "", NcType::kFloat},
    {"energy_spectral", "J m-2", "", NcType::kFloat},
    {"energy_zc", "J m-2", "", NcType::kFloat},
    {"spectral_density", "m2 s", "sea_surface_wave_variance_spectral_density", NcType::kFloat},
    {"frequency", "Hz", "sea_surface_wave_frequency", NcType::kFloat},
    {"h1_10", "m", "sea_surface_wave_mean_height_of_highest_tenth", NcType::kFloat},
    {"h1_100", "m", "", NcType::kFloat},
    {"max_height", "m", "sea_surface_wave_maximum_height", NcType::kFloat},
    {"wave_count", "1", "", NcType::kInt},
    {"pressure", "psi", "sea_water_pressure", NcType::kFloat},
    {"instrument_depth", "m", "depth", NcType::kFloat},
    {"salinity", "1", "sea_water_practical_salinity", NcType::kFloat},
    {"peak_period", "s", "sea_surface_wave_period_at_variance_spectral_density_maximum",
     NcType::kFloat},
    {"significant_period_zc", "s", "sea_surface_wave_significant_period", NcType::kFloat},
    {"significant_height_spectral", "m", "sea_surface_wave_significant_height", NcType::kFloat},
    {"significant_height_zc", "m", "sea_surface_wave_significant_height", NcType::kFloat},
    {"pressure", "psi", "sea_water_pressure", NcType::kFloat},
    {"temperature", "degree_Celsius", "sea_water_temperature", NcType::kFloat},
    {"time_in_burst", "s", "", NcType::kDouble},
    {"variance_spectral", "m2", "", NcType::kFloat},
    {"variance_zc", "m2", "", NcType::kFloat},
    {"elevation", "m", "", NcType::kFloat},
    {"sample_period", "s", "", NcType::kFloat},
    {"", "", "", NcType::kFloat},
};

std::string IsoTime(std::time_t t) {
  std::tm utc = CalendarTime(static_cast<double>(t));
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

}  // namespace

CfVariable CfVariableOf(int id) {
  if (id < 0 || id >= kNumVariableIds) return kCfVariables[kVarNull];
  return kCfVariables[id];
}

std::string SourceRoot(const std::string& path) {
  return std::filesystem::path(path).stem().string();
}

bool OpenSource(const std::string& path, Interaction* ui, OpenedSource& out, std::string& error) {
  out.path = path;
  out.reader = OpenDataFile(path, error, ui, &out.rows, &out.subtitles);
  return out.reader != nullptr;
}

CommonParts WriteCommonParts(NcFile& nc, const ExportOptions& options, const std::string& title,
                             const std::string& station) {
  nc.Text(-1, "Conventions", "CF-1.8");
  nc.Text(-1, "title", title);
  const std::time_t now = options.now ? options.now : std::time(nullptr);
  nc.Text(-1, "history", IsoTime(now) + " " + options.command);
  nc.Text(-1, "date_created", IsoTime(now));
  nc.Text(-1, "product_version", "Tidora for Waves " + options.version);
  nc.Text(-1, "featureType", "timeSeries");

  // One station: the deployment, named after its file, at the position the user gave.
  int id = nc.Var("station", NcType::kString, {});
  nc.Text(id, "long_name", "deployment");
  nc.Text(id, "cf_role", "timeseries_id");
  struct Axis {
    const char* name;
    const char* longName;
    const char* units;
    const std::optional<double>& value;
  };
  const Axis axes[] = {
      {"latitude", "latitude of the mooring", "degrees_north", options.latitude},
      {"longitude", "longitude of the mooring", "degrees_east", options.longitude}};
  std::vector<int> position;
  for (const Axis& a : axes) {
    int var = nc.Var(a.name, NcType::kDouble, {});
    nc.Text(var, "standard_name", a.name);
    nc.Text(var, "long_name", a.longName);
    nc.Text(var, "units", a.units);
    if (!a.value) nc.Text(var, "comment", "not known to the recorder; give it when exporting");
    position.push_back(var);
  }
  return {"latitude longitude station", station, id, position[0], position[1]};
}

void WriteCommonValues(NcFile& nc, const CommonParts& parts, const ExportOptions& options) {
  nc.PutString(parts.stationVar, parts.station);
  const double lat = options.latitude.value_or(NcFillValue(NcType::kDouble));
  const double lon = options.longitude.value_or(NcFillValue(NcType::kDouble));
  nc.Put(parts.latitudeVar, {}, {}, &lat);
  nc.Put(parts.longitudeVar, {}, {}, &lon);
}

void WriteUserAttributes(NcFile& nc, const ExportOptions& options) {
  for (const auto& [key, value] : options.attributes) nc.Text(-1, key, value);
}

int DefineCatalogueVariable(NcFile& nc, int id, const std::vector<int>& dims,
                            const std::string& coordinates, const std::vector<size_t>& chunks) {
  const CfVariable cf = CfVariableOf(id);
  int var = nc.Var(cf.name, cf.type, dims, chunks, !coordinates.empty());
  std::string longName;
  GetDataNameFromID(longName, id);
  nc.Text(var, "long_name", longName);
  nc.Text(var, "units", cf.units);
  if (*cf.standardName) nc.Text(var, "standard_name", cf.standardName);
  if (!coordinates.empty()) nc.Text(var, "coordinates", coordinates);
  return var;
}

int DefineTime(NcFile& nc, int dim, const std::string& longName) {
  int var = nc.Var("time", NcType::kDouble, {dim}, {4096}, false);
  nc.Text(var, "standard_name", "time");
  nc.Text(var, "long_name", longName);
  nc.Text(var, "units", "seconds since 1970-01-01 00:00:00");
  nc.Text(var, "calendar", "standard");
  nc.Text(var, "axis", "T");
  nc.Text(var, "comment", "the recorder's own clock, taken as UTC");
  return var;
}

size_t TimeBlock::Add(int var, size_t width, NcType type, bool matrix) {
  Column c{var, width, matrix, NcFillValue(type), {}};
  for (std::vector<double>& v : c.values) v.assign(blockRows_ * width, c.fill);
  columns_.push_back(std::move(c));
  return columns_.size() - 1;
}

TimeBlock::~TimeBlock() {
  Wait();
}

void TimeBlock::Wait() {
  if (pending_.valid()) pending_.get();
}

void TimeBlock::Write(int buffer, size_t start, size_t rows) {
  for (Column& c : columns_) {
    std::vector<size_t> from{start}, count{rows};
    if (c.matrix) {
      from.push_back(0);
      count.push_back(c.width);
    }
    nc_.Put(c.var, from, count, c.values[buffer].data());
    // The buffer fills again from fill values.
    std::fill_n(c.values[buffer].begin(), rows * c.width, c.fill);
  }
  if (!nc_.Ok()) failed_ = true;
}

void TimeBlock::EndRow() {
  if (++filled_ < blockRows_) return;
  Wait();
  pending_ = std::async(std::launch::async, [this, buffer = current_, start = written_,
                                             rows = filled_] { Write(buffer, start, rows); });
  written_ += filled_;
  filled_ = 0;
  current_ ^= 1;
}

void TimeBlock::Flush() {
  Wait();
  if (filled_ > 0) Write(current_, written_, filled_);
  written_ += filled_;
  filled_ = 0;
}

std::string DefaultExportPath(const std::vector<std::string>& inputs) {
  if (inputs.empty()) return "";
  for (const std::string& in : inputs)
    if (FileIdFromExtension(in) == kWtsFileId) return in + ".nc";
  return inputs.front() + ".nc";
}

bool ExportToNetcdf(const std::vector<std::string>& inputs, const std::string& output,
                    const ExportOptions& options, std::string& error) {
  // What the inputs are: one tide file, one wave burst file, or the two outputs of one run.
  std::vector<int> kinds;
  for (const std::string& in : inputs) kinds.push_back(FileIdFromExtension(in));
  auto count = [&](int kind) { return std::count(kinds.begin(), kinds.end(), kind); };
  const bool waveOutputs = count(kWtsFileId) + count(kWasFileId) == static_cast<long>(kinds.size());
  if (inputs.empty() || (inputs.size() > 1 && !waveOutputs) || count(kWtsFileId) > 1 ||
      count(kWasFileId) > 1) {
    error = "give one .tid or .wb file, or the .wts and .was files of one wave run (one or both)";
    return false;
  }
  std::vector<OpenedSource> sources(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i)
    if (!OpenSource(inputs[i], options.ui, sources[i], error)) return false;
  if (kinds.front() == kWtFileId) {
    error = inputs.front() + ": surface elevation files are not exported";
    return false;
  }

  // The export is written beside the output and takes its place only when it is complete.
  OutputSet outputs;
  const std::string temporary = outputs.Add(output);
  NcFile nc;
  if (temporary.empty() || !nc.Create(temporary)) {
    error =
        output + ": cannot be written (" + (temporary.empty() ? outputs.Error() : nc.Error()) + ")";
    return false;
  }

  bool ok = false;
  if (waveOutputs) {
    OpenedSource* wts = nullptr;
    OpenedSource* was = nullptr;
    for (size_t i = 0; i < inputs.size(); ++i) (kinds[i] == kWtsFileId ? wts : was) = &sources[i];
    ok = ExportWaveStatistics(nc, wts, was, options, error);
  } else if (kinds.front() == kTideFileId) {
    ok = ExportTide(nc, sources.front(), options, error);
  } else {
    ok = ExportBursts(nc, sources.front(), options, error);
  }
  for (OpenedSource& s : sources) s.reader->CloseFile();
  const bool closed = nc.Close();
  if (error.empty()) error = nc.Error();
  if (!ok || !closed) return false;
  if (outputs.Commit()) return true;
  error = output + ": cannot be replaced: " + outputs.Error();
  return false;
}

}  // namespace tidora
