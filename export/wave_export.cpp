// The wave module's statistics (.wts) and auto spectra (.was) of one run as CF time series
// over the bursts, with the spectra as a burst x frequency variable.
#include <algorithm>
#include <filesystem>

#include "datafile/wavefiles.h"
#include "export/export_parts.h"

namespace tidora {
namespace {

// Per-burst statistics of each file, in the order they are written.
constexpr int kWtsIds[] = {kVarSigHeightTss,     kVarSigPeriodTss, kVarAverageHeightTss,
                           kVarAveragePeriodTss, kVarMaxHeightTss, kVarH10Tss,
                           kVarH100Tss,          kVarVarianceTss,  kVarEnergyTss,
                           kVarNumberOfWaves};
constexpr int kWasIds[] = {kVarSigHeightAs, kVarSigPeriodAs, kVarVarianceAs, kVarEnergyAs};

// The bands of a run share one frequency axis: the first burst's band centres, summed as the
// reader sums them.
std::vector<float> BandCentres(const CWasFile::Header& h, int bands) {
  std::vector<float> f;
  double frequency = h.firstFrequency;
  for (int i = 0; i < bands; ++i, frequency += h.bandWidth) f.push_back(ToFloat(frequency));
  return f;
}

struct Output {
  int id;
  int var;
  bool fromWts;
  size_t column = 0;
};

// The two files of a run as they are read side by side.
struct WaveRun {
  OpenedSource* wts = nullptr;
  OpenedSource* was = nullptr;
  CWtsFile* wtsReader = nullptr;
  CWasFile* wasReader = nullptr;
  DataArrays wtsData, wasData;
};

// The variables of an export: the catalogue's per-burst ones and the water depth over time,
// and for a spectrum file the frequency axis and the burst x frequency energy density.
struct WaveVariables {
  CommonParts common;
  int bands = 0;
  int timeVar = -1, waterDepthVar = -1, frequencyVar = -1, densityVar = -1;
  std::vector<Output> outputs;
};

// Rows of the time block per write: about 16384 values of the spectra.
size_t BlockRows(int bands) {
  return std::clamp<size_t>(16384 / static_cast<size_t>(std::max(bands, 1)), 1, 4096);
}

WaveVariables DefineWaveVariables(NcFile& nc, const WaveRun& run, const ExportOptions& options) {
  OpenedSource& lead = run.wts ? *run.wts : *run.was;
  const auto* leadReader = static_cast<const CWaveOutputFile*>(lead.reader.get());
  std::string names;
  for (OpenedSource* s : {run.wts, run.was})
    if (s)
      names += (names.empty() ? "" : " and ") + std::filesystem::path(s->path).filename().string();
  WaveVariables v;
  v.common = WriteCommonParts(nc, options, "Wave statistics of " + names, SourceRoot(lead.path));
  nc.Text(-1, "source_file", names);
  nc.Text(-1, "recorder_clock",
          leadReader->Is2000Based() ? "seconds from 2000-01-01 (TGR 41plus)"
                                    : "TIDEWELL calendar (365-day years from 1989)");
  // The run's setup, as the first burst states it.
  nc.Number(-1, "sample_period", leadReader->GetSamplePeriod());
  nc.Number(-1, "transform_length", leadReader->GetNumPoints(), NcType::kInt);
  nc.Number(-1, "sea_water_density", leadReader->GetDensity());
  nc.Number(-1, "instrument_height_above_bottom",
            leadReader->GetWaterDepth() - leadReader->GetInstrumentDepth());

  const int timeDim = nc.Dim("time", 0);
  v.bands = run.was ? run.was->rows : 0;
  const int frequencyDim = run.was ? nc.Dim("frequency", static_cast<size_t>(v.bands)) : -1;
  v.timeVar = DefineTime(nc, timeDim, "burst start time");
  auto define = [&](int id, bool fromWts) {
    v.outputs.push_back(
        {id, DefineCatalogueVariable(nc, id, {timeDim}, v.common.coordinates, {4096}), fromWts});
    return v.outputs.back().var;
  };
  define(kVarBurstNumber, run.wts != nullptr);
  nc.Text(define(kVarSensorDepth, run.wts != nullptr), "positive", "down");
  v.waterDepthVar = nc.Var("water_depth", NcType::kFloat, {timeDim}, {4096});
  nc.Text(v.waterDepthVar, "long_name", "Total water depth [meters]");
  nc.Text(v.waterDepthVar, "units", "m");
  nc.Text(v.waterDepthVar, "standard_name", "sea_floor_depth_below_sea_surface");
  nc.Text(v.waterDepthVar, "coordinates", v.common.coordinates);
  if (run.wts)
    for (int id : kWtsIds) define(id, true);
  if (run.was) {
    for (int id : kWasIds) define(id, false);
    v.frequencyVar = DefineCatalogueVariable(nc, kVarFrequency, {frequencyDim}, "");
    nc.Text(v.frequencyVar, "comment", "band centres");
    v.densityVar = DefineCatalogueVariable(nc, kVarEnergyDensity, {timeDim, frequencyDim},
                                           v.common.coordinates,
                                           {BlockRows(v.bands), static_cast<size_t>(v.bands)});
  }
  return v;
}

// The next burst of each file; false for a file that is not given or has ended.
bool ReadWts(WaveRun& run) {
  int count = 0;
  return run.wts && run.wtsReader->ReadData(run.wtsData, 0, count);
}
bool ReadWas(WaveRun& run) {
  int count = 0;
  return run.was && run.wasReader->ReadData(run.wasData, 0, count);
}

// A burst's spectrum fits the run's frequency axis and confidence limits.
bool SameSpectralSetup(const WaveRun& run, const CWasFile::Header& setup, int bands,
                       const std::vector<float>& centres, std::string& error) {
  const CWasFile::Header& h = run.wasReader->GetLastHeader();
  const int n = std::clamp(h.bands, 0, kMaxWaveSeriesLength);
  // One frequency axis and one set of confidence limits serve the run: a burst analysed
  // otherwise is not bent to fit them.
  bool same = n <= bands && h.estimates == setup.estimates && h.confidence == setup.confidence &&
              h.lower == setup.lower && h.upper == setup.upper;
  for (int i = 0; same && i < n; ++i)
    same = run.wasData.values[kVarFrequency][static_cast<size_t>(i)] ==
           centres[static_cast<size_t>(i)];
  if (!same)
    error = run.was->path + ": burst " + std::to_string(h.burst.burst) +
            " was analysed with other bands or confidence limits than the first burst";
  return same;
}

// Every burst of the run as a row of the time block; `wasRead` tells that the spectrum file's
// first burst has been read already.
bool WriteWaveRows(NcFile& nc, WaveRun& run, const WaveVariables& v, bool wasRead,
                   const CWasFile::Header& setup, const std::vector<float>& centres,
                   std::string& error) {
  TimeBlock block(nc, BlockRows(v.bands));
  const size_t timeColumn = block.Add(v.timeVar, 1, NcType::kDouble);
  std::vector<Output> outputs = v.outputs;
  for (Output& o : outputs) o.column = block.Add(o.var, 1, CfVariableOf(o.id).type);
  const size_t waterDepthColumn = block.Add(v.waterDepthVar, 1, NcType::kFloat);
  const size_t densityColumn =
      run.was ? block.Add(v.densityVar, static_cast<size_t>(v.bands), NcType::kFloat, true) : 0;
  bool wtsRead = ReadWts(run);
  while (!block.Failed() && (wtsRead || wasRead)) {
    if (run.wts && run.was &&
        (wtsRead != wasRead || run.wtsReader->GetLastHeader().burst.burst !=
                                   run.wasReader->GetLastHeader().burst.burst)) {
      error = run.wts->path + " and " + run.was->path + " do not hold the same bursts";
      return false;
    }
    const DataArrays& leadData = run.wts ? run.wtsData : run.wasData;
    block.Row(timeColumn)[0] = leadData.Get(kVarDateTime, 0);
    for (const Output& o : outputs)
      block.Row(o.column)[0] = (o.fromWts ? run.wtsData : run.wasData).Get(o.id, 0);
    block.Row(waterDepthColumn)[0] = ToFloat(run.wts ? run.wtsReader->GetLastHeader().waterDepth
                                                     : run.wasReader->GetLastHeader().waterDepth);
    if (run.was) {
      if (!SameSpectralSetup(run, setup, v.bands, centres, error)) return false;
      const int n = std::clamp(run.wasReader->GetLastHeader().bands, 0, kMaxWaveSeriesLength);
      const float* d = run.wasData.values[kVarEnergyDensity].data();
      std::copy(d, d + n, block.Row(densityColumn));
    }
    block.EndRow();
    wtsRead = ReadWts(run);
    wasRead = ReadWas(run);
  }
  block.Flush();
  for (const CTGR41File* r : {static_cast<const CTGR41File*>(run.wts ? run.wtsReader : nullptr),
                              static_cast<const CTGR41File*>(run.was ? run.wasReader : nullptr)}) {
    if (r && !r->GetDataError().empty()) {  // a damaged burst is no end of the file
      error = r->GetDataError();
      return false;
    }
  }
  return true;
}

}  // namespace

bool ExportWaveStatistics(NcFile& nc, OpenedSource* wts, OpenedSource* was,
                          const ExportOptions& options, std::string& error) {
  WaveRun run;
  run.wts = wts;
  run.was = was;
  run.wtsReader = wts ? static_cast<CWtsFile*>(wts->reader.get()) : nullptr;
  run.wasReader = was ? static_cast<CWasFile*>(was->reader.get()) : nullptr;
  const WaveVariables v = DefineWaveVariables(nc, run, options);
  if (wts) {
    for (int id : {kVarBurstNumber, kVarDateTime, kVarSensorDepth}) run.wtsData.Want(id);
    for (int id : kWtsIds) run.wtsData.Want(id);
  }
  // The spectral setup is known once the first burst of the spectrum file is read.
  CWasFile::Header setup;
  bool wasRead = false;
  if (was) {
    for (int id :
         {kVarBurstNumber, kVarDateTime, kVarSensorDepth, kVarEnergyDensity, kVarFrequency})
      run.wasData.Want(id);
    for (int id : kWasIds) run.wasData.Want(id);
    wasRead = ReadWas(run);
    setup = run.wasReader->GetLastHeader();
    nc.Number(-1, "spectral_estimates_per_band", setup.estimates, NcType::kInt);
    nc.Number(-1, "band_width", setup.bandWidth);
    nc.Number(v.densityVar, "confidence_level_percent", setup.confidence, NcType::kInt);
    nc.Number(v.densityVar, "confidence_lower_multiplier", setup.lower);
    nc.Number(v.densityVar, "confidence_upper_multiplier", setup.upper);
  }
  WriteUserAttributes(nc, options);
  if (!nc.EndDefinitions()) return false;
  WriteCommonValues(nc, v.common, options);
  std::vector<float> centres;
  if (was) {
    centres = BandCentres(setup, v.bands);
    std::vector<double> values(centres.begin(), centres.end());
    nc.Put(v.frequencyVar, {0}, {centres.size()}, values.data());
  }
  if (!WriteWaveRows(nc, run, v, wasRead, setup, centres, error)) return false;
  if (!nc.Ok()) error = nc.Error();
  return nc.Ok();
}

}  // namespace tidora
