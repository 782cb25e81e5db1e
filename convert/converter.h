#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "convert/coefficient_file.h"
#include "convert/hex_decoder.h"
#include "platform/interaction.h"

namespace tidora {

class ConvertFileSink;
class HexLineReader;
class OutputSet;

// One conversion of an upload file into a tide file, a wave burst file and, for the TGR 77 BPR,
// a reference file. The work runs on a worker thread; everything a person sees goes through
// the interaction (message boxes, status line, progress), and a dialog can follow the run
// through the report handler.

struct ConvertRequest {
  std::string input;  // upload file (.hex)
  std::string tide;   // tide file (.tid); the reference file is derived from it
  std::string wave;   // wave burst file (.wb)
  int startYear = 2000;
  OutputModes modes;
};

enum class ConvertOutcome { kNone, kFinished, kFailed, kStopped };

// What the worker reports to a dialog (on the worker's thread).
enum class ConvertReport {
  kFileNamesInvalid,
  kCannotOpenInput,
  kCannotOpenOutput,
  kMultipleRecords,
  kHeaderError,  // no identification or no wave sampling line
  kWriteError,
  kConverting,  // header scanned: disable Exit, progress 0
  kFinished,
};

struct ConvertSummary {
  ConvertOutcome outcome = ConvertOutcome::kNone;
  InstrumentFamily family = InstrumentFamily::kUnknown;
  long tideRecords = 0;
  long referenceRecords = 0;
  int bursts = 0;
  long burstRows = 0;
  int progressTotal = 0;
  bool coefficientError = false;
  bool waveRateCorrected = false;
  std::string referencePath;  // when one was written
};

enum class ConvertStart { kStarted, kBusy, kCoefficientFileMissing, kCoefficientFileShort };

class CHexConverter {
 public:
  explicit CHexConverter(Interaction& ui);
  ~CHexConverter();
  CHexConverter(const CHexConverter&) = delete;
  CHexConverter& operator=(const CHexConverter&) = delete;

  // Convert File: reads CNVHex.ini strictly from the settings directory (showing its message
  // when it cannot) and starts the worker. A second run never starts while one is going on.
  ConvertStart Start(const ConvertRequest& request);
  // Cancel while running: the worker ends at its next line.
  void Stop();
  bool IsRunning() const { return running_.load(); }
  // Waits for the worker and returns what it did.
  ConvertSummary Wait();

  void SetReportHandler(std::function<void(ConvertReport)> handler);

  // The worker's whole job on the calling thread, with the given coefficient file. Refused
  // (outcome kNone) while another run of this converter is going on.
  ConvertSummary RunNow(const ConvertRequest& request, const CoefficientFile& coefficients);

  // The tide path with its extension replaced by "ref".
  static std::string ReferencePath(const std::string& tidePath);
  // The output paths the Browse button proposes for an input: its extension replaced by "tid"
  // and "wb".
  static void OutputPathsFor(const std::string& input, std::string& tide, std::string& wave);

 private:
  void Report(ConvertReport r);
  void Fail(const char* message, ConvertReport r);
  // Tells when what the data held differs from the counts the header states (a cut upload).
  void WarnAboutCounts();
  ConvertSummary Run(const ConvertRequest& request, const CoefficientFile& coefficients);
  // The steps of a run; each false one has shown its failure.
  bool CheckRequest(const ConvertRequest& request, const CoefficientFile& coefficients);
  bool ReadHeader(HexLineReader& in, const ConvertRequest& request);
  bool OpenOutputs(const ConvertRequest& request, OutputSet& outputs, ConvertFileSink& sink);

  Interaction& ui_;
  std::function<void(ConvertReport)> onReport_;
  std::mutex startMutex_;
  std::thread worker_;
  std::atomic<bool> running_{false};
  std::atomic<bool> abort_{false};
  std::atomic<bool> active_{false};  // inside RunNow
  ConvertSummary summary_;
  CHexDecoder decoder_;
};

// Texts of the run.
inline constexpr const char* kConvertCaption = "Tidora for Waves";
inline constexpr const char* kMsgFileNamesInvalid = "File names invalid";
// The start year, which only the Tidewell family's clock needs.
inline constexpr int kStartYearLowest = 1990;
inline constexpr int kStartYearHighest = 2100;
std::string StartYearOutOfRangeText(int year);
inline constexpr const char* kMsgCannotOpenInput = "Could not open input file";
inline constexpr const char* kMsgCannotOpenOutput = "Could not open output file";
inline constexpr const char* kMsgWriteError = "Could not write output file, the disk may be full";
inline constexpr const char* kStatusConverting = "Converting file...";
inline constexpr const char* kStatusFinished = "Finished conversion...";
inline constexpr const char* kStatusAborted = "Conversion aborted...";
inline constexpr const char* kStatusOperatorAborted = "Operator aborted Conversion";
inline constexpr const char* kStatusReady = "Ready...";

}  // namespace tidora
