#pragma once

// Helpers shared by the benchmarks.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// Seconds to read a file through in pieces of 1 MB, doing nothing with the bytes: the
// yardstick the streaming benchmarks give their time as a multiple of.
inline double PlainReadSeconds(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::vector<char> buffer(1 << 20);
  size_t total = 0;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), f)) total += n;
  std::fclose(f);
  benchmark::DoNotOptimize(total);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace bench
