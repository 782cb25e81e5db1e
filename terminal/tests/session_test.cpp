#include <gtest/gtest.h>

#include "platform/profile.h"
#include "terminal/tests/harness.h"
#include "testing/scripted_interaction.h"

namespace tidora::testing {
namespace {

using Session = SessionFixture;

std::vector<int64_t> TimesOf(const std::vector<sim::VirtualSerialPorts::Sent>& sent, uint8_t c) {
  std::vector<int64_t> out;
  for (auto& s : sent)
    if (s.c == c) out.push_back(s.ms);
  return out;
}

TEST_F(Session, SilentTgr41GetsFourAttemptsThenFailedToConnect) {
  auto setup = Tgr41Setup({"0102"});
  setup.faults.silent = true;
  Begin(setup, "TGR41");
  int64_t t0 = loop.NowMs();
  session->Connect();
  loop.RunFor(10000);
  EXPECT_EQ(session->connectOutcome(), Outcome::kFailed);
  EXPECT_EQ(ui.LastStatus(), "Failed to Connect");
  int lastPos = -1;
  for (auto& r : ui.Records())
    if (r.kind == ScriptedInteraction::Record::kProgressPos) lastPos = r.a;
  EXPECT_EQ(lastPos, 0);
  // Each attempt: "\n\r", 400 ms, "\n\r"; attempts about one second apart.
  auto lfs = TimesOf(ports.sent(0), '\n');
  ASSERT_EQ(lfs.size(), 8u);
  for (int a = 0; a < 4; ++a) {
    EXPECT_NEAR(lfs[2 * a + 1] - lfs[2 * a], 440, 5);
    if (a > 0) {
      EXPECT_NEAR(lfs[2 * a] - lfs[2 * a - 2], 1040, 10) << a;
    }
  }
  EXPECT_LT(lfs.back() - t0, 6000);
}

TEST_F(Session, RateSearchFindsTheOnlyRateAndRewritesTheSettings) {
  auto setup = Tgr41plusSetup();
  setup.rate = 2400;
  settings.baud = settings.baud41plus = 9600;
  Begin(setup, "TGR41plus", 9600);
  session->Connect();
  ASSERT_TRUE(loop.RunUntil([&] { return session->connectOutcome() != Outcome::kRunning; }, 60000));
  EXPECT_EQ(session->connectOutcome(), Outcome::kSucceeded);
  EXPECT_EQ(ui.LastStatus(), "Connected");
  std::vector<long> rates;
  for (auto& s : ports.settings(0)) rates.push_back(s.rate);
  // Opened at 9600, then each further rate in turn until the recorder answers.
  EXPECT_EQ(rates, (std::vector<long>{9600, 19200, 38400, 600, 1200, 2400}));
  // Three attempts at each rate before the next.
  auto lfs = TimesOf(ports.sent(0), '\n');
  EXPECT_GE(lfs.size(), 2u * 15);
  std::string ini = ReadFile(settings.settingsPath);
  EXPECT_NE(ini.find("baud for 41 plus=2400\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("top=40\nleft=30\nwidth=800\nheight=500\n"), std::string::npos);
}

TEST_F(Session, RateSearchThatComesRoundFails) {
  auto setup = Tgr41plusSetup();
  setup.faults.silent = true;
  Begin(setup, "TGR41plus");
  settings.baud41plus = 4800;
  session->Connect();
  loop.RunFor(40000);
  EXPECT_EQ(session->connectOutcome(), Outcome::kFailed);
  EXPECT_EQ(ui.LastStatus(), "Failed to Connect");
  EXPECT_EQ(TimesOf(ports.sent(0), '\n').size(), 2u * 21);
}

TEST_F(Session, StopWithoutRecorderSendsFiveEscapesThenIdle) {
  Begin(Tgr41Setup({"01"}), "TGR41");
  ports.Attach(0, nullptr);
  session->Stop();
  EXPECT_EQ(session->state(), kStopping);
  loop.RunFor(3000);
  EXPECT_EQ(session->state(), kIdle);
  auto esc = TimesOf(ports.sent(0), 27);
  ASSERT_EQ(esc.size(), 5u);
  for (size_t i = 1; i < esc.size(); ++i) EXPECT_EQ(esc[i] - esc[i - 1], 200);
  // Nothing answered: said, not only shown by the idle menu.
  EXPECT_EQ(ui.StatusTexts(), std::vector<std::string>{"Stop: recorder did not answer"});
  EXPECT_EQ(window.menus.back(), MenuForm::kIdle);
}

TEST_F(Session, StopWithRecorderEndsAtItsPrompt) {
  Begin(Tgr41plusSetup(), "TGR41plus");
  session->Connect();
  ASSERT_TRUE(Idle());
  session->Stop();
  ASSERT_TRUE(Idle());
  EXPECT_EQ(ui.LastStatus(), "Stopped");
  EXPECT_EQ(session->stopOutcome(), Outcome::kSucceeded);
}

TEST_F(Session, StatusAndCoefficientsAreKeptWithTheirMarks) {
  Begin(Tgr41plusSetup(20, 8), "TGR41plus");
  session->StatusCommand();
  EXPECT_EQ(window.menus.back(), MenuForm::kBusyWithoutStop);
  ASSERT_TRUE(Idle());
  EXPECT_EQ(session->statusOutcome(), Outcome::kSucceeded);
  EXPECT_EQ(session->statusText(),
            "*DS\r\n*TGR 41plus V 6.2  SN 00417\r\n*samples = 8\r\n*measurements = 20\r\n"
            "*bursts = 1\r\n*logdata = NO\r\n*conductivity = NO\r\n*S>");
  EXPECT_EQ(window.parts[2], "TGR41plus V 6.2");
  EXPECT_EQ(session->info().measurements, 20);
  session->CoefficientsCommand();
  ASSERT_TRUE(Idle());
  EXPECT_EQ(session->coefficientText().substr(0, 28), "DC\r\n*pressure coefficients:\r");
  EXPECT_EQ(session->coefficientText().substr(session->coefficientText().size() - 3), "*S>");
  // Replies are shown too, without carriage returns.
  EXPECT_NE(window.text.text().find("samples = 8\n"), std::string::npos);
  EXPECT_EQ(window.text.text().find('\r'), std::string::npos);
}

TEST_F(Session, RecorderAnsweringBothLineEndsDoesNotCutTheReply) {
  auto setup = Tgr41plusSetup(20, 8);
  setup.faults.answerBothLineEnds = true;
  Begin(setup, "TGR41plus");
  session->StatusCommand();
  ASSERT_TRUE(Idle());
  EXPECT_EQ(session->statusText().substr(0, 6), "*DS\r\n*");
  EXPECT_EQ(session->info().measurements, 20);
  session->CoefficientsCommand();
  ASSERT_TRUE(Idle());
  EXPECT_EQ(session->coefficientText().substr(0, 4), "DC\r\n");
}

TEST_F(Session, TimeOutsOfStatusAndCoefficients) {
  auto setup = Tgr41plusSetup();
  setup.faults.silent = true;
  Begin(setup, "TGR41plus");
  session->StatusCommand();
  loop.RunFor(2100);
  EXPECT_EQ(session->state(), kIdle);
  EXPECT_TRUE(Boxes().empty());  // the status sequence is quiet unless uploading
  session->CoefficientsCommand();
  loop.RunFor(2100);
  EXPECT_EQ(session->state(), kIdle);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Instrument not responding, click connect"});
  ports.FailInitialise(1, true);
  ui.Clear();
  settings.portOpen = false;
  session->StatusCommand();
  session->Connect();
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"No port open", "No port open"}));
}

TEST_F(Session, OpenPortFallsBackAndReportsFailures) {
  Begin(Tgr41plusSetup(), "TGR41plus");
  EXPECT_EQ(window.parts[3], "COM1, 9600, 8, 1, N");
  ports.SetPresenceCode(4, SerialPorts::kNotPresent);
  settings.previousPort = 0;
  settings.port = 4;
  EXPECT_TRUE(session->link().OpenPort());
  EXPECT_EQ(Boxes(), std::vector<std::string>{"COM 5 not present"});
  EXPECT_EQ(settings.port, 0);
  ui.Clear();
  ports.SetPresenceCode(2, SerialPorts::kInUse);
  ports.FailInitialise(2, true);
  settings.previousPort = 0;
  settings.port = 2;
  EXPECT_FALSE(session->link().OpenPort());
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"COM 3 is in use by another application",
                                               "Port open failed"}));
  EXPECT_EQ(window.parts[3], "Port open failed");
  EXPECT_FALSE(settings.portOpen);
}

