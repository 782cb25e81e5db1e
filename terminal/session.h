#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/interaction.h"
#include "recorder/instrument.h"
#include "terminal/comm_settings.h"
#include "terminal/serial_link.h"
#include "terminal/terminal_window.h"

namespace tidora {

// Session states; a waiting state's window timer has the state's number.
enum SessionState : int {
  kIdle = 100,
  kStatusPrompt = 101,
  kStatusReply = 102,
  kCoefficientsPrompt = 103,
  kCoefficientsReply = 104,
  kAsciiUpload = 105,
  kConnecting = 106,
  kStopping = 108,
  kDiagnosticDump = 110,
  kDiagnosticFr = 111,
  kBinaryUpload = 120,
  kSetTimePrompt = 200,
  kSetTimeStatus = 201,
  kSetTimeCommand = 203,
};
inline constexpr int kTimerDiagnosticEscape = 121;
inline constexpr int kTimerUploadWatchdog = 122;

// Silence of the line in whole seconds, watched across threads.
class SilenceWatchdog {
 public:
  void Reset() { started_ = false; }
  void Note(std::time_t now) { last_ = now; }
  // Starts the watch when it is not started (alive); otherwise alive while the last character
  // is at most `limit` seconds old.
  bool Alive(std::time_t now, int limit = 5);

 private:
  std::atomic<bool> started_{false};
  std::atomic<std::time_t> last_{0};
};

// A file that is complete only when its sequence ends well (an upload, a diagnostic). Everything
// goes to NAME.partial, which becomes NAME only when the sequence completes, so a failed, stopped
// or interrupted one never leaves a file that looks complete under the chosen name; what was
// received stays in NAME.partial (removed when empty). A device or pipe named as the file is
// written directly. One owner: however the sequence ends, the file is closed exactly once.
class PartialFile {
 public:
  PartialFile() = default;
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;
  ~PartialFile() { Abandon(); }

  static std::string PartialName(const std::string& path) { return path + ".partial"; }
  // Opens the file for NAME (unbuffered, so each write's failure is known at once).
  bool Create(const std::string& path);
  bool Write(const void* data, size_t n);
  bool Write(const std::string& text) { return Write(text.data(), text.size()); }
  // Closes and puts the file under its name; false (and the file kept as partial) on failure.
  bool Complete();
  // Closes an unfinished file; returns the path that keeps what was received, or "" when
  // nothing was kept (no file, an empty one, or a device written directly).
  std::string Abandon();
  bool open() const { return file_ != nullptr; }

 private:
  FILE* file_ = nullptr;
  std::string path_, writing_;
  long long written_ = 0;
};

// How the last sequence of each kind ended, for front ends without a window to read.
enum class Outcome { kNone, kRunning, kSucceeded, kFailed };

// The terminal's session: the state machine of every exchange with the recorder, driven on the
// window thread by menu commands, timers and the reception thread's notifications.
class TerminalSession {
 public:
  TerminalSession(EventLoop& loop, SerialPorts& ports, Interaction& ui, TerminalWindow& window,
                  CommSettings& settings);
  ~TerminalSession();

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
  void OnPromptSeen();
  void OnTimer(int id);
  void OnUploadStep(int code);
  void OnBinaryReport(int code, int value);
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
  int uploadErrors() const { return errorCount_; }
  int binaryAttempts() const { return attempts_.load(); }
  SerialLink& link() { return link_; }
  CommSettings& settings() { return s_; }
  Outcome connectOutcome() const { return connectOutcome_; }
  Outcome statusOutcome() const { return statusOutcome_; }
  Outcome coefficientOutcome() const { return coefficientOutcome_; }
  Outcome clockOutcome() const { return clockOutcome_; }
  Outcome uploadOutcome() const { return uploadOutcome_; }
  Outcome stopOutcome() const { return stopOutcome_; }
  Outcome diagnosticOutcome() const { return diagnosticOutcome_; }
  // Binary upload figures of the last transfer: data bytes and the time the blocks took.
  long long binaryDataBytes() const { return binaryDataBytes_; }
  int64_t binaryBlockMs() const { return binaryBlockMs_; }

  static constexpr size_t kReplyCapacity = 32768;
  static constexpr size_t kTextCapacity = 2048;
  static constexpr size_t kAsciiFlushAt = 23552;
  static constexpr size_t kBlockCapacity = 251024;

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
  void FinishBinaryUpload(const std::string& data);
  void RunBinaryUploader();
  bool BinaryEnding() const { return state_ != kBinaryUpload; }
  enum class BlockResult { kGood, kChecksum, kSilence, kStopped };
  BlockResult ReadBlock(long start, long length, std::vector<uint8_t>& block);
  void BinaryStopProcedure();
  void BinaryFailed();

  // Diagnostic.
  void FinishDiagnostic();

  EventLoop& loop_;
  Clock& clock_;
  Interaction& ui_;
  TerminalWindow& window_;
  CommSettings& s_;
  SerialLink link_;

  std::atomic<int> state_{kIdle};
  std::atomic<bool> uploading_{false};
  std::atomic<bool> captureActive_{false};
  std::atomic<bool> diagnosticActive_{false};
  std::atomic<bool> started_{false};
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
  long totalCount_ = 0;
  long lineCounter_ = 1;
  long lineStart_ = 0;
  int errorCount_ = 0;
  int lineSamples_[11] = {};
  long referenceLength_ = 0;
  int progressStepLines_ = 100;
  bool echoSeen_ = false;
  uint8_t asciiPrevious_ = 0;
  std::atomic<bool> writeFailed_{false};
  std::atomic<bool> held_{false};
  SilenceWatchdog asciiWatchdog_;

  // Binary uploader (reception thread).
  SilenceWatchdog blockWatchdog_;
  std::atomic<int> attempts_{0};
  long blockRate_ = 0;
  long divisor_ = 1;
  long bytesReceived_ = 0;
  long totalBytes_ = 0;
  long progressStepBytes_ = 10;
  bool stopFlag_ = false, quiet_ = false;
  std::string waitReply_;
  std::string tempPath_;
  long long binaryDataBytes_ = 0;
  int64_t binaryBlockMs_ = 0;

  Outcome connectOutcome_ = Outcome::kNone, statusOutcome_ = Outcome::kNone,
          coefficientOutcome_ = Outcome::kNone, clockOutcome_ = Outcome::kNone,
          uploadOutcome_ = Outcome::kNone, stopOutcome_ = Outcome::kNone,
          diagnosticOutcome_ = Outcome::kNone;
};

}  // namespace tidora
