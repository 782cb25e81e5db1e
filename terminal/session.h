#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/interaction.h"
#include "recorder/instrument.h"
#include "terminal/binary_upload.h"
#include "terminal/comm_settings.h"
#include "terminal/dump_check.h"
#include "terminal/partial_file.h"
#include "terminal/serial_link.h"
#include "terminal/session_state.h"
#include "terminal/terminal_window.h"

namespace tidora {

// How a sequence ended.
enum class Outcome { kNone, kRunning, kSucceeded, kFailed };

// How the last sequence of each kind ended, for front ends without a window to read.
struct SessionResult {
  Outcome connect = Outcome::kNone;
  Outcome status = Outcome::kNone;
  Outcome coefficients = Outcome::kNone;
  Outcome clock = Outcome::kNone;
  Outcome upload = Outcome::kNone;
  Outcome stop = Outcome::kNone;
  Outcome diagnostic = Outcome::kNone;
};

// The terminal's session: the state machine of every exchange with the recorder, driven on the
// window thread by menu commands, timers and the reception thread's notifications. The
// exchanges live beside it: connect, status, coefficients and clock (exchanges.cpp), the upload
// (upload.cpp, with the binary transfer in BinaryUploader), capture and diagnostic (collect.cpp).
class TerminalSession : private BinaryUploadHost {
 public:
  TerminalSession(EventLoop& loop, SerialPorts& ports, Interaction& ui, TerminalWindow& window,
                  CommSettings& settings);
  ~TerminalSession() override;

  // Window created: Idle, the port opened, the reception thread started. `release` holds the
  // ports the settings file named, released at the end with the others.
  void Start(const ReleaseFlags* release = nullptr);
  // Window destroyed: settings written (when asked), ports released, a capture closed.
  void End(bool writeSettings = true);
  // The window closes: whatever runs ends as Stop ends it, without waiting for the recorder's
  // answers (the window thread no longer runs the session's reports). Call before the reception
  // thread is ended, then End().
  void BeginClose();
  // Writes QuaylinkW.ini with the window's place.
  void SaveSettings();
  // Settings saved from now on are `stored` with only the rate the search found taken over: a
  // front end whose settings carry overrides of its own (the command line) keeps them out of the
  // file.
  void SaveOnlyFoundRate(const CommSettings& stored);

  // Menu commands.
  void Connect();
  void StatusCommand() { StatusSequence(0); }
  void CoefficientsCommand() { CoefficientSequence(0); }
  void SetDateTime(bool local);
  void Stop();
  void Upload();
  void Capture(bool writeFailed = false);
  void Diagnostic(bool writeFailed = false);
  // The Configure dialog's OK: the new settings, the port opened again, the file written.
  void Configure(const CommSettings& settings);
  // A key typed into the terminal area.
  void TypeChar(char c);

  // Sequences and notifications (window thread).
  void ConnectAttempt(int attempt);
  void StatusSequence(int step);
  void CoefficientSequence(int step);
  void QueryAnswered(Outcome& outcome, int nextStep);
  void QueryUnanswered(Outcome& outcome, bool alwaysSay);
  void OnPromptSeen();
  void OnTimer(int id);
  void OnUploadStep(int code);
  void OnDiagnosticStep(int step);

  // One round of the reception thread.
  void ReceiveRound();

  // Read-outs.
  int state() const { return state_.load(); }
  bool uploading() const { return uploading_.load(); }
  bool captureActive() const { return captureActive_.load(); }
  bool diagnosticActive() const { return diagnosticActive_.load(); }
  const InstrumentInfo& info() const { return info_; }
  const std::string& statusText() const { return statusText_; }
  const std::string& coefficientText() const { return coefficientText_; }
  const std::string& uploadPath() const { return uploadPath_; }
  // Where the last unfinished upload kept what was received ("" when nothing was kept).
  const std::string& partialPath() const { return partialPath_; }
  int uploadErrors() const { return dumpCheck_.errors(); }
  int binaryAttempts() const { return binary_.attempts(); }
  SerialLink& link() { return link_; }
  CommSettings& settings() { return s_; }
  const SessionResult& result() const { return result_; }
  Outcome connectOutcome() const { return result_.connect; }
  Outcome statusOutcome() const { return result_.status; }
  Outcome coefficientOutcome() const { return result_.coefficients; }
  Outcome clockOutcome() const { return result_.clock; }
  Outcome uploadOutcome() const { return result_.upload; }
  Outcome stopOutcome() const { return result_.stop; }
  Outcome diagnosticOutcome() const { return result_.diagnostic; }
  // Binary upload figures of the last transfer: data bytes and the time the blocks took.
  long long binaryDataBytes() const { return binary_.dataBytes(); }
  int64_t binaryBlockMs() const { return binary_.blockMs(); }