TEST_F(Session, ConfigureOpensTheNewPortAndSavesTheSettings) {
  Begin(Tgr41plusSetup(), "TGR41plus");
  CommSettings chosen = settings;
  chosen.port = 2;
  chosen.baud = 19200;
  session->Configure(chosen);
  EXPECT_EQ(ports.releaseCount(0), 1);
  EXPECT_TRUE(ports.isOpen(2));
  EXPECT_EQ(ports.rate(2), 19200);
  EXPECT_EQ(window.parts[3], "COM3, 19200, 8, 1, N");
  EXPECT_NE(ReadFile(settings.settingsPath).find("port=2\nbaud=19200\n"), std::string::npos);
  chosen.port = 5;
  ports.FailInitialise(5, true);
  session->Configure(chosen);
  EXPECT_EQ(settings.port, 0);  // a port that cannot be opened is not kept
}

TEST_F(Session, ControlYIsShownAsCaretY) {
  Begin(Tgr41plusSetup(), "TGR41plus");
  sim::RecorderSetup raw;
  raw.dumpLines = {"A\x19Z"};
  raw.family = sim::RecorderFamily::kTgr41plus;
  sim::RecorderEngine other(raw);
  ports.Attach(0, &other);
  session->TypeChar('\r');  // wakes it
  session->TypeChar('\r');
  for (char c : std::string("DD0,0\r")) session->TypeChar(c);
  loop.RunFor(500);
  EXPECT_NE(window.text.text().find("A\x19^YZ\n"), std::string::npos);
}

