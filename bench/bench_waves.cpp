// Wave burst analysis speed: a year of hourly bursts is about 9000 of them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

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

// A wave burst file of `count` sea bursts of `points` samples at 0.5 s.
bool WriteSeaFile(const std::string& path, int points, int count) {
  WaveBurstFileWriter w;
  if (!w.Open(path) || !w.WriteIdentification()) return false;
  const CMemoryBursts bursts = SeaBursts(points, count);
  for (const auto& b : bursts.bursts) {
    w.WriteBurstHeader(b.number, b.start, b.samplePeriod, points);
    for (int i = 0; i + 3 < points; i += 4)
      w.WriteRow(b.pressure[i], b.pressure[i + 1], b.pressure[i + 2], b.pressure[i + 3]);
  }
  return w.Close();
}

// The whole wave run of a file, as the command line runs it, outputs written.
bool RunWaves(const std::string& input) {
  ScriptedInteraction ui;
  ui.defaultAnswer = MsgAnswer::Yes;
  CWaveModule module(ui);
  module.SetReaderFactory(DataFileReaderFactory());
  module.overwriteWarning = false;
  return module.PrepareFileRun(input, "").empty() && module.RunAndWait() == 1 &&
         module.LastOutcome() == CWaveModule::Outcome::kDone;
}

class BenchDir {
 public:
  BenchDir()
      : path_(std::filesystem::temp_directory_path() /
              ("bench_waves_" + std::to_string(getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~BenchDir() { std::filesystem::remove_all(path_); }
  std::string File(const char* name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A whole wave burst file: read through the data file library, analysed, outputs written.
void BM_WholeFile(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const int count = 100;
  BenchDir dir;
  const std::string input = dir.File("bench.wb");
  if (!WriteSeaFile(input, points, count)) state.SkipWithError("cannot write the input file");
  const double megabytes = double(std::filesystem::file_size(input)) / 1e6;
  for (auto _ : state) {
    if (!RunWaves(input)) {
      state.SkipWithError("run failed");
      break;
    }
  }
  state.counters["MB/s"] =
      benchmark::Counter(megabytes * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bursts/s"] =
      benchmark::Counter(double(count) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WholeFile)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reads a file's bytes and nothing more: the floor of any run over it.
double PlainReadSeconds(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::vector<char> buffer(1 << 20);
  size_t total = 0, got = 0;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) total += got;
  std::fclose(f);
  benchmark::DoNotOptimize(total);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The whole wave run of 1000 bursts of 2048 samples (about 32 MB), on every processor, with
// its time as a multiple of a plain read of the same file in the same run.
void BM_ThousandBurstFile(benchmark::State& state) {
  BenchDir dir;
  const std::string input = dir.File("year.wb");
  if (!WriteSeaFile(input, 2048, 1000)) state.SkipWithError("cannot write the input file");
  double run = 0, read = 0;
  for (auto _ : state) {
    read += PlainReadSeconds(input);
    const auto start = std::chrono::steady_clock::now();
    if (!RunWaves(input)) {
      state.SkipWithError("run failed");
      break;
    }
    run += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double runs = double(state.iterations());
  state.counters["run_s"] = run / runs;
  state.counters["read_s"] = read / runs;
  state.counters["run/read"] = read > 0 ? run / read : 0;
  state.counters["threads"] = WaveThreadCount();
}
BENCHMARK(BM_ThousandBurstFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
