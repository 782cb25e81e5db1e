#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <filesystem>
#include <thread>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTest>

#include "platform/ui/dialog_builder.h"
#include "platform/ui/help_browser.h"
#include "platform/ui/tests/gui_test_support.h"
#include "sim/pty_recorder.h"
#include "terminal/tests/harness.h"
#include "terminal/ui/quaylink_window.h"

namespace tidora::testing {
namespace {

using namespace tidora::ui;

// Answers the Save dialogs with prepared names and keeps every box and status text.
class TestInteraction : public QtInteraction {
 public:
  std::vector<std::string> files, boxes, statuses;
  std::vector<std::string> ChooseFiles(const FileRequest&) override {
    if (files.empty()) return {};
    std::string f = files.front();
    files.erase(files.begin());
    return {f};
  }
  MsgAnswer Message(const std::string& text, const std::string&, MsgIcon, MsgButtons) override {
    boxes.push_back(text);
    return MsgAnswer::Ok;
  }
  void Status(const std::string& text) override {
    statuses.push_back(text);
    QtInteraction::Status(text);
  }
};

// The window, recording every menu form it is switched to.
class TestWindow : public QuaylinkWindow {
 public:
  using QuaylinkWindow::QuaylinkWindow;
  void SetMenu(MenuForm form) override {
    forms.push_back(form);
    QuaylinkWindow::SetMenu(form);
  }
  std::vector<MenuForm> forms;
};

bool Enabled(QObject* w, int command) {
  return findCommand(w, command)->isEnabled();
}
void ExpectMenu(QuaylinkWindow& w, MenuForm form) {
  MenuItems m = MenuItemsFor(form);
  EXPECT_EQ(Enabled(&w, ID_CONNECT), m.connect);
  EXPECT_EQ(Enabled(&w, ID_CONFIGURE), m.configure);
  EXPECT_EQ(Enabled(&w, ID_STATUS), m.status);
  EXPECT_EQ(Enabled(&w, ID_UPLOAD), m.upload);
  EXPECT_EQ(Enabled(&w, ID_DIAGNOSTIC), m.diagnostic);
  EXPECT_EQ(Enabled(&w, ID_STOP), m.stop);
  EXPECT_TRUE(Enabled(&w, ID_FILE_EXIT));
  EXPECT_TRUE(Enabled(&w, ID_HELP_ABOUT));
}

struct Rig {
  explicit Rig(sim::RecorderSetup setup, bool plus = true) : rec(std::move(setup)) {
    EnsureApplication();
    started = rec.Start();
    s.settingsPath = home.file("QuaylinkW.ini");
    if (plus) {
      s.SetInstrumentType("TGR41plus");
      s.modelName = "TGR41plus";
    }
    table.SetDevice(0, rec.devicePath());
    ports = std::make_unique<PosixSerialPorts>(table);
    window = std::make_unique<TestWindow>(s, *ports, ui, 3000);
    window->show();
    window->Start();
  }
  ~Rig() {
    window->close();
    rec.Stop();
  }
  TerminalSession& session() { return window->session(); }
  QString Part(int i) { return window->statusPart(i)->text(); }
  bool Idle() { return session().state() == kIdle && !session().uploading(); }
  bool Saw(MenuForm f) {
    return std::find(window->forms.begin(), window->forms.end(), f) != window->forms.end();
  }
  void Settle() { QTest::qWait(700); }  // a late prompt of the wake-up passes