TEST_F(Session, WaitForCharStopsAtTheCharacterAndKeepsAtMost30000) {
  Begin(Tgr41plusSetup(), "TGR41plus");
  sim::RecorderSetup big;
  big.family = sim::RecorderFamily::kTgr41plus;
  big.rate = 115200;
  big.dumpLines.assign(700, std::string(60, '7'));  // about 43000 characters
  sim::RecorderEngine other(big);
  ports.Attach(0, &other);
  session->link().SetLineRate(115200);
  session->link().SendChar('\r');
  loop.RunFor(100);
  for (char c : std::string("DD\r")) session->link().SendChar(static_cast<uint8_t>(c));
  std::string buffer;
  loop.Post([&] { EXPECT_FALSE(session->link().WaitForChar(buffer, 6, '#')); });
  loop.RunFor(7000);
  EXPECT_EQ(buffer.size(), SerialLink::kWaitCap);
  // The awaited character ends the wait; what came with it in the same round is kept.
  loop.RunFor(1000);
  session->link().DrainInput();
  for (char c : std::string("DD0,5\r")) other.Input(static_cast<uint8_t>(c), 115200, loop.NowMs());
  ASSERT_TRUE(session->link().WaitForChar(buffer, 5, '\n'));
  EXPECT_GT(buffer.size(), buffer.find('\n') + 1);
}

TEST_F(Session, ClockIsSetToTheNextSecondAfterABoundary) {
  auto setup = Tgr41plusSetup();
  Begin(setup, "TGR41plus");
  loop.RunFor(333);  // off the second boundary
  session->SetDateTime(false);
  ASSERT_TRUE(Idle());
  EXPECT_EQ(session->clockOutcome(), Outcome::kSucceeded);
  EXPECT_EQ(ui.LastStatus(), "date and time set to UTC time");
  EXPECT_EQ(window.dateTime,
            (std::vector<std::string>{"Get Prompt", "Get Status", "Set Date and Time", "success"}));
  // The command left 750 ms after a boundary, naming the second that begins next.
  std::string sent = SentText();
  size_t at = sent.find("datetime=");
  ASSERT_NE(at, std::string::npos);
  int64_t when = 0;
  for (auto& s : ports.sent(0))
    if (s.c == 'd' && when == 0 && s.ms > 0) when = s.ms;
  EXPECT_EQ(when % 1000, 750);
  std::time_t named = loop.CalendarSeconds();
  (void)named;
  std::string expected = DateTimeCommand(1767225600 + when / 1000 + 1, false);
  EXPECT_EQ(sent.substr(at, expected.size()), expected);
  EXPECT_EQ("datetime=" + recorder->clockSetTo() + "\r", expected);
}

