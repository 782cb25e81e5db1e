#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recorder/instrument.h"
#include "sim/recorder_setup.h"
#include "sim/replies.h"
#include "sim/upload.h"
#include "sim/virtual_port.h"

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

// The terminal cuts a binary image into the same lines the simulated recorder dumps: the record
// layout it reads from the status reply is the one the recorder wrote.
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

// Decodes the lines between "DD" and "S>" back into bytes; the length of every line in bytes.
std::vector<uint8_t> BytesOfLines(const std::string& text, const std::string& lineEnd,
                                  std::vector<size_t>& lengths) {
  std::vector<uint8_t> bytes;
  size_t pos = text.find(lineEnd);
  EXPECT_EQ(text.substr(0, pos), "DD");
  for (pos += lineEnd.size(); pos < text.size();) {
    size_t end = text.find(lineEnd, pos);
    if (end == std::string::npos) {
      EXPECT_EQ(text.substr(pos), "S>");
      break;
    }
    std::string line = text.substr(pos, end - pos);
    EXPECT_EQ(line.size() % 2, 0u) << line;
    for (size_t i = 0; i + 1 < line.size(); i += 2)
      bytes.push_back(static_cast<uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
    lengths.push_back(line.size() / 2);
    pos = end + lineEnd.size();
  }
  return bytes;
}

// Every byte of the image comes out once and in order, cut into the records, time-stamped
// records and two-sample burst lines of the layout; the bursts have all their samples.
TEST(RecorderSetup, HexLinesCarryTheWholeImageInRecordsOfTheLayout) {
  for (const Options& o : Variants()) {
    Deployment d = Simulate(o);
    std::vector<uint8_t> image = BuildMemoryImage(d);
    ImageLayout layout = LayoutOf(d);
    const size_t record = static_cast<size_t>(d.recordSize());
    for (std::string end : {"\r\n", "\n"}) {
      std::vector<size_t> lengths;
      EXPECT_EQ(
          BytesOfLines(ImageToHexLines(image.data(), image.size(), layout, end), end, lengths),
          image)
          << static_cast<int>(o.family) << o.conductivity << o.timeStamped << o.tsunami;
      size_t burstLines = 0;
      for (size_t n : lengths) {
        if (n == 6)  // no record is 6 bytes long
          ++burstLines;
        else
          EXPECT_TRUE(n == record || n == static_cast<size_t>(layout.recordSize)) << n;
      }
      size_t samples = 0;
      for (const Burst& b : d.bursts) samples += b.pressure.size();
      EXPECT_EQ(burstLines, o.family == Family::kTgr41plus ? samples / 2 : 0u);
    }
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
