#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace tidora {

// The ten serial-port operations the terminal relies on, addressed by port index (0 = COM1 ..
// 13 = COM14). Implementations: PosixSerialPorts (termios devices and pseudo-terminals) and the
// simulated ports of sim/.
class SerialPorts {
 public:
  static constexpr int kPortCount = 14;
  enum Presence { kNotPresent = 0, kPresent = 1, kInUse = 2 };

  virtual ~SerialPorts() = default;
  virtual int Presence(int port) = 0;
  virtual void Initialise(int port) = 0;
  // 0 when the previous operation on the port succeeded.
  virtual int LastError(int port) = 0;
  virtual void SetLine(int port, long rate, int dataBits, int stopBits, char parity) = 0;
  virtual void Release(int port) = 0;
  virtual void SendChar(int port, uint8_t c) = 0;
  // True when a character was taken from the receive queue.
  virtual bool ReceiveChar(int port, uint8_t& c) = 0;
  // True while at least one received character is waiting.
  virtual bool CharsWaiting(int port) = 0;
  // Asks the recorder to stop sending (flow control), and lets it send again.
  virtual void Hold(int port) = 0;
  virtual void ReleaseHold(int port) = 0;
  // Why the port cannot be used, in plain words naming its device ("" when unknown).
  virtual std::string Problem(int) { return {}; }
};

// COM1..COM14 to device paths. Defaults: COM1-COM4 /dev/ttyUSB0-3, COM5-COM8 /dev/ttyACM0-3,
// COM9-COM14 /dev/ttyS0-5; the [Ports] section of SerialPorts.ini in the settings directory
// overrides any of them (COM3=/dev/pts/4).
class PortDeviceTable {
 public:
  PortDeviceTable();  // the defaults only
  // Defaults, then the settings-directory overrides.
  static PortDeviceTable Load();
  static std::string FileName() { return "SerialPorts.ini"; }
  const std::string& Device(int port) const;
  void SetDevice(int port, const std::string& path);

 private:
  std::array<std::string, SerialPorts::kPortCount> devices_;
};

// Ports over POSIX termios. The line is raw (no echo, no translation, no software flow control
// on input) and non-blocking; a port is held exclusively (flock and TIOCEXCL) while open. One
// thread may receive while another sets the port up, writes or releases it.
class PosixSerialPorts : public SerialPorts {
 public:
  explicit PosixSerialPorts(PortDeviceTable table = PortDeviceTable::Load());
  ~PosixSerialPorts() override;

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
  std::string Problem(int port) override;

  const PortDeviceTable& table() const { return table_; }
  // True when the open port is a pseudo-terminal (which keeps 8 data bits and no parity).
  bool IsPseudoTerminal(int port) const;

 private:
  struct Port;
  Port* Get(int port) const;  // null when out of range
  bool Fill(Port& p);

  PortDeviceTable table_;
  std::array<std::unique_ptr<Port>, kPortCount> ports_;
};

// Why a serial device cannot be used, naming it: missing, not a terminal, permission denied
// (with the group that owns the device and so grants access, such as dialout), in use, or the
// system's word for `error` (the errno of the failed open; 0 when none was tried). Empty when
// nothing is known to be wrong.
std::string DeviceProblem(const std::string& device, int error);

// The termios speed constant for a rate; 0 when the rate has no constant of its own.
unsigned long BaudConstant(long rate);

// The output rate a terminal device (or the master side of a pseudo-terminal) is set to, in
// baud; -1 when it cannot be read.
long ReadLineRate(int fd);

}  // namespace tidora
