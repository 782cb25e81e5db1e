#pragma once

#include <array>
#include <deque>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/recorder_engine.h"

namespace tidora::sim {

// Serial ports in the same process as a simulated recorder, on the terminal's clock (real or
// virtual). A byte the recorder sends at another rate than the port's arrives as noise (0xFF).
class VirtualSerialPorts : public SerialPorts {
 public:
  explicit VirtualSerialPorts(Clock& clock);

  // The recorder at the other end of the port (none: the line is open but silent).
  void Attach(int port, RecorderEngine* recorder);
  void SetPresenceCode(int port, int code);
  void FailInitialise(int port, bool fail);
  void FailSetLine(int port, bool fail);

  int Presence(int port) override;
  void Initialise(int port) override;
  int LastError(int port) override;
  void SetLine(int port, long rate, int dataBits, int stopBits, char parity) override;
  void Release(int port) override;
  void SendChar(int port, uint8_t c) override;
  bool ReceiveChar(int port, uint8_t& c) override;
  bool CharsWaiting(int port) override;
  void Hold(int port) override;
  void ReleaseHold(int port) override;

  struct Sent {
    int64_t ms;
    uint8_t c;
    long rate;
  };
  struct LineSetting {
    int64_t ms;
    long rate;
    int dataBits;
    char parity;
  };
  // Everything the terminal did to the line, for tests.
  std::vector<Sent> sent(int port) const { return ports_[port].sent; }
  std::vector<LineSetting> settings(int port) const { return ports_[port].settings; }
  bool isOpen(int port) const { return ports_[port].open; }
  long rate(int port) const { return ports_[port].rate; }
  int initialiseCount(int port) const { return ports_[port].initialised; }
  int releaseCount(int port) const { return ports_[port].released; }
  // Characters waiting in the receive queue (after pulling what is due).
  size_t waiting(int port);

 private:
  struct Port {
    int presence = kPresent;
    bool failInit = false, failSetLine = false;
    bool open = false;
    int error = 0;
    long rate = 9600;
    std::deque<uint8_t> queue;
    RecorderEngine* recorder = nullptr;
    std::vector<Sent> sent;
    std::vector<LineSetting> settings;
    int initialised = 0, released = 0;
  };
  void Pull(Port& p);
  bool Valid(int port) const { return port >= 0 && port < kPortCount; }

  Clock& clock_;
  std::array<Port, kPortCount> ports_;
};

}  // namespace tidora::sim
