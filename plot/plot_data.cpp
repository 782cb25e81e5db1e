#include "plot/plot_data.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>

#include "datafile/dump.h"
#include "datafile/tgr41file.h"
#include "datafile/wavefiles.h"
#include "datafile/wbfile.h"
#include "outside/utility.h"

namespace tidora {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string NameOf(int id) {
  std::string name;
  GetDataNameFromID(name, id);
  return name;
}

std::string FileLabel(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

bool Stopped(const PlotProgress& p) {
  return p.stop && p.stop->StopRequested();
}

void Report(const PlotProgress& p, int fileIndex, int files, double fraction) {
  if (!p.percent || files <= 0) return;
  fraction = std::clamp(fraction, 0.0, 1.0);
  p.percent(static_cast<int>(100.0 * (fileIndex + fraction) / files));
}

// Variables on at most two axes, one unit each: the first unit on the left.
class UnitAxes {
 public:
  // The axis of a unit; -1 when both axes hold other units.
  int Assign(const std::string& unit) {
    for (int i = 0; i < used_; ++i)
      if (units_[i] == unit) return i;
    if (used_ == 2) return -1;
    units_[used_] = unit;
    return used_++;
  }
  const std::string& Unit(int axis) const { return units_[axis]; }
  int Used() const { return used_; }

 private:
  std::string units_[2];
  int used_ = 0;
};

// What every kind reads: the open file and where it is in the list.
struct Source {
  std::unique_ptr<CTGR41File> file;
  std::string path;
  std::string prefix;  // "name.tid: " when several files share the plot
  int index = 0;
  int count = 1;
};

// The bursts to read: from..to, positions in the file from 1.
struct BurstSpan {
  int from = 1, to = INT_MAX;
};

BurstSpan SpanOf(const PlotSettings& s, int kind) {
  BurstSpan b;
  b.from = std::max(1, s.firstBurst);
  if (s.lastBurst > 0)
    b.to = s.lastBurst;
  else if (kind == kPlotBurstSamples || kind == kPlotSpectra)
    b.to = b.from + 2;  // a few bursts: a whole file of samples is no picture
  return b;
}

int BurstsInFile(CTGR41File& f) {
  if (auto* w = dynamic_cast<CWaveOutputFile*>(&f)) return w->GetNumBursts();
  if (auto* b = dynamic_cast<CWbFile*>(&f)) return b->GetNumBursts();
  return 0;
}

// Moves to the first burst of the span; false with the reason.
bool SkipToSpan(Source& src, const BurstSpan& span, std::string& error) {
  if (span.to < span.from) {
    error = "LastBurst " + std::to_string(span.to) + " is before FirstBurst " +
            std::to_string(span.from);
    return false;
  }
  if (span.from > 1 && !src.file->SkipAtStart(span.from - 1)) {
    error = src.path + ": has no burst " + std::to_string(span.from);
    return false;
  }
  return true;
}

// Burst loop shared by the burst kinds: calls `take` after each burst read.
template <class Take>
bool ReadBursts(Source& src, const BurstSpan& span, DataArrays& data, const PlotProgress& progress,
                std::string& error, Take take) {
  if (!SkipToSpan(src, span, error)) return false;
  const int total = std::max(1, std::min(BurstsInFile(*src.file), span.to) - span.from + 1);
  int read = 0;
  for (int pos = span.from; pos <= span.to; ++pos) {
    if (Stopped(progress)) {
      error = "stopped";
      return false;
    }
    int count = 0;
    if (!src.file->ReadData(data, pos - 1, count)) {
      if (!src.file->GetDataError().empty()) {  // a damaged burst is no end of the file
        error = src.file->GetDataError();
        return false;
      }
      break;
    }
    take(count);
    ++read;
    if (read % 16 == 0) Report(progress, src.index, src.count, double(read) / total);
  }
  if (read == 0) {
    error = src.path + ": has no burst " + std::to_string(span.from);
    return false;
  }
  return true;
}

bool IsFileKind(const Source& src, std::initializer_list<int> ids) {
  return std::find(ids.begin(), ids.end(), src.file->GetFileID()) != ids.end();
}

std::string KindRefusal(const Source& src, int kind) {
  return src.path + ": a " + PlotKindName(kind) + " plot cannot be drawn from this kind of file";
}

// Puts each variable on the axis of its unit; false when a third unit comes.
bool AxesOf(const std::vector<int>& vars, UnitAxes& axes, std::vector<int>& axisOf,
            std::string& error) {
  axisOf.clear();
  for (int id : vars) {
    int axis = axes.Assign(VariableUnit(id));
    if (axis < 0) {
      error = "variable " + std::to_string(id) + " (" + NameOf(id) +
              ") needs a third axis: one plot shows at most two units";
      return false;
    }
    axisOf.push_back(axis);
  }
  return true;
}

// One series per variable, each on the axis of its unit, added behind the model's series;
// `first` is the index of the first added. False when a third unit comes.
bool AddVariableSeries(const Source& src, const std::vector<int>& vars, UnitAxes& axes,
                       PlotModel& m, size_t& first, std::string& error) {
  std::vector<int> axisOf;
  if (!AxesOf(vars, axes, axisOf, error)) return false;
  first = m.series.size();
  for (size_t i = 0; i < vars.size(); ++i) {
    PlotSeries ps;
    ps.name = src.prefix + NameOf(vars[i]);
    ps.axis = axisOf[i];
    m.series.push_back(std::move(ps));
  }
  return true;
}

bool ReadTideSeries(Source& src, const PlotSettings& s, PlotModel& m, UnitAxes& axes,
                    const PlotProgress& progress, std::string& error) {
  if (!IsFileKind(src, {kTideFileId})) {
    error = KindRefusal(src, kPlotTideSeries);
    return false;
  }
  std::vector<int> vars = s.variables;
  if (vars.empty()) {
    // The defaults that fit on two axes.
    UnitAxes probe = axes;
    for (int i = 1; i <= 4; ++i) {
      int id = src.file->GetDefaultVarID(i);
      if (id >= 0 && id < kNumVariableIds && probe.Assign(VariableUnit(id)) >= 0)
        vars.push_back(id);
    }
  }
  if (!CheckVariablesInFile(*src.file, vars, src.path, error)) return false;
  for (int id : vars)
    if (DataArrays::IsTimeId(id)) {
      error = "variable " + std::to_string(id) + " (" + NameOf(id) + ") is the X axis";
      return false;
    }
  size_t first = 0;
  if (!AddVariableSeries(src, vars, axes, m, first, error)) return false;

  DataArrays data;
  data.Want(kVarDateTime);
  for (int id : vars) data.Want(id);
  std::error_code ec;
  const double bytes = std::max<double>(1, std::filesystem::file_size(src.path, ec));
  const int rows = src.file->GetNumRows();
  std::vector<double> x;
  x.reserve(rows > 0 ? static_cast<size_t>(rows) : 0);
  for (size_t i = first; i < m.series.size(); ++i) m.series[i].y.reserve(x.capacity());
  int count = 0;
  for (long row = 0;; ++row) {
    // Every record goes to index 0: the arrays stay small whatever the file's length.
    if (!src.file->ReadData(data, 0, count)) {
      if (!src.file->GetDataError().empty()) {  // a damaged record is no end of the file
        error = src.file->GetDataError();
        return false;
      }
      break;
    }
    x.push_back(data.times[kVarDateTime][0]);
    for (size_t i = 0; i < vars.size(); ++i) m.series[first + i].y.push_back(data.Get(vars[i], 0));
    if ((row & 0xFFFF) == 0xFFFF) {
      if (Stopped(progress)) {
        error = "stopped";
        return false;
      }
      Report(progress, src.index, src.count, double(src.file->GetFilePosition()) / bytes);
    }
  }
  for (size_t i = first; i < m.series.size(); ++i) m.series[i].x = x;
  m.xIsDateTime = true;
  m.xTitle = NameOf(kVarDateTime);
  return true;
}

bool ReadBurstSamples(Source& src, const PlotSettings& s, PlotModel& m, UnitAxes& axes,
                      const PlotProgress& progress, std::string& error) {
  if (!IsFileKind(src, {kWaveBurstFileId, kWtFileId})) {
    error = KindRefusal(src, kPlotBurstSamples);
    return false;
  }
  const bool wb = src.file->GetFileID() == kWaveBurstFileId;
  const int id = wb ? kVarSubsurfacePressure : kVarWaveAmplitude;
  if (!s.variables.empty() && (s.variables.size() != 1 || s.variables[0] != id)) {
    error = src.path + ": its samples are variable " + std::to_string(id) + " (" + NameOf(id) + ")";
    return false;
  }
  std::vector<int> axisOf;
  if (!AxesOf({id}, axes, axisOf, error)) return false;
  DataArrays data;
  data.Want(id);
  data.Want(kVarTime);
  auto burstNumber = [&]() {
    if (wb) return static_cast<CWbFile&>(*src.file).GetLastHeader().burst;
    return static_cast<CWtFile&>(*src.file).GetLastHeader().burst;
  };
  const bool ok = ReadBursts(src, SpanOf(s, kPlotBurstSamples), data, progress, error, [&](int n) {
    PlotSeries ps;
    ps.name = src.prefix + "Burst " + std::to_string(burstNumber());
    ps.axis = axisOf[0];
    n = std::clamp(n, 0, kMaxSamplesPerBurst);
    for (int i = 0; i < n; ++i) {
      ps.x.push_back(data.Get(kVarTime, static_cast<size_t>(i)));
      ps.y.push_back(data.Get(id, static_cast<size_t>(i)));
    }
    m.series.push_back(std::move(ps));
  });
  m.xTitle = NameOf(kVarTime);
  return ok;
}

bool ReadBurstStatistics(Source& src, const PlotSettings& s, PlotModel& m, UnitAxes& axes,
                         const PlotProgress& progress, std::string& error) {
  if (!IsFileKind(src, {kWtsFileId, kWasFileId})) {
    error = KindRefusal(src, kPlotBurstStatistics);
    return false;
  }
  const bool was = src.file->GetFileID() == kWasFileId;
  std::vector<int> vars = s.variables;
  if (vars.empty())
    vars = was ? std::vector<int>{kVarSigHeightAs, kVarSigPeriodAs}
               : std::vector<int>{kVarSigHeightTss, kVarSigPeriodTss};
  if (!CheckVariablesInFile(*src.file, vars, src.path, error)) return false;
  for (int id : vars)
    if (id == kVarEnergyDensity || id == kVarFrequency || id == kVarDateTime ||
        id == kVarBurstNumber) {
      error = "variable " + std::to_string(id) + " (" + NameOf(id) + ") is no value per burst";
      return false;
    }
  size_t first = 0;
  if (!AddVariableSeries(src, vars, axes, m, first, error)) return false;
  DataArrays data;
  data.Want(kVarDateTime);
  data.Want(kVarBurstNumber);
  for (int id : vars) data.Want(id);
  const bool byTime = s.xVariable == kVarDateTime;
  const bool ok = ReadBursts(src, SpanOf(s, kPlotBurstStatistics), data, progress, error, [&](int) {
    const double x = byTime ? data.Get(kVarDateTime, 0) : data.Get(kVarBurstNumber, 0);
    for (size_t i = 0; i < vars.size(); ++i) {
      m.series[first + i].x.push_back(x);
      m.series[first + i].y.push_back(data.Get(vars[i], 0));
    }
  });
  m.xIsDateTime = byTime;
  m.xTitle = NameOf(byTime ? kVarDateTime : kVarBurstNumber);
  return ok;
}

bool ReadSpectra(Source& src, const PlotSettings& s, PlotModel& m, UnitAxes& axes,
                 const PlotProgress& progress, std::string& error) {
  if (!IsFileKind(src, {kWasFileId})) {
    error = KindRefusal(src, kPlotSpectra);
    return false;
  }
  auto& was = static_cast<CWasFile&>(*src.file);
  std::vector<int> axisOf;
  if (!AxesOf({kVarEnergyDensity}, axes, axisOf, error)) return false;
  DataArrays data;
  data.Want(kVarEnergyDensity);
  data.Want(kVarFrequency);
  const bool ok = ReadBursts(src, SpanOf(s, kPlotSpectra), data, progress, error, [&](int) {
    const CWasFile::Header& h = was.GetLastHeader();
    PlotSeries ps;
    ps.name = src.prefix + "Burst " + std::to_string(h.burst.burst);
    ps.axis = axisOf[0];
    const int bands = std::clamp(h.bands, 0, kMaxWaveSeriesLength);
    // The chi-squared band: the file states the multipliers of its confidence level.
    const bool band = s.confidenceBand && h.confidence > 0 && h.lower > 0 && h.upper > 0;
    for (int i = 0; i < bands; ++i) {
      const double y = data.Get(kVarEnergyDensity, static_cast<size_t>(i));
      ps.x.push_back(data.Get(kVarFrequency, static_cast<size_t>(i)));
      ps.y.push_back(y);
      if (band) {
        ps.lower.push_back(y * h.lower);
        ps.upper.push_back(y * h.upper);
      }
    }
    if (band) ps.name += " (" + std::to_string(h.confidence) + "% confidence)";
    m.series.push_back(std::move(ps));
  });
  m.xTitle = NameOf(kVarFrequency);
  m.xLog = s.logFrequency != 0;
  m.yLog = s.logEnergy != 0;
  return ok;
}

bool ReadSpectrogram(Source& src, const PlotSettings& s, PlotModel& m, const PlotProgress& progress,
                     std::string& error) {
  if (!IsFileKind(src, {kWasFileId})) {
    error = KindRefusal(src, kPlotSpectrogram);
    return false;
  }
  if (src.count > 1) {
    error = "a spectrogram shows one .was file";
    return false;
  }
  auto& was = static_cast<CWasFile&>(*src.file);
  DataArrays data;
  data.Want(kVarEnergyDensity);
  data.Want(kVarFrequency);
  data.Want(kVarDateTime);
  std::vector<std::vector<double>> columns;
  SpectrogramGrid& g = m.grid;
  BurstSpan span = SpanOf(s, kPlotSpectrogram);
  const bool ok = ReadBursts(src, span, data, progress, error, [&](int) {
    const int bands = std::clamp(was.GetLastHeader().bands, 0, kMaxWaveSeriesLength);
    g.times.push_back(data.Get(kVarDateTime, 0));
    if (static_cast<size_t>(bands) > g.frequencies.size()) {
      g.frequencies.resize(static_cast<size_t>(bands));
      for (int i = 0; i < bands; ++i)
        g.frequencies[static_cast<size_t>(i)] = data.Get(kVarFrequency, static_cast<size_t>(i));
    }
    std::vector<double> column(static_cast<size_t>(bands));
    for (int i = 0; i < bands; ++i)
      column[static_cast<size_t>(i)] = data.Get(kVarEnergyDensity, static_cast<size_t>(i));
    columns.push_back(std::move(column));
  });
  if (!ok) return false;
  const size_t rows = g.frequencies.size();
  if (rows == 0) {
    error = src.path + ": the file holds no spectral bands";
    return false;
  }
  g.energy.assign(columns.size() * rows, kNaN);
  bool any = false;
  for (size_t t = 0; t < columns.size(); ++t)
    for (size_t f = 0; f < columns[t].size(); ++f) {
      const double v = columns[t][f];
      g.energy[t * rows + f] = v;
      if (!std::isfinite(v) || (s.logEnergy && v <= 0)) continue;
      g.minimum = any ? std::min(g.minimum, v) : v;
      g.maximum = any ? std::max(g.maximum, v) : v;
      any = true;
    }
  m.xIsDateTime = true;
  m.xTitle = NameOf(kVarDateTime);
  m.yTitle[0] = NameOf(kVarFrequency);
  m.colourTitle = NameOf(kVarEnergyDensity);
  m.yLog = s.logEnergy != 0;  // the colour scale
  return true;
}

// Lowest and highest finite values (positive only on a log axis); false when there are none.
bool FiniteBounds(const std::vector<double>& v, bool log, double& low, double& high) {
  bool any = false;
  for (double d : v) {
    if (!std::isfinite(d) || (log && d <= 0)) continue;
    low = any ? std::min(low, d) : d;
    high = any ? std::max(high, d) : d;
    any = true;
  }
  return any;
}

bool SetRanges(const PlotSettings& s, PlotModel& m, std::string& error) {
  double xl = 0, xh = 0;
  bool anyX = false;
  double yl[2] = {0, 0}, yh[2] = {0, 0};
  bool anyY[2] = {false, false};
  if (m.kind == kPlotSpectrogram) {
    anyX = FiniteBounds(m.grid.times, false, xl, xh);
    anyY[0] = FiniteBounds(m.grid.frequencies, false, yl[0], yh[0]);
  } else {
    for (const PlotSeries& ps : m.series) {
      double l = 0, h = 0;
      if (FiniteBounds(ps.x, m.xLog, l, h)) {
        xl = anyX ? std::min(xl, l) : l;
        xh = anyX ? std::max(xh, h) : h;
        anyX = true;
      }
      for (const auto* v : {&ps.y, &ps.lower, &ps.upper})
        if (FiniteBounds(*v, m.yLog, l, h)) {
          yl[ps.axis] = anyY[ps.axis] ? std::min(yl[ps.axis], l) : l;
          yh[ps.axis] = anyY[ps.axis] ? std::max(yh[ps.axis], h) : h;
          anyY[ps.axis] = true;
        }
    }
  }
  if (!anyX || !anyY[0]) {
    error = "nothing to draw: the files hold no values for this plot";
    return false;
  }
  if (s.autoScaleX) {
    m.xRange = xh > xl ? AxisRange{xl, xh} : PaddedRange(xl, xh, m.xLog);
  } else {
    if (!(s.xMinimum < s.xMaximum) || (m.xLog && s.xMinimum <= 0)) {
      error = "XMinimum must be less than XMaximum (and above 0 on a logarithmic axis)";
      return false;
    }
    m.xRange = {s.xMinimum, s.xMaximum};
  }
  const bool yLogAxis = m.yLog && m.kind != kPlotSpectrogram;
  for (int a = 0; a < 2; ++a)
    if (anyY[a])
      m.yRange[a] = m.kind == kPlotSpectrogram ? AxisRange{yl[a], yh[a]}
                                               : PaddedRange(yl[a], yh[a], yLogAxis);
  if (!s.autoScaleY) {
    if (!(s.yMinimum < s.yMaximum) || (yLogAxis && s.yMinimum <= 0)) {
      error = "YMinimum must be less than YMaximum (and above 0 on a logarithmic axis)";
      return false;
    }
    m.yRange[0] = {s.yMinimum, s.yMaximum};
  }
  return true;
}

std::string AxisTitle(const PlotModel& m, int axis, const std::string& unit) {
  std::string title;
  int n = 0;
  for (const PlotSeries& ps : m.series)
    if (ps.axis == axis) ++n;
  if (n == 0) return {};
  // One variable: its name; several: their unit.
  for (const PlotSeries& ps : m.series)
    if (ps.axis == axis) {
      title = ps.name;
      break;
    }
  if (n > 1 || m.kind == kPlotBurstSamples || m.kind == kPlotSpectra)
    title = unit.empty() ? std::string("Value") : "[" + unit + "]";
  return title;
}

}  // namespace

std::string VariableUnit(int id) {
  const std::string name = NameOf(id);
  const size_t open = name.find('[');
  const size_t close = name.find(']', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos) return {};
  return name.substr(open + 1, close - open - 1);
}

AxisRange PaddedRange(double low, double high, bool log) {
  if (log) {
    if (!(low > 0)) low = high > 0 ? high / 1000 : 1e-3;
    if (!(high > low)) return {low / 10, low * 10};
    return {low / std::pow(high / low, 0.05), high * std::pow(high / low, 0.05)};
  }
  if (!(high > low)) return {low - 1, low + 1};
  const double pad = (high - low) / 20;
  return {low - pad, high + pad};
}

int NaturalPlotKind(const std::string& path) {
  switch (FileIdFromExtension(path)) {
    case kTideFileId:
      return kPlotTideSeries;
    case kWaveBurstFileId:
    case kWtFileId:
      return kPlotBurstSamples;
    case kWtsFileId:
      return kPlotBurstStatistics;
    case kWasFileId:
      return kPlotSpectrogram;
    default:
      return kPlotNatural;
  }
}

bool BuildPlot(const std::vector<std::string>& paths, const PlotSettings& s, PlotModel& m,
               std::string& error, Interaction* ui, const PlotProgress& progress) {
  m = PlotModel();
  if (paths.empty()) {
    error = "no data file to plot";
    return false;
  }
  int kind = s.plotKind;
  if (kind == kPlotNatural) kind = NaturalPlotKind(paths.front());
  if (kind == kPlotNatural) {
    OpenDataFile(paths.front(), error, ui);  // its message names what is wrong
    return false;
  }
  m.kind = kind;
  m.sources = paths;
  UnitAxes axes;
  std::string names;
  for (size_t i = 0; i < paths.size(); ++i) {
    Source src;
    src.path = paths[i];
    src.index = static_cast<int>(i);
    src.count = static_cast<int>(paths.size());
    if (paths.size() > 1) src.prefix = FileLabel(paths[i]) + ": ";
    names += (i ? ", " : "") + FileLabel(paths[i]);
    src.file = OpenDataFile(src.path, error, ui);
    if (!src.file) return false;
    bool ok = false;
    switch (kind) {
      case kPlotTideSeries:
        ok = ReadTideSeries(src, s, m, axes, progress, error);
        break;
      case kPlotBurstSamples:
        ok = ReadBurstSamples(src, s, m, axes, progress, error);
        break;
      case kPlotBurstStatistics:
        ok = ReadBurstStatistics(src, s, m, axes, progress, error);
        break;
      case kPlotSpectra:
        ok = ReadSpectra(src, s, m, axes, progress, error);
        break;
      default:
        ok = ReadSpectrogram(src, s, m, progress, error);
        break;
    }
    if (!ok) return false;
  }
  if (kind != kPlotSpectrogram)
    for (int a = 0; a < axes.Used(); ++a) m.yTitle[a] = AxisTitle(m, a, axes.Unit(a));
  m.title = s.title.empty() ? std::string(PlotKindLabel(kind)) + " of " + names : s.title;
  if (!SetRanges(s, m, error)) return false;
  if (progress.percent) progress.percent(100);
  return true;
}

}  // namespace tidora
