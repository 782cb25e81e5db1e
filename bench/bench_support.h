#pragma once

// Helpers shared by the benchmarks.

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// Processor seconds of the whole process (every thread) so far: steadier than the wall clock
// on a machine that others share.
inline double ProcessSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Processor seconds to read a file through in pieces of 1 MB, doing nothing with the bytes:
// the yardstick the streaming benchmarks give their time as a multiple of.
inline double PlainReadSeconds(const std::string& path) {
  const double start = ProcessSeconds();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::vector<char> buffer(1 << 20);
  size_t total = 0;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), f)) total += n;
  std::fclose(f);
  benchmark::DoNotOptimize(total);
  return ProcessSeconds() - start;
}

// Processor seconds of the parts of a benchmark's iterations it is started and stopped around.
class Stopwatch {
 public:
  void Start() { start_ = ProcessSeconds(); }
  void Stop() { total_ += ProcessSeconds() - start_; }
  double Seconds() const { return total_; }

 private:
  double start_ = 0, total_ = 0;
};

}  // namespace bench