  static constexpr size_t kReplyCapacity = 32768;
  static constexpr size_t kTextCapacity = 2048;
  static constexpr size_t kAsciiFlushAt = 23552;

 private:
  void SetState(int s) { state_.store(s); }
  void Menu(MenuForm form);
  void Box(const std::string& text);
  void Status(const std::string& text) { ui_.Status(text); }
  void Progress(int pos) {
    progressPos_ = pos;
    ui_.ProgressPos(pos);
  }
  void ProgressRange(int low, int high) { ui_.ProgressRange(low, high); }
  void ProgressStep() { Progress(progressPos_ + 1); }
  std::string Reply();  // the reply buffer up to its fill count
  void ResetReply() { fill_.store(0); }
  // True when the reply holds the command's echo; otherwise the buffer starts again (a late
  // prompt of an earlier exchange is no reply).
  bool ReplyEchoes(const char* echo);
  // The first steps of a query: wake the recorder and wait in promptState for its prompt
  // (false, with the "No port open" box, without a port), then send the command and wait in
  // replyState for the reply.
  bool WakeForQuery(Outcome& outcome, int promptState);
  void AskAfterPrompt(int promptState, int replyState, int timeoutMs, const char* command);

  // Reception thread.
  void HandleChar(uint8_t c);
  void CollectChar(uint8_t c);
  void AsciiChar(uint8_t c, bool checkFill);

  // Clock setting.
  void SetTimeStep(int step);
  bool BuildDateTimeCommand(std::string& command);

  // Upload.
  void CreatePartialFile();
  void StartAsciiUpload();
  void StartBinaryUpload();
  void EndAsciiUpload(bool silence);
  // A stopped dump: what arrived and still waits in the buffer goes to the file.
  void KeepAsciiData();
  bool WriteAsciiBuffer();
  void EndUpload();
  // An unfinished upload's file kept as partial, said in a message unless the window closes.
  void AbandonUpload();
  void OnBinaryEvent(BinaryEvent event, int percent) override;
  void OnBinaryImage(const std::string& dataSection) override;
  void OnBinaryProgressStep() override { ProgressStep(); }

  // Diagnostic.
  void FinishDiagnostic();

  EventLoop& loop_;
  Clock& clock_;
  Interaction& ui_;
  TerminalWindow& window_;
  CommSettings& s_;
  SerialLink link_;
  SessionResult result_;

  std::atomic<int> state_{kIdle};
  std::atomic<bool> uploading_{false};
  std::atomic<bool> captureActive_{false};
  std::atomic<bool> diagnosticActive_{false};
  std::mutex fileMutex_;  // capture and diagnostic files: written here, closed there
  FILE* captureFile_ = nullptr;
  PartialFile diagnosticFile_;
  std::string capturePath_, diagnosticPath_, lastDirectory_;

  // Replies and ASCII data.
  std::vector<char> reply_;
  std::atomic<size_t> fill_{0};
  uint8_t previous_ = 0;
  InstrumentInfo info_;
  std::string statusText_, coefficientText_;
  int progressPos_ = 0;
  int connectAttempt_ = 0;
  int searchBound_ = 0x7FFFFFFF;
  int escapeCount_ = 0;
  bool localTime_ = false;

  // Upload (the file is handled on the window thread only).
  PartialFile uploadFile_;
  std::string uploadPath_, partialPath_;
  std::atomic<bool> closing_{false};
  std::unique_ptr<CommSettings> stored_;
  DumpLineCheck dumpCheck_;
  int progressStepLines_ = 100;
  bool echoSeen_ = false;
  uint8_t asciiPrevious_ = 0;
  std::atomic<bool> writeFailed_{false};
  std::atomic<bool> held_{false};
  SilenceWatchdog asciiWatchdog_;
  BinaryUploader binary_;
};

}  // namespace tidora
