#include <algorithm>

#include "outside/utility.h"
#include "terminal/session.h"

namespace tidora {

void TerminalSession::AbandonUpload() {
  std::string kept = uploadFile_.Abandon();
  if (kept.empty()) return;
  partialPath_ = kept;
  if (closing_) return;  // no box over a window that is going away
  // Posted: the reception thread may be waiting for the report that abandons the file.
  loop_.Post([this, kept] {
    ui_.Message("The upload did not complete; what was received is kept in " + kept + ".",
                kWindowTitle, MsgIcon::Information, MsgButtons::Ok);
  });
}

// ---- Upload sequence (window thread) ----

void TerminalSession::Upload() {
  binary_.ResetAttempts();
  partialPath_.clear();
  if (!s_.portOpen) {
    Box("No port open");
    result_.upload = Outcome::kFailed;
    return;
  }
  uploading_ = true;
  result_.upload = Outcome::kRunning;
  writeFailed_ = false;
  info_.tgr41plus = s_.plus;
  Status("Uploading");
  dumpCheck_.Start();
  StatusSequence(0);
}

void TerminalSession::OnUploadStep(int code) {
  switch (code) {
    case 1:
      CoefficientSequence(0);
      break;
    case 2:
      CreatePartialFile();
      break;
    case 3:
      if (s_.plus && s_.uploadBinary && (info_.tgr41plus || info_.tgr77))
        StartBinaryUpload();
      else
        StartAsciiUpload();
      break;
    case 4:
      loop_.KillTimer(kTimerUploadWatchdog);
      WriteAsciiBuffer();
      loop_.SetTimer(kTimerUploadWatchdog, 60000);
      break;
    case 5:
      if (state_ == kAsciiUpload) EndAsciiUpload(true);
      break;
  }
}

void TerminalSession::CreatePartialFile() {
  FileRequest request;
  request.mode = FileRequest::kSave;
  request.filters = {{"Text Files (*.hex)", {"*.hex"}}, {"All Files (*.*)", {"*.*"}}};
  request.initialName = uploadPath_;
  request.initialDir = lastDirectory_;
  request.defaultExtension = "hex";
  request.mustExist = false;
  std::vector<std::string> chosen = ui_.ChooseFiles(request);
  if (chosen.empty() || chosen.front().empty()) {
    uploading_ = false;
    Menu(MenuForm::kIdle);
    Status("Upload canceled");
    result_.upload = Outcome::kFailed;
    return;
  }
  uploadPath_ = chosen.front();
  std::string dir;
  if (ExtractDirectory(uploadPath_, dir, 0)) lastDirectory_ = dir;
  if (!uploadFile_.Create(uploadPath_)) {
    Box("Unable to create the file");
    uploading_ = false;
    result_.upload = Outcome::kFailed;
    return;
  }
  auto write = [&](const std::string& text, const char* failure) {
    if (uploadFile_.Write(text)) return true;
    Box(failure);
    uploading_ = false;
    result_.upload = Outcome::kFailed;
    AbandonUpload();
    return false;
  };
  if (!write(UploadHeader(FamilyOf(info_), uploadPath_), "Cant write start of header") ||
      !write(statusText_, "Cant write status") || !write(coefficientText_, "Cant write coeffs"))
    return;
  OnUploadStep(3);
}

// ---- ASCII upload ----

void TerminalSession::StartAsciiUpload() {
  ResetReply();
  dumpCheck_.Start();
  echoSeen_ = false;
  asciiPrevious_ = 0;
  SetState(kAsciiUpload);
  Menu(MenuForm::kBusy);
  if (s_.instrumentType.find("plus") != std::string::npos) {
    link_.SendSlow("DD\n\r");
  } else {
    if (info_.firmwareVersion < 2.0f) s_.uploadBaud = 9600;
    if (s_.uploadBaud == 19200)
      link_.SendSlow("DE\n\r");
    else if (s_.uploadBaud == 38400)
      link_.SendSlow("DA\n\r");
    else
      link_.SendSlow("DD\n\r");
    link_.SetupPort(true);
  }
  asciiWatchdog_.Reset();
  loop_.SetTimer(kTimerUploadWatchdog, 60000);
}

// One character of the ASCII data, on the reception thread.
void TerminalSession::AsciiChar(uint8_t c, bool checkFill) {
  asciiWatchdog_.Note(clock_.CalendarSeconds());
  size_t f = fill_.load();
  if (f >= kReplyCapacity - 1) {
    // The buffer is full although the recorder was held: write it out before it overflows.
    loop_.Send([this] { WriteAsciiBuffer(); });
    f = fill_.load();
    if (f >= kReplyCapacity - 1) f = 0;  // the file is gone; the upload already failed
  }
  reply_[f] = static_cast<char>(c);
  fill_.store(f + 1);
  // The data begins with the recorder's echo of the dump command.
  if (asciiPrevious_ == 'D' && (c == 'D' || c == 'E' || c == 'A')) echoSeen_ = true;
  if (long n = dumpCheck_.Add(c, info_.tgr41plus)) {
    if (n % 100 == 0) {
      int errors = dumpCheck_.errors();
      loop_.Post([this, n, errors] {
        // The range counts lines, so each report moves the bar by the lines it stands for.
        Progress(progressPos_ + progressStepLines_);
        char text[96];
        std::snprintf(text, sizeof text, "Uploaded %ld scans Errors: %d", n, errors);
        Status(text);
      });
    }
    if (checkFill && fill_.load() > kAsciiFlushAt) {
      link_.Hold();
      held_ = true;
      clock_.SleepMs(1000);
      uint8_t more;
      while (state_ == kAsciiUpload && link_.Receive(more)) {
        CollectChar(more);
        AsciiChar(more, false);
        previous_ = more;
      }
      if (state_ == kAsciiUpload) loop_.Send([this] { OnUploadStep(4); });
    }
  }
  if (asciiPrevious_ == 'S' && c == '>' && state_ == kAsciiUpload) {
    asciiPrevious_ = c;
    if (!echoSeen_) {
      // A late prompt of the wake-up, not the end of the dump: it is not data.
      ResetReply();
      dumpCheck_.Restart();
      return;
    }
    loop_.Send([this] { OnPromptSeen(); });
    return;
  }
  asciiPrevious_ = c;
}

bool TerminalSession::WriteAsciiBuffer() {
  size_t n = std::min(fill_.load(), kReplyCapacity - 1);
  bool ok = false;
  if (uploadFile_.open() && !writeFailed_) {
    ok = uploadFile_.Write(reply_.data(), n);
    if (!ok) Box("File write error");
  }
  if (!ok) writeFailed_ = true;  // what follows cannot reach the file: the upload has failed
  fill_.store(0);
  if (held_.exchange(false)) link_.ReleaseHold();
  return ok;
}

void TerminalSession::KeepAsciiData() {
  if (state_ != kAsciiUpload) return;
  SetState(kStopping);  // the reception thread files no more data from here
  if (fill_.load() > 0) WriteAsciiBuffer();
}

void TerminalSession::EndAsciiUpload(bool silence) {
  loop_.KillTimer(kTimerUploadWatchdog);
  link_.SetupPort(false);
  bool wasUploading = uploading_.exchange(false);
  if (fill_.load() > 0) WriteAsciiBuffer();
  if (held_.exchange(false)) link_.ReleaseHold();
  // Only a dump that ended at the recorder's prompt and reached the disk whole takes the name.
  bool ok = wasUploading && !silence && !writeFailed_ && uploadFile_.Complete();
  if (!ok) AbandonUpload();
  SetState(kIdle);
  Menu(MenuForm::kIdle);
  Progress(0);
  Status(ok ? "Finished Upload" : "Upload Failed");
  result_.upload = ok && dumpCheck_.errors() == 0 ? Outcome::kSucceeded : Outcome::kFailed;
  if (dumpCheck_.errors() > 0) Box("Data receive errors detected, try lower baud rate.");
}

// ---- Binary upload ----

void TerminalSession::StartBinaryUpload() {
  SetState(kBinaryUpload);
  Menu(MenuForm::kBusy);
  link_.SendSlow("\n");
  loop_.SetTimer(kBinaryUpload, 5000);
}

void TerminalSession::EndUpload() {
  SetState(kIdle);
  uploading_ = false;
  Menu(MenuForm::kIdle);
  AbandonUpload();  // nothing left to do after a completed upload
}

void TerminalSession::OnBinaryImage(const std::string& dataSection) {
  // Stopped meanwhile: the stop has ended the upload and its file.
  if (state_ != kBinaryUpload || !uploading_) return;
  // Only a data section that reached the file completes the upload.
  if (!uploadFile_.Write(dataSection) || !uploadFile_.Complete())
    return OnBinaryEvent(BinaryEvent::kFailed, 0);
  loop_.KillTimer(kTimerUploadWatchdog);
  Progress(0);
  Status("Upload completed");
  result_.upload = Outcome::kSucceeded;
  EndUpload();
}

void TerminalSession::OnBinaryEvent(BinaryEvent event, int percent) {
  switch (event) {
    case BinaryEvent::kFailed: {
      Progress(0);
      // The box is shown without waiting for the person, as the reception thread waits here.
      loop_.Post(
          [this] { ui_.Message("Upload failed.", "QuaylinkW", MsgIcon::None, MsgButtons::Ok); });
      Status("Upload failed");
      result_.upload = Outcome::kFailed;
      loop_.KillTimer(kTimerUploadWatchdog);
      EndUpload();
      break;
    }
    case BinaryEvent::kStarted:
      loop_.KillTimer(kBinaryUpload);
      Progress(0);
      loop_.SetTimer(kTimerUploadWatchdog, 30000);
      Status("Binary upload started");
      break;
    case BinaryEvent::kPercent: {
      loop_.KillTimer(kTimerUploadWatchdog);
      char text[64];
      std::snprintf(text, sizeof text, "Binary upload: %d%% completed", percent);
      Status(text);
      loop_.SetTimer(kTimerUploadWatchdog, 20000);
      break;
    }
    case BinaryEvent::kStopped:
      loop_.KillTimer(kTimerUploadWatchdog);
      loop_.KillTimer(kStopping);
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      Progress(0);
      Status("Upload stopped at user request");
      if (result_.upload == Outcome::kRunning) result_.upload = Outcome::kFailed;
      result_.stop = Outcome::kSucceeded;
      EndUpload();
      break;
    case BinaryEvent::kChecksumError:
      Progress(0);
      Status("Checksum error");
      break;
    case BinaryEvent::kStopping:
      Status("Stopping upload - please wait");
      break;
  }
}

}  // namespace tidora
