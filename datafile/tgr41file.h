#pragma once

// The data file library: one reader object per data file kind behind one factory, the
// catalogue of variables, the seawater equations and the two recorder calendars.

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "datafile/textio.h"

namespace tidora {

class Interaction;

// ---- File kinds ----

inline constexpr int kTideFileId = 0;       // .tid, CTidFile
inline constexpr int kWaveBurstFileId = 1;  // .wb, CWbFile
inline constexpr int kWasFileId = 2;        // .was, auto spectrum
inline constexpr int kWtsFileId = 3;        // .wts, time-series statistics
inline constexpr int kWtFileId = 4;         // .wt, surface elevation

// ---- Variable catalogue: identifiers 0 to 33 ----

inline constexpr int kNumVariableIds = 34;
inline constexpr int kMaxDataTypes = 36;  // slots of the ReadData arrays
inline constexpr int kNoVariableId = 35;  // "no variable" in default lists

// Identifiers the readers of this library store.
enum VariableId : int {
  kVarAveragePeriodTss = 0,
  kVarAverageHeightTss = 1,
  kVarBurstNumber = 2,
  kVarConductivity = 3,
  kVarDateTime = 4,
  kVarDepth = 5,
  kVarSigmaTheta = 6,
  kVarSigmaT = 7,
  kVarSigma1 = 8,
  kVarSigma2 = 9,
  kVarSigma4 = 10,
  kVarEnergyAs = 11,
  kVarEnergyTss = 12,
  kVarEnergyDensity = 13,
  kVarFrequency = 14,
  kVarH10Tss = 15,
  kVarH100Tss = 16,
  kVarMaxHeightTss = 17,
  kVarNumberOfWaves = 18,
  kVarPressure = 19,
  kVarSensorDepth = 20,
  kVarSalinity = 21,
  kVarSigPeriodAs = 22,
  kVarSigPeriodTss = 23,
  kVarSigHeightAs = 24,
  kVarSigHeightTss = 25,
  kVarSubsurfacePressure = 26,
  kVarTemperature = 27,
  kVarTime = 28,
  kVarVarianceAs = 29,
  kVarVarianceTss = 30,
  kVarWaveAmplitude = 31,
  kVarPeriod = 32,
  kVarNull = 33,
};

// The wave statistics computed once per calculation type (from the auto-spectrum and from the
// time series), offered as a pair of variables.
bool IsPerCalculationType(int id);

// Each sets `name` and returns 1 for identifiers 0 to 33; otherwise returns 0 and leaves it.
int GetDataNameFromID(std::string& name, int id);       // long name with unit
int GetLabelNameFromID(std::string& name, int id);      // label for plots
int GetShortDataNameFromID(std::string& name, int id);  // short name for reports
// The long name cut before its last comma; empty when the name has no comma. Returns 1 for
// identifiers 0 to 33.
int GetDataNameFromIDNoUnits(std::string& name, int id);
// The identifier whose long name equals `name` exactly (case matters); 1 when found, else 0.
int GetID_FromDataName(int& id, const std::string& name);

// ---- What ReadData fills ----
//
// DataArrays stands for the caller's 36 value arrays, 36 time arrays and the minimum and
// maximum arrays. Slot i belongs to variable identifier i (slots 33 and 34 may hold unnamed
// per-band values of burst readers).
//
// - wanted[i] is the caller's "I allocated this array": a reader stores identifier i only when
//   it is set. Set it with Want(i) before reading.
// - Times (identifiers 4 Date/Time and 28 Time [seconds]) go into times[i] as double; every
//   other identifier goes into values[i] as float.
// - A reader stores at an index and grows the vector when the index is past its end (it never
//   shrinks it), so nothing is ever written past an array; ReadData's `count` tells how many
//   entries the last read filled.
// - minimum[i] and maximum[i] are set from the first value stored with row 0 (or the first
//   value ever stored, when hasRange[i] is still false) and widened by every later value.
//
// The tide reader stores record `row` at index `row` of each array. The wave burst reader
// stores a burst's samples at indexes 0 to count - 1 and its burst number (2), sample period
// (32) and samples per burst (18) at index 0.
struct DataArrays {
  std::array<bool, kMaxDataTypes> wanted{};
  std::array<std::vector<float>, kMaxDataTypes> values;
  std::array<std::vector<double>, kMaxDataTypes> times;
  std::array<double, kMaxDataTypes> minimum{};
  std::array<double, kMaxDataTypes> maximum{};
  std::array<bool, kMaxDataTypes> hasRange{};

