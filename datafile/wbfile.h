#pragma once

// Reader of the wave burst file (.wb): an optional "TGR 41plus" line, then per burst a header
// line "*  burst  start  period  samples" and rows of four pressures.

#include <string>
#include <string_view>
#include <vector>

#include "datafile/tgr41file.h"

namespace tidora {

class FieldScanner;

// A burst header line as parsed with " %s %d %lf %lf %d".
struct BurstHeader {
  std::string marker;
  int burst = 0;
  double start = 0;
  double period = 0;
  int samples = 0;
  int fields = 0;  // fields converted, from the start
};
BurstHeader ParseBurstHeader(std::string_view line);
// The same five fields read from `s`, which is left after them: the header lines of the wave
// output files go on with fields of their own.
BurstHeader ScanBurstHeader(FieldScanner& s);
// A burst header is a line whose first blank-separated word begins with "*".
bool IsBurstHeaderLine(std::string_view line);
// Bytes of a burst's rows on disk: whole rows of 62 bytes, then a last row of four blanks,
// r fields of 14 characters and CR LF when the count is not a multiple of four.
int64_t WaveBurstRowBytes(int samplesPerBurst);
// Whole seconds of a duration, truncated and kept within int (0 when not finite).
int WholeSecondsInt(double seconds);
// "Burst %d of %d, Start %s, %d point, T=%d sec" with the burst's duration in whole seconds.
std::string FormatBurstTitle(int burst, int numBursts, const std::string& startText, int samples,
                             double period);

// More samples per burst than any recorder takes: such a header is damaged.
inline constexpr int kMaxSamplesPerBurst = 1 << 20;

class CWbFile : public CTGR41File {
 public:
  CWbFile();
  const char* GetClassName() const override { return "CWbFile"; }
  int GetNumYDataColumns() override;
  int GetAvailableYVariableNames(std::vector<std::string>& names) override;
  int GetNumXDataColumns() override;
  int GetAvailableXVariableNames(std::vector<std::string>& names) override;
  // Rows are the samples per burst of the first burst; nSubTitles the number of bursts.
  int ReadFileInfo(const std::string& path, int& nSubTitles) override;
  // Reads the next burst: samples into 26 (pressure) and 28 (time within the burst) at 0 to
  // N - 1, and the burst number (2), sample period (32) and samples per burst (18) at 0. A
  // burst cut short by the next header or the end of the file is completed with the first
  // value of the last row read. Sets the subtitle `row`. Returns 2, or 0 when no burst is left.
  int ReadData(DataArrays& data, int row, int& count) override;
  // Skips n bursts by byte offsets from each header, checking that it lands on the next
  // header (or the end) and falling back to reading the rows when it does not.
  int SkipAtStart(int n) override;
  std::vector<int> GetReadableVariableIDs() override;
  void CopyHeaderFrom(const CTGR41File& other) override;

  int GetSamplesPerBurst() const { return samplesPerBurst_; }
  double GetSamplePeriod() const { return samplePeriod_; }
  int GetNumBursts() const { return numBursts_; }
  // Header values of the burst read last.
  const BurstHeader& GetLastHeader() const { return last_; }
  // Whole seconds of a duration, truncated and kept within int (0 when not finite).
  int WholeSecondsInt(double seconds);
  // "Burst %d of %d, Start %s, %d point, T=%d sec".
  std::string BurstTitle(const BurstHeader& h) const;

 private:
  // Reads lines to the next header, leaving the file at its start; false at the end.
  bool FindNextHeader();
  // The number of the last burst header that states one, from just after the first header
  // line; `first` when none does.
  int LastBurstNumber(int first);

  int samplesPerBurst_ = 0;
  double samplePeriod_ = 0;
  int numBursts_ = 0;
  int64_t dataStart_ = 0;
  BurstHeader last_;
  std::vector<double> samples_;
};

}  // namespace tidora
