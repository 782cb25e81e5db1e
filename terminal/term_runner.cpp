#include "terminal/term_runner.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "terminal/session.h"

namespace tidora {
namespace {

// Forwards everything, but answers the Save dialog with the file named on the command line.
class FileAnswering : public Interaction {
 public:
  FileAnswering(Interaction& inner, std::string file) : inner_(inner), file_(std::move(file)) {}
  MsgAnswer Message(const std::string& t, const std::string& c, MsgIcon i, MsgButtons b) override {
    return inner_.Message(t, c, i, b);
  }
  int Choose(const std::string& t, const std::string& c,
             const std::vector<std::string>& b) override {
    return inner_.Choose(t, c, b);
  }
  void Status(const std::string& t) override { inner_.Status(t); }
  void ProgressRange(int l, int h) override { inner_.ProgressRange(l, h); }
  void ProgressPos(int p) override { inner_.ProgressPos(p); }
  std::vector<std::string> ChooseFiles(const FileRequest&) override {
    if (file_.empty()) return {};
    return {file_};
  }
  std::optional<std::string> ChooseFolder(const std::string& t, const std::string& i) override {
    return inner_.ChooseFolder(t, i);
  }

 private:
  Interaction& inner_;
  std::string file_;
};

std::string Unmarked(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') continue;
    if (c == '*' && (i == 0 || text[i - 1] == '\n')) continue;
    out += c;
  }
  return out;
}

bool Finished(Outcome o) {
  return o != Outcome::kRunning;
}

int ExitStatus(Outcome o) {
  return o == Outcome::kSucceeded ? 0 : 1;
}

// Runs the loop until `id`, set for `ms`, fires or `done` holds; the session's own timers go on
// meanwhile. True when the timer fired.
bool RunForMs(ThreadedEventLoop& loop, TerminalSession& session, int id, int ms,
              const std::function<bool()>& done) {
  bool over = false;
  loop.SetTimer(id, ms);
  loop.SetTimerHandler([&](int timer) {
    if (timer == id) {
      loop.KillTimer(id);
      over = true;
    } else {
      session.OnTimer(timer);
    }
  });
  loop.Run([&] { return over || done(); });
  loop.SetTimerHandler([&session](int timer) { session.OnTimer(timer); });
  return over;
}

// Connects; then lets a late prompt pass while idle before the next exchange begins (a recorder
// may answer both line ends of a wake-up).
bool ConnectAndSettle(ThreadedEventLoop& loop, TerminalSession& session) {
  const SessionResult& result = session.result();
  session.Connect();
  loop.Run([&] { return Finished(result.connect) && session.state() == kIdle; });
  if (result.connect != Outcome::kSucceeded) return false;
  RunForMs(loop, session, 9001, 600, [] { return false; });
  return true;
}

// Captures for the request's seconds; 1 when a write failure ended the capture.
int RunCapture(ThreadedEventLoop& loop, TerminalSession& session, int seconds) {
  session.Capture();
  if (!session.captureActive()) return 1;
  RunForMs(loop, session, 9002, std::max(1, seconds) * 1000,
           [&] { return !session.captureActive(); });
  bool failed = !session.captureActive();  // ended by a write failure
  if (!failed) session.Capture();
  loop.Run([&] { return !session.captureActive(); });
  return failed ? 1 : 0;
}

// The request's exchange on a connected session (the port open), to its end.
int RunExchange(const TermRequest& request, ThreadedEventLoop& loop, TerminalSession& session,
                Interaction& ui, std::string* output) {
  const SessionResult& result = session.result();
  auto idle = [&] { return session.state() == kIdle && !session.uploading(); };
  // This thread is the window thread: commands are called directly, then the loop runs.
  auto runUntil = [&](const Outcome& outcome) {
    loop.Run([&] { return Finished(outcome) && idle(); });
    return ExitStatus(outcome);
  };
  switch (request.kind) {
    case TermRequest::kConnect:
      return 0;
    case TermRequest::kStatus: {
      session.StatusCommand();
      int rc = runUntil(result.status);
      if (rc == 0 && output) *output = Unmarked(session.statusText());
      return rc;
    }
    case TermRequest::kCoefficients: {
      session.CoefficientsCommand();
      int rc = runUntil(result.coefficients);
      if (rc == 0 && output) *output = Unmarked(session.coefficientText());
      return rc;
    }
    case TermRequest::kSetTime:
      session.SetDateTime(request.local);
      return runUntil(result.clock);
    case TermRequest::kUpload:
      session.Upload();
      return runUntil(result.upload);
    case TermRequest::kDiagnostic: {
      session.Diagnostic();
      loop.Run([&] {
        return result.diagnostic != Outcome::kRunning || (!session.diagnosticActive() && idle()) ||
               (session.state() == kIdle &&
                (result.status == Outcome::kFailed || result.coefficients == Outcome::kFailed));
      });
      int rc = ExitStatus(result.diagnostic);
      if (session.diagnosticActive()) session.Diagnostic();
      return rc;
    }
    case TermRequest::kCapture:
      return RunCapture(loop, session, request.seconds);
    case TermRequest::kStop: {
      session.Stop();
      loop.Run([&] { return Finished(result.stop) && session.state() == kIdle; });
      int rc = ExitStatus(result.stop);
      // Without a window's idle menu to show it, the failure is said in words.
      if (rc != 0)
        ui.Status(
            "No prompt after five escapes: the recorder is asleep or idle (nothing to stop), or "
            "not connected");
      return rc;
    }
  }
  return 1;
}

}  // namespace

int RunTermCommand(const TermRequest& request, CommSettings& settings, SerialPorts& ports,
                   Interaction& ui, TerminalWindow& window, std::string* output) {
  FileAnswering answering(ui, request.file);
  ThreadedEventLoop loop;
  TerminalSession session(loop, ports, answering, window, settings);
  if (request.stored) session.SaveOnlyFoundRate(*request.stored);
  session.Start();
  bool needsRecorder = request.kind != TermRequest::kCapture && request.kind != TermRequest::kStop;
  if (!settings.portOpen || (needsRecorder && !ConnectAndSettle(loop, session))) {
    loop.Shutdown();
    session.link().ReleaseAll();
    return 1;
  }
  int rc = RunExchange(request, loop, session, ui, output);
  loop.RunPending();  // posted work (a failure box) still shows
  loop.Shutdown();
  session.End(false);
  return rc;
}

int RunInteractiveTerminal(CommSettings& settings, SerialPorts& ports, Interaction& ui,
                           TerminalWindow& window, int (*nextKey)(void*), void* context) {
  ThreadedEventLoop loop;
  TerminalSession session(loop, ports, ui, window, settings);
  session.Start();
  if (!settings.portOpen) {
    loop.Shutdown();
    return 1;
  }
  bool quit = false;
  loop.SetTimer(9003, 50);
  loop.SetTimerHandler([&](int id) {
    if (id != 9003) return session.OnTimer(id);
    int key;
    while ((key = nextKey(context)) >= 0) {
      if (key == 0x1D) {  // Ctrl-]
        quit = true;
        return;
      }
      session.TypeChar(static_cast<char>(key));
    }
    if (key == -2) quit = true;  // end of input
  });
  loop.Run([&] { return quit; });
  loop.Shutdown();
  session.End(false);
  return 0;
}

}  // namespace tidora
