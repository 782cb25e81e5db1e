#include "merge/baro_merge.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "merge/selection.h"
#include "outside/utility.h"
#include "platform/interaction.h"
#include "postproc/page.h"

namespace tidora {

namespace fs = std::filesystem;

namespace {

// Whether two paths name the same file (or would, once created).
bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

bool IsBlankLine(const std::string& line) {
  for (char c : line)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
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

std::string MergeTempPath(const std::string& outputPath, const std::vector<std::string>& inputs) {
  std::string temp = outputPath;
  SetExtension(temp, "tmp");
  auto collides = [&](const std::string& p) {
    if (SamePath(p, outputPath)) return true;
    for (const std::string& in : inputs)
      if (SamePath(p, in)) return true;
    return false;
  };
  if (collides(temp)) {
    temp = outputPath + ".tmp";
    while (collides(temp)) temp += ".tmp";
  }
  return temp;
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
  for (std::FILE** f : {&tide_, &baro_, &temp_}) {
    if (*f) std::fclose(*f);
    *f = nullptr;
  }
}

void CBaroMerge::Warn(const std::string& text, const char* caption) {
  ui_.Message(text, caption, MsgIcon::Warning, MsgButtons::Ok);
}

int CBaroMerge::Run() {
  outcome_ = Merge();
  CloseFiles();
  // The temporary file only ever holds an unfinished output: after a stop or an error it is
  // removed so that nothing half-written is left beside the untouched output.
  if (outcome_ != Outcome::kDone && tempCreated_) {
    std::error_code ec;
    fs::remove(tempPath_, ec);
  }
  return outcome_ == Outcome::kError ? 1 : 0;
}

bool CBaroMerge::ReadBaro(double& t, double& p) {
  std::string line;
  if (!ReadTextLine(baro_, line)) return false;
  ParseBaroLine(line, baroReading_);
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

  baro_ = std::fopen(baroPath_.c_str(), "rb");
  if (!baro_) {
    Warn(baroPath_ + " could not be opened.", kInputErrorCaption);
    return Outcome::kError;
  }
  tide_ = std::fopen(tidePath_.c_str(), "rb");
  if (!tide_) {
    Warn(tidePath_ + " could not be opened.", kInputErrorCaption);
    return Outcome::kError;
  }
  std::error_code ec;
  outputExisted_ = fs::exists(outputPath_, ec);

  std::string first;
  if (!ReadTextLine(tide_, first)) {
    Warn("No data in file: " + tidePath_, kInputErrorCaption);
    return Outcome::kError;
  }
  long lineNumber = 1;  // of the tide file's last line read
  switch (ClassifyTideFirstLine(first)) {
    case TideFirstLine::kData:
      std::rewind(tide_);
      lineNumber = 0;
      break;
    case TideFirstLine::kPsia:
      break;
    case TideFirstLine::kPsi:
      Warn("Barometric pressure has already been removed from " + tidePath_, kUnableCaption);
      return Outcome::kError;
    case TideFirstLine::kOther:
      Warn("Cannot run Merge on " + tidePath_ +
               " because Pressure is not among the selected vaiables in " + tidePath_,
           kUnableCaption);
      return Outcome::kError;
  }

  // Without scans there is nothing to merge, and a header alone must never take the place of
  // a tide file.
  if (scanCount_ <= 0) {
    Warn("No data in file: " + tidePath_, kInputErrorCaption);
    return Outcome::kError;
  }

  tempPath_ = MergeTempPath(outputPath_, {tidePath_, baroPath_});
  temp_ = std::fopen(tempPath_.c_str(), "wb");
  if (!temp_) {
    Warn(tempPath_ + " could not be created.", kOutputErrorCaption);
    return Outcome::kError;
  }
  tempCreated_ = true;
  std::string out = MergeHeaderLine(settings_.convertToWaterDepth != 0, first.size()) + "\r\n";
  std::fwrite(out.data(), 1, out.size(), temp_);

  double t0, p0;
  if (!ReadBaro(t0, p0)) {
    Warn("No data in file: " + baroPath_, kInputErrorCaption);
    return Outcome::kError;
  }
  double t1 = t0, p1 = p0;

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
    bool cut = false;
    do {
      if (!ReadTextLine(tide_, line, &cut)) {
        line.clear();
        break;
      }
      ++lineNumber;
    } while (IsBlankLine(line));
    if (line.empty()) break;
    if (cut || line.size() + 1 > kMaxTideLine) {
      Warn("Line " + std::to_string(lineNumber) + " of " + tidePath_ +
               " is longer than 127 characters.",
           kInputErrorCaption);
      return Outcome::kError;
    }
    if (!HoldsPressureField(line)) {
      Warn("Line " + std::to_string(lineNumber) + " of " + tidePath_ +
               " is too short to hold a pressure value.",
           kInputErrorCaption);
      return Outcome::kError;
    }
    ParseTideLine(line, tideSample_);
    const double t = tideSample_.Seconds();
    double b;
    if (t <= t0) {
      b = p0;
    } else {
      double tn, pn;
      while (t1 < t && ReadBaro(tn, pn)) {
        t0 = t1;
        p0 = p1;
        t1 = tn;
        p1 = pn;
      }
      b = t1 > t ? p0 + (t - t0) * (p1 - p0) / (t1 - t0) : p1;
    }
    out.clear();
    RewriteTideLine(line, CorrectedValue(settings_, tideSample_.pressure, b), out);
    std::fwrite(out.data(), 1, out.size(), temp_);
    ++linesWritten_;
  }

  if (linesWritten_ == 0) {
    Warn("No data in file: " + tidePath_, kInputErrorCaption);
    return Outcome::kError;
  }
  const bool writeFailed =
      std::fflush(temp_) != 0 || std::ferror(temp_) != 0 || ::fsync(fileno(temp_)) != 0;
  const bool closeFailed = std::fclose(temp_) != 0;
  temp_ = nullptr;
  if (writeFailed || closeFailed) {
    Warn(tempPath_ + " could not be written completely.", kOutputErrorCaption);
    return Outcome::kError;
  }
  CloseFiles();
  // One rename replaces the output (the tide input itself, possibly) in a single step, so
  // there is never a moment without it.
  fs::rename(tempPath_, outputPath_, ec);
  if (ec) {
    Warn(tempPath_ + " could not be renamed to " + outputPath_ + ": " + ec.message(),
         kOutputErrorCaption);
    return Outcome::kError;
  }
  return Outcome::kDone;
}

}  // namespace tidora
