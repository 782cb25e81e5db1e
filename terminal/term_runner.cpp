#include "terminal/term_runner.h"

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

}  // namespace

int RunTermCommand(const TermRequest& request, CommSettings& settings, SerialPorts& ports,
                   Interaction& ui, TerminalWindow& window, std::string* output) {
  FileAnswering answering(ui, request.file);
  ThreadedEventLoop loop;
  TerminalSession session(loop, ports, answering, window, settings);
  if (request.stored) session.SaveOnlyFoundRate(*request.stored);
  int rc = 1;
  auto idle = [&] { return session.state() == kIdle && !session.uploading(); };
  auto runUntil = [&](const std::function<bool()>& done) { loop.Run(done); };
  // This thread is the window thread: commands are called directly, then the loop runs.
  auto post = [&](const std::function<void()>& fn) { fn(); };

  session.Start();
  if (!settings.portOpen) {
    loop.Shutdown();
    session.link().ReleaseAll();
    return 1;
  }

  bool needsRecorder = request.kind != TermRequest::kCapture && request.kind != TermRequest::kStop;
  if (needsRecorder) {
    post([&] { session.Connect(); });
    runUntil([&] { return Finished(session.connectOutcome()) && idle(); });
    if (session.connectOutcome() != Outcome::kSucceeded) {
      loop.Shutdown();
      session.link().ReleaseAll();
      return 1;
    }
    // A recorder may answer both line ends of a wake-up: let a late prompt pass while idle
    // before the next exchange begins.
    bool settled = false;
    loop.SetTimer(9001, 600);
    loop.SetTimerHandler([&](int id) {
      if (id == 9001) {
        loop.KillTimer(9001);
        settled = true;
      } else {
        session.OnTimer(id);
      }
    });
    runUntil([&] { return settled; });
    loop.SetTimerHandler([&](int id) { session.OnTimer(id); });
  }

  switch (request.kind) {
    case TermRequest::kConnect:
      rc = 0;
      break;
    case TermRequest::kStatus:
      post([&] { session.StatusCommand(); });
      runUntil([&] { return Finished(session.statusOutcome()) && idle(); });
      rc = session.statusOutcome() == Outcome::kSucceeded ? 0 : 1;
      if (rc == 0 && output) *output = Unmarked(session.statusText());
      break;
    case TermRequest::kCoefficients:
      post([&] { session.CoefficientsCommand(); });
      runUntil([&] { return Finished(session.coefficientOutcome()) && idle(); });
      rc = session.coefficientOutcome() == Outcome::kSucceeded ? 0 : 1;
      if (rc == 0 && output) *output = Unmarked(session.coefficientText());
      break;
    case TermRequest::kSetTime:
      post([&] { session.SetDateTime(request.local); });
      runUntil([&] { return Finished(session.clockOutcome()) && idle(); });
      rc = session.clockOutcome() == Outcome::kSucceeded ? 0 : 1;
      break;
    case TermRequest::kUpload:
      post([&] { session.Upload(); });
      runUntil([&] { return Finished(session.uploadOutcome()) && idle(); });
      rc = session.uploadOutcome() == Outcome::kSucceeded ? 0 : 1;
      break;
    case TermRequest::kDiagnostic:
      post([&] { session.Diagnostic(); });
      runUntil([&] {
        return session.diagnosticOutcome() != Outcome::kRunning ||
               (!session.diagnosticActive() && idle()) ||
               (session.state() == kIdle && (session.statusOutcome() == Outcome::kFailed ||
                                             session.coefficientOutcome() == Outcome::kFailed));
      });
      rc = session.diagnosticOutcome() == Outcome::kSucceeded ? 0 : 1;
      if (session.diagnosticActive()) post([&] { session.Diagnostic(); });
      break;
    case TermRequest::kCapture: {
      session.Capture();
      if (!session.captureActive()) break;
      bool over = false;
      loop.SetTimer(9002, std::max(1, request.seconds) * 1000);
      loop.SetTimerHandler([&](int id) {
        if (id == 9002) {
          loop.KillTimer(9002);
          over = true;
        } else {
          session.OnTimer(id);
        }
      });
      runUntil([&] { return over || !session.captureActive(); });
      bool failed = !session.captureActive();  // ended by a write failure
      if (!failed) post([&] { session.Capture(); });
      runUntil([&] { return !session.captureActive(); });
      rc = failed ? 1 : 0;
      break;
    }
    case TermRequest::kStop:
      post([&] { session.Stop(); });
      runUntil([&] { return Finished(session.stopOutcome()) && session.state() == kIdle; });
      rc = session.stopOutcome() == Outcome::kSucceeded ? 0 : 1;
      // Without a window's idle menu to show it, the failure is said in words.
      if (rc != 0)
        ui.Status(
            "No prompt after five escapes: the recorder is asleep or idle (nothing to stop), or "
            "not connected");
      break;
  }
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
