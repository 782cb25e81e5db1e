#include "terminal/session.h"

#include <algorithm>
#include <cstring>

namespace tidora {

bool SilenceWatchdog::Alive(std::time_t now, int limit) {
  if (!started_.exchange(true)) {
    last_ = now;
    return true;
  }
  return now - last_.load() <= limit;
}

TerminalSession::TerminalSession(EventLoop& loop, SerialPorts& ports, Interaction& ui,
                                 TerminalWindow& window, CommSettings& settings)
    : loop_(loop),
      clock_(loop.clock()),
      ui_(ui),
      window_(window),
      s_(settings),
      link_(ports, loop.clock(), ui, window, settings),
      reply_(kReplyCapacity, '\0') {}

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
    if (uploadOutcome_ == Outcome::kRunning) uploadOutcome_ = Outcome::kFailed;
    KeepAsciiData();
    if (held_.exchange(false)) link_.ReleaseHold();
  }
  if (diagnosticActive_ && diagnosticOutcome_ == Outcome::kRunning)
    diagnosticOutcome_ = Outcome::kFailed;
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
    while (state_ == kBinaryUpload) RunBinaryUploader();
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
      connectOutcome_ = Outcome::kSucceeded;
      if (s_.plus && s_.baud41plus != s_.searchStart) SaveSettings();
      break;
    case kStopping:
      loop_.KillTimer(kStopping);
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      link_.SetupPort(false);
      Status("Stopped");
      Progress(0);
      stopOutcome_ = Outcome::kSucceeded;
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
        stopOutcome_ = Outcome::kFailed;
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
      clockOutcome_ = Outcome::kFailed;
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
      uploadOutcome_ = Outcome::kFailed;
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

// ---- Connect ----

void TerminalSession::Connect() {
  connectAttempt_ = 0;
  ConnectAttempt(0);
}

void TerminalSession::ConnectAttempt(int attempt) {
  if (!s_.portOpen) {
    Box("No port open");
    connectOutcome_ = Outcome::kFailed;
    return;
  }
  connectOutcome_ = Outcome::kRunning;
  if (!s_.plus) {
    if (attempt == 0) {
      ProgressRange(0, 4);
      progressPos_ = 0;
    }
    if (attempt >= 4) {
      Progress(0);
      Status("Failed to Connect");
      SetState(kIdle);
      connectOutcome_ = Outcome::kFailed;
      return;
    }
    ProgressStep();
  } else {
    if (attempt == 0) {
      s_.searchStart = s_.baud41plus;
      auto it = std::find(kNormalRates.begin(), kNormalRates.end(), s_.baud41plus);
      bool listed = it != kNormalRates.end();
      s_.searchIndex = listed ? static_cast<int>(it - kNormalRates.begin()) : 0;
      // A stored rate outside the list would never come round again: after the stored rate
      // and each of the seven, the search ends.
      searchBound_ = listed ? 0x7FFFFFFF : 3 * (static_cast<int>(kNormalRates.size()) + 1);
      ProgressRange(0, 36);
      Progress(0);
    }
    if (attempt > 0 && attempt % 3 == 0) {
      if (attempt >= searchBound_) {
        Progress(0);
        Status("Failed to Connect");
        SetState(kIdle);
        connectOutcome_ = Outcome::kFailed;
        return;
      }
      s_.searchIndex = (s_.searchIndex + 1) % static_cast<int>(kNormalRates.size());
      long rate = kNormalRates[static_cast<size_t>(s_.searchIndex)];
      s_.baud41plus = static_cast<int>(rate);
      s_.baud = rate;
      link_.OpenAtStoredRate();
      if (rate == s_.searchStart) {
        Progress(0);
        Status("Failed to Connect");
        SetState(kIdle);
        connectOutcome_ = Outcome::kFailed;
        return;
      }
    }
    ProgressStep();
  }
  link_.SendSlow("\n\r");
  loop_.SetTimer(kConnecting, 1000);
  SetState(kConnecting);
  Status("Connecting");
  clock_.SleepMs(400);
  link_.SendSlow("\n\r");
}

// ---- Status and coefficients ----

bool TerminalSession::WakeForQuery(Outcome& outcome, int promptState) {
  if (!s_.portOpen) {
    Box("No port open");
    outcome = Outcome::kFailed;
    return false;
  }
  outcome = Outcome::kRunning;
  // The state first: the reception thread files the prompt under it.
  SetState(promptState);
  Menu(MenuForm::kBusyWithoutStop);
  loop_.SetTimer(promptState, 2000);
  link_.SendSlow("\n\r");
  return true;
}

void TerminalSession::AskAfterPrompt(int promptState, int replyState, int timeoutMs,
                                     const char* command) {
  loop_.KillTimer(promptState);
  ResetReply();
  SetState(replyState);
  loop_.SetTimer(replyState, timeoutMs);
  link_.SendSlow(command);
}

