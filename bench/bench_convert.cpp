// Conversion throughput on a full recorder memory (32 MB), in bytes of upload file per second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "sim/recorder.h"
#include "sim/upload.h"

namespace {

using namespace tidora;

// Takes everything and shows nothing.
class QuietInteraction : public Interaction {
 public:
  MsgAnswer Message(const std::string&, const std::string&, MsgIcon, MsgButtons) override {
    return MsgAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return 0;
  }
  void Status(const std::string&) override {}
  void ProgressRange(int, int) override {}
  void ProgressPos(int) override {}
  std::vector<std::string> ChooseFiles(const FileRequest&) override { return {}; }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

constexpr size_t kMemory = 32u << 20;

struct Prepared {
  std::string dir, hex;
  CoefficientFile coefficients;
  size_t hexBytes = 0, imageBytes = 0;
};

// The generated files are large: removed when the program ends.
struct Prepared3 {
  Prepared p[3];
  ~Prepared3() {
    for (const Prepared& x : p) {
      std::error_code ec;
      if (!x.hex.empty()) std::filesystem::remove_all(x.dir, ec);
    }
  }
};

// An upload file of a recorder whose 32 MB memory is full, made once per layout.
const Prepared& Prepare(sim::Family family) {
  static Prepared3 all;
  Prepared* prepared = all.p;
  Prepared& p = prepared[static_cast<int>(family)];
  if (!p.hex.empty()) return p;
  char tmpl[] = "/tmp/tidora-bench-XXXXXX";
  p.dir = mkdtemp(tmpl) ? tmpl : "/tmp";
  sim::Options o;
  o.family = family;
  if (family == sim::Family::kTgr41plus) {
    // 4 tide records of 5 bytes and a burst of 3 + 512 + 1 records: 3112 bytes per cycle.
    o.tideSamples = static_cast<int>(kMemory / 3112 * 4);
  } else {
    o.tideSamples = static_cast<int>(kMemory / 17);
    o.referenceEvery = 0;
  }
  o.tideInterval = 60;
  sim::Deployment d = sim::Simulate(o);
  p.imageBytes = sim::BuildMemoryImage(d).size();
  p.hex = p.dir + "/full.hex";
  sim::WriteUploadFile(d, p.hex);
  p.coefficients = d.file;
  p.hexBytes = std::filesystem::file_size(p.hex);
  return p;
}

// Seconds to read the whole file through 1 MiB reads, the best of three.
double PlainReadSeconds(const std::string& path) {
  std::vector<char> buf(1 << 20);
  double best = 1e300;
  for (int i = 0; i < 3; ++i) {
    const auto start = std::chrono::steady_clock::now();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    size_t total = 0, n;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) total += n;
    std::fclose(f);
    benchmark::DoNotOptimize(total);
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void Convert(benchmark::State& state, sim::Family family) {
  const Prepared& p = Prepare(family);
  QuietInteraction ui;
  CHexConverter converter(ui);
  ConvertRequest r{p.hex, p.dir + "/full.tid", p.dir + "/full.wb", 2000, {}};
  const double read = PlainReadSeconds(p.hex);
  double converting = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    ConvertSummary s = converter.RunNow(r, p.coefficients);
    converting += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (s.outcome != ConvertOutcome::kFinished) state.SkipWithError("conversion failed");
    benchmark::DoNotOptimize(s.tideRecords);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * p.hexBytes));
  state.counters["memory_MB"] = p.imageBytes / 1048576.0;
  state.counters["hex_MB"] = p.hexBytes / 1048576.0;
  // How many plain reads of the upload one conversion (outputs written) takes.
  const double perConversion = converting / static_cast<double>(state.iterations());
  state.counters["hex_MB_per_s"] = p.hexBytes / 1e6 / perConversion;
  state.counters["read_MB_per_s"] = read > 0 ? p.hexBytes / 1e6 / read : 0;
  state.counters["x_plain_read"] = read > 0 ? perConversion / read : 0;
}

void BM_ConvertTgr41plusWithBursts(benchmark::State& state) {
  Convert(state, sim::Family::kTgr41plus);
}
void BM_ConvertTgr77Bpr(benchmark::State& state) {
  Convert(state, sim::Family::kTgr77Bpr);
}

BENCHMARK(BM_ConvertTgr41plusWithBursts)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();
BENCHMARK(BM_ConvertTgr77Bpr)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
