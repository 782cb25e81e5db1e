// Exporting a year of hourly wave bursts to netCDF against reading the same file: the export
// streams (flat memory) and should keep up with the reading it depends on.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "datafile/tgr41file.h"
#include "datafile/writers.h"
#include "export/cf_export.h"

namespace {

using namespace tidora;

constexpr int kBursts = 365 * 24;
constexpr int kSamples = 1024;

struct YearFile {
  int bursts;
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("tidora-bench-export-" + std::to_string(getpid()) + "-" + std::to_string(bursts));
  std::string wb = (dir / "year.wb").string();
  std::string nc = (dir / "year.nc").string();
  double megabytes = 0;
  double readSeconds = 0, readCpu = 0;  // one plain read, for the ratios
  explicit YearFile(int n) : bursts(n) {
    std::filesystem::create_directories(dir);
    WaveBurstFileWriter w;
    w.Open(wb);
    w.WriteIdentification();
    for (int b = 0; b < bursts; ++b) {
      w.WriteBurstHeader(b, 3600.0 * b, 0.5, kSamples);
      for (int i = 0; i < kSamples; i += 4) {
        auto p = [&](int k) { return 30 + std::sin((i + k) * 0.1 + b) + 1e-4 * ((i + k) % 7); };
        w.WriteRow(p(0), p(1), p(2), p(3));
      }
    }
    w.Close();
    megabytes = static_cast<double>(std::filesystem::file_size(wb)) / 1e6;
  }
  ~YearFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

YearFile& Year(int bursts) {
  static std::map<int, std::unique_ptr<YearFile>> files;
  auto& f = files[bursts];
  if (!f) f = std::make_unique<YearFile>(bursts);
  return *f;
}

// Processor time of every thread of the process.
double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The reading an export cannot avoid: every burst through the wave burst reader.
void ReadYear(const std::string& path) {
  auto reader = CreateFileObject(kWaveBurstFileId);
  int subtitles = 0, count = 0;
  reader->ReadFileInfo(path, subtitles);
  DataArrays data;
  for (int id : {kVarSubsurfacePressure, kVarBurstNumber, kVarPeriod}) data.Want(id);
  while (reader->ReadData(data, 0, count)) benchmark::DoNotOptimize(data.values[26].data());
}

void TimeRead(YearFile& y) {
  auto start = std::chrono::steady_clock::now();
  const double cpu = CpuSeconds();
  ReadYear(y.wb);
  y.readCpu = CpuSeconds() - cpu;
  y.readSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ReadYearOfBursts(benchmark::State& state) {
  YearFile& y = Year(kBursts);
  for (auto _ : state) TimeRead(y);
  state.counters["MB/s"] = benchmark::Counter(y.megabytes * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
  state.counters["peak_rss_MB"] = PeakRssMegabytes();
}
BENCHMARK(BM_ReadYearOfBursts)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();

void BM_ExportYearOfBursts(benchmark::State& state) {
  YearFile& y = Year(static_cast<int>(state.range(0)));
  if (y.readSeconds == 0) TimeRead(y);
  double seconds = 0, cpu = 0;
  ExportOptions options;
  options.command = "bench_export";
  for (auto _ : state) {
    std::filesystem::remove(y.nc);
    auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    std::string error;
    if (!ExportToNetcdf({y.wb}, y.nc, options, error)) state.SkipWithError(error.c_str());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += CpuSeconds() - cpuStart;
  }
  state.counters["MB/s"] = benchmark::Counter(y.megabytes * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
  // Above 1: the export runs at least at the speed of reading the source.
  // Speed against the last plain read (wall clock), and the work against it (all threads'
  // processor time): writing overlaps reading, so the first is above the second.
  const double n = static_cast<double>(state.iterations());
  state.counters["vs_read"] = y.readSeconds / (seconds / n);
  state.counters["cpu_vs_read"] = y.readCpu / (cpu / n);
  state.counters["nc_MB"] = static_cast<double>(std::filesystem::file_size(y.nc)) / 1e6;
  state.counters["source_MB"] = y.megabytes;
  state.counters["peak_rss_MB"] = PeakRssMegabytes();
}
// A quarter first, then the year: the same peak memory shows that the export streams.
BENCHMARK(BM_ExportYearOfBursts)
    ->Arg(kBursts / 4)
    ->Arg(kBursts)
    ->ArgNames({"bursts"})
    ->Unit(benchmark::kSecond)
    ->Iterations(2)
    ->UseRealTime();

}  // namespace