  TempHome home;
  sim::PtyRecorder rec;
  bool started = false;
  CommSettings s;
  PortDeviceTable table;
  std::unique_ptr<PosixSerialPorts> ports;
  TestInteraction ui;
  std::unique_ptr<TestWindow> window;
};

TEST(QuaylinkWindow, ConnectsShowsStatusCoefficientsAndSetsTheClockThroughTheMenus) {
  auto setup = Tgr41plusSetup(12, 8);
  Rig rig(setup);
  ASSERT_TRUE(rig.started);
  TestWindow& w = *rig.window;
  EXPECT_EQ(w.windowTitle(), "QuaylinkW");
  EXPECT_EQ(rig.Part(0), "Ready");
  EXPECT_EQ(rig.Part(2), "TGR41plus");
  EXPECT_EQ(rig.Part(3), "COM1, 9600, 8, 1, N");
  ExpectMenu(w, MenuForm::kIdle);

  findCommand(&w, ID_CONNECT)->trigger();
  ASSERT_TRUE(WaitFor(
      [&] { return rig.session().connectOutcome() != Outcome::kRunning && rig.Idle(); }, 20000));
  EXPECT_EQ(rig.session().connectOutcome(), Outcome::kSucceeded);
  EXPECT_EQ(rig.Part(0), "Connected");
  ExpectMenu(w, MenuForm::kIdle);
  EXPECT_FALSE(w.terminal()->toPlainText().contains('\r'));
  rig.Settle();

  w.forms.clear();
  findCommand(&w, ID_STATUS)->trigger();
  EXPECT_EQ(w.menuForm(), MenuForm::kBusyWithoutStop);
  ExpectMenu(w, MenuForm::kBusyWithoutStop);
  ASSERT_TRUE(WaitFor(
      [&] { return rig.session().statusOutcome() != Outcome::kRunning && rig.Idle(); }, 20000));
  EXPECT_EQ(rig.session().statusOutcome(), Outcome::kSucceeded);
  ExpectMenu(w, MenuForm::kIdle);
  EXPECT_TRUE(rig.Saw(MenuForm::kBusyWithoutStop));
  EXPECT_EQ(rig.Part(2).toStdString(), rig.session().info().modelText);
  EXPECT_FALSE(rig.Part(2).isEmpty());
  EXPECT_TRUE(w.terminal()->toPlainText().contains("measurements = 12\n"));

  findCommand(&w, ID_COEFFICIENTS)->trigger();
  ExpectMenu(w, MenuForm::kBusyWithoutStop);
  ASSERT_TRUE(
      WaitFor([&] { return rig.session().coefficientOutcome() != Outcome::kRunning && rig.Idle(); },
              20000));
  EXPECT_EQ(rig.session().coefficientOutcome(), Outcome::kSucceeded);
  EXPECT_TRUE(w.terminal()->toPlainText().contains("PA0 = 1.234567e+00"));
  ExpectMenu(w, MenuForm::kIdle);

  // The DateTime dialog stays open while the clock is set and follows the exchange.
  QString finalStatus;
  bool busyWhileSetting = false;
  HandleNextModal([&](QWidget* dialog) {
    EXPECT_EQ(dialog->windowTitle(), "DateTime");
    auto* status = findControl<QLineEdit>(dialog, IDC_EDIT_DATETIME_STATUS);
    EXPECT_EQ(status->text(), "Waiting for user selection");
    findControl<QPushButton>(dialog, IDC_BUTTON_SET_UTC_TIME)->click();
    busyWhileSetting = w.menuForm() == MenuForm::kBusyWithoutStop;
    WaitFor([&] { return rig.session().clockOutcome() != Outcome::kRunning && rig.Idle(); }, 20000);
    finalStatus = status->text();
    findControl<QPushButton>(dialog, IDC_BUTTON_EXIT)->click();
  });
  findCommand(&w, ID_DATETIME)->trigger();
  EXPECT_TRUE(busyWhileSetting);
  EXPECT_EQ(rig.session().clockOutcome(), Outcome::kSucceeded);
  EXPECT_EQ(finalStatus, "success");
  EXPECT_EQ(rig.Part(0), "date and time set to UTC time");
  EXPECT_EQ(rig.rec.clockSetTo().size(), 14u);
  ExpectMenu(w, MenuForm::kIdle);

  // Typed keys reach the recorder; what appears is its echo and its answer.
  rig.Settle();
  QTest::keyClicks(w.terminal(), "DS");
  QTest::keyClick(w.terminal(), Qt::Key_Return);
  EXPECT_TRUE(WaitFor(
      [&] {
        return w.terminal()->toPlainText().endsWith(
                   "DS\nTGR 41plus V 6.2  SN 00417\nsamples = 8\nmeasurements = 12\nbursts = "
                   "1\nlogdata = NO\nconductivity = NO\nS>") ||
               w.terminal()->toPlainText().count("measurements = 12") >= 3;
      },
      10000))
      << w.terminal()->toPlainText().right(300).toStdString();
  EXPECT_LE(w.terminal()->count(), w.terminal()->threshold());
}

TEST(QuaylinkWindow, UploadsInAsciiAndBinaryForm) {
  auto setup = Tgr41plusSetup(40, 16);
  setup.rate = 38400;
  Rig rig(setup);
  ASSERT_TRUE(rig.started);
  TestWindow& w = *rig.window;
  rig.s.baud = rig.s.baud41plus = 38400;
  rig.s.uploadBinary = 0;
  rig.session().link().OpenPort();
  EXPECT_EQ(rig.Part(3), "COM1, 38400, 8, 1, N");

  std::string ascii = rig.home.file("ascii.hex");
  rig.ui.files = {ascii};
  bool sawBusy = false;
  findCommand(&w, ID_UPLOAD)->trigger();
  ASSERT_TRUE(WaitFor(
      [&] {
        if (rig.session().state() == kAsciiUpload) {
          sawBusy = sawBusy || (w.menuForm() == MenuForm::kBusy && Enabled(&w, ID_STOP));
        }
        return rig.session().uploadOutcome() != Outcome::kRunning && rig.Idle();
      },
      30000));
  EXPECT_TRUE(sawBusy);
  EXPECT_EQ(rig.session().uploadOutcome(), Outcome::kSucceeded) << rig.Part(0).toStdString();
  EXPECT_EQ(rig.Part(0), "Finished Upload");
  ExpectMenu(w, MenuForm::kIdle);
  std::string text = ReadFile(ascii);
  EXPECT_NE(text.find("DD\r\n" + Join(setup.dumpLines) + "S>"), std::string::npos);
  // The terminal area kept its newest text within the threshold through the dump.
  EXPECT_LE(w.terminal()->toPlainText().size(), w.terminal()->threshold() + 10);
  EXPECT_TRUE(w.terminal()->toPlainText().endsWith("S>"));

  // Binary at the highest rate through the Configure dialog.
  rig.Settle();
  HandleNextModal([&](QWidget* dialog) {
    auto* binary = findControl<QCheckBox>(dialog, IDC_CHECK_BINARY);
    binary->click();
    auto* upload = findControl<QComboBox>(dialog, IDC_COMBO_UPLOAD_BAUD);
    upload->setCurrentIndex(upload->findText("115200"));
    findControl<QPushButton>(dialog, IDOK)->click();
  });
  findCommand(&w, ID_CONFIGURE)->trigger();
  EXPECT_EQ(rig.s.uploadBinary, 1);
  EXPECT_EQ(rig.s.uploadBaud, 115200);
  EXPECT_NE(ReadFile(rig.s.settingsPath).find("upload binary=1\n"), std::string::npos);
  std::string binary = rig.home.file("binary.hex");
  rig.ui.files = {binary};
  findCommand(&w, ID_UPLOAD)->trigger();
  ASSERT_TRUE(WaitFor(
      [&] { return rig.session().uploadOutcome() != Outcome::kRunning && rig.Idle(); }, 30000));
  EXPECT_EQ(rig.session().uploadOutcome(), Outcome::kSucceeded) << rig.Part(0).toStdString();
  EXPECT_EQ(rig.Part(0), "Upload completed");
  EXPECT_TRUE(rig.Saw(MenuForm::kBusy));
  ExpectMenu(w, MenuForm::kIdle);
  InstrumentInfo info;
  info.tgr41plus = true;
  EXPECT_NE(ReadFile(binary).find(ImageToHexLines(setup.image.data(), setup.image.size(), info)),
            std::string::npos);
  EXPECT_GT(rig.rec.blocksSent(), 0);
}

TEST(QuaylinkWindow, CapturesAndCollectsDiagnosticsThroughTheMenus) {
  auto setup = Tgr41plusSetup(10, 8);
  Rig rig(setup);
  ASSERT_TRUE(rig.started);
  TestWindow& w = *rig.window;
  QAction* capture = findCommand(&w, ID_CAPTURE);

  // A cancelled Save dialog changes nothing.
  capture->trigger();
  EXPECT_FALSE(capture->isChecked());
  EXPECT_FALSE(rig.session().captureActive());

  std::string cap = rig.home.file("line.cap");
  rig.ui.files = {cap};
  capture->trigger();
  ASSERT_TRUE(rig.session().captureActive());
  EXPECT_TRUE(capture->isChecked());
  EXPECT_FALSE(Enabled(&w, ID_UPLOAD));
  EXPECT_EQ(rig.Part(0), "Capturing data");
  findCommand(&w, ID_CONNECT)->trigger();
  ASSERT_TRUE(WaitFor(
      [&] { return rig.session().connectOutcome() != Outcome::kRunning && rig.Idle(); }, 20000));
  EXPECT_EQ(rig.session().connectOutcome(), Outcome::kSucceeded);
  rig.Settle();
  EXPECT_FALSE(Enabled(&w, ID_UPLOAD));
  findCommand(&w, ID_STATUS)->trigger();
  ASSERT_TRUE(WaitFor(
      [&] { return rig.session().statusOutcome() != Outcome::kRunning && rig.Idle(); }, 20000));
  EXPECT_TRUE(Enabled(&w, ID_UPLOAD));  // the idle form enables it again
  rig.Settle();
  capture->trigger();
  EXPECT_FALSE(capture->isChecked());
  EXPECT_EQ(rig.Part(0), "Capture ended");
  std::string captured = ReadFile(cap);
  EXPECT_NE(captured.find("S>"), std::string::npos);
  EXPECT_NE(captured.find("measurements = 10\r\n"), std::string::npos);

  std::string dia = rig.home.file("diag.dia");
  rig.ui.files = {dia};
  findCommand(&w, ID_DIAGNOSTIC)->trigger();
  EXPECT_EQ(rig.Part(0), "Collecting diagnostic info");
  EXPECT_TRUE(rig.session().diagnosticActive());
  ExpectMenu(w, MenuForm::kBusyWithoutStop);
  ASSERT_TRUE(WaitFor([&] { return !rig.session().diagnosticActive(); }, 30000));
  EXPECT_EQ(rig.Part(0), "Diagnostic completed");
  ExpectMenu(w, MenuForm::kIdle);
  std::string collected = ReadFile(dia);
  EXPECT_NE(collected.find("measurements = 10\r\r\n"), std::string::npos);
  EXPECT_NE(collected.find("PA0 = 1.234567e+00\r\r\n"), std::string::npos);
  auto commands = rig.rec.commands();
  EXPECT_NE(std::find(commands.begin(), commands.end(), "FR"), commands.end());
  EXPECT_TRUE(rig.ui.boxes.empty());
}

// Closing the window (File > Exit, the close button) during an operation ends it as Stop would,
// within a few seconds: the recorder is escaped out of what it sends, an unfinished upload is
// kept only as NAME.partial, and no temporary file stays behind.
int64_t CloseTimed(QuaylinkWindow& w, bool byButton) {
  QElapsedTimer t;
  t.start();
  if (byButton) {
    QCloseEvent close;
    QApplication::sendEvent(&w, &close);
    w.hide();
  } else {
    findCommand(&w, ID_FILE_EXIT)->trigger();
  }
  return t.elapsed();
}

TEST(QuaylinkWindow, ClosingDuringAnUploadEndsItAndKeepsWhatArrivedAsPartial) {
  for (bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "ascii");
    auto setup = Tgr41plusSetup(20000, 16);  // minutes of data at these rates
    Rig rig(setup);
    ASSERT_TRUE(rig.started);
    TestWindow& w = *rig.window;
    rig.s.uploadBinary = binary ? 1 : 0;
    rig.s.uploadBaud = 19200;
    std::string path = rig.home.file("bay.hex");
    rig.ui.files = {path};
    findCommand(&w, ID_UPLOAD)->trigger();
    ASSERT_TRUE(WaitFor(
        [&] {
          return binary ? rig.rec.blocksSent() > 0 && rig.Part(0).startsWith("Binary upload: ")
                        : rig.session().state() == kAsciiUpload;
        },
        30000))
        << rig.Part(0).toStdString();
    QTest::qWait(1500);
    EXPECT_LT(CloseTimed(w, binary), 4000);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(Exists(path));
    std::string kept = ReadFile(path + ".partial");
    EXPECT_EQ(kept.rfind("*Brennic TGR 41plus Data File:\n", 0), 0u);
    if (binary) {  // the data section is written only for a whole image
      EXPECT_EQ(kept.find("\nDD\r\n"), std::string::npos) << kept;
    } else {  // the dump so far, without the prompt that would end it
      EXPECT_NE(kept.find("S>DD\r\n" + setup.dumpLines[0] + "\r\n"), std::string::npos) << kept;
      EXPECT_EQ(kept.find("S>", kept.size() - 2), std::string::npos);
    }
    EXPECT_FALSE(HasUploaderTemp(rig.home.path()));
    EXPECT_EQ(rig.session().uploadOutcome(), Outcome::kFailed);
    // The recorder was told to stop, and nothing reaches the file any more.
    EXPECT_TRUE(WaitFor([&] { return !rig.rec.sending(); }, 3000));
    QTest::qWait(500);
    EXPECT_EQ(ReadFile(path + ".partial"), kept);
    EXPECT_FALSE(Exists(path));
  }
}

TEST(QuaylinkWindow, ClosingDuringCaptureDiagnosticConnectOrClockSettingEndsAtOnce) {
  // Capture: the file holds what was captured and is closed.
  {
    auto setup = Tgr41plusSetup(10, 8);
    Rig rig(setup);
    ASSERT_TRUE(rig.started);
    std::string cap = rig.home.file("line.cap");
    rig.ui.files = {cap};
    findCommand(rig.window.get(), ID_CAPTURE)->trigger();
    findCommand(rig.window.get(), ID_STATUS)->trigger();
    ASSERT_TRUE(WaitFor([&] { return rig.session().statusOutcome() != Outcome::kRunning; }, 20000));
    EXPECT_LT(CloseTimed(*rig.window, true), 2000);
    EXPECT_FALSE(rig.session().captureActive());
    EXPECT_NE(ReadFile(cap).find("measurements = 10\r\n"), std::string::npos);
  }
  // Diagnostic while the recorder dumps: escaped, and the half file kept only as partial.
  {
    auto setup = Tgr41plusSetup(20000, 8);
    Rig rig(setup);
    ASSERT_TRUE(rig.started);
    std::string dia = rig.home.file("diag.dia");
    rig.ui.files = {dia};
    findCommand(rig.window.get(), ID_DIAGNOSTIC)->trigger();
    ASSERT_TRUE(WaitFor([&] { return rig.session().state() == kDiagnosticDump; }, 30000));
    QTest::qWait(300);
    EXPECT_LT(CloseTimed(*rig.window, false), 2000);
    EXPECT_FALSE(rig.session().diagnosticActive());
    EXPECT_FALSE(Exists(dia));
    EXPECT_NE(ReadFile(dia + ".partial").find("measurements = 20000\r\r\n"), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return !rig.rec.sending(); }, 3000));
  }
  // Connect to a recorder that never answers: the search ends with the window.
  {
    auto setup = Tgr41plusSetup(10, 8);
    setup.faults.silent = true;
    Rig rig(setup);
    ASSERT_TRUE(rig.started);
    findCommand(rig.window.get(), ID_CONNECT)->trigger();
    QTest::qWait(1500);
    ASSERT_EQ(rig.session().state(), kConnecting);
    EXPECT_LT(CloseTimed(*rig.window, true), 2000);
    size_t boxes = rig.ui.boxes.size();
    QTest::qWait(2500);  // no timer of the ended session fires
    EXPECT_EQ(rig.ui.boxes.size(), boxes);
    EXPECT_NE(rig.session().state(), kConnecting);
  }
  // Clock setting: the DateTime dialog goes with the window.
  {
    auto setup = Tgr41plusSetup(10, 8);
    Rig rig(setup);
    ASSERT_TRUE(rig.started);
    int64_t elapsed = -1;
    HandleNextModal([&](QWidget* dialog) {
      findControl<QPushButton>(dialog, IDC_BUTTON_SET_UTC_TIME)->click();
      elapsed = CloseTimed(*rig.window, false);
    });
    QElapsedTimer t;
    t.start();
    findCommand(rig.window.get(), ID_DATETIME)->trigger();
    EXPECT_LT(t.elapsed(), 4000);
    EXPECT_GE(elapsed, 0);
    EXPECT_LT(elapsed, 2000);
    EXPECT_FALSE(rig.window->dateTimeDialog());
    EXPECT_FALSE(rig.window->isVisible());
  }
}

