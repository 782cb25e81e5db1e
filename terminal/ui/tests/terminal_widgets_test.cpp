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

std::vector<long> Items(QComboBox* box) {
  std::vector<long> v;
  for (int i = 0; i < box->count(); ++i) v.push_back(box->itemText(i).toLong());
  return v;
}
long Selected(QComboBox* box) {
  return box->currentText().toLong();
}

TEST(QtEventLoop, ReceptionThreadCallsRunOnTheWindowThreadAndEndWithoutWaitingForIt) {
  EnsureApplication();
  auto loop = std::make_unique<QtEventLoop>();
  std::atomic<int> rounds{0}, ranOnGui{0}, returned{0};
  loop->StartPoller(
      [&] {
        if (rounds++ < 3) {
          loop->Send([&] { ranOnGui += QThread::currentThread() == qApp->thread(); });
          ++returned;  // a synchronous call returns only after it has run
          EXPECT_EQ(returned.load(), ranOnGui.load());
        }
      },
      5);
  ASSERT_TRUE(WaitFor([&] { return returned == 3; }, 5000));
  EXPECT_EQ(ranOnGui, 3);
  // A call the window thread never gets to is abandoned when the loop ends.
  std::atomic<bool> waiting{false};
  auto blocked = std::make_unique<QtEventLoop>();
  blocked->StartPoller(
      [&] {
        if (!waiting.exchange(true)) blocked->Send([] {});
      },
      5);
  while (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  blocked->Shutdown();  // returns although the GUI thread never ran the call
  loop->SetTimerHandler([&](int id) {
    if (id == 7) loop->KillTimer(7);
  });
  loop->SetTimer(7, 10);
  EXPECT_TRUE(loop->TimerActive(7));
  EXPECT_TRUE(WaitFor([&] { return !loop->TimerActive(7); }, 2000));
}

TEST(ConfigureDialog, FamilySwitchRestoresTheRatesAndBinaryBoxSwitchesTheUploadList) {
  EnsureApplication();
  CommSettings s;
  s.SetInstrumentType("TGR41plus");
  s.baud = 19200;
  s.baud41plus = 19200;
  s.uploadBinary = 1;
  s.uploadBaud41plus = 115200;
  s.uploadBaud41 = 38400;
  s.port = 3;
  ConfigureDialog dialog(s);
  std::vector<std::string> models;
  dialog.onModel = [&](const std::string& m) { models.push_back(m); };
  auto* rate = findControl<QComboBox>(&dialog, IDC_COMBO_BAUD);
  auto* upload = findControl<QComboBox>(&dialog, IDC_COMBO_UPLOAD_BAUD);
  auto* binary = findControl<QCheckBox>(&dialog, IDC_CHECK_BINARY);
  ASSERT_TRUE(rate && upload && binary);
  EXPECT_EQ(dialog.windowTitle(), "QuaylinkW Configuration");
  EXPECT_EQ(findControl<QComboBox>(&dialog, IDC_COMBO_PORT)->currentText(), "COM4");
  EXPECT_EQ(Selected(rate), 19200);
  EXPECT_EQ(Items(upload).size(), 9u);
  EXPECT_EQ(Selected(upload), 115200);
  EXPECT_TRUE(binary->isChecked() && binary->isEnabled() && upload->isEnabled());

  // Another upload rate, then over to the TGR 41 and back.
  upload->setCurrentIndex(upload->findText("57600"));
  rate->setCurrentIndex(rate->findText("38400"));
  findControl<QRadioButton>(&dialog, IDC_RADIO_TGR41)->click();
  EXPECT_EQ(Selected(rate), 9600);
  EXPECT_FALSE(rate->isEnabled());
  EXPECT_EQ(Items(upload), (std::vector<long>{9600, 19200, 38400}));
  EXPECT_EQ(Selected(upload), 38400);
  EXPECT_FALSE(binary->isEnabled());
  findControl<QRadioButton>(&dialog, IDC_RADIO_TGR41PLUS)->click();
  EXPECT_EQ(Selected(rate), 38400);
  EXPECT_TRUE(rate->isEnabled());
  EXPECT_EQ(Items(upload).size(), 9u);
  EXPECT_EQ(Selected(upload), 57600);
  EXPECT_EQ(models, (std::vector<std::string>{"TGR41", "TGR41plus"}));

  // Binary off: the upload follows the normal rate list; on again: the kept binary rate.
  binary->click();
  EXPECT_EQ(Items(upload), std::vector<long>(kNormalRates.begin(), kNormalRates.end()));
  EXPECT_EQ(Selected(upload), 38400);
  EXPECT_FALSE(upload->isEnabled());
  rate->setCurrentIndex(rate->findText("4800"));
  EXPECT_EQ(Selected(upload), 4800);
  binary->click();
  EXPECT_EQ(Selected(upload), 57600);
  EXPECT_TRUE(upload->isEnabled());
  CommSettings out = dialog.model().Ok();
  EXPECT_EQ(out.baud, 4800);
  EXPECT_EQ(out.uploadBaud, 57600);
  EXPECT_EQ(out.port, 3);
  EXPECT_EQ(out.uploadBinary, 1);
}

TEST(TerminalArea, ALongStreamStaysWithinTheThreshold) {
  EnsureApplication();
  TerminalArea area(nullptr, 80);  // threshold 70
  int longest = 0;                 // however many trims there were
  for (int i = 0; i < 2000; ++i) {
    area.ShowChar(static_cast<char>('a' + i % 26));
    longest = std::max(longest, static_cast<int>(area.toPlainText().size()));
  }
  EXPECT_LE(longest, area.threshold());
  EXPECT_TRUE(area.toPlainText().endsWith(QChar('a' + 1999 % 26)));
}

TEST(TerminalArea, ShowsReceivedTextTrimsTheOlderHalfAndKeepsTheCaretAtTheEnd) {
  EnsureApplication();
  TerminalArea area(nullptr, 80);  // threshold 70
  ASSERT_EQ(area.threshold(), 70);
  std::string typed;
  area.SetKeyHandler([&](char c) { typed += c; });
  area.show();
  QTest::keyClicks(&area, "ds");
  QTest::keyClick(&area, Qt::Key_Return);
  QTest::keyClick(&area, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(typed, std::string("ds\r\x19"));
  EXPECT_TRUE(area.toPlainText().isEmpty());  // typed keys are not shown

  for (char c : {'\x19', '^', 'Y', '\n'}) area.ShowChar(c);  // as the session hands on control-Y
  EXPECT_EQ(area.toPlainText(), "^Y\n");
  std::string all = "^Y\n";
  for (int i = 0; i < 200; ++i) {
    char c = static_cast<char>('a' + i % 26);
    area.ShowChar(c);
    all += c;
    ASSERT_LE(area.count(), 70);
  }
  std::string shown = area.toPlainText().toStdString();
  EXPECT_LE(shown.size(), 70u);
  EXPECT_GE(shown.size(), 35u);
  EXPECT_EQ(all.substr(all.size() - shown.size()), shown);  // the newest text, whole
  EXPECT_EQ(area.textCursor().position(), static_cast<int>(shown.size()));

  // A click puts the caret in the text; the next character still goes to the end.
  QTest::mouseClick(area.viewport(), Qt::LeftButton, {}, QPoint(2, 2));
  area.ShowChar('Z');
  EXPECT_TRUE(area.toPlainText().endsWith("Z"));
}

// A window on a simulated recorder served on a pseudo-terminal, as COM1.
}  // namespace
}  // namespace tidora::testing
