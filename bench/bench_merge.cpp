// Merge throughput on a one-million-line tide file, streamed: the peak memory of the process
// must not grow with the file. Each figure comes with the ratio of its time to a plain read of
// the same tide file in the same run ("x_plain_read").
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include "bench/bench_support.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "merge/baro_merge.h"
#include "merge/merge_module.h"
#include "platform/interaction.h"
#include "postproc/page.h"
#include "postproc/tgr41_reader.h"
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

MergeFiles& TheFiles() {
  static MergeFiles files;  // generated once
  return files;
}

long PeakMemoryKb() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return r.ru_maxrss;
}

void BM_MergeTideLines(benchmark::State& state) {
  MergeFiles& files = TheFiles();
  tidora::MergeSettings settings;
  settings.barometricPressureUnits = tidora::MergeSettings::kUnitsMillibars;
  tidora::ScriptedInteraction ui;
  tidora::CInteractionPage page(ui);
  tidora::ProcessControl stop;
  const long before = PeakMemoryKb();
  bench::Stopwatch clock;
  long written = 0;
  for (auto _ : state) {
    ui.Clear();
    clock.Start();
    tidora::CBaroMerge merge(settings, files.out, {files.tide, files.baro}, kTideLines, ui, &page,
                             &stop);
    if (merge.Run() != 0 || merge.DataLinesWritten() != kTideLines) {
      state.SkipWithError("merge failed");
      break;
    }
    clock.Stop();
    written = merge.DataLinesWritten();
  }
  state.SetItemsProcessed(state.iterations() * kTideLines);
  state.counters["lines_written"] = static_cast<double>(written);
  state.counters["x_plain_read"] = clock.Seconds() / static_cast<double>(state.iterations()) /
                                   bench::PlainReadSeconds(files.tide);
  state.counters["peak_kb"] = static_cast<double>(PeakMemoryKb());
  state.counters["peak_growth_kb"] = static_cast<double>(PeakMemoryKb() - before);
}
BENCHMARK(BM_MergeTideLines)->Unit(benchmark::kMillisecond);

// The whole merge as `tidora merge` runs it: the data file library's look at the tide file
// and the merge pass.
void BM_MergeCommand(benchmark::State& state) {
  MergeFiles& files = TheFiles();
  tidora::ScriptedInteraction ui;
  ui.defaultAnswer = tidora::MsgAnswer::Yes;
  bench::Stopwatch clock;
  long written = 0;
  for (auto _ : state) {
    clock.Start();
    tidora::CMergeModule module(ui);
    module.MergeSetup().barometricPressureUnits = tidora::MergeSettings::kUnitsMillibars;
    module.SetReaderFactory(tidora::DataFileReaderFactory());
    module.overwriteWarning = false;
    if (!module.PrepareFileRun(files.tide, files.baro, files.out).empty() ||
        module.RunAndWait() != 1 || module.LastOutcome() != tidora::CMergeModule::Outcome::kDone) {
      state.SkipWithError("merge failed");
      break;
    }
    clock.Stop();
  }
  // Data lines of the output: every line after the header.
  if (std::FILE* f = std::fopen(files.out.c_str(), "rb")) {
    for (int c; (c = std::getc(f)) != EOF;) written += c == '\n';
    std::fclose(f);
    --written;
  }
  state.SetItemsProcessed(state.iterations() * kTideLines);
  state.counters["lines_written"] = static_cast<double>(written);
  state.counters["x_plain_read"] = clock.Seconds() / static_cast<double>(state.iterations()) /
                                   bench::PlainReadSeconds(files.tide);
}
BENCHMARK(BM_MergeCommand)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace
