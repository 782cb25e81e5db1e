// Pictures of QuaylinkW's window and dialogs, rendered with a simulated recorder served on a
// pseudo-terminal. A build tool for `make screenshots`: the shipped terminal carries no
// simulated recorder.
#include <QApplication>
#include <QElapsedTimer>
#include <QMenuBar>
#include <cstdio>
#include <cstring>

#include "platform/settings_dir.h"
#include "platform/ui/about_box.h"
#include "platform/ui/numeric_locale.h"
#include "platform/ui/screenshot.h"
#include "sim/pty_recorder.h"
#include "sim/recorder.h"
#include "sim/recorder_setup.h"
#include "terminal/ui/quaylink_window.h"

namespace {

using namespace tidora;
using namespace tidora::ui;

// Saves the window while it uploads a simulated recorder, and the Configure and DateTime
// dialogs, then quits. Needs no recorder: one is served on a pseudo-terminal.
class ScreenshotInteraction : public QtInteraction {
 public:
  std::string file;
  std::vector<std::string> ChooseFiles(const FileRequest&) override { return {file}; }
  MsgAnswer Message(const std::string& text, const std::string&, MsgIcon, MsgButtons) override {
    std::fprintf(stderr, "QuaylinkW: %s\n", text.c_str());
    return MsgAnswer::Ok;
  }
};

void Wait(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

int TakeScreenshots(const QString& dir) {
  sim::Options o;
  o.family = sim::Family::kTgr41plus;
  o.tideSamples = 192;
  o.burstEvery = 4;
  o.samplesPerBurst = 512;
  sim::RecorderSetup setup = sim::SetupFor(sim::Simulate(o));
  setup.rate = 38400;
  sim::PtyRecorder recorder(setup);
  std::string error;
  if (!recorder.Start(&error)) {
    std::fprintf(stderr, "QuaylinkW: no pseudo-terminal for the recorder: %s\n", error.c_str());
    return 1;
  }
  CommSettings s;
  s.settingsPath = SettingsFile("QuaylinkW.ini");
  s.SetInstrumentType("TGR41plus");
  s.modelName = "TGR41plus";
  s.uploadBinary = 0;
  s.baud = s.baud41plus = 38400;
  PortDeviceTable table;
  table.SetDevice(0, recorder.devicePath());
  PosixSerialPorts ports(table);
  ScreenshotInteraction ui;
  ui.file = (dir + "/quaylinkw-screenshot.hex").toStdString();
  QuaylinkWindow window(s, ports, ui);
  window.show();
  window.Start();
  int failures = 0;
  TerminalSession& session = window.session();
  session.Connect();
  Wait([&] { return session.connectOutcome() != Outcome::kRunning && session.state() == kIdle; },
       20000);
  Wait([] { return false; }, 700);
  session.Upload();
  // Part of the way into the dump, so the progress and the scrolling text show.
  Wait(
      [&] {
        QProgressBar* p = window.progress();
        return (session.state() == kAsciiUpload &&
                p->value() - p->minimum() > (p->maximum() - p->minimum()) / 3) ||
               session.uploadOutcome() != Outcome::kRunning;
      },
      60000);
  failures += !SaveScreenshot(GrabWindow(&window), dir, "quaylinkw_upload");
  session.Stop();
  Wait([&] { return session.state() == kIdle && !session.uploading(); }, 20000);

  auto shootModal = [&](QDialog* dialog, const char* name) {
    failures += !SaveWindowScreenshot(dialog, dir, name);
    dialog->close();
  };
  ConfigureDialog configure(s, &window);
  shootModal(&configure, "quaylinkw_configure");
  DateTimeDialog dateTime([](bool) {}, &window);
  shootModal(&dateTime, "quaylinkw_datetime");
  window.close();
  recorder.Stop();
  // The stopped upload kept what it received as partial: neither file is a picture.
  std::remove(ui.file.c_str());
  std::remove(PartialFile::PartialName(ui.file).c_str());
  return ScreenshotsExitStatus("QuaylinkW", failures, dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "Usage: quaylinkw_screenshots DIR\n"
                 "  Saves pictures of QuaylinkW's window during an upload from a simulated\n"
                 "  recorder and of its dialogs into DIR.\n");
    return argc == 2 ? 0 : 2;
  }
  QApplication app(argc, argv);
  tidora::ui::KeepCNumericLocale();
  app.setApplicationName(kWindowTitle);
  app.setWindowIcon(AppIcon());
  return TakeScreenshots(QString::fromLocal8Bit(argv[1]));
}
