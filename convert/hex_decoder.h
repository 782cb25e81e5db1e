#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/calibration.h"
#include "convert/coefficient_file.h"
#include "convert/hex_lines.h"

namespace tidora {

enum class InstrumentFamily { kUnknown, kTgr41plus, kTgr77Bpr, kTidewell };

// What the header of an upload file tells about the recorder and its sampling.
struct HeaderState {
  InstrumentFamily family = InstrumentFamily::kUnknown;
  bool waveRateFix = false;           // firmware 5.2 or 6.0 named on an identification line
  bool alternateTemperature = false;  // "35850" on the TGR 41plus identification line
  double tidewellVersion = 3.0;
  bool burstsAreMeasurements = false;  // "13186" on the TIDEWELL identification line
  bool strainGauge = false;
  bool conductivity = false;
  bool tsunami = false;
  int samplesPerBurst = 0;
  double scanRate = 0.0;  // scans per second
  int measurements = 0;
  int bursts = 0;
  int recordLength = 0;  // bytes of a tide record
  bool timeStamped = false;
  double startTime = 0.0;
  double tideInterval = 0.0;

  // Lines the data section is expected to hold: the progress range.
  int ProgressTotal() const;
};

// Calibration coefficients listed in the upload file's header.
struct HeaderCoefficients {
  QuartzCoefficients quartz;
  StrainGaugeCoefficients strain;
  double M = 0, B = 0, offset = 0;
  double fra[7] = {0, 0, 0, 0, 0, 0, 0};
  double ta[4] = {0, 0, 0, 0};
  ConductivityCoefficients cond;  // CG, CH, CI, CJ, CTCOR, CPCOR
  double cslope = 0;
  double AI = 0, XI = 0;
};

// Output variants chosen by the launcher's switches.
enum class BprLayout { kNormal, kFrequencies, kRawCounts };
struct OutputModes {
  bool thermistorVoltage = false;      // -v: the older recorder's tide lines carry the voltage
  BprLayout bpr = BprLayout::kNormal;  // -t frequencies, -d raw counts (the later one wins)
};
// Applies one switch ("-v", "/V", "-t", "/d", ... in either case); false when it is none.
bool ApplyOutputSwitch(std::string_view arg, OutputModes& modes);

// Receives what the decoder makes of the data lines. Every call returns false when writing
// failed, which ends the conversion.
class ConvertSink {
 public:
  virtual ~ConvertSink() = default;
  virtual bool TideRecord(long number, const std::tm& t, double pressure, double temperature,
                          int tempDecimals) = 0;
  virtual bool TideRecord(long number, const std::tm& t, double pressure, double temperature,
                          int tempDecimals, double conductivity, double salinity) = 0;
  // A tide line in one of the special layouts, without its line end.
  virtual bool TideLine(const std::string& text) = 0;
  virtual bool BurstHeader(int burstNumber, double startSeconds, double samplePeriod,
                           int samplesPerBurst) = 0;
  virtual bool BurstRow(double a, double b, double c, double d) = 0;
  // A reference-file line, without its line end.
  virtual bool ReferenceLine(const std::string& text) = 0;
};

enum class DecodeStatus {
  kOk,
  kEndOfFile,
  kNoInstrument,     // no identification line
  kHeaderError,      // no wave sampling line after "measure waves"
  kMultipleRecords,  // a second data marker
  kWriteError,
  kStopped,  // the abort flag was set
};

// Header scan and record decoding of one upload file. One object per conversion; Reset starts
// over with the run's coefficient file, start year and output modes.
class CHexDecoder {
 public:
  void Reset(const CoefficientFile& file, int startYear, const OutputModes& modes);

  // Identification and status lines (steps up to the progress range).
  DecodeStatus ScanHeader(HexLineReader& in);
  // Coefficient lines; false when one was missing or did not match its key.
  bool ReadCoefficients(HexLineReader& in);
  // Finds the data marker (or, for the TGR 77 BPR, the first data line).
  void FindDataMarker(HexLineReader& in);
  // Start time and tide interval lines (TGR 41plus and TIDEWELL).
  void ReadStartLines(HexLineReader& in);
  // True when the firmware's wave rate must be corrected; the rate is then 4 scans/s.
  bool ApplyWaveRateFix();

