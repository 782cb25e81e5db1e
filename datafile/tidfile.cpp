#include "datafile/tidfile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdio>

namespace tidora {
namespace {

constexpr double kAtmospherePsi = 14.7;
constexpr double kDecibarPerPsi = 0.6894757;

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The value columns in file order, by variable identifier, after the first column.
constexpr int kLaterColumns[3] = {kVarTemperature, kVarConductivity, kVarSalinity};
// Densities as GetAvailableYVariableNames lists them after the four columns.
constexpr int kOfferedDensities[4] = {kVarSigmaTheta, kVarSigmaT, kVarSigma1, kVarSigma2};

}  // namespace

namespace {

// The record number, date and time of a record line: the number of those fields read (7 for
// all of them), as scanf counts.
int ScanRecordAndTime(FieldScanner& s, TideRecord& r) {
  int n = 0;
  if (!s.Int(r.record)) return n;
  ++n;
  if (s.Int(r.month) && ++n && s.Literal('/') && s.Int(r.day) && ++n && s.Literal('/') &&
      s.Int(r.year) && ++n && s.Int(r.hour) && ++n && s.Literal(':') && s.Int(r.minute) && ++n &&
      s.Literal(':') && s.Int(r.second))
    ++n;
  return n;
}

}  // namespace

TideRecord ParseTideRecord(std::string_view line) {
  TideRecord r;
  FieldScanner s(line);
  int n = ScanRecordAndTime(s, r);
  if (n == 7) {
    for (double& v : r.values) {
      if (!s.Double(v)) break;
      ++n;
    }
  }
  r.fields = n;
  return r;
}

int TideRecordYear(int year) {
  if (year >= 0 && year < 89) return year + 2000;
  if (year < 1900) return year + 1900;
  return year;
}

CTidFile::CTidFile() {
  fileId_ = kTideFileId;
  defaultVarIds_ = {kVarPressure, kVarTemperature, kNoVariableId, kNoVariableId};
}

int CTidFile::GetNumYDataColumns() {
  numYColumns_ = numValueColumns_ + (OffersDensities() ? 4 : 0);
  return numYColumns_;
}

int CTidFile::GetAvailableYVariableNames(std::vector<std::string>& names) {
  names.clear();
  int n = GetNumYDataColumns();
  std::vector<int> ids = {HasPressureColumn() ? kVarPressure : kVarDepth};
  ids.insert(ids.end(), std::begin(kLaterColumns), std::end(kLaterColumns));
  ids.insert(ids.end(), std::begin(kOfferedDensities), std::end(kOfferedDensities));
  for (int i = 0; i < n && i < static_cast<int>(ids.size()); ++i) {
    std::string name;
    GetDataNameFromID(name, ids[static_cast<size_t>(i)]);
    names.push_back(name);
  }
  yNames_ = names;
  return static_cast<int>(names.size());
}

int CTidFile::GetNumXDataColumns() {
  numXColumns_ = 1;
  return 1;
}

int CTidFile::GetAvailableXVariableNames(std::vector<std::string>& names) {
  names.clear();
  std::string name;
  GetDataNameFromID(name, kVarDateTime);
  names.push_back(name);
  xNames_ = names;
  return 1;
}

std::vector<int> CTidFile::GetReadableVariableIDs() {
  std::vector<int> ids = CTGR41File::GetReadableVariableIDs();
  if (OffersDensities()) ids.push_back(kVarSigma4);
  return ids;
}

double CTidFile::SeaPressure(double v) const {
  if (firstColumn_ == FirstColumn::kGaugePressure) return v * kDecibarPerPsi;
  return (v - kAtmospherePsi) * kDecibarPerPsi;
}

int CTidFile::ReadFileInfo(const std::string& path, int& nSubTitles) {
  nSubTitles = 0;
  dataError_.clear();
  numRows_ = 0;
  numValueColumns_ = 0;
  firstColumn_ = FirstColumn::kAbsolutePressure;
  hasUnitLine_ = false;
  hasPrevious_ = false;
  dataStart_ = 0;
  if (!path.empty() && (!IsOpen() || path != path_)) {
    if (!OpenFile(path)) return 0;
  }
  if (!IsOpen() || !file_.Rewind()) return 0;

  std::string line;
  bool first = true;
  bool layoutKnown = false;
  long lastRecord = 0;
  long recordLines = 0;
  for (;;) {
    int64_t at = file_.Tell();
    if (!ReadLine(line)) break;
    if (IsBlankLine(line)) continue;
    TideRecord r;
    if (first || !layoutKnown) {
      r = ParseTideRecord(line);
    } else {
      // Once the columns are known only the record number and the time count.
      FieldScanner s(line);
      r.fields = ScanRecordAndTime(s, r);
    }
    if (first) {
      first = false;
      dataStart_ = at;
      if (r.fields == 0) {
        // A unit line: its first word names the unit of the first column.
        std::string_view word = FirstWord(line);
        hasUnitLine_ = true;
        if (EqualsNoCase(word, "PSI"))
          firstColumn_ = FirstColumn::kGaugePressure;
        else if (EqualsNoCase(word, "PSIA"))
          firstColumn_ = FirstColumn::kAbsolutePressure;
        else
          firstColumn_ = FirstColumn::kDepth;
        dataStart_ = file_.Tell();
        continue;
      }
    }
    if (!r.HasDateTime()) continue;
    if (!layoutKnown) {
      layoutKnown = true;
      numValueColumns_ = r.NumValues();
    }
    lastRecord = r.record;
    ++recordLines;
    if (infoToFirstRecord_) break;
  }

  // The record number on the last line counts the records; a file whose numbers start again
  // (two files joined) still has every line read.
  numRows_ = static_cast<int>(std::clamp<long>(std::max(lastRecord, recordLines), 0, INT_MAX));
  defaultVarIds_ = {HasPressureColumn() ? kVarPressure : kVarDepth, kVarTemperature, kNoVariableId,
                    kNoVariableId};
  std::vector<std::string> names;
  GetAvailableXVariableNames(names);
  GetAvailableYVariableNames(names);
  SetnSubTitles(1);
  nSubTitles = 1;
  file_.Seek(dataStart_);
  return numRows_;
}

int CTidFile::SkipAtStart(int n) {
  std::string line;
  for (int i = 0; i < n;) {
    if (!ReadLine(line)) return 0;
    if (!IsBlankLine(line)) ++i;
  }
  return 1;
}

int CTidFile::ReadData(DataArrays& data, int row, int& count) {
  std::string line;
  TideRecord r;
  int64_t lineStart = 0;
  for (;;) {
    if (!IsOpen()) return 0;
    lineStart = file_.Tell();
    if (!ReadLine(line)) return 0;
    if (IsBlankLine(line)) continue;
    r = ParseTideRecord(line);
    if (r.HasDateTime()) break;
  }
  const int nv = std::min(r.NumValues(), numValueColumns_);
  for (int c = 0; c < nv; ++c) {
    if (!IsUsableValue(r.values[c])) {
      SetDataError("A value that is not a finite number below 1e6", lineStart);
      return 0;
    }
  }
  size_t at = row < 0 ? 0 : static_cast<size_t>(row);
  bool first = row == 0;
  auto put = [&](int id, double v) {
    data.Store(id, at, v);
    data.UpdateRange(id, v, first);
  };

  double seconds =
      CalendarSeconds(TideRecordYear(r.year), r.month, r.day, r.hour, r.minute, r.second);
  put(kVarDateTime, seconds);
  int stored = 1;

  if (nv >= 1) {
    put(HasPressureColumn() ? kVarPressure : kVarDepth, r.values[0]);
    ++stored;
  }
  for (int c = 1; c < nv; ++c) {
    put(kLaterColumns[c - 1], r.values[c]);
    ++stored;
  }
  if (OffersDensities() && nv >= 4) {
    double S = r.values[3], T = r.values[1], p = SeaPressure(r.values[0]);
    if (data.Wants(kVarSigmaT)) put(kVarSigmaT, Density(S, T, 0));
    if (data.Wants(kVarSigmaTheta)) put(kVarSigmaTheta, Density(S, PoTemp(S, T, p, 0), 0));
    const std::pair<int, double> referred[] = {
        {kVarSigma1, 1000}, {kVarSigma2, 2000}, {kVarSigma4, 4000}};
    for (auto [id, ref] : referred)
      if (data.Wants(id)) put(id, Density(S, PoTemp(S, T, p, ref), ref));
    stored += 5;
  }

  if (row == 1 && hasPrevious_) {
    double period = std::clamp(seconds - previousTime_, -2e9, 2e9);
    char text[80];
    std::snprintf(text, sizeof text, "Tide Integration Period %d seconds",
                  static_cast<int>(period));
    SetSubTitle(0, text);
  }
  hasPrevious_ = true;
  previousTime_ = seconds;
  ++count;
  return stored;
}

void CTidFile::CopyHeaderFrom(const CTGR41File& other) {
  CTGR41File::CopyHeaderFrom(other);
  if (const auto* o = dynamic_cast<const CTidFile*>(&other)) {
    firstColumn_ = o->firstColumn_;
    hasUnitLine_ = o->hasUnitLine_;
    dataStart_ = o->dataStart_;
  }
}

}  // namespace tidora
