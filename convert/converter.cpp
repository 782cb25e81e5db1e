#include "convert/converter.h"

#include <cstdio>
#include <string>

#include "convert/file_sink.h"
#include "convert/hex_lines.h"
#include "outside/utility.h"
#include "platform/output_files.h"

namespace tidora {
CHexConverter::CHexConverter(Interaction& ui) : ui_(ui) {}

CHexConverter::~CHexConverter() {
  abort_ = true;
  if (worker_.joinable()) worker_.join();
}

std::string CHexConverter::ReferencePath(const std::string& tidePath) {
  std::string path = tidePath;
  SetExtension(path, "ref");
  return path;
}

void CHexConverter::OutputPathsFor(const std::string& input, std::string& tide, std::string& wave) {
  tide = wave = input;
  SetExtension(tide, "tid");
  SetExtension(wave, "wb");
}

void CHexConverter::SetReportHandler(std::function<void(ConvertReport)> handler) {
  onReport_ = std::move(handler);
}

void CHexConverter::Report(ConvertReport r) {
  if (onReport_) onReport_(r);
}

void CHexConverter::Fail(const char* message, ConvertReport r) {
  if (message) ui_.Message(message, kConvertCaption, MsgIcon::Error, MsgButtons::Ok);
  ui_.Status(kStatusAborted);
  Report(r);
  summary_.outcome = ConvertOutcome::kFailed;
}

void CHexConverter::WarnAboutCounts() {
  const HeaderState& h = decoder_.Header();
  std::string text;
  auto add = [&text](const std::string& line) {
    if (!text.empty()) text += '\n';
    text += line;
  };
  // Reference records are no measurements; a recorder that counts its bursts as its
  // measurements states no tide count to compare.
  if (!h.burstsAreMeasurements && decoder_.TideRecords() != h.measurements)
    add("The upload holds " + std::to_string(decoder_.TideRecords()) + " of the " +
        std::to_string(h.measurements) + " tide records its header states.");
  if (h.family != InstrumentFamily::kTgr77Bpr && decoder_.BurstsWritten() != h.bursts)
    add("The upload holds " + std::to_string(decoder_.BurstsWritten()) + " of the " +
        std::to_string(h.bursts) + " wave bursts its header states.");
  if (decoder_.BurstsCutShort() > 0) add("The last wave burst ends before its last sample.");
  if (decoder_.BurstCountMismatches() > 0) {
    CHexDecoder::BurstCount b = decoder_.FirstBurstCountMismatch();
    add("The header states " + std::to_string(h.samplesPerBurst) +
        " wave samples per burst, but burst " + std::to_string(b.burst) + " holds " +
        std::to_string(b.samples) + " (" + std::to_string(decoder_.BurstCountMismatches()) +
        " bursts differ); their burst headers give their own counts.");
  }
  if (!text.empty()) ui_.Message(text, kConvertCaption, MsgIcon::Warning, MsgButtons::Ok);
}

ConvertStart CHexConverter::Start(const ConvertRequest& request) {
  std::lock_guard<std::mutex> lock(startMutex_);
  if (active_.load() && !running_.load()) return ConvertStart::kBusy;
  if (running_.load()) {
    // The converter's state belongs to the run going on; a stopped run is let finish first.
    if (!abort_.load()) return ConvertStart::kBusy;
    if (worker_.joinable()) worker_.join();
  }
  if (worker_.joinable()) worker_.join();
  CoefficientFile coefficients;
  switch (ReadCoefficientFileStrict(CoefficientFilePath(), coefficients)) {
    case CoefficientFileStatus::kCannotOpen:
      ui_.Message(kMsgCannotOpenCoefficients, kConvertCaption, MsgIcon::Error, MsgButtons::Ok);
      return ConvertStart::kCoefficientFileMissing;
    case CoefficientFileStatus::kTooShort:
      ui_.Message(kMsgShortCoefficients, kConvertCaption, MsgIcon::Error, MsgButtons::Ok);
      return ConvertStart::kCoefficientFileShort;
    case CoefficientFileStatus::kOk:
      break;
  }
  abort_ = false;
  running_ = true;
  worker_ = std::thread([this, request, coefficients] {
    RunNow(request, coefficients);
    running_ = false;
  });
  return ConvertStart::kStarted;
}

void CHexConverter::Stop() {
  if (!running_.load()) return;
  abort_ = true;
  ui_.Status(kStatusOperatorAborted);
}

ConvertSummary CHexConverter::Wait() {
  std::lock_guard<std::mutex> lock(startMutex_);
  if (worker_.joinable()) worker_.join();
  return summary_;
}

ConvertSummary CHexConverter::RunNow(const ConvertRequest& request,
                                     const CoefficientFile& coefficients) {
  bool idle = false;
  if (!active_.compare_exchange_strong(idle, true)) return ConvertSummary();
  ConvertSummary s = Run(request, coefficients);
  active_ = false;
  return s;
}

std::string StartYearOutOfRangeText(int year) {
  return "Start year " + std::to_string(year) + " is out of range (" +
         std::to_string(kStartYearLowest) + " to " + std::to_string(kStartYearHighest) + ")";
}

bool CHexConverter::CheckRequest(const ConvertRequest& request,
                                 const CoefficientFile& coefficients) {
  if (request.input.empty() || request.tide.empty() || request.wave.empty()) {
    Fail(kMsgFileNamesInvalid, ConvertReport::kFileNamesInvalid);
    return false;
  }
  if (IsDirectory(request.input)) {
    Fail((request.input + " is a folder, not an upload file").c_str(),
         ConvertReport::kCannotOpenInput);
    return false;
  }
  // An output must never take the place of the upload, which may be a deployment's only copy,
  // nor of another output.
  if (std::string clash =
          CheckOutputFiles({{"upload file", request.input}},
                           {{"tide file", request.tide}, {"wave burst file", request.wave}});
      !clash.empty()) {
    Fail(clash.c_str(), ConvertReport::kFileNamesInvalid);
    return false;
  }
  // A calibration that cannot be read would turn every pressure into zero or nan.
  const int badSlot = coefficients.FirstUnreadableSlot();
  if (badSlot >= 0) {
    summary_.coefficientError = true;
    std::string message = kMsgShortCoefficients;
    message += "\n(line " + std::to_string(badSlot + 2) + ": \"" +
               coefficients.slots[static_cast<size_t>(badSlot)] + "\" is not a finite number)";
    ui_.Message(message, kConvertCaption, MsgIcon::Error, MsgButtons::Ok);
    Fail(nullptr, ConvertReport::kHeaderError);
    return false;
  }
  return true;
}

bool CHexConverter::ReadHeader(HexLineReader& in, const ConvertRequest& request) {
  switch (decoder_.ScanHeader(in)) {
    case DecodeStatus::kOk:
      break;
    case DecodeStatus::kNoInstrument:
      Fail(kMsgNoInstrument, ConvertReport::kHeaderError);
      return false;
    default:
      Fail(kMsgNoWaveSampling, ConvertReport::kHeaderError);
      return false;
  }
  const HeaderState& h = decoder_.Header();
  summary_.family = h.family;
  // Only the Tidewell clock counts from the start year; the other families ignore it.
  if (h.family == InstrumentFamily::kTidewell &&
      (request.startYear < kStartYearLowest || request.startYear > kStartYearHighest)) {
    Fail(StartYearOutOfRangeText(request.startYear).c_str(), ConvertReport::kFileNamesInvalid);
    return false;
  }
  summary_.progressTotal = h.ProgressTotal();
  ui_.Status(kStatusConverting);
  ui_.ProgressRange(0, summary_.progressTotal);
  ui_.ProgressPos(0);
  Report(ConvertReport::kConverting);

  if (!decoder_.ReadCoefficients(in)) {
    // Converting with the missing coefficients as zeros would write plausible-looking but
    // wrong pressures: nothing is written.
    summary_.coefficientError = true;
    Fail(kMsgCoefficientError, ConvertReport::kHeaderError);
    return false;
  }
  decoder_.FindDataMarker(in);
  if (h.family == InstrumentFamily::kTgr77Bpr) {
    if (std::string clash = CheckOutputFiles(
            {{"upload file", request.input}},
            {{"tide file", request.tide}, {"reference file", ReferencePath(request.tide)}});
        !clash.empty()) {
      Fail(clash.c_str(), ConvertReport::kFileNamesInvalid);
      return false;
    }
  }
  return true;
}

bool CHexConverter::OpenOutputs(const ConvertRequest& request, OutputSet& outputs,
                                ConvertFileSink& sink) {
  const bool bpr = decoder_.Header().family == InstrumentFamily::kTgr77Bpr;
  bool opened = sink.tide.Open(outputs.Add(request.tide));
  if (opened && !bpr) opened = sink.wave.Open(outputs.Add(request.wave));
  if (opened && bpr) {
    summary_.referencePath = ReferencePath(request.tide);
    opened = sink.reference.Open(outputs.Add(summary_.referencePath));
  }
  if (!opened) {
    sink.tide.Close();
    sink.wave.Close();
    sink.reference.Close();
    summary_.referencePath.clear();
    Fail(kMsgCannotOpenOutput, ConvertReport::kCannotOpenOutput);
  }
  return opened;
}

ConvertSummary CHexConverter::Run(const ConvertRequest& request,
                                  const CoefficientFile& coefficients) {
  summary_ = ConvertSummary();
  decoder_.Reset(coefficients, request.startYear, request.modes);
  if (!CheckRequest(request, coefficients)) return summary_;
  HexLineReader in;
  if (!in.Open(request.input)) {
    Fail(kMsgCannotOpenInput, ConvertReport::kCannotOpenInput);
    return summary_;
  }
  if (!ReadHeader(in, request)) return summary_;

  // The outputs are written beside their places and replace the previous files together, only
  // when the conversion is complete: a stop or a failure leaves the previous files as they were.
  OutputSet outputs;
  ConvertFileSink sink;
  if (!OpenOutputs(request, outputs, sink)) return summary_;
  const HeaderState& h = decoder_.Header();
  bool written = true;
  if (h.family == InstrumentFamily::kTgr41plus) written = sink.WriteWaveIdentification();
  decoder_.ReadStartLines(in);
  if (decoder_.ApplyWaveRateFix()) {
    summary_.waveRateCorrected = true;
    ui_.Message(kMsgWaveRateFix, kConvertCaption, MsgIcon::Information, MsgButtons::Ok);
  }

  DecodeStatus st = DecodeStatus::kWriteError;
  if (written) {
    st = decoder_.DecodeData(in, sink, &abort_, [this](long lines) {
      ui_.ProgressPos(static_cast<int>(lines / 100 * 100));
    });
  }
  in.Close();
  // Every file is closed on every path; a failed close (a full disk) is a failed write.
  const bool bpr = h.family == InstrumentFamily::kTgr77Bpr;
  bool closed = sink.tide.Close();
  closed = (bpr || sink.wave.Close()) && closed;
  closed = sink.reference.Close() && closed;

  summary_.tideRecords = decoder_.TideRecords();
  summary_.referenceRecords = decoder_.ReferenceRecords();
  summary_.bursts = decoder_.BurstsWritten();
  summary_.burstRows = decoder_.RowsWritten();

  if (st == DecodeStatus::kStopped) {
    summary_.outcome = ConvertOutcome::kStopped;
  } else if (st == DecodeStatus::kMultipleRecords) {
    Fail(kMsgMultipleRecords, ConvertReport::kMultipleRecords);
  } else if (st == DecodeStatus::kWriteError || !closed || !outputs.Commit()) {
    Fail(kMsgWriteError, ConvertReport::kWriteError);
  } else {
    WarnAboutCounts();
    ui_.Status(kStatusFinished);
    ui_.ProgressPos(0);
    Report(ConvertReport::kFinished);
    summary_.outcome = ConvertOutcome::kFinished;
  }
  return summary_;
}

}  // namespace tidora
