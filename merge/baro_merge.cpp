#include "merge/baro_merge.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "datafile/textio.h"
#include "merge/selection.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/page.h"

namespace tidora {

namespace fs = std::filesystem;

namespace {

// Far beyond any pressure in psi or millibars (the converter's own limit is 99999.9999): such a
// value, or nan or inf, would only turn the correction into inf or nan.
bool IsUsablePressure(double p) {
  return std::isfinite(p) && std::fabs(p) <= 1e6;
}

}  // namespace

double CorrectedValue(const MergeSettings& settings, double tidePressure, double barometric) {
  if (settings.barometricPressureUnits == MergeSettings::kUnitsMillibars)
    barometric *= kMillibarsToPsi;
  double c = tidePressure - barometric;
  if (settings.convertToWaterDepth)
    c = c * kPascalsPerPsi / (settings.averageDensity * settings.gravity);
  return c;
}

CBaroMerge::CBaroMerge(const MergeSettings& settings, std::string outputPath,
                       std::vector<std::string> inputs, long scanCount, Interaction& ui,
                       CPostProcPage* page, ProcessControl* stopFlag)
    : settings_(settings),
      outputPath_(std::move(outputPath)),
      inputs_(std::move(inputs)),
      scanCount_(scanCount),
      ui_(ui),
      page_(page),
      stop_(stopFlag) {
  inputs_.resize(2);
  if (IsBarometricName(inputs_[0])) {
    baroPath_ = inputs_[0];
    tidePath_ = inputs_[1];
  } else {
    tidePath_ = inputs_[0];
    baroPath_ = inputs_[1];
  }
}

CBaroMerge::~CBaroMerge() {
  CloseFiles();
}

void CBaroMerge::CloseFiles() {
  tide_.Close();
  baro_.Close();
  temp_.Close();
}

void CBaroMerge::Warn(const std::string& text, const char* caption) {
  ui_.Message(text, caption, MsgIcon::Warning, MsgButtons::Ok);
}

int CBaroMerge::Run() {
  outcome_ = Merge();
  CloseFiles();
  // The temporary file only ever holds an unfinished output: after a stop or an error it is
  // removed so that nothing half-written is left beside the untouched output.
  if (outcome_ != Outcome::kDone) output_.Discard();
  return outcome_ == Outcome::kError ? 1 : 0;
}

bool CBaroMerge::ReadBaro(double& t, double& p) {
  // A line that is not a whole reading (a title, a damaged line, a value that is no finite
  // number) is passed over and counted: subtracting a made-up pressure is worse than none.
  std::string line;
  for (;;) {
    if (!ReadTextLine(baro_, line)) return false;
    if (IsBlankLine(line)) continue;
    BaroReading r;
    if (ParseBaroLine(line, r) == 7 && IsUsablePressure(r.pressure)) {
      baroReading_ = r;
      break;
    }
    ++baroLinesSkipped_;
  }
  t = baroReading_.Seconds();
  p = baroReading_.pressure;
  return true;
}

CBaroMerge::Outcome CBaroMerge::Merge() {
  if (page_) {
    page_->ProgressRange(0, 100);
    page_->ProgressPos(0);
    page_->StatusText(kMergingStatus);
  }
  std::string first;
  if (!OpenInputs() || !ReadTideHeader(first) || !StartOutput(first)) return Outcome::kError;
  const Outcome merged = MergeTideLines();
  return merged == Outcome::kDone ? FinishOutput() : merged;
}

bool CBaroMerge::OpenInputs() {
  if (!baro_.Open(baroPath_)) {
    Warn(baroPath_ + " could not be opened.", kInputErrorCaption);
    return false;
  }
  if (!tide_.Open(tidePath_)) {
    Warn(tidePath_ + " could not be opened.", kInputErrorCaption);
    return false;
  }
  std::error_code ec;
  outputExisted_ = fs::exists(outputPath_, ec);
  return true;
}

bool CBaroMerge::ReadTideHeader(std::string& first) {
  if (!ReadTextLine(tide_, first)) {
    Warn("No data in file: " + tidePath_, kInputErrorCaption);
    return false;
  }
  tideLineNumber_ = 1;
  switch (ClassifyTideFirstLine(first)) {
    case TideFirstLine::kData:
      tide_.Rewind();
      tideLineNumber_ = 0;
      break;
    case TideFirstLine::kPsia:
      break;
    case TideFirstLine::kPsi:
      Warn("Barometric pressure has already been removed from " + tidePath_, kUnableCaption);
      return false;
    case TideFirstLine::kOther:
      Warn("Cannot run Merge on " + tidePath_ +
               " because Pressure is not among the selected vaiables in " + tidePath_,
           kUnableCaption);
      return false;
  }
  // Without scans there is nothing to merge, and a header alone must never take the place of
  // a tide file.
  if (scanCount_ <= 0) {
    Warn("No data in file: " + tidePath_, kInputErrorCaption);
    return false;
  }
  return true;
}

bool CBaroMerge::StartOutput(const std::string& first) {
  // A fresh temporary file beside the output, never a name an input or another file has.
  tempPath_ = output_.Add(outputPath_);
  if (tempPath_.empty() || !temp_.Open(tempPath_)) {
    Warn(outputPath_ + " could not be created.", kOutputErrorCaption);
    return false;
  }
  temp_.WriteLine(MergeHeaderLine(settings_.convertToWaterDepth != 0, first.size()));
  return true;
}

bool CBaroMerge::NextTideLine(std::string& line) {
  bool cut = false;
  do {
    if (!ReadTextLine(tide_, line, &cut)) return false;
    ++tideLineNumber_;
  } while (IsBlankLine(line));
  if (cut || line.size() + 1 > kMaxTideLine) {
    TideLineError("is longer than 127 characters.");
    return false;
  }
  if (!LocatePressureField(line, fieldStart_, fieldEnd_)) {
    TideLineError("is too short to hold a pressure value.");
    return false;
  }
  if (ParseTideLine(line, tideSample_) == 8 && !IsUsablePressure(tideSample_.pressure)) {
    TideLineError("holds a pressure that is not a number from -1e6 to 1e6.");
    return false;
  }
  return true;
}

void CBaroMerge::TideLineError(const std::string& what) {
  tideLineFailed_ = true;
  Warn("Line " + std::to_string(tideLineNumber_) + " of " + tidePath_ + " " + what,
       kInputErrorCaption);
}

bool CBaroMerge::StartBaro() {
  if (ReadBaro(baroBefore_.time, baroBefore_.pressure)) {
    baroAfter_ = baroBefore_;
    return true;
  }
  Warn("No data in file: " + baroPath_ +
           (baroLinesSkipped_ > 0
                ? " (" + std::to_string(baroLinesSkipped_) + " lines are no readings)"
                : std::string()),
       kInputErrorCaption);
  return false;
}

double CBaroMerge::BaroAt(double t) {
  if (t <= baroBefore_.time) return baroBefore_.pressure;
  BaroPoint next;
  while (baroAfter_.time < t && ReadBaro(next.time, next.pressure)) {
    baroBefore_ = baroAfter_;
    baroAfter_ = next;
  }
  if (baroAfter_.time <= t) return baroAfter_.pressure;
  return baroBefore_.pressure + (t - baroBefore_.time) *
                                    (baroAfter_.pressure - baroBefore_.pressure) /
                                    (baroAfter_.time - baroBefore_.time);
}

CBaroMerge::Outcome CBaroMerge::MergeTideLines() {
  if (!StartBaro()) return Outcome::kError;
  // The scan count paces the progress, but every data line to the end of the file is merged:
  // a line the data file library passed over must not cut the file short when the output
  // replaces it. Blank lines carry nothing and are left out.
  const long step = scanCount_ / 100 > 1 ? scanCount_ / 100 : 1;
  std::string line;
  for (long i = 0;; ++i) {
    if (i % step == 0) {
      if (stop_ && stop_->StopRequested()) return Outcome::kStopped;
      if (page_)
        page_->ProgressPos(static_cast<int>(i < scanCount_ ? 100LL * i / scanCount_ : 100));
    }
    if (!NextTideLine(line)) break;
    const double b = BaroAt(tideSample_.Seconds());
    line_.clear();
    RewriteTideLine(line, fieldStart_, fieldEnd_,
                    CorrectedValue(settings_, tideSample_.pressure, b), line_);
    temp_.Write(line_);
    ++linesWritten_;
  }
  if (tideLineFailed_) return Outcome::kError;
  if (linesWritten_ == 0) {
    Warn("No data in file: " + tidePath_, kInputErrorCaption);
    return Outcome::kError;
  }
  return Outcome::kDone;
}

CBaroMerge::Outcome CBaroMerge::FinishOutput() {
  if (!temp_.Close()) {
    Warn(tempPath_ + " could not be written completely.", kOutputErrorCaption);
    return Outcome::kError;
  }
  CloseFiles();
  // One rename replaces the output (the tide input itself, possibly) in a single step, so
  // there is never a moment without it.
  if (!output_.Commit()) {
    Warn(tempPath_ + " could not be renamed to " + outputPath_ + ": " + output_.Error(),
         kOutputErrorCaption);
    return Outcome::kError;
  }
  if (baroLinesSkipped_ > 0)
    Warn(std::to_string(baroLinesSkipped_) + " lines of " + baroPath_ +
             " are no barometric readings and were skipped.",
         kInputErrorCaption);
  return Outcome::kDone;
}

}  // namespace tidora
