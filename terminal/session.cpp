#include "terminal/session.h"

#include <algorithm>
#include <cstring>

namespace tidora {

TerminalSession::TerminalSession(EventLoop& loop, SerialPorts& ports, Interaction& ui,
                                 TerminalWindow& window, CommSettings& settings)
    : loop_(loop),
      clock_(loop.clock()),
      ui_(ui),
      window_(window),
      s_(settings),
      link_(ports, loop.clock(), ui, window, settings),
      reply_(kReplyCapacity, '\0'),
      binary_(loop, link_, settings, state_, closing_, *this) {}

TerminalSession::~TerminalSession() {
  std::lock_guard<std::mutex> lock(fileMutex_);
  if (captureFile_) std::fclose(captureFile_);
  captureFile_ = nullptr;
}

void TerminalSession::Start(const ReleaseFlags* release) {
  if (release)
    for (size_t i = 0; i < release->size(); ++i)
      if ((*release)[i]) link_.table()[i].releaseAtExit = true;
  SetState(kIdle);
  loop_.SetTimerHandler([this](int id) { OnTimer(id); });
  loop_.StartPoller([this] { ReceiveRound(); }, 20);
  link_.OpenPort();
}

void TerminalSession::SaveSettings() {
  WindowRect rect{};
  bool known = window_.GetWindowRect(rect);
  if (!stored_) {
    WriteCommSettings(s_, s_.settingsPath, known ? &rect : nullptr, window_.Screen());
    return;
  }
  CommSettings kept = *stored_;
  kept.baud41plus = s_.baud41plus;
  if (kept.plus) kept.baud = kept.baud41plus;
  *stored_ = kept;
  WriteCommSettings(kept, s_.settingsPath, known ? &rect : nullptr, window_.Screen());
}

void TerminalSession::SaveOnlyFoundRate(const CommSettings& stored) {
  stored_ = std::make_unique<CommSettings>(stored);
}

void TerminalSession::BeginClose() {
  closing_ = true;
  int st = state_;
  bool recorderBusy = uploading_ || diagnosticActive_ || st == kAsciiUpload ||
                      st == kDiagnosticDump || st == kDiagnosticFr;
  if (uploading_) {
    uploading_ = false;
    if (result_.upload == Outcome::kRunning) result_.upload = Outcome::kFailed;
    KeepAsciiData();
    if (held_.exchange(false)) link_.ReleaseHold();
  }
  if (diagnosticActive_ && result_.diagnostic == Outcome::kRunning)
    result_.diagnostic = Outcome::kFailed;
  if (st == kBinaryUpload || st == kStopping) {
    // A binary uploader on the reception thread sees the stop, escapes the recorder at once
    // (it knows the window is closing) and returns; a stop under way has sent its escape.
    SetState(kStopping);
    return;
  }
  SetState(kIdle);
  // As Stop: the recorder leaves what it is sending.
  if (recorderBusy && s_.portOpen) link_.SendChar(27);
}

void TerminalSession::End(bool writeSettings) {
  // An upload the window did not see to its end keeps what was received as partial.
  std::string kept = uploadFile_.Abandon();
  if (!kept.empty()) partialPath_ = kept;
  if (writeSettings) SaveSettings();
  link_.ReleaseAll();
  std::lock_guard<std::mutex> lock(fileMutex_);
  if (captureFile_) std::fclose(captureFile_);
  captureFile_ = nullptr;
  captureActive_ = false;
  diagnosticFile_.Abandon();
  diagnosticActive_ = false;
}

void TerminalSession::Menu(MenuForm form) {
  window_.SetMenu(form);
  // The idle form enables Upload again even while a capture runs.
  if (form == MenuForm::kIdle) window_.SetUploadItemEnabled(true);
}

void TerminalSession::Box(const std::string& text) {
  ui_.Message(text, kErrorCaption, MsgIcon::None, MsgButtons::Ok);
}

std::string TerminalSession::Reply() {
  size_t n = std::min(fill_.load(), kReplyCapacity - 1);
  return std::string(reply_.data(), n);
}

bool TerminalSession::ReplyEchoes(const char* echo) {
  if (Reply().find(echo) != std::string::npos) return true;
  ResetReply();
  return false;
}

void TerminalSession::TypeChar(char c) {
  if (s_.portOpen) link_.SendChar(static_cast<uint8_t>(c));
}

void TerminalSession::Configure(const CommSettings& settings) {
  bool wasOpen = s_.portOpen;
  s_ = settings;
  s_.portOpen = wasOpen;
  if (!link_.OpenPort()) s_.port = 0;
  SaveSettings();
}

// ---- Reception thread ----

void TerminalSession::CollectChar(uint8_t c) {
  std::unique_lock<std::mutex> lock(fileMutex_);
  if (captureActive_ && captureFile_) {
    if (std::fputc(c, captureFile_) == EOF) {
      lock.unlock();
      loop_.Send([this] { Capture(true); });
    }
  } else if (diagnosticActive_ && diagnosticFile_.open()) {
    bool ok = c == '\n' ? diagnosticFile_.Write("\r\n", 2) : diagnosticFile_.Write(&c, 1);
    if (!ok) {
      lock.unlock();
      loop_.Send([this] { Diagnostic(true); });
    }
  }
}

void TerminalSession::ReceiveRound() {
  uint8_t c;
  while (link_.Receive(c)) HandleChar(c);
  if (state_ == kAsciiUpload && !asciiWatchdog_.Alive(clock_.CalendarSeconds(), 5))
    loop_.Send([this] { OnUploadStep(5); });
}

void TerminalSession::HandleChar(uint8_t c) {
  CollectChar(c);
  int st = state_;
  if (st == kStatusReply || st == kCoefficientsReply || st == kSetTimeStatus ||
      st == kSetTimeCommand) {
    size_t f = fill_.load();
    if (f >= kReplyCapacity - 1) f = 0;  // keeps room for the terminating zero
    reply_[f] = static_cast<char>(c);
    fill_.store(f + 1);
  }
  if (st == kAsciiUpload) {
    AsciiChar(c, true);
    previous_ = c;
    return;
  }
  if (c != '\r') {
    char ch = static_cast<char>(c);
    loop_.Send([this, ch] { window_.ShowChar(ch); });
    if (c == 25)
      loop_.Send([this] {
        window_.ShowChar('^');
        window_.ShowChar('Y');
      });
  }
  if (previous_ == 'S' && c == '>') {
    previous_ = c;
    loop_.Send([this] { OnPromptSeen(); });
    while (state_ == kBinaryUpload) binary_.Run(ImageLayoutOf(info_), uploadPath_);
    return;
  }
  previous_ = c;
}

// ---- Prompt and timers ----

void TerminalSession::OnPromptSeen() {
  switch (state_.load()) {
    case kStatusPrompt:
      StatusSequence(1);
      break;
    case kStatusReply:
      // A late prompt of the wake-up (a recorder may answer both line ends) is no reply: the
      // reply begins with the echo of the command.
      if (ReplyEchoes("DS")) StatusSequence(2);
      break;
    case kCoefficientsPrompt:
      CoefficientSequence(1);
      break;
    case kCoefficientsReply:
      if (ReplyEchoes("DC")) CoefficientSequence(2);
      break;
    case kAsciiUpload:
      EndAsciiUpload(false);
      break;
    case kConnecting:
      loop_.KillTimer(kConnecting);
      SetState(kIdle);
      Status("Connected");
      Progress(0);
      result_.connect = Outcome::kSucceeded;
      if (s_.plus && s_.baud41plus != s_.searchStart) SaveSettings();
      break;
    case kStopping:
      loop_.KillTimer(kStopping);
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      link_.SetupPort(false);
      Status("Stopped");
      Progress(0);
      result_.stop = Outcome::kSucceeded;
      break;
    case kDiagnosticDump:
      loop_.KillTimer(kDiagnosticDump);
      OnDiagnosticStep(3);
      break;
    case kSetTimePrompt:
      SetTimeStep(1);
      break;
    case kSetTimeStatus:
      if (ReplyEchoes("DS")) SetTimeStep(2);
      break;
    case kSetTimeCommand:
      if (ReplyEchoes("datetime=")) SetTimeStep(3);
      break;
    default:
      Progress(0);
      break;
  }
}

void TerminalSession::OnTimer(int id) {
  switch (id) {
    case kStatusPrompt:
    case kStatusReply:
      Menu(MenuForm::kIdle);
      loop_.KillTimer(id);
      StatusSequence(99);
      break;
    case kCoefficientsPrompt:
    case kCoefficientsReply:
      Menu(MenuForm::kIdle);
      loop_.KillTimer(id);
      CoefficientSequence(99);
      break;
    case kConnecting:
      loop_.KillTimer(id);
      ConnectAttempt(++connectAttempt_);
      break;
    case kStopping:
      ++escapeCount_;
      if (escapeCount_ < 5) {
        link_.SendChar(27);
      } else {
        loop_.KillTimer(kStopping);
        SetState(kIdle);
        Menu(MenuForm::kIdle);
        // Said, not only shown by the idle menu: nothing answered the escapes.
        Status("Stop: recorder did not answer");
        result_.stop = Outcome::kFailed;
      }
      break;
    case kSetTimePrompt:
    case kSetTimeStatus:
    case kSetTimeCommand:
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      loop_.KillTimer(id);
      window_.SetDateTimeStatus(id == kSetTimePrompt   ? "Did not get S> prompt"
                                : id == kSetTimeStatus ? "no response to DS command"
                                                       : "no response to datetime= command");
      Status("Set Date/Time Failed");
      result_.clock = Outcome::kFailed;
      break;
    case kDiagnosticDump:
      loop_.KillTimer(id);
      OnDiagnosticStep(3);
      break;
    case kDiagnosticFr:
      loop_.KillTimer(id);
      link_.SendChar(27);
      if (s_.plus)
        loop_.SetTimer(kTimerDiagnosticEscape, 200);
      else
        FinishDiagnostic();
      break;
    case kTimerDiagnosticEscape:
      loop_.KillTimer(id);
      link_.SendChar(27);
      FinishDiagnostic();
      break;
    case kBinaryUpload:
      loop_.KillTimer(id);
      Status("Upload Failed");
      uploading_ = false;
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      result_.upload = Outcome::kFailed;
      AbandonUpload();
      break;
    case kTimerUploadWatchdog:
      Stop();
      break;
    default:
      loop_.KillTimer(id);
      break;
  }
}

// ---- Stop ----

void TerminalSession::Stop() {
  loop_.KillTimer(kTimerUploadWatchdog);
  if (uploading_) {
    uploading_ = false;
    if (result_.upload == Outcome::kRunning) result_.upload = Outcome::kFailed;
    KeepAsciiData();
    if (held_.exchange(false)) link_.ReleaseHold();
    AbandonUpload();
  }
  result_.stop = Outcome::kRunning;
  escapeCount_ = 0;
  if (s_.portOpen) link_.SendChar(27);
  if (state_ != kBinaryUpload) loop_.SetTimer(kStopping, 200);
  SetState(kStopping);
}

}  // namespace tidora
