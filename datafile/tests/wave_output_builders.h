#pragma once

// Small builders of the wave module's output files, byte for byte as the wave module writes
// them (text with CR LF line ends), for the tests of their readers and of the reports.

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace tidora::testing {

// printf into a string, every "\n" written as CR LF.
inline std::string CrLf(const char* format, ...) {
  char buf[4096];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  std::string out;
  for (const char* p = buf; *p; ++p) {
    if (*p == '\n') out += '\r';
    out += *p;
  }
  return out;
}

struct WasBurst {
  int burst = 0;
  long start = 0;
  double dt = 0.5;
  int points = 1024;
  int estimates = 8;
  double waterDepth = 12.5, instrumentDepth = 10.25, density = 1025.0;
  double confidence = 95, lower = 0.6, upper = 1.9;
  double firstFrequency = 0.0078125, bandWidth = 0.015625;
  double variance = 0.0625, energy = 628.5, peakPeriod = 8.5, sigHeight = 1.0;
  std::vector<double> densities = std::vector<double>(6, 0.25);
};

inline std::string WasBlock(const WasBurst& b) {
  std::string s = CrLf("* %4d  %10ld  %6.2f %4d %4d  %8.3f %8.3f %9.3f %5.0f %8.3f %8.3f\n",
                       b.burst, b.start, b.dt, b.points, b.estimates, b.waterDepth,
                       b.instrumentDepth, b.density, b.confidence, b.lower, b.upper);
  s += CrLf("  %4d %16.6e %16.6e %14.4e %14.4e %14.4e %14.4e\n  ",
            static_cast<int>(b.densities.size()), b.firstFrequency, b.bandWidth, b.variance,
            b.energy, b.peakPeriod, b.sigHeight);
  for (size_t i = 0; i < b.densities.size(); ++i) {
    s += CrLf("%16.6e", b.densities[i]);
    if (i % 4 == 3) s += CrLf("\n  ");
  }
  s += CrLf("\n");
  return s;
}

inline std::string WasFileText(const std::vector<WasBurst>& bursts, bool plus = false) {
  std::string s = plus ? CrLf("TGR 41plus\n") : std::string();
  for (const WasBurst& b : bursts) s += WasBlock(b);
  return s;
}

struct WtsBurst {
  int burst = 0;
  long start = 0;
  double dt = 0.5;
  int points = 1024;
  int waves = 57;
  double waterDepth = 12.5, instrumentDepth = 10.25, density = 1025.0;
  double variance = 0.0625, energy = 628.5, averageHeight = 0.75, averagePeriod = 7.25;
  double maximumHeight = 1.75, h13 = 1.25, t13 = 8.25, h110 = 1.5, h1100 = 1.625;
};

inline std::string WtsBlock(const WtsBurst& b) {
  return CrLf("* %4d %10ld %6.2f %4d %4d %10.3f %10.3f %10.3f\n", b.burst, b.start, b.dt, b.points,
              b.waves, b.waterDepth, b.instrumentDepth, b.density) +
         CrLf("  %16.6e %16.6e %16.6e %16.6e\n", b.variance, b.energy, b.averageHeight,
              b.averagePeriod) +
         CrLf("  %16.6e %16.6e %16.6e %16.6e %16.6e\n", b.maximumHeight, b.h13, b.t13, b.h110,
              b.h1100);
}

inline std::string WtsFileText(const std::vector<WtsBurst>& bursts, bool plus = false) {
  std::string s = plus ? CrLf("TGR 41plus\n") : std::string();
  for (const WtsBurst& b : bursts) s += WtsBlock(b);
  return s;
}

struct WtBurst {
  int burst = 0;
  long start = 0;
  double dt = 0.5;
  std::vector<double> values = std::vector<double>(8, 0.125);
};

inline std::string WtBlock(const WtBurst& b) {
  std::string s =
      CrLf("* %d %ld %6.2f %d\n", b.burst, b.start, b.dt, static_cast<int>(b.values.size()));
  for (size_t i = 0; i < b.values.size(); ++i) {
    s += CrLf("%14.4f", b.values[i]);
    if (i % 4 == 3) s += CrLf("\n");
  }
  return s;
}

inline std::string WtFileText(const std::vector<WtBurst>& bursts, bool plus = false) {
  std::string s = plus ? CrLf("TGR 41plus\n") : std::string();
  for (const WtBurst& b : bursts) s += WtBlock(b);
  return s;
}

}  // namespace tidora::testing