  static bool IsTimeId(int id) { return id == kVarDateTime || id == kVarTime; }
  void Want(int id, bool yes = true);
  bool Wants(int id) const { return id >= 0 && id < kMaxDataTypes && wanted[id]; }
  // Value of identifier `id` at `index` (times or values as the identifier says); 0 when the
  // index has not been stored.
  double Get(int id, size_t index) const;

  // Used by the readers: store at an index when wanted, growing the array as needed.
  void Store(int id, size_t index, double value);
  // Sets the range from `value` when `first` or when no range is set yet; else widens it.
  void UpdateRange(int id, double value, bool first);
};

// A value as float; values beyond the float range become infinite rather than undefined.
float ToFloat(double value);

// ---- Calendar seconds ----
//
// The Date/Time variable holds calendar seconds of the date and time as written in the file:
// seconds from 1970-01-01 00:00:00 counting the date as it stands, without time zone or
// daylight saving, so that every record time turns back into the same text.
double CalendarSeconds(const std::tm& t);
double CalendarSeconds(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                       int64_t second);
std::tm CalendarTime(double seconds);

// ---- Reader objects ----

class CTGR41File {
 public:
  CTGR41File();
  virtual ~CTGR41File();
  CTGR41File(const CTGR41File&) = delete;
  CTGR41File& operator=(const CTGR41File&) = delete;

  // Name of the reader class ("CTidFile", "CWbFile", ...).
  virtual const char* GetClassName() const = 0;

  virtual int GetNumYDataColumns() = 0;
  virtual int GetAvailableYVariableNames(std::vector<std::string>& names) = 0;
  virtual int GetNumXDataColumns() = 0;
  virtual int GetAvailableXVariableNames(std::vector<std::string>& names) = 0;
  // Scans the file (opened here when no file, or another file, is open), fills the reader's
  // header values, sizes the subtitles (their count goes into nSubTitles) and returns the
  // number of rows; 0 means no data. The file is left at its first data line.
  virtual int ReadFileInfo(const std::string& path, int& nSubTitles) = 0;
  virtual int GetSecondaryXVariableNames(std::vector<std::string>& names);
  virtual int GetSecondaryYVariableNames(std::vector<std::string>& names);
  // Reads the next row (tide) or burst (burst files) into `data` at `row` (see DataArrays).
  // Returns nonzero when something was read, 0 at the end of the data.
  virtual int ReadData(DataArrays& data, int row, int& count);
  // Moves past n rows or bursts: 1 on success, 0 when the file lacks the expected line.
  virtual int SkipAtStart(int n);
  // Every identifier ReadData can store for this file, offered or not (the X and Y variables,
  // and for example sigma-4 of a tide file or the burst number of a wave burst file).
  virtual std::vector<int> GetReadableVariableIDs();
  // Copies the header values found by ReadFileInfo from a reader of the same class.
  virtual void CopyHeaderFrom(const CTGR41File& other);

  bool OpenFile(const std::string& path);
  void CloseFile();
  bool IsOpen() const { return file_.IsOpen(); }
  // Byte position in the open file of the next line to be read.
  int64_t GetFilePosition() const { return file_.Tell(); }

  int GetFileID() const { return fileId_; }
  int GetDefaultVarID(int index) const;  // index 1 to 4; 35 otherwise
  static int GetMaxDataTypes() { return kMaxDataTypes; }
  double GetStartTime() const { return startTime_; }
  void SetStartTime(double t) { startTime_ = t; }
  bool Is2000Based() const { return timeFrom2000_; }
  void Set2000Based(bool yes) { timeFrom2000_ = yes; }
  int GetNumRows() const { return numRows_; }
  int GetNumYColumnsReported() const { return numYColumns_; }
  int GetNumXColumnsReported() const { return numXColumns_; }

  // Subtitles: one per row, burst or record. The first call creates n empty subtitles; later
  // calls empty the first n (and make room for n when there were fewer).
  void SetnSubTitles(int n);
  int GetnSubTitles() const { return nSubTitles_; }
  std::string GetSubTitle(int i) const;  // empty when there is none
  void SetSubTitle(int i, const std::string& text);

  // Where readers that show messages (the wave output readers) show them; may be null.
  void SetInteraction(Interaction* ui) { ui_ = ui; }

  // Why the last ReadData stopped short of the end (a value no computation can use), naming
  // the line; empty when it did not. Cleared by ReadFileInfo.
  const std::string& GetDataError() const { return dataError_; }

