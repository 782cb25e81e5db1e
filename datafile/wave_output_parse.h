#pragma once

// Parsing steps shared by the readers of the wave module's output files.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "datafile/textio.h"
#include "datafile/wavefiles.h"
#include "datafile/wbfile.h"

namespace tidora::wave_output_parse {

inline bool IsHeaderLine(std::string_view line) {
  return FirstWord(line) == "*";
}

// Reads "* burst start period points" and counts the fields converted, like sscanf.
inline WaveBurstHeader ScanBurstFields(FieldScanner& s) {
  const BurstHeader b = ScanBurstHeader(s);
  WaveBurstHeader h;
  h.burst = b.burst;
  h.start = b.start;
  h.period = b.period;
  h.points = b.samples;
  h.fields = b.fields;
  return h;
}

// Reads up to `n` doubles in order; returns how many were read.
inline int ScanDoubles(FieldScanner& s, std::initializer_list<double*> out) {
  int n = 0;
  for (double* p : out) {
    if (!s.Double(*p)) break;
    ++n;
  }
  return n;
}

inline int ClampSeriesLength(int n) {
  return std::clamp(n, 0, kMaxWaveSeriesLength);
}

// Burst counts as the files state them, kept within int.
inline int BurstCount(int64_t n) {
  return static_cast<int>(std::clamp<int64_t>(n, 1, INT_MAX));
}

inline void AddName(std::vector<std::string>& names, int id) {
  std::string name;
  GetDataNameFromID(name, id);
  names.push_back(name);
}

}  // namespace tidora::wave_output_parse
