#include "outside/utility.h"
#include "terminal/session.h"

namespace tidora {

void TerminalText::Add(char c) {
  if (++count_ > threshold_) {
    text_.erase(0, std::min(threshold_ / 2, text_.size()));
    count_ = text_.size() + 1;  // what stays and this character: the count keeps to the text
  }
  text_ += c;
}

void TerminalSession::Capture(bool writeFailed) {
  if (captureActive_) {
    captureActive_ = false;
    window_.SetUploadItemEnabled(true);
    window_.SetCaptureChecked(false);
    {
      std::lock_guard<std::mutex> lock(fileMutex_);
      if (captureFile_) std::fclose(captureFile_);
      captureFile_ = nullptr;
    }
    Status(writeFailed ? "Capture write failed" : "Capture ended");
    return;
  }
  FileRequest request;
  request.mode = FileRequest::kSave;
  request.filters = {{"Text Files (*.cap)", {"*.cap"}}, {"All Files (*.*)", {"*.*"}}};
  request.defaultExtension = "cap";
  request.initialName = capturePath_;
  request.initialDir = lastDirectory_;
  request.mustExist = false;
  std::vector<std::string> chosen = ui_.ChooseFiles(request);
  if (chosen.empty() || chosen.front().empty()) return;
  capturePath_ = chosen.front();
  std::string dir;
  if (ExtractDirectory(capturePath_, dir, 0)) lastDirectory_ = dir;
  FILE* f = std::fopen(capturePath_.c_str(), "wb");
  if (!f) {
    Box("Can not open capture file");
    return;
  }
  // Unbuffered: every character is on disk (or its failure known) when it has been received.
  std::setvbuf(f, nullptr, _IONBF, 0);
  {
    std::lock_guard<std::mutex> lock(fileMutex_);
    captureFile_ = f;
  }
  captureActive_ = true;
  Status("Capturing data");
  window_.SetUploadItemEnabled(false);
  window_.SetCaptureChecked(true);
}

void TerminalSession::Diagnostic(bool writeFailed) {
  if (diagnosticActive_) {
    diagnosticActive_ = false;
    Menu(MenuForm::kIdle);
    {
      std::lock_guard<std::mutex> lock(fileMutex_);
      diagnosticFile_.Abandon();  // unfinished: kept as partial
    }
    if (writeFailed) Status("Diagnostic file write failed");
    if (result_.diagnostic == Outcome::kRunning) result_.diagnostic = Outcome::kFailed;
    return;
  }
  FileRequest request;
  request.mode = FileRequest::kSave;
  request.filters = {{"Text Files (*.dia)", {"*.dia"}}, {"All Files (*.*)", {"*.*"}}};
  request.defaultExtension = "dia";
  request.initialName = diagnosticPath_;
  request.initialDir = lastDirectory_;
  request.mustExist = false;
  std::vector<std::string> chosen = ui_.ChooseFiles(request);
  if (chosen.empty() || chosen.front().empty()) return;
  diagnosticPath_ = chosen.front();
  std::string dir;
  if (ExtractDirectory(diagnosticPath_, dir, 0)) lastDirectory_ = dir;
  {
    std::lock_guard<std::mutex> lock(fileMutex_);
    if (!diagnosticFile_.Create(diagnosticPath_)) {
      Box("Cant open diagnostic file");
      return;
    }
  }
  StatusSequence(0);
  if (s_.portOpen) {
    diagnosticActive_ = true;
    result_.diagnostic = Outcome::kRunning;
    Status("Collecting diagnostic info");
  } else {
    std::lock_guard<std::mutex> lock(fileMutex_);
    diagnosticFile_.Abandon();
    result_.diagnostic = Outcome::kFailed;
  }
}

void TerminalSession::OnDiagnosticStep(int step) {
  switch (step) {
    case 1:
      CoefficientSequence(0);
      break;
    case 2:
      Menu(MenuForm::kBusyWithoutStop);
      link_.SendSlow("DD0,10\n\r");
      SetState(kDiagnosticDump);
      loop_.SetTimer(kDiagnosticDump, 4000);
      break;
    case 3:
      loop_.KillTimer(kDiagnosticDump);
      link_.SendSlow("FR\n\r");
      SetState(kDiagnosticFr);
      loop_.SetTimer(kDiagnosticFr, 10000);
      break;
  }
}

void TerminalSession::FinishDiagnostic() {
  Menu(MenuForm::kIdle);
  bool complete;
  {
    std::lock_guard<std::mutex> lock(fileMutex_);
    complete = diagnosticFile_.Complete();
    diagnosticFile_.Abandon();
  }
  diagnosticActive_ = false;
  SetState(kIdle);
  Status(complete ? "Diagnostic completed" : "Diagnostic file write failed");
  result_.diagnostic = complete ? Outcome::kSucceeded : Outcome::kFailed;
}

}  // namespace tidora