TEST_F(Session, ClockSettingFailures) {
  auto setup = Tgr41plusSetup();
  setup.statusReply = StatusReplyText("TGR 41plus", "V 6.1 ", 8, 2, 1);
  Begin(setup, "TGR41plus");
  session->SetDateTime(false);
  ASSERT_TRUE(Idle());
  EXPECT_EQ(window.dateTime.back(), "date/time setting is not supported");
  EXPECT_EQ(ui.LastStatus(), "Could not set instrument date/time");

  auto refusing = Tgr41plusSetup();
  refusing.faults.refuseClock = true;
  sim::RecorderEngine other(refusing);
  ports.Attach(0, &other);
  session->SetDateTime(true);
  ASSERT_TRUE(Idle());
  EXPECT_EQ(window.dateTime.back(), "command not rceognized");
  EXPECT_EQ(ui.LastStatus(), "not able to set date and time");

  loop.timerServiceAvailable = false;
  session->SetDateTime(true);
  ASSERT_TRUE(Idle());
  EXPECT_EQ(window.dateTime.back(), "Could not get timer resolution");
  EXPECT_EQ(ui.LastStatus(), "Could not set instrument date/time");

  auto silent = Tgr41plusSetup();
  silent.faults.silent = true;
  sim::RecorderEngine mute(silent);
  ports.Attach(0, &mute);
  session->SetDateTime(false);
  ASSERT_TRUE(Idle());
  EXPECT_EQ(window.dateTime.back(), "Did not get S> prompt");
  EXPECT_EQ(ui.LastStatus(), "Set Date/Time Failed");
}

TEST_F(Session, DiagnosticCollectionWithTwoEscapesForThePlusClass) {
  Begin(Tgr41plusSetup(20, 8), "TGR41plus");
  std::string path = home.file("run.dia");
  ui.QueueFiles({path});
  session->Diagnostic();
  EXPECT_EQ(ui.LastStatus(), "Collecting diagnostic info");
  ASSERT_TRUE(loop.RunUntil([&] { return !session->diagnosticActive(); }, 60000));
  EXPECT_EQ(ui.LastStatus(), "Diagnostic completed");
  auto esc = TimesOf(ports.sent(0), 27);
  ASSERT_EQ(esc.size(), 2u);
  EXPECT_EQ(esc[1] - esc[0], 200);
  std::string dia = ReadFile(path);
  EXPECT_NE(dia.find("S>\r\r\n"), std::string::npos);
  EXPECT_NE(dia.find("measurements = 20\r\r\n"), std::string::npos);
  EXPECT_NE(dia.find("DD0,10\r\r\n"), std::string::npos);
  EXPECT_NE(SentText().find("FR\n\r"), std::string::npos);
}

TEST_F(Session, StopIsOfferedOnlyWhileTheRecorderSendsData) {
  Begin(Tgr41plusSetup(400, 8), "TGR41plus");
  auto stopOffered = [&] { return MenuItemsFor(window.menus.back()).stop; };
  session->StatusCommand();
  // A query cannot be stopped: its menu greys Stop with the other commands.
  EXPECT_FALSE(stopOffered());
  EXPECT_FALSE(MenuItemsFor(window.menus.back()).upload);
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(stopOffered() && MenuItemsFor(window.menus.back()).connect);
  ui.QueueFiles({home.file("u.hex")});
  session->Upload();
  ASSERT_TRUE(loop.RunUntil([&] { return session->state() == kAsciiUpload; }, 60000));
  EXPECT_TRUE(stopOffered());
  EXPECT_FALSE(MenuItemsFor(window.menus.back()).connect);
  ASSERT_TRUE(Idle(600000));
  EXPECT_EQ(window.menus.back(), MenuForm::kIdle);
}

TEST_F(Session, CaptureStoresEveryByteAndDiagnosticGetsNothingMeanwhile) {
  Begin(Tgr41plusSetup(20, 8), "TGR41plus");
  std::string cap = home.file("all.cap"), dia = home.file("d.dia");
  ui.QueueFiles({cap});
  session->Capture();
  EXPECT_FALSE(window.uploadEnabled);
  ui.QueueFiles({dia});
  session->Diagnostic();
  ASSERT_TRUE(loop.RunUntil([&] { return !session->diagnosticActive(); }, 60000));
  session->Capture();
  EXPECT_EQ(ui.LastStatus(), "Capture ended");
  EXPECT_EQ(ReadFile(dia), "");
  std::string captured = ReadFile(cap);
  EXPECT_NE(captured.find("DS\r\n" + Tgr41plusSetup(20, 8).statusReply + "S>"), std::string::npos);
  EXPECT_NE(captured.find("FR\r\n"), std::string::npos);
  ui.QueueFiles({"/nonexistent-dir/x.cap"});
  session->Capture();
  EXPECT_EQ(Boxes().back(), "Can not open capture file");
}

}  // namespace
}  // namespace tidora::testing