void TerminalSession::StatusSequence(int step) {
  switch (step) {
    case 0:
      WakeForQuery(statusOutcome_, kStatusPrompt);
      break;
    case 1:
      AskAfterPrompt(kStatusPrompt, kStatusReply, 10000, "DS\n\r");
      break;
    case 2: {
      loop_.KillTimer(kStatusReply);
      Menu(MenuForm::kIdle);
      std::string reply = Reply();
      bool match = ParseStatus(reply, info_, s_.plus);
      s_.modelName = info_.modelText.substr(0, 15);
      window_.SetStatusPart(2, info_.modelText);
      if (uploading_) {
        if (info_.logging) {
          uploading_ = false;
          Menu(MenuForm::kIdle);
          Status("Upload canceled");
          Box("Stop logging before upload");
          SetState(kIdle);
          uploadOutcome_ = Outcome::kFailed;
          statusOutcome_ = Outcome::kSucceeded;
          return;
        }
        ProgressRange(0, static_cast<int>(ExpectedLineCount(info_)));
        progressStepLines_ = 100;
        if (!match) {
          char text[160];
          std::snprintf(text, sizeof text,
                        "Please enter appropriate settings for instrument type %s.\n",
                        info_.modelText.c_str());
          ui_.Message(text, "QuaylinkW", MsgIcon::Information, MsgButtons::Ok);
          uploading_ = false;
          Status("Upload failed - wrong instrument type");
          uploadOutcome_ = Outcome::kFailed;
          loop_.Post([this] { window_.OpenConfigure(); });
        }
      }
      statusText_ = MakeStatusText(reply, kTextCapacity);
      SetState(kIdle);
      statusOutcome_ = Outcome::kSucceeded;
      if (uploading_) OnUploadStep(1);
      if (diagnosticActive_) OnDiagnosticStep(1);
      break;
    }
    case 99:
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      statusOutcome_ = Outcome::kFailed;
      if (uploading_) {
        uploading_ = false;
        uploadOutcome_ = Outcome::kFailed;
        Box("Instrument not responding, click connect");
      }
      break;
  }
}

void TerminalSession::CoefficientSequence(int step) {
  switch (step) {
    case 0:
      WakeForQuery(coefficientOutcome_, kCoefficientsPrompt);
      break;
    case 1:
      AskAfterPrompt(kCoefficientsPrompt, kCoefficientsReply, 15000, "DC\n\r");
      break;
    case 2:
      loop_.KillTimer(kCoefficientsReply);
      Menu(MenuForm::kIdle);
      coefficientText_ = MakeCoefficientText(Reply(), kTextCapacity);
      SetState(kIdle);
      coefficientOutcome_ = Outcome::kSucceeded;
      if (uploading_) OnUploadStep(2);
      if (diagnosticActive_) OnDiagnosticStep(2);
      break;
    case 99:
      SetState(kIdle);
      Menu(MenuForm::kIdle);
      coefficientOutcome_ = Outcome::kFailed;
      if (uploading_) uploadOutcome_ = Outcome::kFailed;
      uploading_ = false;
      Box("Instrument not responding, click connect");
      break;
  }
}

// ---- Date and time ----

void TerminalSession::SetDateTime(bool local) {
  if (!s_.portOpen) {
    Box("No port open");
    clockOutcome_ = Outcome::kFailed;
    return;
  }
  localTime_ = local;
  window_.SetDateTimeStatus("Get Prompt");
  WakeForQuery(clockOutcome_, kSetTimePrompt);
}

bool TerminalSession::BuildDateTimeCommand(std::string& command) {
  int minMs = 0, maxMs = 0;
  if (!clock_.TimerPeriodRange(minMs, maxMs)) {
    window_.SetDateTimeStatus("Could not get timer resolution");
    return false;
  }
  std::time_t first = clock_.CalendarSeconds();
  std::time_t t = first;
  while ((t = clock_.CalendarSeconds()) == first) clock_.SleepMs(1);
  int period = std::min(std::max(minMs, 1), std::max(maxMs, 1));
  int64_t due = clock_.NowMs() + 750;
  while (clock_.NowMs() < due) clock_.SleepMs(period);
  command = DateTimeCommand(t + 1, localTime_);
  return true;
}

void TerminalSession::SetTimeStep(int step) {
  switch (step) {
    case 1:
      window_.SetDateTimeStatus("Get Status");
      AskAfterPrompt(kSetTimePrompt, kSetTimeStatus, 5000, "DS\r");
      break;
    case 2: {
      loop_.KillTimer(kSetTimeStatus);
      std::string reply = Reply();
      if (!ClockSettingSupported(reply)) {
        window_.SetDateTimeStatus("date/time setting is not supported");
        Status("Could not set instrument date/time");
        SetState(kIdle);
        Menu(MenuForm::kIdle);
        clockOutcome_ = Outcome::kFailed;
        return;
      }
      window_.SetDateTimeStatus("Set Date and Time");
      ResetReply();
      std::string command;
      if (BuildDateTimeCommand(command)) {
        SetState(kSetTimeCommand);
        loop_.SetTimer(kSetTimeCommand, 2000);
        link_.SendFast(command);
      } else {
        SetState(kIdle);
        Status("Could not set instrument date/time");
        Menu(MenuForm::kIdle);
        clockOutcome_ = Outcome::kFailed;
      }
      break;
    }
    case 3: {
      loop_.KillTimer(kSetTimeCommand);
      SetState(kIdle);
      std::string error = DateTimeReplyError(Reply());
      if (error.empty()) {
        window_.SetDateTimeStatus("success");
        Status(localTime_ ? "date and time set to PC time" : "date and time set to UTC time");
        clockOutcome_ = Outcome::kSucceeded;
      } else {
        window_.SetDateTimeStatus(error);
        Status("not able to set date and time");
        clockOutcome_ = Outcome::kFailed;
      }
      Menu(MenuForm::kIdle);
      break;
    }
  }
}

// ---- Stop ----

void TerminalSession::Stop() {
  loop_.KillTimer(kTimerUploadWatchdog);
  if (uploading_) {
    uploading_ = false;
    if (uploadOutcome_ == Outcome::kRunning) uploadOutcome_ = Outcome::kFailed;
    KeepAsciiData();
    if (held_.exchange(false)) link_.ReleaseHold();
    AbandonUpload();
  }
  stopOutcome_ = Outcome::kRunning;
  escapeCount_ = 0;
  if (s_.portOpen) link_.SendChar(27);
  if (state_ != kBinaryUpload) loop_.SetTimer(kStopping, 200);
  SetState(kStopping);
}

}  // namespace tidora
