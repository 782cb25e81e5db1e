#pragma once

// Readers of the wave module's output files: the auto-spectrum file (.was), the time-series
// statistics file (.wts) and the surface elevation file (.wt). Each file is an optional
// "TGR 41plus" line, then one block per burst that opens with a header line whose first word
// is "*".
//
// A burst is one ReadData call. Like the wave burst reader, these readers store a burst's
// per-burst values at index 0 of the caller's arrays and its series (the bands of a .was
// burst, the samples of a .wt burst) at indexes 0 to count - 1; `row` names the burst for
// its subtitle and for the ranges (row 0 starts them).

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "datafile/tgr41file.h"

namespace tidora {

// Slots after the catalogue that a .was burst fills per band: the upper and lower confidence
// multipliers.
inline constexpr int kSlotUpperMultiplier = 33;
inline constexpr int kSlotLowerMultiplier = 34;

// More bands or points than any burst can have: such a header is damaged.
inline constexpr int kMaxWaveSeriesLength = 1 << 20;

// The header values shared by the three files, as the header line of a burst states them.
struct WaveBurstHeader {
  int burst = 0;
  double start = 0;   // burst start time on the recorder's clock, seconds
  double period = 0;  // sample period, seconds
  int points = 0;     // transform length M
  int fields = 0;     // fields converted from the line, the "*" included
};

// Base of the three readers: the header search, the end-of-file message and the date text.
class CWaveOutputFile : public CTGR41File {
 public:
  int ReadFileInfo(const std::string& path, int& nSubTitles) override;
  int SkipAtStart(int n) override;
  void CopyHeaderFrom(const CTGR41File& other) override;

  int GetNumBursts() const { return numBursts_; }
  int GetFirstBurstNumber() const { return firstBurst_; }
  // Header values of the file's first burst.
  double GetSamplePeriod() const { return firstPeriod_; }
  int GetNumPoints() const { return firstPoints_; }
  double GetWaterDepth() const { return firstWaterDepth_; }
  double GetInstrumentDepth() const { return firstInstrumentDepth_; }
  double GetDensity() const { return firstDensity_; }

 protected:
  // The reader's caption for its message boxes.
  virtual const char* Caption() const = 0;
  // Parses the first burst, starting at its header line (already read), and scans the rest of
  // the file. Returns the rows, or -1 when the first burst cannot be used (no message).
  virtual int ScanFile(const std::string& header) = 0;
  // Moves past the rest of one burst whose header line has just been read.
  virtual bool SkipBurstBody(const std::string& header) = 0;

  // Reads lines to the next header line; false at the end of the file.
  bool NextHeader(std::string& line);
  // False, with the data error naming the burst's header line, when a value read for the burst
  // is not a finite number: such a value would only carry nan or inf into a report or a plot.
  bool CheckFinite(double value);
  // Reads the next line that is not blank; false at the end of the file or at a header line
  // (the file is then left at that header).
  bool NextBodyLine(std::string& line);
  // Moves forward by `bytes` from the current position, then checks that it landed on a line
  // that may follow a burst (a header, a blank line or the end); otherwise it goes back and
  // finds the next header by reading. Files whose lines end in a bare LF are skipped that way.
  bool SkipBytesChecked(int64_t bytes);
  // Keeps the first burst's header values, with the depths and density where its file states
  // them; its start is the file's when it is burst 0.
  void TakeFirstBurst(const WaveBurstHeader& h, double waterDepth = 0, double instrumentDepth = 0,
                      double density = 0);
  // Reads the header lines to the end of the file, calling `afterHeader` (when given) after
  // each: the number of the last burst other than 0, or `first` when there is none.
  int LastBurstNumber(int first, const std::function<void()>& afterHeader = {});
  // Calendar seconds of a burst's start and its date text.
  double StartSeconds(double start, std::string* dateText) const;
  void ShowEndOfFileMessage();