TEST(QuaylinkWindow, PortFailureShowsInTheStatusBarAndTheSettingsAreWrittenAtTheEnd) {
  EnsureApplication();
  TempHome home;
  CommSettings s;
  s.settingsPath = home.file("QuaylinkW.ini");
  s.left = 50;
  s.top = 60;
  s.width = 760;
  s.height = 480;
  PortDeviceTable table;
  table.SetDevice(0, home.file("no-such-device"));
  PosixSerialPorts ports(table);
  TestInteraction ui;
  {
    TestWindow w(s, ports, ui);
    w.show();
    w.Start();
    EXPECT_EQ(w.statusPart(3)->text(), "Port open failed");
    EXPECT_EQ(w.size(), QSize(760, 480));
    findCommand(&w, ID_STATUS)->trigger();
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes.back(), "No port open");

    // Help topics, and the About box from the menu and from Alt+?.
    findCommand(&w, ID_HELP_TOPIC)->trigger();
    auto* help = w.findChild<HelpBrowser*>();
    ASSERT_TRUE(help);
    EXPECT_EQ(help->topic(), kHelpQuaylink);
    EXPECT_TRUE(HasHelpPage(kHelpQuaylinkConfigure) && HasHelpPage(kHelpQuaylinkDateTime));
    HandleNextModal([&](QWidget* dialog) {
      findControl<QPushButton>(dialog, IDC_HELP)->click();
      EXPECT_EQ(help->topic(), kHelpQuaylinkConfigure);
      findControl<QPushButton>(dialog, IDCANCEL)->click();
    });
    findCommand(&w, ID_CONFIGURE)->trigger();
    // The menu item and both accelerators open it.
    std::vector<std::function<void()>> openers = {
        [&] { findCommand(&w, ID_HELP_ABOUT)->trigger(); }};
    for (QShortcut* shortcut : w.findChildren<QShortcut*>()) {
      if (shortcut->key() == QKeySequence("Alt+?") || shortcut->key() == QKeySequence("Alt+/"))
        openers.push_back([shortcut] { Q_EMIT shortcut->activated(); });
    }
    ASSERT_EQ(openers.size(), 3u);
    for (auto& open : openers) {
      QString line, title;
      HandleNextModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        line = findControl<QLabel>(dialog, IDC_ABOUT_LINE)->text();
        findControl<QPushButton>(dialog, IDOK)->click();
      });
      open();
      EXPECT_EQ(title, "Tidora for Waves");
      EXPECT_EQ(line, "Tidora for Waves, QuaylinkW Version 1.13");
    }
    findCommand(&w, ID_FILE_EXIT)->trigger();
  }
  std::string written = ReadFile(s.settingsPath);
  EXPECT_NE(written.find("width=760\n"), std::string::npos) << written;
  EXPECT_NE(written.find("height=480\n"), std::string::npos) << written;
}

