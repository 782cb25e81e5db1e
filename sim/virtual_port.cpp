#include "sim/virtual_port.h"

namespace tidora::sim {

VirtualSerialPorts::VirtualSerialPorts(Clock& clock) : clock_(clock) {}

void VirtualSerialPorts::Attach(int port, RecorderEngine* recorder) {
  if (Valid(port)) ports_[port].recorder = recorder;
}
void VirtualSerialPorts::SetPresenceCode(int port, int code) {
  if (Valid(port)) ports_[port].presence = code;
}
void VirtualSerialPorts::FailInitialise(int port, bool fail) {
  if (Valid(port)) ports_[port].failInit = fail;
}
void VirtualSerialPorts::FailSetLine(int port, bool fail) {
  if (Valid(port)) ports_[port].failSetLine = fail;
}

void VirtualSerialPorts::Pull(Port& p) {
  if (!p.recorder) return;
  int64_t now = clock_.NowMs();
  uint8_t c;
  long rate;
  while (p.recorder->Output(now, c, rate)) {
    if (!p.open) continue;  // nobody listening: the bytes are lost
    p.queue.push_back(rate == p.rate ? c : 0xFF);
  }
}

int VirtualSerialPorts::Presence(int port) {
  return Valid(port) ? ports_[port].presence : 0;
}

void VirtualSerialPorts::Initialise(int port) {
  if (!Valid(port)) return;
  Port& p = ports_[port];
  ++p.initialised;
  if (p.failInit || p.presence == kNotPresent) {
    p.error = 1;
    return;
  }
  Pull(p);
  p.open = true;
  p.error = 0;
}

int VirtualSerialPorts::LastError(int port) {
  return Valid(port) ? ports_[port].error : 1;
}

void VirtualSerialPorts::SetLine(int port, long rate, int dataBits, int, char parity) {
  if (!Valid(port)) return;
  Port& p = ports_[port];
  Pull(p);  // what arrived so far arrived at the old rate
  if (!p.open || p.failSetLine) {
    p.error = 1;
    return;
  }
  p.rate = rate;
  p.settings.push_back({clock_.NowMs(), rate, dataBits, parity});
  p.error = 0;
}

void VirtualSerialPorts::Release(int port) {
  if (!Valid(port)) return;
  Port& p = ports_[port];
  Pull(p);
  p.open = false;
  p.queue.clear();
  ++p.released;
}

void VirtualSerialPorts::SendChar(int port, uint8_t c) {
  if (!Valid(port)) return;
  Port& p = ports_[port];
  if (!p.open) return;
  Pull(p);
  p.sent.push_back({clock_.NowMs(), c, p.rate});
  if (p.recorder) p.recorder->Input(c, p.rate, clock_.NowMs());
}

bool VirtualSerialPorts::ReceiveChar(int port, uint8_t& c) {
  if (!Valid(port)) return false;
  Port& p = ports_[port];
  Pull(p);
  if (p.queue.empty()) return false;
  c = p.queue.front();
  p.queue.pop_front();
  return true;
}

bool VirtualSerialPorts::CharsWaiting(int port) {
  return waiting(port) > 0;
}

size_t VirtualSerialPorts::waiting(int port) {
  if (!Valid(port)) return 0;
  Pull(ports_[port]);
  return ports_[port].queue.size();
}

void VirtualSerialPorts::Hold(int port) {
  SendChar(port, 0x13);
}
void VirtualSerialPorts::ReleaseHold(int port) {
  SendChar(port, 0x11);
}

}  // namespace tidora::sim
