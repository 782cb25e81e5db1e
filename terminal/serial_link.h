#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "terminal/comm_settings.h"

namespace tidora {

class Interaction;
class TerminalWindow;

// One port flag pair per COM port.
struct PortFlags {
  bool releaseAtExit = false;
  bool ready = false;
};
using PortTable = std::array<PortFlags, SerialPorts::kPortCount>;

// Silence of the line in whole seconds, watched across threads.
class SilenceWatchdog {
 public:
  void Reset() { started_ = false; }
  void Note(std::time_t now) { last_ = now; }
  // Starts the watch when it is not started (alive); otherwise alive while the last character
  // is at most `limit` seconds old.
  bool Alive(std::time_t now, int limit = 5);

 private:
  std::atomic<bool> started_{false};
  std::atomic<std::time_t> last_{0};
};

// Caption of the terminal's plain error boxes (the platform's default caption).
inline constexpr const char* kErrorCaption = "Error";

// The serial layer of the terminal: opening and setting up the configured port, the sending
// primitives with their pacing, and the receive helpers of the binary upload.
class SerialLink {
 public:
  SerialLink(SerialPorts& ports, Clock& clock, Interaction& ui, TerminalWindow& window,
             CommSettings& settings);

  bool OpenPort();
  bool OpenAtStoredRate();
  bool SetupPort(bool upload);
  bool SetLineRate(long rate);
  void ReleaseAll();

  void SendSlow(const std::string& text);
  void SendFast(const std::string& text);
  void SendCommand(const std::string& text);
  void SendChar(uint8_t c);
  bool Receive(uint8_t& c);
  void DrainInput();
  // Collects characters into `buffer` until `awaited` arrives or `seconds` (whole-second clock)
  // have passed, or `giveUp` holds; at most kWaitCap characters are kept, later ones overwrite
  // the last place.
  static constexpr size_t kWaitCap = 30000;
  bool WaitForChar(std::string& buffer, int seconds, char awaited,
                   const std::function<bool()>& giveUp = {});
  void Hold();
  void ReleaseHold();

  PortTable& table() { return table_; }
  SerialPorts& ports() { return ports_; }
  void ShowPortSettings();

 private:
  void Box(const std::string& text);
  std::string WithReason(const std::string& text, int port);
  bool OpenSteps(int port);

  SerialPorts& ports_;
  Clock& clock_;
  Interaction& ui_;
  TerminalWindow& window_;
  CommSettings& s_;
  PortTable table_{};
};

}  // namespace tidora
