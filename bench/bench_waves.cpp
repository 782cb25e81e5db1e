// Wave burst analysis speed: a year of hourly bursts is about 9000 of them.
#include <benchmark/benchmark.h>

#include <cmath>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "datafile/writers.h"
#include "platform/interaction.h"
#include "postproc/tgr41_reader.h"
#include "testing/scripted_interaction.h"
#include "wave/synthetic_sea.h"
#include "wave/wave_analysis.h"
#include "wave/wave_module.h"

namespace {

using namespace tidora;

CMemoryBursts SeaBursts(int points, int count) {
  CMemoryBursts b;
  const double rho = SeawaterDensity(35, 0);
  const double dt = 0.5;
  for (int i = 0; i < count; ++i) {
    auto sea = NarrowSea(1.5, 8.0, points * dt, 6, i);
    b.bursts.push_back({i, 3600.0 * i, dt, SeaPressureBurst(sea, 10, 10, rho, points, dt)});
  }
  return b;
}

// Spectrum, surface reconstruction and statistics of one burst, nothing written.
void BM_AnalyseBurst(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  CMemoryBursts bursts = SeaBursts(points, 8);
  CWaveSetup setup;
  ScriptedInteraction ui;
  CWaveAnalysis analysis(setup, bursts, "", ui);
  if (!analysis.PrepareRun()) {
    state.SkipWithError("setup check failed");
    return;
  }
  WaveBurstResult r;
  int i = 0;
  for (auto _ : state) {
    WaveBurst b;
    bursts.GetBurst(i++ % 8, b);
    analysis.AnalyseBurst(b, r);
    benchmark::DoNotOptimize(r.energy);
  }
  state.counters["bursts/s"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AnalyseBurst)->Arg(1024)->Arg(2048)->Arg(4096)->Unit(benchmark::kMicrosecond);

// The transform alone.
void BM_Transform(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  std::vector<double> data(2 * m);
  for (int i = 0; i < m; ++i) data[2 * i] = std::sin(0.01 * i);
  for (auto _ : state) {
    Radix2Transform(data.data(), m, +1);
    benchmark::DoNotOptimize(data.data());
  }
}
BENCHMARK(BM_Transform)->Arg(1024)->Arg(4096)->Unit(benchmark::kMicrosecond);

// A whole wave burst file: read through the data file library, analysed, outputs written.
void BM_WholeFile(benchmark::State& state) {
  namespace fs = std::filesystem;
  const int points = static_cast<int>(state.range(0));
  const int count = 100;
  const fs::path dir = fs::temp_directory_path() / ("bench_waves_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string input = (dir / "bench.wb").string();
  {
    WaveBurstFileWriter w;
    w.Open(input);
    w.WriteIdentification();
    const CMemoryBursts bursts = SeaBursts(points, count);
    for (const auto& b : bursts.bursts) {
      w.WriteBurstHeader(b.number, b.start, b.samplePeriod, points);
      for (int i = 0; i + 3 < points; i += 4)
        w.WriteRow(b.pressure[i], b.pressure[i + 1], b.pressure[i + 2], b.pressure[i + 3]);
    }
    if (!w.Close()) state.SkipWithError("cannot write the input file");
  }
  const double megabytes = double(fs::file_size(input)) / 1e6;
  for (auto _ : state) {
    ScriptedInteraction ui;
    ui.defaultAnswer = MsgAnswer::Yes;
    CWaveModule module(ui);
    module.SetReaderFactory(DataFileReaderFactory());
    module.overwriteWarning = false;
    if (!module.PrepareFileRun(input, "").empty() || module.RunAndWait() != 1 ||
        module.LastOutcome() != CWaveModule::Outcome::kDone) {
      state.SkipWithError("run failed");
      break;
    }
  }
  state.counters["MB/s"] =
      benchmark::Counter(megabytes * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bursts/s"] =
      benchmark::Counter(double(count) * double(state.iterations()), benchmark::Counter::kIsRate);
  fs::remove_all(dir);
}
BENCHMARK(BM_WholeFile)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
