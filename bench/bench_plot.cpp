// Plotting a long tide file: reading a million records through the data file library and
// drawing them into a picture, decimated to the picture's pixel columns; and redrawing a
// zoomed view, whose cost must not grow with the series.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>

#include <unistd.h>
#include "datafile/tgr41file.h"
#include "datafile/writers.h"
#include "plot/decimate.h"
#include "plot/plot_data.h"
#include "plot/ui/plot_chart.h"

namespace {

using namespace tidora;

constexpr int kRecords = 1000000;

struct TideFile {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tidora-bench-plot-" + std::to_string(getpid()));
  std::string path = (dir / "year.tid").string();
  TideFile() {
    std::filesystem::create_directories(dir);
    TideFileWriter t;
    t.Open(path);
    for (int i = 0; i < kRecords; ++i)
      t.WriteRecord(i + 1, CalendarTime(946684800.0 + 30.0 * i), 30 + std::sin(i * 1e-3), 10.5, 3,
                    4.1, 34.8);
    t.Close();
  }
  ~TideFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

TideFile& File() {
  static TideFile f;
  return f;
}

// Read, decimate and draw: what `tidora plot year.tid --output year.png` does.
void BM_PlotMillionLineTideFile(benchmark::State& state) {
  TideFile& f = File();
  ui::EnsurePictureApplication();
  PlotSettings s;
  s.variables = {kVarPressure};
  for (auto _ : state) {
    PlotModel m;
    std::string error;
    if (!BuildPlot({f.path}, s, m, error)) state.SkipWithError(error.c_str());
    ui::RenderedPlot r = ui::RenderPlotImage(m, 1000, 600);
    benchmark::DoNotOptimize(r.image.constBits());
  }
}
BENCHMARK(BM_PlotMillionLineTideFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reading alone, through the data file library.
void BM_ReadMillionLineTideFile(benchmark::State& state) {
  TideFile& f = File();
  PlotSettings s;
  s.variables = {kVarPressure};
  for (auto _ : state) {
    PlotModel m;
    std::string error;
    if (!BuildPlot({f.path}, s, m, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(m.series.data());
  }
}
BENCHMARK(BM_ReadMillionLineTideFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// The points of one view of a million-point series, whole or zoomed: the work of a frame.
void BM_DecimatedView(benchmark::State& state) {
  std::vector<double> x(kRecords), y(kRecords);
  for (int i = 0; i < kRecords; ++i) {
    x[size_t(i)] = i;
    y[size_t(i)] = std::sin(i * 1e-3);
  }
  DecimatedSeries series(x, y);
  const double span = double(kRecords) / double(state.range(0));
  double start = 0;
  for (auto _ : state) {
    auto pts = series.Points(start, start + span, 1000);
    benchmark::DoNotOptimize(pts.data());
    start = std::fmod(start + span / 7, kRecords - span + 1);
  }
}
BENCHMARK(BM_DecimatedView)->Arg(1)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
