#include <gtest/gtest.h>

#include "sim/recorder_setup.h"
#include "sim/replies.h"
#include "sim/upload.h"
#include "sim/virtual_port.h"
#include "terminal/instrument.h"

namespace tidora::sim {
namespace {

std::vector<Options> Variants() {
  std::vector<Options> all;
  for (Family f : {Family::kTgr41, Family::kTgr41plus, Family::kTgr77Bpr})
    for (bool cond : {false, true}) {
      Options o;
      o.family = f;
      o.conductivity = cond;
      o.tideSamples = 24;
      o.samplesPerBurst = 64;
      all.push_back(o);
    }
  Options stamped;
  stamped.timeStamped = true;
  stamped.tideSamples = 24;
  stamped.samplesPerBurst = 32;
  all.push_back(stamped);
  Options tsunami;
  tsunami.family = Family::kTgr77Bpr;
  tsunami.tsunami = true;
  tsunami.tideSamples = 24;
  all.push_back(tsunami);
  return all;
}

// The terminal turns a binary image into the same lines the simulated recorder dumps, with the
// record layout it reads from the status reply.
TEST(RecorderSetup, TerminalConversionMatchesTheRecorderDumpForEveryVariant) {
  for (const Options& o : Variants()) {
    Deployment d = Simulate(o);
    RecorderSetup r = SetupFor(d);
    ASSERT_FALSE(r.dumpLines.empty());
    EXPECT_EQ("DS\r\n" + r.statusReply + "S>", StatusReply(d));
    EXPECT_EQ("DC\r\n" + r.coefficientReply + "S>", CoefficientReply(d));
    if (o.family == Family::kTgr41) continue;  // dumps as text only
    InstrumentInfo info;
    ParseStatus(StatusReply(d), info, true);
    EXPECT_EQ(tidora::ImageToHexLines(r.image.data(), r.image.size(), info),
              ImageToHexLines(r.image.data(), r.image.size(), LayoutOf(d)))
        << static_cast<int>(o.family) << o.conductivity << o.timeStamped << o.tsunami;
  }
}

TEST(RecorderSetup, EngineAnswersWithTheSimulatedReplies) {
  Options o;
  o.tideSamples = 8;
  o.samplesPerBurst = 16;
  Deployment d = Simulate(o);
  RecorderEngine e(SetupFor(d, {}, true));
  int64_t t = 0;
  std::string got;
  auto send = [&](const std::string& s) {
    for (char c : s) e.Input(static_cast<uint8_t>(c), 9600, t++);
  };
  send("\r\rDS\r");
  uint8_t c;
  long rate;
  for (int64_t now = t; now < t + 5000; ++now)
    while (e.Output(now, c, rate)) got += static_cast<char>(c);
  std::string expected = StatusReply(d);
  expected.replace(expected.find("logdata = NO"), 12, "logdata = YES");
  EXPECT_EQ(got, "\r\nS>" + expected);
}

}  // namespace
}  // namespace tidora::sim
