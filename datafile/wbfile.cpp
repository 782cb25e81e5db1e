#include "datafile/wbfile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "datafile/writers.h"
#include "outside/utility.h"

namespace tidora {
namespace {

constexpr std::string_view kIdentification = "TGR 41plus";

bool IsUsableHeader(const BurstHeader& h) {
  return h.fields >= 5 && h.samples > 0 && h.samples <= kMaxSamplesPerBurst;
}

// Pressures beyond what the converter writes (it clamps to 99999 psia), and sample periods no
// recorder keeps, would only carry garbage into the analysis.
constexpr double kMaxSamplePeriod = 86400.0;

bool IsUsablePeriod(double period) {
  return std::isfinite(period) && period > 0 && period <= kMaxSamplePeriod;
}

}  // namespace

int WholeSecondsInt(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(v, double{INT_MIN}, double{INT_MAX}));
}

BurstHeader ParseBurstHeader(std::string_view line) {
  FieldScanner s(line);
  return ScanBurstHeader(s);
}

BurstHeader ScanBurstHeader(FieldScanner& s) {
  BurstHeader h;
  if (!s.Word(h.marker)) return h;
  h.fields = 1;
  if (!s.Int(h.burst)) return h;
  h.fields = 2;
  if (!s.Double(h.start)) return h;
  h.fields = 3;
  if (!s.Double(h.period)) return h;
  h.fields = 4;
  if (!s.Int(h.samples)) return h;
  h.fields = 5;
  return h;
}

bool IsBurstHeaderLine(std::string_view line) {
  std::string_view w = FirstWord(line);
  return !w.empty() && w[0] == '*';
}

int64_t WaveBurstRowBytes(int n) {
  if (n <= 0) return 0;
  int64_t bytes = int64_t{n / 4} * kWaveBurstRowBytes;
  int r = n % 4;
  if (r != 0) bytes += 14 * r + 6;
  return bytes;
}

CWbFile::CWbFile() {
  fileId_ = kWaveBurstFileId;
  defaultVarIds_ = {kVarSubsurfacePressure, kNoVariableId, kNoVariableId, kNoVariableId};
}

int CWbFile::GetNumYDataColumns() {
  numYColumns_ = 1;
  return 1;
}

int CWbFile::GetAvailableYVariableNames(std::vector<std::string>& names) {
  names.clear();
  std::string name;
  GetDataNameFromID(name, kVarSubsurfacePressure);
  names.push_back(name);
  yNames_ = names;
  return 1;
}

int CWbFile::GetNumXDataColumns() {
  numXColumns_ = 1;
  return 1;
}

int CWbFile::GetAvailableXVariableNames(std::vector<std::string>& names) {
  names.clear();
  std::string name;
  GetDataNameFromID(name, kVarTime);
  names.push_back(name);
  xNames_ = names;
  return 1;
}

std::vector<int> CWbFile::GetReadableVariableIDs() {
  return {kVarTime, kVarSubsurfacePressure, kVarBurstNumber, kVarPeriod, kVarNumberOfWaves};
}

int CWbFile::ReadFileInfo(const std::string& path, int& nSubTitles) {
  nSubTitles = 0;
  dataError_.clear();
  numRows_ = samplesPerBurst_ = numBursts_ = 0;
  samplePeriod_ = 0;
  timeFrom2000_ = false;
  dataStart_ = 0;
  if (!path.empty() && (!IsOpen() || path != path_)) {
    if (!OpenFile(path)) return 0;
  }
  if (!IsOpen() || !file_.Rewind()) return 0;

  std::string line;
  bool found = false;
  for (;;) {
    int64_t at = file_.Tell();
    if (!ReadLine(line)) break;
    if (IsBurstHeaderLine(line)) {
      dataStart_ = at;
      found = true;
      break;
    }
    if (std::string_view(line).substr(0, kIdentification.size()) == kIdentification)
      timeFrom2000_ = true;
  }
  if (!found) {
    file_.Rewind();
    return 0;
  }
  BurstHeader first = ParseBurstHeader(line);
  if (!IsUsableHeader(first)) {
    file_.Seek(dataStart_);
    return 0;
  }
  samplesPerBurst_ = first.samples;
  samplePeriod_ = first.period;
  startTime_ = first.start;
  const int lastBurst = LastBurstNumber(first.burst);
  // Bursts count from 0: the last number names the count.
  numBursts_ = lastBurst > 0 && lastBurst < INT_MAX ? lastBurst + 1 : 1;
  numRows_ = samplesPerBurst_;
  SetnSubTitles(numBursts_);
  nSubTitles = numBursts_;
  file_.Seek(dataStart_);
  return numRows_;
}

int CWbFile::LastBurstNumber(int first) {
  // From the end back, a larger piece each time: the file is read through once, by ReadData.
  const int64_t after = file_.Tell();
  const int64_t size = file_.Size();
  std::string line;
  for (int64_t piece = 64 * 1024;; piece *= 4) {
    const int64_t from = size < 0 ? after : std::max(after, size - piece);
    if (!file_.Seek(from)) return first;
    // The line `from` falls in may have begun before it; a line beginning at `from` is read
    // with the next, larger piece when this one holds no header.
    if (from > after) ReadLine(line);
    bool found = false;
    int last = first;
    while (ReadLine(line)) {
      if (!IsBurstHeaderLine(line)) continue;
      const BurstHeader h = ParseBurstHeader(line);
      if (h.fields >= 2) {
        last = h.burst;
        found = true;
      }
    }
    if (found || from == after) return last;
  }
}

