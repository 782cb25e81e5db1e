// Reading throughput of the data file readers on generated files of a few MB, and the dump of
// a one-million-line tide file as CSV (rows/s, with the ratio of its time to a plain read of
// the same file in the same run as "x_plain_read").
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <vector>

#include <unistd.h>
#include "datafile/dump.h"
#include "datafile/tgr41file.h"
#include "datafile/writers.h"

namespace {

using namespace tidora;

constexpr int kBursts = 200;
constexpr int kSamples = 1024;
constexpr int kTideRecords = 40000;
constexpr int kDumpRecords = 1000000;

struct Files {
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("tidora-bench-datafile-" + std::to_string(getpid()));
  std::string wb = (dir / "bench.wb").string();
  std::string tid = (dir / "bench.tid").string();
  std::string bigTid = (dir / "big.tid").string();
  ~Files() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  Files() {
    std::filesystem::create_directories(dir);
    WaveBurstFileWriter w;
    w.Open(wb);
    w.WriteIdentification();
    for (int b = 0; b < kBursts; ++b) {
      w.WriteBurstHeader(b, 3600.0 * b, 0.5, kSamples);
      for (int i = 0; i < kSamples; i += 4)
        w.WriteRow(30 + std::sin(i * 0.1), 30 + std::sin(i * 0.1 + 0.1),
                   30 + std::sin(i * 0.1 + 0.2), 30 + std::sin(i * 0.1 + 0.3));
    }
    w.Close();
    TideFileWriter t;
    t.Open(tid);
    for (int i = 0; i < kTideRecords; ++i) {
      std::tm when = CalendarTime(946684800.0 + 600.0 * i);
      t.WriteRecord(i + 1, when, 30 + std::sin(i * 0.01), 10.5, 3, 4.1, 34.8);
    }
    t.Close();
    t.Open(bigTid);
    for (int i = 0; i < kDumpRecords; ++i) {
      std::tm when = CalendarTime(946684800.0 + 60.0 * i);
      t.WriteRecord(i + 1, when, 24.7 + (i % 1000) * 0.0123, 10.5 + (i % 50) * 0.01, 3);
    }
    t.Close();
  }
};

Files& TheFiles() {
  static Files files;
  return files;
}

void BM_ReadWaveBurstFile(benchmark::State& state) {
  Files& f = TheFiles();
  DataArrays data;
  data.Want(kVarSubsurfacePressure);
  data.Want(kVarTime);
  for (auto _ : state) {
    auto reader = CreateFileObject(kWaveBurstFileId);
    int nSub = 0, count = 0, bursts = 0;
    reader->ReadFileInfo(f.wb, nSub);
    while (reader->ReadData(data, bursts, count)) ++bursts;
    if (bursts != kBursts) state.SkipWithError("wrong number of bursts");
    benchmark::DoNotOptimize(data.values[kVarSubsurfacePressure].data());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(f.wb)));
}
BENCHMARK(BM_ReadWaveBurstFile)->Unit(benchmark::kMillisecond);

void BM_ReadTideFile(benchmark::State& state) {
  Files& f = TheFiles();
  const bool densities = state.range(0) != 0;
  for (auto _ : state) {
    auto reader = CreateFileObject(kTideFileId);
    DataArrays data;
    for (int id : {kVarDateTime, kVarPressure, kVarTemperature, kVarConductivity, kVarSalinity})
      data.Want(id);
    if (densities)
      for (int id : {kVarSigmaT, kVarSigmaTheta}) data.Want(id);
    int nSub = 0, count = 0, row = 0;
    reader->ReadFileInfo(f.tid, nSub);
    while (reader->ReadData(data, row, count)) ++row;
    if (row != kTideRecords) state.SkipWithError("wrong number of records");
  }
  state.SetItemsProcessed(state.iterations() * kTideRecords);  // lines per second
}
BENCHMARK(BM_ReadTideFile)->Arg(0)->Arg(1)->ArgNames({"densities"})->Unit(benchmark::kMillisecond);

// Counts what is written and keeps nothing.
class CountingBuffer : public std::streambuf {
 public:
  long long bytes = 0;

 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    bytes += n;
    return n;
  }
  int_type overflow(int_type c) override {
    ++bytes;
    return traits_type::not_eof(c);
  }
};

void BM_DumpTideFile(benchmark::State& state) {
  Files& f = TheFiles();
  bench::Stopwatch clock;
  CountingBuffer buffer;
  for (auto _ : state) {
    std::ostream out(&buffer);
    std::string error;
    clock.Start();
    if (!DumpDataFileCsv(f.bigTid, {}, out, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    clock.Stop();
  }
  const double seconds = clock.Seconds();
  state.SetItemsProcessed(state.iterations() * kDumpRecords);  // rows per second
  state.counters["csv_mb"] =
      static_cast<double>(buffer.bytes) / 1e6 / static_cast<double>(state.iterations());
  state.counters["x_plain_read"] =
      seconds / static_cast<double>(state.iterations()) / bench::PlainReadSeconds(f.bigTid);
}
BENCHMARK(BM_DumpTideFile)->Unit(benchmark::kMillisecond);

}  // namespace