  // ---- Helpers for the readers ----

  // value clamped to -limit..limit.
  static double CheckRange(double value, double limit);
  // Whether a value read from a file can enter a computation: finite and within -limit..limit.
  // Far beyond every sentinel the converter writes (99999.9999), so only damage is refused.
  static constexpr double kMaxFileValue = 1e6;
  static bool IsUsableValue(double value, double limit = kMaxFileValue) {
    return value >= -limit && value <= limit;  // false for nan too
  }
  // Density anomaly (kg/m^3 minus 1000) of seawater by the international equation of state
  // of 1980 (UNESCO 1981) with its secant bulk modulus: S [PSU] (not above 0 taken as 1e-6),
  // T [deg C], P [decibar]. Clamped to -99..99.
  static double Density(double S, double T, double P);
  // Adiabatic temperature gradient [deg C/decibar] (UNESCO 1983).
  static double ATG(double S, double T, double P);
  // Potential temperature of water at T0, P0 referred to PR [decibar], by the fourth-order
  // Runge-Kutta integration of UNESCO 1983 (Fofonoff and Millard).
  static double PoTemp(double S, double T0, double P0, double PR);

  // Seconds of the TIDEWELL calendar (365-day years from 1989, February 28 days).
  static unsigned long DateTimeToSec(int year, int month, int day, int hour, int minute,
                                     int second);
  // True when a leap-day instant (February 28 23:59:59 of 1996, 2000, ... 2032 in the TIDEWELL
  // calendar) lies at or after the first burst's start and before t.
  bool IsLeapYear(unsigned long t) const;
  // Calendar date of a burst or record time: seconds from 2000-01-01 when the file is
  // 2000-based, else the TIDEWELL calendar with its leap-day correction.
  void AddP41Time(double t, std::tm* out) const;
  // Date of seconds since 1989-01-01 in the Gregorian calendar.
  static void SecToTm(double t, std::tm* out);

 protected:
  // Reads the next line (at most 1023 characters kept). False at the end of the file.
  bool ReadLine(std::string& line) { return file_.ReadLine(line); }
  // Ids of a list of long names, in order.
  static std::vector<int> IdsOfNames(const std::vector<std::string>& names);
  // Records why reading stops: "<what> on line <n> of <path>", the line found from the byte
  // position where it starts.
  void SetDataError(const std::string& what, int64_t lineStart);

  TextLineReader file_;
  std::string path_;
  std::vector<std::string> yNames_;
  std::vector<std::string> xNames_;
  int numRows_ = 0;
  int fileId_ = -1;
  int numYColumns_ = 0;
  int numXColumns_ = 0;
  int numValueColumns_ = 0;
  std::array<int, 4> defaultVarIds_{kNoVariableId, kNoVariableId, kNoVariableId, kNoVariableId};
  int nSubTitles_ = 0;
  bool subTitlesMade_ = false;
  std::vector<std::string> subTitles_;  // grows as subtitles are set, up to nSubTitles_
  double startTime_ = 0;
  bool timeFrom2000_ = false;
  Interaction* ui_ = nullptr;
  std::string dataError_;
};

// A new reader for file identifiers 0 to 4 (null for any other identifier).
std::unique_ptr<CTGR41File> CreateFileObject(int fileId);
// The same by reader class name ("CTidFile", "CWbFile", "CWasFile", "CWtsFile", "CWtFile").
std::unique_ptr<CTGR41File> CreateFileObjectByClassName(const std::string& className);
// Copies the file identifier and the header values found by ReadFileInfo (not the open file,
// not the subtitles). Returns false, copying nothing, when the two readers are of different
// classes or either is null.
bool CopyFileObject(CTGR41File* dst, const CTGR41File* src);
// True when both are readers of the same class.
bool FileObjectsAreSameType(const CTGR41File* a, const CTGR41File* b);
bool FileObjectsEqual(const CTGR41File* a, const CTGR41File* b);
// Two file objects always compare equal; callers compare kinds with FileObjectsAreSameType.
bool operator==(const CTGR41File& a, const CTGR41File& b);
bool operator!=(const CTGR41File& a, const CTGR41File& b);

// The file identifier for a path's extension ("tid" 0, "wb" 1, "was" 2, "wts" 3, "wt" 4,
// without regard to case); -1 for any other.
int FileIdFromExtension(const std::string& path);

}  // namespace tidora
