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

// ---- CWasFile ----

CWasFile::Header CWasFile::ParseHeader(std::string_view header, std::string_view second) {
  Header h;
  FieldScanner s(header);
  h.burst = ScanBurstFields(s);
  h.fields = h.burst.fields;
  if (h.fields == 5 && s.Int(h.estimates)) {
    h.fields = 6 + ScanDoubles(s, {&h.waterDepth, &h.instrumentDepth, &h.density});
    if (h.fields == 9 && s.Int(h.confidence)) h.fields = 10 + ScanDoubles(s, {&h.lower, &h.upper});
  }
  FieldScanner t(second);
  if (t.Int(h.bands)) {
    h.secondFields = 1 + ScanDoubles(t, {&h.firstFrequency, &h.bandWidth, &h.variance, &h.energy,
                                         &h.peakPeriod, &h.sigHeight});
  }
  return h;
}

CWasFile::CWasFile() {
  fileId_ = kWasFileId;
  defaultVarIds_ = {kVarVarianceAs, kVarEnergyAs, kVarSigHeightAs, kVarSigPeriodAs};
}

int CWasFile::GetNumYDataColumns() {
  numYColumns_ = 4;
  return 4;
}

int CWasFile::GetAvailableYVariableNames(std::vector<std::string>& names) {
  names.clear();
  for (int id : {kVarEnergyAs, kVarSigPeriodAs, kVarSigHeightAs, kVarVarianceAs})
    AddName(names, id);
  yNames_ = names;
  return static_cast<int>(names.size());
}

int CWasFile::GetNumXDataColumns() {
  numXColumns_ = 2;
  return 2;
}

int CWasFile::GetAvailableXVariableNames(std::vector<std::string>& names) {
  names.clear();
  AddName(names, kVarBurstNumber);
  AddName(names, kVarDateTime);
  xNames_ = names;
  return 2;
}

int CWasFile::GetSecondaryXVariableNames(std::vector<std::string>& names) {
  names.clear();
  AddName(names, kVarFrequency);
  secondaryX_ = true;
  return 1;
}

int CWasFile::GetSecondaryYVariableNames(std::vector<std::string>& names) {
  names.clear();
  AddName(names, kVarEnergyDensity);
  secondaryY_ = true;
  return 1;
}

std::vector<int> CWasFile::GetReadableVariableIDs() {
  return {kVarBurstNumber, kVarDateTime,  kVarEnergyAs,      kVarSigPeriodAs, kVarSigHeightAs,
          kVarVarianceAs,  kVarFrequency, kVarEnergyDensity, kVarSensorDepth};
}

int CWasFile::ScanFile(const std::string& header) {
  std::string second;
  ReadLine(second);
  Header first = ParseHeader(header, second);
  TakeFirstBurst(first.burst, first.waterDepth, first.instrumentDepth, first.density);
  int maxBands = ClampSeriesLength(first.bands);
  // The band count stands first on the line after each header.
  int lastBurst = LastBurstNumber(firstBurst_, [&] {
    int64_t at = file_.Tell();
    std::string line;
    if (!ReadLine(line)) return;
    if (IsHeaderLine(line)) {
      file_.Seek(at);  // a burst without its second line
      return;
    }
    FieldScanner t(line);
    int bands = 0;
    if (t.Int(bands)) maxBands = std::max(maxBands, ClampSeriesLength(bands));
  });
  numBursts_ = BurstCount(int64_t{lastBurst} - firstBurst_ + 1);
  return maxBands;
}

bool CWasFile::SkipBurstBody(const std::string&) {
  std::string second;
  if (!ReadLine(second)) return false;
  FieldScanner s(second);
  int bands = 0;
  if (!s.Int(bands)) return false;
  bands = ClampSeriesLength(bands);
  int64_t bytes = int64_t{bands / 4} * 68;
  if (int r = bands % 4) bytes += 16 * r + 4;
  return SkipBytesChecked(bytes);
}

int CWasFile::ReadData(DataArrays& data, int row, int& count) {
  if (!IsOpen() || numRows_ <= 0) return 0;
  std::string header, second;
  if (!NextHeader(header)) return 0;
  int64_t at = file_.Tell();
  if (!ReadLine(second) || IsHeaderLine(second)) {
    file_.Seek(at);
    second.clear();
  }
  const Header h = ParseHeader(header, second);
  last_ = h;
  if (h.burst.burst == 0) startTime_ = h.burst.start;

  std::string date;
  const double seconds = StartSeconds(h.burst.start, &date);
  SetSubTitle(row, FormatC("Burst %d of %d,Start %s,%d point T=%d sec,Resolution = %.3f Hz,%d%% "
                           "Confidence intervals,Water depth = %.2f meters,Instrument depth = "
                           "%.2f meters",
                           h.burst.burst, numBursts_, date.c_str(), h.burst.points,
                           WholeSecondsInt(h.burst.points * h.burst.period), h.bandWidth,
                           h.confidence, h.waterDepth, h.instrumentDepth));

  const bool first = row == 0;
  const std::pair<int, double> perBurst[] = {
      {kVarBurstNumber, h.burst.burst}, {kVarDateTime, seconds},
      {kVarEnergyAs, h.energy},         {kVarSigPeriodAs, h.peakPeriod},
      {kVarSigHeightAs, h.sigHeight},   {kVarVarianceAs, h.variance}};
  for (auto [id, v] : perBurst) {
    if (!CheckFinite(v)) return 0;
    data.Store(id, 0, v);
    data.UpdateRange(id, v, first);
  }
  data.Store(kVarSensorDepth, 0, h.instrumentDepth);

  // The band series: densities four to a line.
  const int bands = ClampSeriesLength(h.bands);
  double frequency = h.firstFrequency;
  std::string line;
  int done = 0;
  while (done < bands) {
    const bool haveLine = NextBodyLine(line);
    FieldScanner s(haveLine ? std::string_view(line) : std::string_view());
    const int inLine = std::min(4, bands - done);
    for (int k = 0; k < inLine; ++k, ++done) {
      double density = 0;
      s.Double(density);
      if (!CheckFinite(density)) return 0;
      const size_t i = static_cast<size_t>(done);
      data.Store(kVarEnergyDensity, i, density);
      data.UpdateRange(kVarEnergyDensity, density, first && done == 0);
      data.Store(kVarFrequency, i, frequency);
      data.UpdateRange(kVarFrequency, frequency, first && done == 0);
      data.Store(kSlotUpperMultiplier, i, h.upper);
      data.Store(kSlotLowerMultiplier, i, h.lower);
      frequency += h.bandWidth;
    }
    if (!haveLine) {
      // A burst cut short: its missing bands are stored as 0 without reading on.
      for (; done < bands; ++done) {
        const size_t i = static_cast<size_t>(done);
        data.Store(kVarEnergyDensity, i, 0);
        data.Store(kVarFrequency, i, frequency);
        data.Store(kSlotUpperMultiplier, i, h.upper);
        data.Store(kSlotLowerMultiplier, i, h.lower);
        frequency += h.bandWidth;
      }
    }
  }
  numRows_ = std::max(numRows_, bands);
  count = numRows_;
  return 2;
}

void CWasFile::CopyHeaderFrom(const CTGR41File& other) {
  CWaveOutputFile::CopyHeaderFrom(other);
  if (const auto* o = dynamic_cast<const CWasFile*>(&other)) {
    secondaryX_ = o->secondaryX_;
    secondaryY_ = o->secondaryY_;
  }
}

}  // namespace tidora