bool CWbFile::FindNextHeader() {
  std::string line;
  for (;;) {
    int64_t at = file_.Tell();
    if (!ReadLine(line)) return false;
    if (IsBurstHeaderLine(line)) {
      file_.Seek(at);
      return true;
    }
  }
}

int CWbFile::SkipAtStart(int n) {
  std::string line;
  for (int i = 0; i < n; ++i) {
    do {
      if (!IsOpen() || !ReadLine(line)) return 0;
    } while (IsBlankLine(line));
    if (!IsBurstHeaderLine(line)) return 0;
    int64_t rowsStart = file_.Tell();
    int samples = samplesPerBurst_;
    if (samples <= 0) {
      BurstHeader h = ParseBurstHeader(line);
      samples = IsUsableHeader(h) ? h.samples : 0;
    }
    int64_t target = rowsStart + WaveBurstRowBytes(samples);
    if (!file_.Seek(target)) return 0;
    // Land on the next header or the end; bursts of another size, or a last row written
    // differently, are found by reading their rows instead.
    int64_t landed = file_.Tell();
    if (ReadLine(line) && !IsBurstHeaderLine(line)) {
      file_.Seek(rowsStart);
      FindNextHeader();
    } else {
      file_.Seek(landed);
    }
  }
  return 1;
}

std::string FormatBurstTitle(int burst, int numBursts, const std::string& startText, int samples,
                             double period) {
  char text[256];
  std::snprintf(text, sizeof text, "Burst %d of %d, Start %s, %d point, T=%d sec", burst, numBursts,
                startText.c_str(), samples, WholeSecondsInt(samples * period));
  return text;
}

std::string CWbFile::BurstTitle(const BurstHeader& h) const {
  std::tm t{};
  AddP41Time(h.start, &t);
  return FormatBurstTitle(h.burst, numBursts_, TimeToDateTimeStr(t), h.samples, h.period);
}

int CWbFile::ReadData(DataArrays& data, int row, int& count) {
  if (!IsOpen()) return 0;
  std::string line;
  BurstHeader h;
  for (;;) {
    const int64_t at = file_.Tell();
    if (!ReadLine(line)) return 0;
    if (!IsBurstHeaderLine(line)) continue;
    h = ParseBurstHeader(line);
    if (!IsUsableHeader(h)) continue;
    if (!IsUsablePeriod(h.period) || !std::isfinite(h.start)) {
      SetDataError("A burst header with a start time or sample period out of range", at);
      return 0;
    }
    break;
  }
  last_ = h;
  if (h.burst == 0) startTime_ = h.start;

  const int n = h.samples;
  samples_.resize(static_cast<size_t>(n));  // every sample is set below
  int filled = 0;
  double fill = 0;      // first value of the last row read
  double previous = 0;  // a value missing from a damaged row repeats the one before it
  while (filled < n) {
    int64_t at = file_.Tell();
    if (!ReadLine(line)) break;
    // One look at the first character that is not blank: none for a blank line, a star for
    // the next burst's header.
    std::string_view rest = line;
    while (!rest.empty() && IsBlankChar(rest.front())) rest.remove_prefix(1);
    if (rest.empty()) continue;
    if (rest.front() == '*') {
      file_.Seek(at);  // the next burst starts here
      break;
    }
    int inRow = std::min(4, n - filled);
    for (int k = 0; k < inRow; ++k) {
      double v = previous;
      if (NextDouble(rest, v)) {
        if (!IsUsableValue(v)) {
          SetDataError("A pressure sample that is not a finite number below 1e6", at);
          return 0;
        }
        previous = v;
      }
      if (k == 0) fill = v;
      samples_[static_cast<size_t>(filled++)] = v;
    }
  }
  for (int i = filled; i < n; ++i) samples_[static_cast<size_t>(i)] = fill;

  const bool first = row == 0;
  if (data.Wants(kVarSubsurfacePressure)) {
    auto& out = data.values[kVarSubsurfacePressure];
    if (out.size() < static_cast<size_t>(n)) out.resize(static_cast<size_t>(n));
    double low = samples_[0], high = samples_[0];  // every sample is finite
    for (int i = 0; i < n; ++i) {
      const double v = samples_[static_cast<size_t>(i)];
      out[static_cast<size_t>(i)] = ToFloat(v);
      low = std::min(low, v);
      high = std::max(high, v);
    }
    data.UpdateRange(kVarSubsurfacePressure, low, first);
    data.UpdateRange(kVarSubsurfacePressure, high, false);
  }
  if (data.Wants(kVarTime)) {
    auto& out = data.times[kVarTime];
    if (out.size() < static_cast<size_t>(n)) out.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out[static_cast<size_t>(i)] = i * h.period;
    data.UpdateRange(kVarTime, 0, first);
    data.UpdateRange(kVarTime, (n - 1) * h.period, false);
  }
  const std::pair<int, double> perBurst[] = {
      {kVarBurstNumber, h.burst}, {kVarPeriod, h.period}, {kVarNumberOfWaves, n}};
  for (auto [id, v] : perBurst) {
    data.Store(id, 0, v);
    data.UpdateRange(id, v, first);
  }

  SetSubTitle(row, BurstTitle(h));
  count = n;
  return 2;
}

void CWbFile::CopyHeaderFrom(const CTGR41File& other) {
  CTGR41File::CopyHeaderFrom(other);
  if (const auto* o = dynamic_cast<const CWbFile*>(&other)) {
    samplesPerBurst_ = o->samplesPerBurst_;
    samplePeriod_ = o->samplePeriod_;
    numBursts_ = o->numBursts_;
    dataStart_ = o->dataStart_;
  }
}

}  // namespace tidora
