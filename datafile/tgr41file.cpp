#include "datafile/tgr41file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <new>
#include <typeinfo>

#include "datafile/calendar.h"
#include "outside/utility.h"

namespace tidora {
namespace {

constexpr int kMaxSubTitles = 1 << 22;

}  // namespace

// ---- DataArrays ----

float ToFloat(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (value > kMax) return std::numeric_limits<float>::infinity();
  if (value < -kMax) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

void DataArrays::Want(int id, bool yes) {
  if (id >= 0 && id < kMaxDataTypes) wanted[id] = yes;
}

double DataArrays::Get(int id, size_t index) const {
  if (id < 0 || id >= kMaxDataTypes) return 0;
  if (IsTimeId(id)) return index < times[id].size() ? times[id][index] : 0;
  return index < values[id].size() ? values[id][index] : 0;
}

void DataArrays::Store(int id, size_t index, double value) {
  if (!Wants(id)) return;
  if (IsTimeId(id)) {
    if (index >= times[id].size()) times[id].resize(index + 1);
    times[id][index] = value;
  } else {
    if (index >= values[id].size()) values[id].resize(index + 1);
    values[id][index] = ToFloat(value);
  }
}

void DataArrays::UpdateRange(int id, double value, bool first) {
  if (!Wants(id)) return;
  if (first || !hasRange[id]) {
    minimum[id] = maximum[id] = value;
    hasRange[id] = true;
    return;
  }
  minimum[id] = std::min(minimum[id], value);
  maximum[id] = std::max(maximum[id], value);
}

// ---- Calendar seconds ----

double CalendarSeconds(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                       int64_t second) {
  return static_cast<double>(DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
                             second);
}

double CalendarSeconds(const std::tm& t) {
  return CalendarSeconds(int64_t{t.tm_year} + 1900, int64_t{t.tm_mon} + 1, t.tm_mday, t.tm_hour,
                         t.tm_min, t.tm_sec);
}

std::tm CalendarTime(double seconds) {
  return GregorianTime(WholeSeconds(seconds), 0);
}

// ---- CTGR41File ----

CTGR41File::CTGR41File() = default;

CTGR41File::~CTGR41File() = default;

int CTGR41File::GetSecondaryXVariableNames(std::vector<std::string>&) {
  return 0;
}
int CTGR41File::GetSecondaryYVariableNames(std::vector<std::string>&) {
  return 0;
}
int CTGR41File::ReadData(DataArrays&, int, int&) {
  return 0;
}
int CTGR41File::SkipAtStart(int) {
  return 1;
}

std::vector<int> CTGR41File::IdsOfNames(const std::vector<std::string>& names) {
  std::vector<int> ids;
  for (const std::string& n : names) {
    int id = -1;
    if (GetID_FromDataName(id, n)) ids.push_back(id);
  }
  return ids;
}

std::vector<int> CTGR41File::GetReadableVariableIDs() {
  std::vector<std::string> names, more;
  GetAvailableXVariableNames(names);
  GetAvailableYVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  more.clear();
  GetSecondaryXVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  more.clear();
  GetSecondaryYVariableNames(more);
  names.insert(names.end(), more.begin(), more.end());
  return IdsOfNames(names);
}

void CTGR41File::CopyHeaderFrom(const CTGR41File& o) {
  xNames_ = o.xNames_;
  yNames_ = o.yNames_;
  numRows_ = o.numRows_;
  fileId_ = o.fileId_;
  numYColumns_ = o.numYColumns_;
  numXColumns_ = o.numXColumns_;
  numValueColumns_ = o.numValueColumns_;
  defaultVarIds_ = o.defaultVarIds_;
  startTime_ = o.startTime_;
  timeFrom2000_ = o.timeFrom2000_;
}

bool CTGR41File::OpenFile(const std::string& path) {
  CloseFile();
  if (!file_.Open(path)) return false;
  path_ = path;
  dataError_.clear();
  return true;
}

void CTGR41File::SetDataError(const std::string& what, int64_t lineStart) {
  // Counted on a second reading: only a damaged file gets here, and the readers seek.
  long line = 1;
  TextLineReader count;
  std::string text;
  if (count.Open(path_))
    while (count.Tell() < lineStart && count.ReadLine(text, 0)) ++line;
  dataError_ = what + " on line " + std::to_string(line) + " of " + path_;
}

void CTGR41File::CloseFile() {
  file_.Close();
  path_.clear();
}

int CTGR41File::GetDefaultVarID(int index) const {
  if (index < 1 || index > 4) return kNoVariableId;
  return defaultVarIds_[static_cast<size_t>(index - 1)];
}

void CTGR41File::SetnSubTitles(int n) {
  if (n < 0) n = 0;
  if (!subTitlesMade_) {
    subTitlesMade_ = true;
    nSubTitles_ = n;
    subTitles_.clear();
    return;
  }
  if (n > nSubTitles_) nSubTitles_ = n;
  size_t clear = std::min(static_cast<size_t>(n), subTitles_.size());
  for (size_t i = 0; i < clear; ++i) subTitles_[i].clear();
}

std::string CTGR41File::GetSubTitle(int i) const {
  if (i < 0 || static_cast<size_t>(i) >= subTitles_.size()) return std::string();
  return subTitles_[static_cast<size_t>(i)];
}

void CTGR41File::SetSubTitle(int i, const std::string& text) {
  if (i < 0 || i >= kMaxSubTitles) return;
  try {
    if (static_cast<size_t>(i) >= subTitles_.size()) subTitles_.resize(static_cast<size_t>(i) + 1);
    subTitles_[static_cast<size_t>(i)] = text;
    if (i >= nSubTitles_) nSubTitles_ = i + 1;
    subTitlesMade_ = true;
  } catch (const std::bad_alloc&) {
    BRUtility::CDiagnostics::Log("\nCTGR41File::SetnSubTitles failed to allocate an array\n");
  }
}

// ---- Calendars ----

unsigned long CTGR41File::DateTimeToSec(int year, int month, int day, int hour, int minute,
                                        int second) {
  return static_cast<unsigned long>(RecorderSeconds(year, month, day, hour, minute, second));
}

bool CTGR41File::IsLeapYear(unsigned long t) const {
  return RecorderLeapDayPassed(static_cast<int64_t>(t), startTime_);
}

void CTGR41File::AddP41Time(double t, std::tm* out) const {
  if (!out) return;
  *out = timeFrom2000_ ? GregorianTime(WholeSeconds(t), DaysFromCivil(2000, 1, 1))
                       : RecorderTime(t, startTime_);
}

void CTGR41File::SecToTm(double t, std::tm* out) {
  if (out) *out = GregorianTime(WholeSeconds(t), DaysFromCivil(1989, 1, 1));
}

// ---- Object helpers ----

bool CopyFileObject(CTGR41File* dst, const CTGR41File* src) {
  if (!FileObjectsAreSameType(dst, src)) return false;
  if (dst != src) dst->CopyHeaderFrom(*src);
  return true;
}

bool FileObjectsAreSameType(const CTGR41File* a, const CTGR41File* b) {
  return a && b && typeid(*a) == typeid(*b);
}

bool FileObjectsEqual(const CTGR41File* a, const CTGR41File* b) {
  return FileObjectsAreSameType(a, b);
}

bool operator==(const CTGR41File&, const CTGR41File&) {
  return true;
}
bool operator!=(const CTGR41File& a, const CTGR41File& b) {
  return !(a == b);
}

int FileIdFromExtension(const std::string& path) {
  std::string ext;
  ExtractExtension(path, ext);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (ext == "TID") return kTideFileId;
  if (ext == "WB") return kWaveBurstFileId;
  if (ext == "WAS") return kWasFileId;
  if (ext == "WTS") return kWtsFileId;
  if (ext == "WT") return kWtFileId;
  return -1;
}

}  // namespace tidora
