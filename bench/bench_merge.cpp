// Merge throughput on a one-million-line tide file, streamed: the peak memory of the process
// must not grow with the file.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "merge/baro_merge.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "testing/scripted_interaction.h"

namespace {

constexpr long kTideLines = 1000000;

// The files live in a temporary folder removed at exit.
struct MergeFiles {
  std::string dir = MakeDir();
  std::string tide = dir + "/bench.tid";
  std::string baro = dir + "/bench.bp";
  std::string out = dir + "/bench-out.tid";

  static std::string MakeDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tidora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    return pattern;
  }
  ~MergeFiles() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  MergeFiles() {
    // One tide sample a minute from 1 January 2005, one barometric reading an hour.
    std::FILE* f = std::fopen(tide.c_str(), "wb");
    for (long i = 0; i < kTideLines; ++i) {
      long m = i;
      long day = m / 1440;
      std::fprintf(f, "%6ld   %02ld/%02ld/%04d %02ld:%02ld:%02d%11.4f%11.3f\r\n", (i + 1) % 1000000,
                   day / 28 % 12 + 1, day % 28 + 1, 2005 + int(day / 336), m / 60 % 24, m % 60, 0,
                   24.7 + (i % 100) * 0.01, 18.25);
    }
    std::fclose(f);
    f = std::fopen(baro.c_str(), "wb");
    for (long h = 0; h <= kTideLines / 60 + 1; ++h) {
      long day = h / 24;
      std::fprintf(f, "%ld/%ld/%d %ld:00:00 %.2f\n", day / 28 % 12 + 1, day % 28 + 1,
                   2005 + int(day / 336), h % 24, 1010.0 + (h % 7));
    }
    std::fclose(f);
  }
};

long PeakMemoryKb() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return r.ru_maxrss;
}

void BM_MergeTideLines(benchmark::State& state) {
  static MergeFiles files;  // generated once
  tidora::MergeSettings settings;
  settings.barometricPressureUnits = tidora::MergeSettings::kUnitsMillibars;
  tidora::ScriptedInteraction ui;
  tidora::CInteractionPage page(ui);
  tidora::ProcessControl stop;
  const long before = PeakMemoryKb();
  for (auto _ : state) {
    ui.Clear();
    tidora::CBaroMerge merge(settings, files.out, {files.tide, files.baro}, kTideLines, ui, &page,
                             &stop);
    if (merge.Run() != 0 || merge.DataLinesWritten() != kTideLines) {
      state.SkipWithError("merge failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kTideLines);
  state.counters["peak_kb"] = static_cast<double>(PeakMemoryKb());
  state.counters["peak_growth_kb"] = static_cast<double>(PeakMemoryKb() - before);
}
BENCHMARK(BM_MergeTideLines)->Unit(benchmark::kMillisecond);

}  // namespace
