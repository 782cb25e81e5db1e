#include "datafile/wavefiles.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "datafile/wave_output_parse.h"
#include "outside/utility.h"
#include "platform/interaction.h"

namespace tidora {

using namespace wave_output_parse;

// ---- CWtsFile ----

CWtsFile::Header CWtsFile::ParseHeader(std::string_view header) {
  Header h;
  FieldScanner s(header);
  h.burst = ScanBurstFields(s);
  h.fields = h.burst.fields;
  if (h.fields == 5 && s.Int(h.waves))
    h.fields = 6 + ScanDoubles(s, {&h.waterDepth, &h.instrumentDepth, &h.density});
  return h;
}

CWtsFile::CWtsFile() {
  fileId_ = kWtsFileId;
  defaultVarIds_ = {kVarVarianceTss, kVarEnergyTss, kVarSigHeightTss, kVarSigPeriodTss};
}

int CWtsFile::GetNumYDataColumns() {
  numYColumns_ = 10;
  return 10;
}

int CWtsFile::GetAvailableYVariableNames(std::vector<std::string>& names) {
  names.clear();
  for (int id :
       {kVarAveragePeriodTss, kVarAverageHeightTss, kVarEnergyTss, kVarH10Tss, kVarH100Tss,
        kVarMaxHeightTss, kVarNumberOfWaves, kVarSigPeriodTss, kVarSigHeightTss, kVarVarianceTss})
    AddName(names, id);
  yNames_ = names;
  return static_cast<int>(names.size());
}

int CWtsFile::GetNumXDataColumns() {
  numXColumns_ = 2;
  return 2;
}

int CWtsFile::GetAvailableXVariableNames(std::vector<std::string>& names) {
  names.clear();
  AddName(names, kVarBurstNumber);
  AddName(names, kVarDateTime);
  xNames_ = names;
  return 2;
}

std::vector<int> CWtsFile::GetReadableVariableIDs() {
  std::vector<int> ids = CTGR41File::GetReadableVariableIDs();
  ids.push_back(kVarSensorDepth);
  return ids;
}

void CWtsFile::ReadValueLines(Header& h) {
  std::string line;
  if (!NextBodyLine(line)) return;
  FieldScanner a(line);
  ScanDoubles(a, {&h.variance, &h.energy, &h.averageHeight, &h.averagePeriod});
  if (!NextBodyLine(line)) return;
  FieldScanner b(line);
  ScanDoubles(b, {&h.maximumHeight, &h.h13, &h.t13, &h.h110, &h.h1100});
}

int CWtsFile::ScanFile(const std::string& header) {
  Header first = ParseHeader(header);
  ReadValueLines(first);
  TakeFirstBurst(first.burst, first.waterDepth, first.instrumentDepth, first.density);
  // Bursts are taken to be numbered from 0.
  numBursts_ = BurstCount(int64_t{LastBurstNumber(firstBurst_)} + 1);
  return numBursts_;
}

bool CWtsFile::SkipBurstBody(const std::string&) {
  std::string line;
  return ReadLine(line) && ReadLine(line);
}

int CWtsFile::ReadData(DataArrays& data, int row, int& count) {
  if (!IsOpen()) return 0;
  std::string header;
  if (!NextHeader(header)) return 0;
  Header h = ParseHeader(header);
  ReadValueLines(h);
  last_ = h;
  if (h.burst.burst == 0) startTime_ = h.burst.start;
  const double seconds = StartSeconds(h.burst.start, nullptr);
  SetSubTitle(row, " ");

  const bool first = row == 0;
  const std::pair<int, double> perBurst[] = {{kVarAveragePeriodTss, h.averagePeriod},
                                             {kVarAverageHeightTss, h.averageHeight},
                                             {kVarBurstNumber, h.burst.burst},
                                             {kVarDateTime, seconds},
                                             {kVarEnergyTss, h.energy},
                                             {kVarH10Tss, h.h110},
                                             {kVarH100Tss, h.h1100},
                                             {kVarMaxHeightTss, h.maximumHeight},
                                             {kVarNumberOfWaves, h.waves},
                                             {kVarSigPeriodTss, h.t13},
                                             {kVarSigHeightTss, h.h13},
                                             {kVarVarianceTss, h.variance}};
  for (auto [id, v] : perBurst) {
    if (!CheckFinite(v)) return 0;
    data.Store(id, 0, v);
    data.UpdateRange(id, v, first);
  }
  data.Store(kVarSensorDepth, 0, h.instrumentDepth);
  count = numRows_;
  return 2;
}

// ---- CWtFile ----

WaveBurstHeader CWtFile::ParseHeader(std::string_view header) {
  FieldScanner s(header);
  return ScanBurstFields(s);
}

CWtFile::CWtFile() {
  fileId_ = kWtFileId;
  defaultVarIds_ = {kVarWaveAmplitude, kNoVariableId, kNoVariableId, kNoVariableId};
}

int CWtFile::GetNumYDataColumns() {
  numYColumns_ = 1;
  return 1;
}

int CWtFile::GetAvailableYVariableNames(std::vector<std::string>& names) {
  names.clear();
  AddName(names, kVarWaveAmplitude);
  yNames_ = names;
  return 1;
}

int CWtFile::GetNumXDataColumns() {
  numXColumns_ = 1;
  return 1;
}

int CWtFile::GetAvailableXVariableNames(std::vector<std::string>& names) {
  names.clear();
  AddName(names, kVarTime);
  xNames_ = names;
  return 1;
}

int CWtFile::ScanFile(const std::string& header) {
  WaveBurstHeader first = ParseHeader(header);
  // No points (or more than any burst has): nothing to read, and nothing to tell.
  if (first.points <= 0 || first.points > kMaxWaveSeriesLength) return -1;
  TakeFirstBurst(first);
  numBursts_ = BurstCount(int64_t{LastBurstNumber(firstBurst_)} + 1);
  return firstPoints_;
}

bool CWtFile::SkipBurstBody(const std::string&) {
  const int m = firstPoints_;
  int64_t bytes = int64_t{m / 4} * 58;
  if (int r = m % 4) bytes += 14 * r + 2;
  return SkipBytesChecked(bytes);
}

int CWtFile::ReadData(DataArrays& data, int row, int& count) {
  if (!IsOpen()) return 0;
  std::string line;
  if (!NextHeader(line)) return 0;
  const WaveBurstHeader h = ParseHeader(line);
  last_ = h;
  if (h.burst == 0) startTime_ = h.start;
  std::string date;
  StartSeconds(h.start, &date);
  SetSubTitle(row, FormatBurstTitle(h.burst, numBursts_, date, h.points, h.period));

  const int m = ClampSeriesLength(h.points);
  const bool first = row == 0;
  int done = 0;
  while (done < m) {
    const bool haveLine = NextBodyLine(line);
    FieldScanner s(haveLine ? std::string_view(line) : std::string_view());
    const int inLine = haveLine ? std::min(4, m - done) : m - done;
    for (int k = 0; k < inLine; ++k, ++done) {
      double v = 0;
      if (haveLine) s.Double(v);
      if (!CheckFinite(v)) return 0;
      const size_t i = static_cast<size_t>(done);
      data.Store(kVarWaveAmplitude, i, v);
      data.UpdateRange(kVarWaveAmplitude, v, first && done == 0);
      data.Store(kVarTime, i, done * h.period);
    }
  }
  if (m > 0) {
    data.UpdateRange(kVarTime, 0, first);
    data.UpdateRange(kVarTime, (m - 1) * h.period, false);
  }
  count = m;
  return 2;
}

}  // namespace tidora
