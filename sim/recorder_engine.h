#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "recorder/instrument.h"

namespace tidora::sim {

using RecorderFamily = tidora::RecorderFamily;

// Ways a simulated recorder can misbehave, for the terminal's failure paths.
struct RecorderFaults {
  bool silent = false;              // answers nothing at all
  bool answerBothLineEnds = false;  // CR LF and LF CR are two line ends, each answered
  int crcErrorBlocks = 0;           // the first N binary blocks carry one corrupted byte
  double noise = 0;                 // chance per dumped character of a garbled character
  bool refuseClock = false;         // answers "?" to the date/time command
  long silentAfterBytes = -1;       // a dump stops without its prompt after this many bytes
  bool ignoreFlowControl = false;   // keeps sending while held
};

// What a recorder holds: its replies (each line ending in CR LF, without the command's echo and
// without the prompt), the text lines of its memory dump, and its memory for the binary commands.
struct RecorderSetup {
  RecorderFamily family = RecorderFamily::kTgr41plus;
  std::string statusReply;
  std::string coefficientReply;
  std::vector<std::string> dumpLines;  // hexadecimal lines without line ends
  std::vector<uint8_t> image;
  long rate = 9600;  // the only normal rate it talks at; other rates are noise to it
  int sleepAfterMs = 120000;
  RecorderFaults faults;
  unsigned seed = 1;
};

// The recorder's side of the serial line as a pure function of time: bytes go in with the time
// and the rate they were sent at; bytes come out at the times the recorder's line would deliver
// them, each with the rate it was sent at (a receiver at another rate sees noise). It sleeps
// until a line end wakes it, echoes what it is sent, and ends each answer with the prompt "S>".
class RecorderEngine {
 public:
  explicit RecorderEngine(RecorderSetup setup);

  void Input(uint8_t c, long senderRate, int64_t nowMs);
  // Takes the next byte due by `nowMs`; false when none is due.
  bool Output(int64_t nowMs, uint8_t& c, long& sentAtRate);
  // Time of the next byte (or -1 when nothing is scheduled).
  int64_t NextOutputMs() const;
  // The rate the recorder's line runs at, at time `nowMs`.
  long LineRate(int64_t nowMs);

  bool awake() const { return awake_; }
  const RecorderSetup& setup() const { return setup_; }
  // Commands executed, in order (for tests).
  const std::vector<std::string>& commands() const { return commands_; }
  // The last date/time the recorder accepted ("MMDDYYYYhhmmss"), empty when none.
  const std::string& clockSetTo() const { return clockSetTo_; }
  int blocksSent() const { return blocksSent_; }
  // True while anything is still to be sent.
  bool sending() const { return !out_.empty(); }

 private:
  struct Out {
    double time;
    uint8_t byte;
    long rate;
  };
  struct RateChange {
    double time;
    long rate;
  };
  void Advance(double now);
  double Emit(const std::string& text, double start, long rate);
  double EmitBytes(const std::vector<uint8_t>& bytes, double start, long rate);
  void Execute(const std::string& command, double now);
  // Dump lines [first, last] at `rate` from `start`, with the faults that touch dumps; the time
  // the last character goes.
  double Dump(size_t first, size_t last, double start, long rate);
  size_t LastDumpLine() const;
  // "DE" and "DA" of a TGR 41: the dump at a higher rate, and back to the normal rate.
  void FastDump(long rate, double t);
  void TestRate(long rate, double t);
  // "dbRATE,FIRST,LAST": the image's bytes FIRST to LAST and their CRC at RATE.
  void SendBlock(const std::string& command, double t);
  // "datetime=MMDDYYYYhhmmss".
  void SetClock(const std::string& digits, double t);
  double Tail() const;
  void Abort(double now);

  RecorderSetup setup_;
  std::deque<Out> out_;
  std::vector<RateChange> rateChanges_;
  long lineRate_;
  bool awake_ = false;
  double lastInput_ = -1e18;
  std::string line_;
  uint8_t previousInput_ = 0;
  bool held_ = false;
  double heldSince_ = 0;
  std::vector<std::string> commands_;
  std::string clockSetTo_;
  int blocksSent_ = 0;
  long dumpedBytes_ = 0;
  std::mt19937 rng_;
};

}  // namespace tidora::sim