  // Decodes data lines to the end. `abort` is polled before every line; `progress` gets the
  // number of data lines read after every 100th.
  DecodeStatus DecodeData(HexLineReader& in, ConvertSink& sink, const std::atomic<bool>* abort,
                          const std::function<void(long)>& progress);

  const HeaderState& Header() const { return h_; }
  const HeaderCoefficients& Coefficients() const { return c_; }
  long TideRecords() const { return tideCount_; }
  long ReferenceRecords() const { return refCount_; }
  int BurstsWritten() const { return burstsWritten_; }
  long RowsWritten() const { return rows_; }
  // Bursts whose own sample count differed from the header's, and the first of them (its
  // number and count); bursts that ended at the end of the file before their last row.
  struct BurstCount {
    int burst = 0;
    int samples = 0;
  };
  int BurstCountMismatches() const { return countMismatches_; }
  BurstCount FirstBurstCountMismatch() const { return firstMismatch_; }
  int BurstsCutShort() const { return burstsCut_; }

 private:
  DecodeStatus Tgr41plusLine(HexLineReader& in, std::string_view line, ConvertSink& sink);
  DecodeStatus Tgr41plusBurst(HexLineReader& in, ConvertSink& sink);
  DecodeStatus Tgr77Line(std::string_view line, ConvertSink& sink);
  // The tsunami demonstration's record: counts of the reference, pressure and temperature
  // oscillators.
  DecodeStatus Tgr77TsunamiRecord(const uint8_t* b, ConvertSink& sink);
  DecodeStatus TidewellLine(HexLineReader& in, std::string_view line, ConvertSink& sink);
  // A word of the older recorder's burst: its start time, temperature or packed samples.
  void TidewellBurstWord(const uint8_t* b);
  DecodeStatus TidewellTide(HexLineReader& in, const uint8_t* b, ConvertSink& sink);
  // The coefficient lines after the status lines, by the table of what each recorder lists.
  bool ReadCoefficientLines(HexLineReader& in);
  double ConductivitySlope() const;
  // Writes the older recorder's burst kept so far: its header, then its rows.
  bool FlushTidewellBurst(ConvertSink& sink);
  std::tm TideTm(double seconds) const;

  HeaderState h_;
  HeaderCoefficients c_;
  CoefficientFile file_;
  PressureCorrection corr_;
  OutputModes modes_;
  int startYear_ = 2000;
  bool coefficientError_ = false;
  std::string pendingLine_;  // the TGR 77 BPR's first data line, found by the marker search
  bool hasPending_ = false;

  double tideTime_ = 0;
  long tideCount_ = 0;
  long refCount_ = 0;
  uint16_t burstNumber_ = 0;
  int burstsWritten_ = 0;
  long rows_ = 0;
  int countMismatches_ = 0;
  BurstCount firstMismatch_;
  int burstsCut_ = 0;

  // The older recorder's burst state.
  bool inBurst_ = false;
  long burstWord_ = 0;
  uint8_t burstBuf_[12] = {};
  int burstFill_ = 0;
  bool firstBuffer_ = true;
  double burstFt_ = 0;
  double burstStart_ = 0;
  double prevBurstRaw_ = 0;
  bool burstPending_ = false;
  int pendingBurst_ = 0;
  double pendingStart_ = 0;
  double pendingPeriod_ = 0;
  std::vector<std::array<double, 4>> pendingRows_;
};

// Messages of the header scan and decoding.
inline constexpr const char* kMsgNoInstrument =
    "error --> could not find valid instrument type in header";
inline constexpr const char* kMsgCoefficientError = "Error reading coefficients from HEX file";
inline constexpr const char* kMsgMultipleRecords =
    "Can not process a file with multiple tide records, run RECSPLIT.EXE to separate the "
    "records";
inline constexpr const char* kMsgNoWaveSampling =
    "error --> could not find wave sampling rate in header";
inline constexpr const char* kMsgWaveRateFix =
    "Found TGR 41plus firmware version 5.2, 6.0, or 6.0a with\n"
    "wave sampling not equal to 4.00 scans/sec in the status response.\n"
    "\n"
    "Setting wave integration period to 0.25 seconds in the .wb file\n"
    "to match the actual rate at which the TGR 41plus sampled.";

}  // namespace tidora
