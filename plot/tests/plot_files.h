#pragma once

// Data files for the plot tests, written by the data file library's writers and the wave
// output builders.

#include <cmath>
#include <ctime>
#include <string>

#include "datafile/tests/wave_output_builders.h"
#include "datafile/tgr41file.h"
#include "datafile/writers.h"
#include "testing/test_support.h"

namespace tidora::testing {

// Records every 10 minutes from 2024-03-01; pressure = pressureOf(i), temperature 10.5.
template <class F>
inline void WriteTideFile(const std::string& path, int records, F pressureOf) {
  TideFileWriter t;
  t.Open(path);
  for (int i = 0; i < records; ++i) {
    std::tm when = CalendarTime(1709251200.0 + 600.0 * i);
    t.WriteRecord(i + 1, when, pressureOf(i), 10.5, 3, 4.1, 34.8);
  }
  t.Close();
}

// Bursts of 64 samples at 0.5 s: burst b holds 20 + b + 0.1 sin(i).
inline void WriteWaveBurstFile(const std::string& path, int bursts) {
  WaveBurstFileWriter w;
  w.Open(path);
  w.WriteIdentification();
  for (int b = 1; b <= bursts; ++b) {
    w.WriteBurstHeader(b, 3600.0 * b, 0.5, 64);
    for (int i = 0; i < 64; i += 4)
      w.WriteRow(20 + b + 0.1 * std::sin(i), 20 + b + 0.1 * std::sin(i + 1),
                 20 + b + 0.1 * std::sin(i + 2), 20 + b + 0.1 * std::sin(i + 3));
  }
  w.Close();
}

// Bursts 1..n an hour apart; wave height 1 + b/10, period 8 + b % 3.
inline std::string WtsText(int bursts) {
  std::vector<WtsBurst> v;
  for (int b = 1; b <= bursts; ++b) {
    WtsBurst w;
    w.burst = b;
    w.start = 3600L * b;
    w.h13 = 1 + b / 10.0;
    w.t13 = 8 + b % 3;
    v.push_back(w);
  }
  return WtsFileText(v, true);
}

// Bursts 1..n, six bands, density b * (band + 1).
inline std::string WasText(int bursts) {
  std::vector<WasBurst> v;
  for (int b = 1; b <= bursts; ++b) {
    WasBurst w;
    w.burst = b;
    w.start = 3600L * b;
    for (size_t i = 0; i < w.densities.size(); ++i) w.densities[i] = b * (i + 1.0);
    v.push_back(w);
  }
  return WasFileText(v, true);
}

}  // namespace tidora::testing