// At the default size the whole menu bar shows (nothing in an overflow button) and the status
// parts' texts are not cut, in their order: status, progress, model, port.
TEST(QuaylinkWindow, DefaultSizeShowsTheWholeMenuBarAndUncutStatusTexts) {
  EnsureApplication();
  TempHome home;
  CommSettings s;
  s.settingsPath = home.file("QuaylinkW.ini");
  ASSERT_EQ(s.width, 700);
  PortDeviceTable table;
  table.SetDevice(0, home.file("no-such-device"));
  PosixSerialPorts ports(table);
  TestInteraction ui;
  TestWindow w(s, ports, ui);
  w.show();
  w.statusPart(0)->setText("Uploaded 4300 scans Errors: 0");
  w.statusPart(2)->setText("TGR 41plus V 6.2");
  w.statusPart(3)->setText("COM14, 115200, 8, 1, N");
  QApplication::processEvents();
  QMenuBar* bar = w.menuBar();
  for (QAction* a : bar->actions()) {
    QRect r = bar->actionGeometry(a);
    EXPECT_TRUE(!r.isEmpty() && bar->rect().contains(r)) << a->text().toStdString();
  }
  auto* overflow = bar->findChild<QWidget*>("qt_menubar_ext_button");
  EXPECT_TRUE(!overflow || !overflow->isVisible());
  int right = 0;
  for (QWidget* part : std::initializer_list<QWidget*>{w.statusPart(0), w.progress(),
                                                       w.statusPart(2), w.statusPart(3)}) {
    EXPECT_GE(part->x(), right);  // in order, side by side
    right = part->x() + part->width();
    EXPECT_LE(right, w.statusBar()->width());
    if (auto* label = qobject_cast<QLabel*>(part)) {
      EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
    }
  }
}

TEST(QuaylinkProgram, StandsBesideTheLauncherThatStartsIt) {
  std::string out;
  // The launcher starts QuaylinkW from its own folder.
  EXPECT_TRUE(std::filesystem::exists(ProgramPath("TidoraLaunch")));
  EXPECT_TRUE(std::filesystem::exists(ProgramPath("QuaylinkW")));
  EXPECT_EQ(RunCommand(ProgramPath("QuaylinkW") + " --help", &out), 0);
  EXPECT_NE(out.find("Usage: QuaylinkW"), std::string::npos);
}

}  // namespace
}  // namespace tidora::testing
