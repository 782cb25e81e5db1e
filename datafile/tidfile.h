#pragma once

// Reader of the tide file (.tid): one line per tide record, "record date time values", with an
// optional unit line in front written by the barometric merge.

#include <string>
#include <string_view>

#include "datafile/tgr41file.h"

namespace tidora {

// One tide line as parsed with " %d %d/%d/%d %d:%d:%d %lf %lf %lf %lf".
struct TideRecord {
  int record = 0;
  int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  double values[4] = {0, 0, 0, 0};
  int fields = 0;  // fields converted, from the start; 0 when the line does not begin with one
  int NumValues() const { return fields > 7 ? fields - 7 : 0; }
  bool HasDateTime() const { return fields >= 7; }
};
TideRecord ParseTideRecord(std::string_view line);
// Full year of a year as written: two-digit years 89..99 are 1989..1999 and 0..88 are 2000..
// 2088; other years below 1900 get 1900 added.
int TideRecordYear(int year);

class CTidFile : public CTGR41File {
 public:
  // What the first value column holds.
  enum class FirstColumn {
    kAbsolutePressure,  // psia, as the converter writes it (no unit line, or "PSIA")
    kGaugePressure,     // psi with barometric pressure removed (unit line "PSI")
    kDepth,             // meters of water (any other unit line, "Meters" from the merge)
  };

  CTidFile();
  const char* GetClassName() const override { return "CTidFile"; }
  int GetNumYDataColumns() override;
  int GetAvailableYVariableNames(std::vector<std::string>& names) override;
  int GetNumXDataColumns() override;
  int GetAvailableXVariableNames(std::vector<std::string>& names) override;
  int ReadFileInfo(const std::string& path, int& nSubTitles) override;
  // For a caller that reads the file through once: ReadFileInfo then stops at the first record,
  // when the columns are known, and returns a row count that is only told apart from 0 (the
  // file holds no record).
  void StopInfoAtFirstRecord(bool yes) { infoToFirstRecord_ = yes; }
  // Reads the next record. Blank and unreadable lines are passed over. Returns the number of
  // variables the record provides (date/time, the value columns and, when the file offers
  // them, the five densities), 0 at the end of the file; `count` grows by one.
  int ReadData(DataArrays& data, int row, int& count) override;
  // Reads past n lines (blank lines not counted).
  int SkipAtStart(int n) override;
  std::vector<int> GetReadableVariableIDs() override;
  void CopyHeaderFrom(const CTGR41File& other) override;

  FirstColumn GetFirstColumn() const { return firstColumn_; }
  bool HasUnitLine() const { return hasUnitLine_; }
  int GetNumValueColumns() const { return numValueColumns_; }
  bool HasPressureColumn() const { return firstColumn_ != FirstColumn::kDepth; }
  // Densities need pressure, temperature and salinity.
  bool OffersDensities() const { return HasPressureColumn() && numValueColumns_ >= 4; }
  // Sea pressure [decibar] of a first-column pressure value.
  double SeaPressure(double firstColumnValue) const;

 private:
  FirstColumn firstColumn_ = FirstColumn::kAbsolutePressure;
  bool hasUnitLine_ = false;
  int64_t dataStart_ = 0;
  bool hasPrevious_ = false;
  double previousTime_ = 0;
  bool infoToFirstRecord_ = false;
};

}  // namespace tidora
