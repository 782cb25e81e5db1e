#include "terminal/serial_link.h"

#include <cstdio>

#include "platform/interaction.h"
#include "terminal/terminal_window.h"

namespace tidora {

bool SilenceWatchdog::Alive(std::time_t now, int limit) {
  if (!started_.exchange(true)) {
    last_ = now;
    return true;
  }
  return now - last_.load() <= limit;
}

SerialLink::SerialLink(SerialPorts& ports, Clock& clock, Interaction& ui, TerminalWindow& window,
                       CommSettings& settings)
    : ports_(ports), clock_(clock), ui_(ui), window_(window), s_(settings) {}

void SerialLink::Box(const std::string& text) {
  ui_.Message(text, kErrorCaption, MsgIcon::None, MsgButtons::Ok);
}

void SerialLink::ShowPortSettings() {
  window_.SetStatusPart(3, PortSettingsText(s_));
}

static std::string ComText(const char* format, int port) {
  char text[96];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(port + 1));
  return text;
}

// The port's message with the device and the reason, when the ports know them.
std::string SerialLink::WithReason(const std::string& text, int port) {
  std::string why = ports_.Problem(port);
  return why.empty() ? text : text + " (" + why + ")";
}

bool SerialLink::OpenSteps(int port) {
  if (ports_.LastError(port) != 0) {
    table_[static_cast<size_t>(port)].ready = false;
    Box(WithReason("Port open failed", port));
    window_.SetStatusPart(3, "Port open failed");
    return false;
  }
  ports_.SetLine(port, s_.baud, s_.dataBits, s_.stopBits, s_.parity);
  if (ports_.LastError(port) != 0) {
    // A device that takes the open but not the line format is no usable port either.
    table_[static_cast<size_t>(port)].ready = false;
    Box("Port setup failed");
    window_.SetStatusPart(3, "Port setup failed");
    return false;
  }
  table_[static_cast<size_t>(port)].ready = true;
  s_.portOpen = true;
  ShowPortSettings();
  return true;
}

bool SerialLink::OpenPort() {
  if (s_.portOpen) {
    ports_.Release(s_.previousPort);
    table_[static_cast<size_t>(s_.previousPort)].ready = false;
    table_[static_cast<size_t>(s_.previousPort)].releaseAtExit = true;
    s_.portOpen = false;
  }
  int code = ports_.Presence(s_.port);
  if (code == SerialPorts::kNotPresent) {
    Box(WithReason(ComText("COM %u not present", s_.port), s_.port));
    s_.port = s_.previousPort;
  } else if (code == SerialPorts::kInUse) {
    Box(ComText("COM %u is in use by another application", s_.port));
  }
  ports_.Initialise(s_.port);
  table_[static_cast<size_t>(s_.port)].releaseAtExit = true;
  return OpenSteps(s_.port);
}

bool SerialLink::OpenAtStoredRate() {
  if (ports_.Presence(s_.port) == SerialPorts::kNotPresent)
    Box(WithReason(ComText("COM %u not present", s_.port), s_.port));
  if (!table_[static_cast<size_t>(s_.port)].ready) ports_.Initialise(s_.port);
  table_[static_cast<size_t>(s_.port)].releaseAtExit = true;
  return OpenSteps(s_.port);
}

bool SerialLink::SetupPort(bool upload) {
  ports_.SetLine(s_.port, upload ? s_.uploadBaud : s_.baud, s_.dataBits, s_.stopBits, s_.parity);
  table_[static_cast<size_t>(s_.port)].releaseAtExit = true;
  if (ports_.LastError(s_.port) != 0) {
    Box("Port setup failed");
    window_.SetStatusPart(3, "Port setup failed");
    table_[static_cast<size_t>(s_.port)].ready = false;
    return false;
  }
  table_[static_cast<size_t>(s_.port)].ready = true;
  ShowPortSettings();
  return true;
}

bool SerialLink::SetLineRate(long rate) {
  ports_.SetLine(s_.port, rate, 8, 1, 'N');
  table_[static_cast<size_t>(s_.port)].releaseAtExit = true;
  bool ok = ports_.LastError(s_.port) == 0;
  table_[static_cast<size_t>(s_.port)].ready = ok;
  return ok;
}

void SerialLink::ReleaseAll() {
  for (int i = 0; i < SerialPorts::kPortCount; ++i)
    if (table_[static_cast<size_t>(i)].releaseAtExit) {
      ports_.Release(i);
      table_[static_cast<size_t>(i)].ready = false;
    }
  s_.portOpen = false;
}

void SerialLink::SendSlow(const std::string& text) {
  for (char c : text) {
    if (s_.portOpen) ports_.SendChar(s_.port, static_cast<uint8_t>(c));
    clock_.SleepMs(20);
  }
}

void SerialLink::SendFast(const std::string& text) {
  if (!s_.portOpen) return;
  for (char c : text) ports_.SendChar(s_.port, static_cast<uint8_t>(c));
}

void SerialLink::SendCommand(const std::string& text) {
  for (char c : text) {
    if (s_.portOpen) ports_.SendChar(s_.port, static_cast<uint8_t>(c));
    clock_.SleepMs(1);
  }
  if (s_.portOpen) ports_.SendChar(s_.port, 13);
  clock_.SleepMs(10);
}

void SerialLink::SendChar(uint8_t c) {
  if (s_.portOpen) ports_.SendChar(s_.port, c);
}

bool SerialLink::Receive(uint8_t& c) {
  return ports_.ReceiveChar(s_.port, c);
}

void SerialLink::DrainInput() {
  uint8_t c;
  while (ports_.CharsWaiting(s_.port))
    if (!ports_.ReceiveChar(s_.port, c)) break;
}

bool SerialLink::WaitForChar(std::string& buffer, int seconds, char awaited,
                             const std::function<bool()>& giveUp) {
  std::time_t start = clock_.CalendarSeconds();
  bool found = false;
  buffer.assign(kWaitCap + 1, '\0');
  size_t count = 0;
  while (clock_.CalendarSeconds() - start < seconds) {
    uint8_t c;
    while (ports_.ReceiveChar(s_.port, c)) {
      buffer[count] = static_cast<char>(c);
      if (static_cast<char>(c) == awaited) found = true;
      if (count < kWaitCap) ++count;
    }
    clock_.SleepMs(10);
    if (found || (giveUp && giveUp())) break;
  }
  buffer.resize(count);
  return found;
}

void SerialLink::Hold() {
  ports_.Hold(s_.port);
}
void SerialLink::ReleaseHold() {
  ports_.ReleaseHold(s_.port);
}

}  // namespace tidora
