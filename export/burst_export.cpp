// A wave burst file as a burst x sample matrix of pressures, chunked and compressed.
#include <algorithm>
#include <filesystem>

#include "datafile/wbfile.h"
#include "export/export_parts.h"

namespace tidora {

// Calendar seconds of a burst's start on the recorder's clock.
double BurstStartSeconds(const CTGR41File& reader, double start) {
  std::tm t{};
  reader.AddP41Time(start, &t);
  return CalendarSeconds(t);
}

bool ExportBursts(NcFile& nc, OpenedSource& source, const ExportOptions& options,
                  std::string& error) {
  auto& reader = static_cast<CWbFile&>(*source.reader);
  const std::string name = std::filesystem::path(source.path).filename().string();
  const size_t samples = static_cast<size_t>(reader.GetSamplesPerBurst());
  const double period = reader.GetSamplePeriod();
  CommonParts common =
      WriteCommonParts(nc, options, "Wave bursts of " + name, SourceRoot(source.path));
  nc.Text(-1, "source_file", name);
  nc.Text(-1, "recorder_clock",
          reader.Is2000Based() ? "seconds from 2000-01-01 (TGR 41plus)"
                               : "TIDEWELL calendar (365-day years from 1989)");
  nc.Number(-1, "samples_per_burst", static_cast<double>(samples), NcType::kInt);
  nc.Number(-1, "sample_period", period);
  nc.Number(-1, "bursts", reader.GetNumBursts(), NcType::kInt);

  const int timeDim = nc.Dim("time", 0);
  const int sampleDim = nc.Dim("time_in_burst", samples);
  const int timeVar = DefineTime(nc, timeDim, "burst start time");
  const int offsetVar = DefineCatalogueVariable(nc, kVarTime, {sampleDim}, "");
  nc.Text(offsetVar, "comment", "time of each sample from the start of its burst");
  const int burstVar =
      DefineCatalogueVariable(nc, kVarBurstNumber, {timeDim}, common.coordinates, {4096});
  const int periodVar =
      DefineCatalogueVariable(nc, kVarPeriod, {timeDim}, common.coordinates, {4096});
  nc.Text(periodVar, "long_name", "sample period");
  // Chunks of about 64 k samples: large enough to compress well, one block of rows in memory.
  const size_t blockRows = std::clamp<size_t>(65536 / std::max<size_t>(samples, 1), 1, 4096);
  const int pressureVar = DefineCatalogueVariable(nc, kVarSubsurfacePressure, {timeDim, sampleDim},
                                                  common.coordinates, {blockRows, samples});
  WriteUserAttributes(nc, options);
  if (!nc.EndDefinitions()) return false;
  WriteCommonValues(nc, common, options);
  std::vector<double> offsets(samples);
  for (size_t i = 0; i < samples; ++i) offsets[i] = static_cast<double>(i) * period;
  nc.Put(offsetVar, {0}, {samples}, offsets.data());

  TimeBlock block(nc, blockRows);
  const size_t timeColumn = block.Add(timeVar, 1, NcType::kDouble);
  const size_t burstColumn = block.Add(burstVar, 1, NcType::kInt);
  const size_t periodColumn = block.Add(periodVar, 1, NcType::kFloat);
  const size_t pressureColumn = block.Add(pressureVar, samples, NcType::kFloat, true);
  DataArrays data;
  for (int id : {kVarSubsurfacePressure, kVarBurstNumber, kVarPeriod}) data.Want(id);
  int count = 0;
  while (!block.Failed() && reader.ReadData(data, 0, count)) {
    const BurstHeader& h = reader.GetLastHeader();
    // One sample axis serves every burst; a burst that does not fit it is not bent to fit.
    if (static_cast<size_t>(count) > samples || h.period != period) {
      error = source.path + ": burst " + std::to_string(h.burst) + " has " + std::to_string(count) +
              " samples " + std::to_string(h.period) + " s apart, unlike the first burst's " +
              std::to_string(samples) + " samples " + std::to_string(period) + " s apart";
      return false;
    }
    block.Row(timeColumn)[0] = BurstStartSeconds(reader, h.start);
    block.Row(burstColumn)[0] = data.Get(kVarBurstNumber, 0);
    block.Row(periodColumn)[0] = data.Get(kVarPeriod, 0);
    const float* p = data.values[kVarSubsurfacePressure].data();
    std::copy(p, p + count, block.Row(pressureColumn));
    block.EndRow();
  }
  block.Flush();
  if (!nc.Ok()) error = nc.Error();
  return nc.Ok();
}

}  // namespace tidora
