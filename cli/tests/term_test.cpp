#include <gtest/gtest.h>

#include "sim/pty_recorder.h"
#include "terminal/tests/harness.h"

namespace tidora::testing {
namespace {

std::string Term(const std::string& device, const std::string& args, std::string* out = nullptr,
                 std::string* err = nullptr, int* rc = nullptr) {
  std::string o, e;
  int status = RunCommand(ProgramPath("tidora") + " term --port " + device + " " + args, &o, &e);
  if (out) *out = o;
  if (err) *err = e;
  if (rc) *rc = status;
  return o;
}

std::string ExpectedUpload(const std::string& path, const sim::RecorderSetup& r,
                           const std::string& header, const std::string& data) {
  return header + "*FileName = " + path + "\n*Software Version 1.13\n" +
         MakeStatusText("DS\r\n" + r.statusReply + "S>") +
         MakeCoefficientText("DC\r\n" + r.coefficientReply + "S>") + data;
}

TEST(TermCommand, StatusAndClockOverAPseudoTerminal) {
  TempHome home;
  sim::PtyRecorder rec(Tgr41plusSetup(12, 8));
  ASSERT_TRUE(rec.Start());
  std::string out, err;
  int rc = -1;
  Term(rec.devicePath(), "--instrument TGR41plus status", &out, &err, &rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_NE(out.find("measurements = 12\n"), std::string::npos) << out;
  // The reply ends its line; the identified model (the window's status part 2) goes to stderr.
  EXPECT_EQ(out.substr(out.size() - 3), "S>\n");
  EXPECT_NE(err.find("TGR41plus V 6.2\n"), std::string::npos) << err;
  Term(rec.devicePath(), "--instrument TGR41plus set-time", &out, &err, &rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_NE(err.find("date and time set to UTC time"), std::string::npos) << err;
  EXPECT_EQ(rec.clockSetTo().size(), 14u);
}

TEST(TermCommand, UploadsEqualTheRecorderMemory) {
  TempHome home;
  for (int crcErrors : {0, 1}) {
    auto setup = Tgr41plusSetup(60, 16);
    setup.faults.crcErrorBlocks = crcErrors;
    sim::PtyRecorder rec(setup);
    ASSERT_TRUE(rec.Start());
    std::string path = home.file("bin" + std::to_string(crcErrors) + ".hex");
    std::string err;
    int rc = -1;
    Term(rec.devicePath(), "--instrument TGR41plus --binary --upload-baud 115200 upload " + path,
         nullptr, &err, &rc);
    EXPECT_EQ(rc, 0) << err;
    InstrumentInfo info;
    info.tgr41plus = true;
    EXPECT_EQ(ReadFile(path),
              ExpectedUpload(path, setup, "*Brennic TGR 41plus Data File:\n",
                             ImageToHexLines(setup.image.data(), setup.image.size(), info)));
    EXPECT_EQ(err.find("Upload completed") != std::string::npos, true) << err;
  }
  auto setup = Tgr41plusSetup(60, 16);
  setup.rate = 38400;
  sim::PtyRecorder rec(setup);
  ASSERT_TRUE(rec.Start());
  std::string path = home.file("ascii.hex");
  std::string err;
  int rc = -1;
  Term(rec.devicePath(), "--instrument TGR41plus --baud 38400 --ascii upload " + path, nullptr,
       &err, &rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_EQ(ReadFile(path), ExpectedUpload(path, setup, "*Brennic TGR 41plus Data File:\n",
                                           "DD\r\n" + Join(setup.dumpLines) + "S>"));
}

TEST(TermCommand, InteractiveTerminalPassesKeysAndShowsReplies) {
  TempHome home;
  sim::PtyRecorder rec(Tgr41plusSetup(7, 8));
  ASSERT_TRUE(rec.Start());
  std::string out, err;
  int rc = RunCommand(
      "(printf '\\r'; sleep 0.3; printf 'DS\\r'; sleep 1; printf '\\035'; sleep 0.5) | " +
          ProgramPath("tidora") + " term --instrument TGR41plus --port " + rec.devicePath(),
      &out, &err);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_NE(out.find("DS\nTGR 41plus V 6.2"), std::string::npos) << out;
  EXPECT_NE(out.find("measurements = 7\n"), std::string::npos) << out;
  EXPECT_EQ(out.find('\r'), std::string::npos);
}

TEST(TermCommand, RecorderAnsweringBothLineEndsStillGivesItsWholeReply) {
  TempHome home;
  auto setup = Tgr41plusSetup(9, 8);
  setup.faults.answerBothLineEnds = true;
  sim::PtyRecorder rec(setup);
  ASSERT_TRUE(rec.Start());
  std::string out, err;
  int rc = -1;
  Term(rec.devicePath(), "--instrument TGR41plus coefficients", &out, &err, &rc);
  EXPECT_EQ(rc, 0) << err;
  EXPECT_EQ(out,
            "DC\npressure coefficients:\n  PA0 = 1.234567e+00\n  PA1 = -2.5e-03\n"
            "temperature coefficients:\n  TA0 = 9.87e-04\nS>\n");
}

TEST(TermCommand, SilentRecorderFailsWithNonZeroStatus) {
  TempHome home;
  auto setup = Tgr41Setup({"00"});
  setup.faults.silent = true;
  sim::PtyRecorder rec(setup);
  ASSERT_TRUE(rec.Start());
  std::string err;
  int rc = 0;
  Term(rec.devicePath(), "--instrument TGR41 status", nullptr, &err, &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(err.find("Failed to Connect"), std::string::npos) << "[" << err << "]";
  // A missing or unusable device is named with the reason.
  Term("/dev/nonexistent-tty", "status", nullptr, &err, &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(err.find("COM 1 not present (/dev/nonexistent-tty: no such device)"), std::string::npos)
      << err;
  std::string plain = home.file("plain-file");
  WriteFile(plain, "");
  Term(plain, "status", nullptr, &err, &rc);
  EXPECT_NE(rc, 0);
  EXPECT_NE(err.find(plain + ": not a terminal"), std::string::npos) << err;
}

TEST(TermCommand, StopOnAnIdleRecorderSaysWhatHappened) {
  TempHome home;
  sim::PtyRecorder rec(Tgr41plusSetup(9, 8));  // asleep: the escapes wake nothing
  ASSERT_TRUE(rec.Start());
  std::string err;
  int rc = 0;
  Term(rec.devicePath(), "--instrument TGR41plus stop", nullptr, &err, &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("Stop: recorder did not answer"), std::string::npos) << "[" << err << "]";
  EXPECT_NE(err.find("asleep or idle (nothing to stop), or not connected"), std::string::npos);
}

}  // namespace
}  // namespace tidora::testing
