// The session's short exchanges with the recorder: connecting (with the rate search of the
// TGR 41plus class), the status and coefficient queries, and setting the recorder's clock.
#include <algorithm>

#include "terminal/session.h"

namespace tidora {

// ---- Connect ----

void TerminalSession::Connect() {
  connectAttempt_ = 0;
  ConnectAttempt(0);
}

void TerminalSession::ConnectAttempt(int attempt) {
  if (!s_.portOpen) {
    Box("No port open");
    result_.connect = Outcome::kFailed;
    return;
  }
  result_.connect = Outcome::kRunning;
  if (!s_.plus) {
    if (attempt == 0) {
      ProgressRange(0, 4);
      progressPos_ = 0;
    }
    if (attempt >= 4) {
      Progress(0);
      Status("Failed to Connect");
      SetState(kIdle);
      result_.connect = Outcome::kFailed;
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
        result_.connect = Outcome::kFailed;
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
        result_.connect = Outcome::kFailed;
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
      WakeForQuery(result_.status, kStatusPrompt);
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
          result_.upload = Outcome::kFailed;
          result_.status = Outcome::kSucceeded;
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
          result_.upload = Outcome::kFailed;
          loop_.Post([this] { window_.OpenConfigure(); });
        }
      }
      statusText_ = MakeStatusText(reply, kTextCapacity);
      QueryAnswered(result_.status, 1);
      break;
    }
    case 99:
      QueryUnanswered(result_.status, false);
      break;
  }
}

// A query's reply has arrived: an upload or a diagnostic waiting for it goes on at `nextStep`.
void TerminalSession::QueryAnswered(Outcome& outcome, int nextStep) {
  SetState(kIdle);
  outcome = Outcome::kSucceeded;
  if (uploading_) OnUploadStep(nextStep);
  if (diagnosticActive_) OnDiagnosticStep(nextStep);
}

// A query went unanswered: an upload waiting for it fails. The box is shown when an upload was
// waiting, or always when `alwaysSay`.
void TerminalSession::QueryUnanswered(Outcome& outcome, bool alwaysSay) {
  SetState(kIdle);
  Menu(MenuForm::kIdle);
  outcome = Outcome::kFailed;
  const bool wasUploading = uploading_;
  if (uploading_) result_.upload = Outcome::kFailed;
  uploading_ = false;
  if (wasUploading || alwaysSay) Box("Instrument not responding, click connect");
}

void TerminalSession::CoefficientSequence(int step) {
  switch (step) {
    case 0:
      WakeForQuery(result_.coefficients, kCoefficientsPrompt);
      break;
    case 1:
      AskAfterPrompt(kCoefficientsPrompt, kCoefficientsReply, 15000, "DC\n\r");
      break;
    case 2:
      loop_.KillTimer(kCoefficientsReply);
      Menu(MenuForm::kIdle);
      coefficientText_ = MakeCoefficientText(Reply(), kTextCapacity);
      QueryAnswered(result_.coefficients, 2);
      break;
    case 99:
      QueryUnanswered(result_.coefficients, true);
      break;
  }
}

// ---- Date and time ----

void TerminalSession::SetDateTime(bool local) {
  if (!s_.portOpen) {
    Box("No port open");
    result_.clock = Outcome::kFailed;
    return;
  }
  localTime_ = local;
  window_.SetDateTimeStatus("Get Prompt");
  WakeForQuery(result_.clock, kSetTimePrompt);
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
        result_.clock = Outcome::kFailed;
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
        result_.clock = Outcome::kFailed;
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
        result_.clock = Outcome::kSucceeded;
      } else {
        window_.SetDateTimeStatus(error);
        Status("not able to set date and time");
        result_.clock = Outcome::kFailed;
      }
      Menu(MenuForm::kIdle);
      break;
    }
  }
}

}  // namespace tidora
