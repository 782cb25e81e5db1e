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

}  // namespace

bool ExportWaveStatistics(NcFile& nc, OpenedSource* wts, OpenedSource* was,
                          const ExportOptions& options, std::string& error) {
  auto* wtsReader = wts ? static_cast<CWtsFile*>(wts->reader.get()) : nullptr;
  auto* wasReader = was ? static_cast<CWasFile*>(was->reader.get()) : nullptr;
  OpenedSource& lead = wts ? *wts : *was;
  const auto* leadReader = static_cast<const CWaveOutputFile*>(lead.reader.get());

  std::string names;
  for (OpenedSource* s : {wts, was})
    if (s)
      names += (names.empty() ? "" : " and ") + std::filesystem::path(s->path).filename().string();
  CommonParts common =
      WriteCommonParts(nc, options, "Wave statistics of " + names, SourceRoot(lead.path));
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
  const int bands = was ? was->rows : 0;
  const int frequencyDim = was ? nc.Dim("frequency", static_cast<size_t>(bands)) : -1;
  const int timeVar = DefineTime(nc, timeDim, "burst start time");
  std::vector<Output> outputs;
  auto define = [&](int id, bool fromWts) {
    outputs.push_back(
        {id, DefineCatalogueVariable(nc, id, {timeDim}, common.coordinates, {4096}), fromWts});
    return outputs.back().var;
  };
  define(kVarBurstNumber, wts != nullptr);
  nc.Text(define(kVarSensorDepth, wts != nullptr), "positive", "down");
  const int waterDepthVar = nc.Var("water_depth", NcType::kFloat, {timeDim}, {4096});
  nc.Text(waterDepthVar, "long_name", "Total water depth [meters]");
  nc.Text(waterDepthVar, "units", "m");
  nc.Text(waterDepthVar, "standard_name", "sea_floor_depth_below_sea_surface");
  nc.Text(waterDepthVar, "coordinates", common.coordinates);
  if (wts)
    for (int id : kWtsIds) define(id, true);
  if (was)
    for (int id : kWasIds) define(id, false);
  int frequencyVar = -1, densityVar = -1;
  if (was) {
    frequencyVar = DefineCatalogueVariable(nc, kVarFrequency, {frequencyDim}, "");
    nc.Text(frequencyVar, "comment", "band centres");
    densityVar = DefineCatalogueVariable(
        nc, kVarEnergyDensity, {timeDim, frequencyDim}, common.coordinates,
        {std::clamp<size_t>(16384 / std::max(bands, 1), 1, 4096), static_cast<size_t>(bands)});
  }
  // The spectral setup is known once the first burst of the spectrum file is read.
  CWasFile::Header setup;
  DataArrays wasData, wtsData;
  int count = 0;
  bool wasRead = false;
  if (was) {
    for (int id :
         {kVarBurstNumber, kVarDateTime, kVarSensorDepth, kVarEnergyDensity, kVarFrequency})
      wasData.Want(id);
    for (int id : kWasIds) wasData.Want(id);
    wasRead = wasReader->ReadData(wasData, 0, count) != 0;
    setup = wasReader->GetLastHeader();
    nc.Number(-1, "spectral_estimates_per_band", setup.estimates, NcType::kInt);
    nc.Number(-1, "band_width", setup.bandWidth);
    nc.Number(densityVar, "confidence_level_percent", setup.confidence, NcType::kInt);
    nc.Number(densityVar, "confidence_lower_multiplier", setup.lower);
    nc.Number(densityVar, "confidence_upper_multiplier", setup.upper);
  }
  WriteUserAttributes(nc, options);
  if (!nc.EndDefinitions()) return false;
  WriteCommonValues(nc, common, options);
  std::vector<float> centres;
  if (was) {
    centres = BandCentres(setup, bands);
    std::vector<double> values(centres.begin(), centres.end());
    nc.Put(frequencyVar, {0}, {centres.size()}, values.data());
  }

  TimeBlock block(nc, std::clamp<size_t>(16384 / std::max(bands, 1), 1, 4096));
  const size_t timeColumn = block.Add(timeVar, 1, NcType::kDouble);
  for (Output& o : outputs) o.column = block.Add(o.var, 1, CfVariableOf(o.id).type);
  const size_t waterDepthColumn = block.Add(waterDepthVar, 1, NcType::kFloat);
  const size_t densityColumn =
      was ? block.Add(densityVar, static_cast<size_t>(bands), NcType::kFloat, true) : 0;
  if (wts) {
    for (int id : {kVarBurstNumber, kVarDateTime, kVarSensorDepth}) wtsData.Want(id);
    for (int id : kWtsIds) wtsData.Want(id);
  }
  bool wtsRead = wts && wtsReader->ReadData(wtsData, 0, count);
  while (!block.Failed() && (wtsRead || wasRead)) {
    if (wts && was &&
        (wtsRead != wasRead ||
         wtsReader->GetLastHeader().burst.burst != wasReader->GetLastHeader().burst.burst)) {
      error = wts->path + " and " + was->path + " do not hold the same bursts";
      return false;
    }
    const DataArrays& leadData = wts ? wtsData : wasData;
    block.Row(timeColumn)[0] = leadData.Get(kVarDateTime, 0);
    for (const Output& o : outputs)
      block.Row(o.column)[0] = (o.fromWts ? wtsData : wasData).Get(o.id, 0);
    block.Row(waterDepthColumn)[0] = ToFloat(wts ? wtsReader->GetLastHeader().waterDepth
                                                 : wasReader->GetLastHeader().waterDepth);
    if (was) {
      const CWasFile::Header& h = wasReader->GetLastHeader();
      const int n = std::clamp(h.bands, 0, kMaxWaveSeriesLength);
      // One frequency axis and one set of confidence limits serve the run: a burst analysed
      // otherwise is not bent to fit them.
      bool same = n <= bands && h.estimates == setup.estimates &&
                  h.confidence == setup.confidence && h.lower == setup.lower &&
                  h.upper == setup.upper;
      for (int i = 0; same && i < n; ++i)
        same = wasData.values[kVarFrequency][static_cast<size_t>(i)] ==
               centres[static_cast<size_t>(i)];
      if (!same) {
        error = was->path + ": burst " + std::to_string(h.burst.burst) +
                " was analysed with other bands or confidence limits than the first burst";
        return false;
      }
      const float* d = wasData.values[kVarEnergyDensity].data();
      std::copy(d, d + n, block.Row(densityColumn));
    }
    block.EndRow();
    wtsRead = wts && wtsReader->ReadData(wtsData, 0, count);
    wasRead = was && wasReader->ReadData(wasData, 0, count);
  }
  block.Flush();
  for (const CTGR41File* r : {static_cast<const CTGR41File*>(wts ? wtsReader : nullptr),
                              static_cast<const CTGR41File*>(was ? wasReader : nullptr)}) {
    if (r && !r->GetDataError().empty()) {  // a damaged burst is no end of the file
      error = r->GetDataError();
      return false;
    }
  }
  if (!nc.Ok()) error = nc.Error();
  return nc.Ok();
}

}  // namespace tidora
