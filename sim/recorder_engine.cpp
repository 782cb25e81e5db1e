#include "sim/recorder_engine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "recorder/instrument.h"

namespace tidora::sim {
namespace {

// How long after a rate change the simulated recorder starts sending at the new rate.
constexpr double kRateChangeSlackMs = 300;

double CharMs(long rate) {
  return rate > 0 ? 10000.0 / static_cast<double>(rate) : 1.0;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  return Upper(s.substr(0, prefix.size())) == Upper(prefix);
}

}  // namespace

RecorderEngine::RecorderEngine(RecorderSetup setup)
    : setup_(std::move(setup)), lineRate_(setup_.rate), rng_(setup_.seed) {}

void RecorderEngine::Advance(double now) {
  while (!rateChanges_.empty() && rateChanges_.front().time <= now && !held_) {
    lineRate_ = rateChanges_.front().rate;
    rateChanges_.erase(rateChanges_.begin());
  }
  if (awake_ && out_.empty() && rateChanges_.empty() && now - lastInput_ > setup_.sleepAfterMs)
    awake_ = false;
}

double RecorderEngine::Tail() const {
  return out_.empty() ? -std::numeric_limits<double>::infinity() : out_.back().time;
}

double RecorderEngine::EmitBytes(const std::vector<uint8_t>& bytes, double start, long rate) {
  double t = std::max(start, Tail());
  for (uint8_t b : bytes) {
    t += CharMs(rate);
    out_.push_back({t, b, rate});
  }
  return t;
}

double RecorderEngine::Emit(const std::string& text, double start, long rate) {
  return EmitBytes(std::vector<uint8_t>(text.begin(), text.end()), start, rate);
}

int64_t RecorderEngine::NextOutputMs() const {
  if (out_.empty() || held_) return -1;
  return static_cast<int64_t>(out_.front().time + 0.999);
}

long RecorderEngine::LineRate(int64_t nowMs) {
  Advance(static_cast<double>(nowMs));
  return lineRate_;
}

bool RecorderEngine::Output(int64_t nowMs, uint8_t& c, long& sentAtRate) {
  Advance(static_cast<double>(nowMs));
  if (held_ || out_.empty() || out_.front().time > static_cast<double>(nowMs)) return false;
  c = out_.front().byte;
  sentAtRate = out_.front().rate;
  out_.pop_front();
  return true;
}

void RecorderEngine::Abort(double now) {
  while (!out_.empty() && out_.back().time > now) out_.pop_back();
  rateChanges_.clear();
  lineRate_ = setup_.rate;
  Emit("\r\nS>", now + 5, lineRate_);
}

void RecorderEngine::Input(uint8_t c, long senderRate, int64_t nowMs) {
  double now = static_cast<double>(nowMs);
  Advance(now);
  if (setup_.faults.silent) return;
  if (senderRate != lineRate_) return;  // framing errors: noise to the recorder
  if (c == 0x13) {                      // XOFF
    if (!held_) {
      held_ = true;
      heldSince_ = now;
    }
    return;
  }
  if (c == 0x11) {  // XON
    if (held_) {
      double shift = now - heldSince_;
      for (Out& o : out_)
        if (o.time > heldSince_) o.time += shift;
      for (RateChange& r : rateChanges_)
        if (r.time > heldSince_) r.time += shift;
      held_ = false;
    }
    return;
  }
  lastInput_ = now;
  if (!awake_) {
    if (c == '\r' || c == '\n') awake_ = true;
    return;
  }
  if (c == 27) {
    previousInput_ = 0;
    line_.clear();
    Abort(now);
    return;
  }
  if (c == '\r' || c == '\n') {
    // CR LF and LF CR count as one line end, unless the firmware answers each of them.
    bool pair = (previousInput_ == '\r' && c == '\n') || (previousInput_ == '\n' && c == '\r');
    previousInput_ = c;
    if (pair && !setup_.faults.answerBothLineEnds) {
      previousInput_ = 0;
      return;
    }
    std::string command = line_;
    line_.clear();
    Execute(command, now);
    return;
  }
  previousInput_ = c;
  if (line_.size() < 256) line_ += static_cast<char>(c);
  Emit(std::string(1, static_cast<char>(c)), now + 0.5, lineRate_);
}

double RecorderEngine::Dump(size_t first, size_t last, double start, long rate) {
  std::string text;
  for (size_t i = first; i <= last && i < setup_.dumpLines.size(); ++i) {
    for (char ch : setup_.dumpLines[i]) {
      text += ch;
      if (setup_.faults.noise > 0 &&
          std::uniform_real_distribution<double>(0, 1)(rng_) < setup_.faults.noise)
        text += "0123456789ABCDEF"[rng_() % 16];
    }
    text += "\r\n";
  }
  bool cut = false;
  if (setup_.faults.silentAfterBytes >= 0) {
    long left = setup_.faults.silentAfterBytes - dumpedBytes_;
    if (left < static_cast<long>(text.size())) {
      text.resize(static_cast<size_t>(std::max(0L, left)));
      cut = true;
    }
  }
  dumpedBytes_ += static_cast<long>(text.size());
  if (!cut) text += "S>";
  return Emit(text, start, rate);
}

size_t RecorderEngine::LastDumpLine() const {
  return setup_.dumpLines.empty() ? 0 : setup_.dumpLines.size() - 1;
}

void RecorderEngine::Execute(const std::string& command, double now) {
  commands_.push_back(command);
  const long normal = setup_.rate;
  const double t = now + 2;
  const std::string up = Upper(command);

  if (command.empty()) {
    Emit("\r\nS>", t, normal);
  } else if (up == "DS") {
    Emit("\r\n" + setup_.statusReply + "S>", t, normal);
  } else if (up == "DC") {
    Emit("\r\n" + setup_.coefficientReply + "S>", t, normal);
  } else if (up == "DD") {
    Emit("\r\n", t, normal);
    Dump(0, LastDumpLine(), t + 5, normal);
  } else if ((up == "DE" || up == "DA") && setup_.family == RecorderFamily::kTgr41) {
    FastDump(up == "DE" ? 19200 : 38400, t);
  } else if (up.rfind("DD", 0) == 0 && up.find(',') != std::string::npos) {
    long a = std::strtol(command.c_str() + 2, nullptr, 10);
    long b = std::strtol(command.c_str() + command.find(',') + 1, nullptr, 10);
    Emit("\r\n", t, normal);
    if (a < 0 || b < a || setup_.dumpLines.empty())
      Emit("S>", t, normal);
    else
      Dump(static_cast<size_t>(a), static_cast<size_t>(b), t + 5, normal);
  } else if (up == "FR") {
    Emit("\r\nflash ready, " + std::to_string(setup_.image.size()) + " bytes used\r\nS>", t,
         normal);
  } else if (up == "BYTECOUNT") {
    Emit("\r\nbytes = " + std::to_string(setup_.image.size()) + "\r\nS>", t, normal);
  } else if (StartsWithNoCase(command, "testbaud=")) {
    TestRate(std::strtol(command.c_str() + 9, nullptr, 10), t);
  } else if (StartsWithNoCase(command, "db")) {
    SendBlock(command, t);
  } else if (StartsWithNoCase(command, "datetime=")) {
    SetClock(command.substr(9), t);
  } else {
    Emit("\r\n?\r\nS>", t, normal);
  }
}

void RecorderEngine::FastDump(long rate, double t) {
  const long normal = setup_.rate;
  double end = Emit("\r\n", t, normal);
  double switchAt = end + 150;
  rateChanges_.push_back({switchAt, rate});
  double last = Dump(0, LastDumpLine(), switchAt + 50, rate);
  rateChanges_.push_back({last + 0.5, normal});
}

void RecorderEngine::TestRate(long rate, double t) {
  const long normal = setup_.rate;
  double end = Emit("\r\n", t, normal);
  if (rate <= 0) {
    Emit("?\r\nS>", end, normal);
    return;
  }
  // The terminal waits a quarter of a second, empties its input and then follows the rate
  // change; the reply leaves it ample time to do so on a busy machine.
  double switchAt = end + 300;
  rateChanges_.push_back({switchAt, rate});
  double last = Emit("transmitting at " + std::to_string(rate) + " baud\r\n",
                     switchAt + kRateChangeSlackMs, rate);
  rateChanges_.push_back({last + 200, normal});
  Emit("S>", last + 210, normal);
}

void RecorderEngine::SendBlock(const std::string& command, double t) {
  const long normal = setup_.rate;
  long rate = 0, first = -1, last = -1;
  bool ok = std::sscanf(command.c_str() + 2, "%ld,%ld,%ld", &rate, &first, &last) == 3 &&
            rate > 0 && first >= 0 && last >= first &&
            static_cast<size_t>(last) < setup_.image.size();
  double end = Emit("\r\n", t, normal);
  if (!ok) {
    Emit("?\r\nS>", end, normal);
    return;
  }
  std::vector<uint8_t> block(setup_.image.begin() + first, setup_.image.begin() + last + 1);
  uint32_t crc = Crc32(block.data(), block.size());
  if (blocksSent_ < setup_.faults.crcErrorBlocks) block[block.size() / 2] ^= 0x5A;
  for (int k = 3; k >= 0; --k) block.push_back(static_cast<uint8_t>(crc >> (8 * k)));
  if (setup_.faults.silentAfterBytes >= 0) {
    long left = setup_.faults.silentAfterBytes - dumpedBytes_;
    if (left < static_cast<long>(block.size()))
      block.resize(static_cast<size_t>(std::max(0L, left)));
  }
  dumpedBytes_ += static_cast<long>(block.size());
  ++blocksSent_;
  // The terminal follows the block rate after 50 ms and empties its input after another
  // 150 ms; the block starts well after both.
  double switchAt = end + 220;
  rateChanges_.push_back({switchAt, rate});
  double finish = EmitBytes(block, switchAt + kRateChangeSlackMs, rate);
  rateChanges_.push_back({finish + 0.5, normal});
}

void RecorderEngine::SetClock(const std::string& digits, double t) {
  const long normal = setup_.rate;
  if (setup_.faults.refuseClock) {
    Emit("\r\n?\r\nS>", t, normal);
    return;
  }
  if (digits.size() != 14 || !std::all_of(digits.begin(), digits.end(), [](char ch) {
        return std::isdigit(static_cast<unsigned char>(ch));
      })) {
    Emit("\r\nwrong length\r\nS>", t, normal);
    return;
  }
  int mo = std::stoi(digits.substr(0, 2)), d = std::stoi(digits.substr(2, 2));
  int h = std::stoi(digits.substr(8, 2)), mi = std::stoi(digits.substr(10, 2));
  int s = std::stoi(digits.substr(12, 2));
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) {
    Emit("\r\ninvalid date or time\r\nS>", t, normal);
    return;
  }
  clockSetTo_ = digits;
  Emit("\r\nS>", t, normal);
}

}  // namespace tidora::sim