  int numBursts_ = 0;
  int firstBurst_ = 0;
  int64_t dataStart_ = 0;
  int64_t headerStart_ = 0;  // where the header line of the burst last read begins
  double firstPeriod_ = 0;
  int firstPoints_ = 0;
  double firstWaterDepth_ = 0;
  double firstInstrumentDepth_ = 0;
  double firstDensity_ = 0;
};

// Auto-spectrum file reader (file identifier 2).
class CWasFile : public CWaveOutputFile {
 public:
  struct Header {
    WaveBurstHeader burst;
    int estimates = 0;  // spectral estimates per band
    double waterDepth = 0;
    double instrumentDepth = 0;
    double density = 0;
    int confidence = 0;  // percent
    double lower = 0, upper = 0;
    int bands = 0;
    double firstFrequency = 0, bandWidth = 0;
    double variance = 0, energy = 0, peakPeriod = 0, sigHeight = 0;
    int fields = 0;        // of the header line
    int secondFields = 0;  // of the second line
  };
  static Header ParseHeader(std::string_view header, std::string_view second);

  CWasFile();
  const char* GetClassName() const override { return "CWasFile"; }
  int GetNumYDataColumns() override;
  int GetAvailableYVariableNames(std::vector<std::string>& names) override;
  int GetNumXDataColumns() override;
  int GetAvailableXVariableNames(std::vector<std::string>& names) override;
  int GetSecondaryXVariableNames(std::vector<std::string>& names) override;
  int GetSecondaryYVariableNames(std::vector<std::string>& names) override;
  // Rows are the largest band count of any burst; nSubTitles the bursts from the first to the
  // last burst number.
  // Reads the next burst; count becomes the reader's rows. Returns 2, or 0 at the end.
  int ReadData(DataArrays& data, int row, int& count) override;
  std::vector<int> GetReadableVariableIDs() override;
  void CopyHeaderFrom(const CTGR41File& other) override;

  bool SecondaryXOffered() const { return secondaryX_; }
  bool SecondaryYOffered() const { return secondaryY_; }
  // Values of the burst read last.
  const Header& GetLastHeader() const { return last_; }

 protected:
  const char* Caption() const override { return "WasFile"; }
  int ScanFile(const std::string& header) override;
  bool SkipBurstBody(const std::string& header) override;

 private:
  Header last_;
  bool secondaryX_ = false;
  bool secondaryY_ = false;
};

// Time-series statistics file reader (file identifier 3).
class CWtsFile : public CWaveOutputFile {
 public:
  struct Header {
    WaveBurstHeader burst;
    int waves = 0;
    double waterDepth = 0, instrumentDepth = 0, density = 0;
    double variance = 0, energy = 0, averageHeight = 0, averagePeriod = 0;
    double maximumHeight = 0, h13 = 0, t13 = 0, h110 = 0, h1100 = 0;
    int fields = 0;
  };
  static Header ParseHeader(std::string_view header);

  CWtsFile();
  const char* GetClassName() const override { return "CWtsFile"; }
  int GetNumYDataColumns() override;
  int GetAvailableYVariableNames(std::vector<std::string>& names) override;
  int GetNumXDataColumns() override;
  int GetAvailableXVariableNames(std::vector<std::string>& names) override;
  // Reads the next burst's three lines; count becomes the rows (the burst count).
  int ReadData(DataArrays& data, int row, int& count) override;
  std::vector<int> GetReadableVariableIDs() override;
  const Header& GetLastHeader() const { return last_; }

 protected:
  // The box names the file kind that is damaged.
  const char* Caption() const override { return "WtsFile"; }
  int ScanFile(const std::string& header) override;
  bool SkipBurstBody(const std::string& header) override;

 private:
  // The two value lines after a header; missing values stay 0.
  void ReadValueLines(Header& h);
  Header last_;
};

// Surface elevation file reader (file identifier 4).
class CWtFile : public CWaveOutputFile {
 public:
  static WaveBurstHeader ParseHeader(std::string_view header);

  CWtFile();
  const char* GetClassName() const override { return "CWtFile"; }
  int GetNumYDataColumns() override;
  int GetAvailableYVariableNames(std::vector<std::string>& names) override;
  int GetNumXDataColumns() override;
  int GetAvailableXVariableNames(std::vector<std::string>& names) override;
  // Reads the next burst's samples: 31 (elevation) and 28 (seconds from the burst start) at 0
  // to M - 1; count becomes M. Values missing from a cut-short burst are 0.
  int ReadData(DataArrays& data, int row, int& count) override;
  const WaveBurstHeader& GetLastHeader() const { return last_; }

 protected:
  const char* Caption() const override { return "WtFile"; }
  int ScanFile(const std::string& header) override;
  bool SkipBurstBody(const std::string& header) override;

 private:
  WaveBurstHeader last_;
};

}  // namespace tidora
