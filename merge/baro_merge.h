#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "datafile/buffered_output.h"
#include "datafile/physical_constants.h"
#include "datafile/textio.h"
#include "merge/merge_lines.h"
#include "merge/merge_settings.h"
#include "platform/output_files.h"
#include "postproc/process_control.h"

namespace tidora {

class Interaction;
class CPostProcPage;

// Constants of the correction.
inline constexpr double kMillibarsToPsi = 0.01450377;

// Texts of the merge run.
inline constexpr const char* kMergingStatus = "Merging Data...";
inline constexpr const char* kInputErrorCaption = "Input file Error";
inline constexpr const char* kUnableCaption = "Unable to Process";
inline constexpr const char* kOutputErrorCaption = "Output File Error";

// The corrected value of one tide sample: tide pressure less the barometric value (converted
// from millibars when the settings say so), as meters of water when asked.
double CorrectedValue(const MergeSettings& settings, double tidePressure, double barometric);

// One merge of a tide file with a barometric pressure file into a corrected tide file. The
// output is written to a temporary file beside it and takes the output's place only when the
// whole run succeeded, so the output may be the tide input itself and a stop or an error
// leaves it as it was.
class CBaroMerge {
 public:
  enum class Outcome { kNotRun, kDone, kStopped, kError };

  // inputs: the two input paths in the order of the selection (their roles follow from the
  // extensions); scanCount: the tide file's scan count as the data file library read it;
  // ui: the messages; page: the progress window (may be null: then neither progress nor
  // stop requests); stopFlag (may be null): nonzero asks the run to stop.
  CBaroMerge(const MergeSettings& settings, std::string outputPath, std::vector<std::string> inputs,
             long scanCount, Interaction& ui, CPostProcPage* page, ProcessControl* stopFlag);
  ~CBaroMerge();
  CBaroMerge(const CBaroMerge&) = delete;
  CBaroMerge& operator=(const CBaroMerge&) = delete;

  // Runs the merge: 0 for success or stop, 1 for an error (its message has been shown).
  int Run();

  Outcome GetOutcome() const { return outcome_; }
  long DataLinesWritten() const { return linesWritten_; }
  // Lines of the barometric file that were no readings and were passed over.
  long BaroLinesSkipped() const { return baroLinesSkipped_; }
  const std::string& TidePath() const { return tidePath_; }
  const std::string& BaroPath() const { return baroPath_; }
  const std::string& TempPath() const { return tempPath_; }
  bool OutputExisted() const { return outputExisted_; }

 private:
  // The steps of a run; each that fails has shown its message.
  Outcome Merge();
  bool OpenInputs();
  // Reads the tide file's first line (the output's header follows from it) and leaves the
  // file at its first data line.
  bool ReadTideHeader(std::string& first);
  bool StartOutput(const std::string& first);
  Outcome MergeTideLines();
  Outcome FinishOutput();
  // The next non-blank tide line, parsed into tideSample_; false at the end of the file and
  // after a line that cannot be merged (then tideLineFailed_ is set).
  bool NextTideLine(std::string& line);
  void TideLineError(const std::string& what);
  // Reads the first barometric reading; false (with the message) when there is none.
  bool StartBaro();
  // The barometric pressure at tide time t: the first reading before the first, the last one
  // after the last, linearly interpolated between the two around t.
  double BaroAt(double t);
  void CloseFiles();
  bool ReadBaro(double& t, double& p);
  void Warn(const std::string& text, const char* caption);

  MergeSettings settings_;
  std::string outputPath_;
  std::vector<std::string> inputs_;
  long scanCount_;
  Interaction& ui_;
  CPostProcPage* page_;
  ProcessControl* stop_;
  std::string tidePath_, baroPath_, tempPath_;
  TextLineReader tide_;
  TextLineReader baro_;
  BufferedOutput temp_;
  std::string line_;                      // the output line being made
  size_t fieldStart_ = 0, fieldEnd_ = 0;  // the pressure field of the tide line read
  OutputSet output_;                      // the temporary file, renamed into place by a whole run
  // Fields a line does not supply keep the previous line's values.
  BaroReading baroReading_;
  TideSample tideSample_;
  struct BaroPoint {
    double time = 0, pressure = 0;
  };
  BaroPoint baroBefore_, baroAfter_;  // the readings around the tide time
  long tideLineNumber_ = 0;           // of the tide file's last line read
  bool tideLineFailed_ = false;
  bool outputExisted_ = false;
  long linesWritten_ = 0;
  long baroLinesSkipped_ = 0;
  Outcome outcome_ = Outcome::kNotRun;
};

}  // namespace tidora
