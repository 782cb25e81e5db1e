#include "datafile/wavefiles.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "datafile/wbfile.h"
#include "outside/utility.h"
#include "platform/interaction.h"

namespace tidora {
namespace {

constexpr std::string_view kIdentification = "TGR 41plus";

bool IsHeaderLine(std::string_view line) {
  return FirstWord(line) == "*";
}

// Reads "* burst start period points" and counts the fields converted, like sscanf.
WaveBurstHeader ScanBurstFields(FieldScanner& s) {
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
int ScanDoubles(FieldScanner& s, std::initializer_list<double*> out) {
  int n = 0;
  for (double* p : out) {
    if (!s.Double(*p)) break;
    ++n;
  }
  return n;
}

int ClampSeriesLength(int n) {
  return std::clamp(n, 0, kMaxWaveSeriesLength);
}

// Burst counts as the files state them, kept within int.
int BurstCount(int64_t n) {
  return static_cast<int>(std::clamp<int64_t>(n, 1, INT_MAX));
}

void AddName(std::vector<std::string>& names, int id) {
  std::string name;
  GetDataNameFromID(name, id);
  names.push_back(name);
}

}  // namespace

// ---- CWaveOutputFile ----

void CWaveOutputFile::ShowEndOfFileMessage() {
  if (ui_)
    ui_->Message("Unexpected end of file - please contact Brennic", Caption(), MsgIcon::Error,
                 MsgButtons::Ok);
}

int CWaveOutputFile::ReadFileInfo(const std::string& path, int& nSubTitles) {
  nSubTitles = 0;
  dataError_.clear();
  numRows_ = numBursts_ = firstBurst_ = firstPoints_ = 0;
  firstPeriod_ = firstWaterDepth_ = firstInstrumentDepth_ = firstDensity_ = 0;
  timeFrom2000_ = false;
  dataStart_ = 0;
  if (!path.empty() && (!IsOpen() || path != path_)) {
    if (!OpenFile(path)) return 0;
  }
  if (!IsOpen() || !file_.Rewind()) return 0;

  std::string line;
  for (;;) {
    int64_t at = file_.Tell();
    if (!ReadLine(line) || FirstWord(line).empty()) {
      ShowEndOfFileMessage();
      file_.Rewind();
      return 0;
    }
    if (std::string_view(line).substr(0, kIdentification.size()) == kIdentification)
      timeFrom2000_ = true;
    if (IsHeaderLine(line)) {
      dataStart_ = at;
      break;
    }
  }
  int rows = ScanFile(line);
  file_.Seek(dataStart_);
  if (rows <= 0) return 0;
  numRows_ = rows;
  SetnSubTitles(numBursts_);
  nSubTitles = numBursts_;
  return rows;
}

bool CWaveOutputFile::NextHeader(std::string& line) {
  for (;;) {
    headerStart_ = file_.Tell();
    if (!ReadLine(line)) return false;
    if (IsHeaderLine(line)) return true;
  }
}

bool CWaveOutputFile::CheckFinite(double value) {
  if (std::isfinite(value)) return true;
  SetDataError("A value that is not a finite number in the burst whose header is", headerStart_);
  return false;
}

bool CWaveOutputFile::NextBodyLine(std::string& line) {
  for (;;) {
    int64_t at = file_.Tell();
    if (!ReadLine(line)) return false;
    if (IsHeaderLine(line)) {
      file_.Seek(at);
      return false;
    }
    if (!IsBlankLine(line)) return true;
  }
}

bool CWaveOutputFile::SkipBytesChecked(int64_t bytes) {
  const int64_t start = file_.Tell();
  if (!file_.Seek(start + std::max<int64_t>(bytes, 0))) return false;
  const int64_t landed = file_.Tell();
  std::string line;
  if (!ReadLine(line) || IsHeaderLine(line) || IsBlankLine(line)) {
    file_.Seek(landed);
    return true;
  }
  // Not where a burst ends: find the next header by reading instead.
  file_.Seek(start);
  while (NextBodyLine(line)) {
  }
  return true;
}

int CWaveOutputFile::SkipAtStart(int n) {
  if (n <= 0) return 1;
  if (!IsOpen()) return 0;
  std::string line;
  for (int i = 0; i < n; ++i) {
    if (!NextHeader(line) || !SkipBurstBody(line)) return 0;
  }
  return 1;
}

void CWaveOutputFile::TakeFirstBurst(const WaveBurstHeader& h, double waterDepth,
                                     double instrumentDepth, double density) {
  firstBurst_ = h.burst;
  firstPeriod_ = h.period;
  firstPoints_ = h.points;
  firstWaterDepth_ = waterDepth;
  firstInstrumentDepth_ = instrumentDepth;
  firstDensity_ = density;
  if (firstBurst_ == 0) startTime_ = h.start;
}

int CWaveOutputFile::LastBurstNumber(int first, const std::function<void()>& afterHeader) {
  int last = first;
  std::string line;
  while (ReadLine(line)) {
    if (!IsHeaderLine(line)) continue;
    FieldScanner s(line);
    WaveBurstHeader h = ScanBurstFields(s);
    if (h.fields >= 2 && h.burst != 0) last = h.burst;
    if (afterHeader) afterHeader();
  }
  return last;
}

double CWaveOutputFile::StartSeconds(double start, std::string* dateText) const {
  std::tm t{};
  AddP41Time(start, &t);
  if (dateText) *dateText = TimeToDateTimeStr(t);
  return CalendarSeconds(t);
}

void CWaveOutputFile::CopyHeaderFrom(const CTGR41File& other) {
  CTGR41File::CopyHeaderFrom(other);
  if (const auto* o = dynamic_cast<const CWaveOutputFile*>(&other)) {
    numBursts_ = o->numBursts_;
    firstBurst_ = o->firstBurst_;
    dataStart_ = o->dataStart_;
    firstPeriod_ = o->firstPeriod_;
    firstPoints_ = o->firstPoints_;
    firstWaterDepth_ = o->firstWaterDepth_;
    firstInstrumentDepth_ = o->firstInstrumentDepth_;
    firstDensity_ = o->firstDensity_;
  }
}

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
