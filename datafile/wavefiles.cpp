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

namespace {
constexpr std::string_view kIdentification = "TGR 41plus";
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

}  // namespace tidora
