#include "platform/serial_port.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/profile.h"
#include "platform/settings_dir.h"

namespace tidora {

namespace serial_detail {
bool SetCustomRate(int fd, long rate);
long GetRate(int fd);
}  // namespace serial_detail

PortDeviceTable::PortDeviceTable() {
  for (int i = 0; i < SerialPorts::kPortCount; ++i) {
    if (i < 4)
      devices_[i] = "/dev/ttyUSB" + std::to_string(i);
    else if (i < 8)
      devices_[i] = "/dev/ttyACM" + std::to_string(i - 4);
    else
      devices_[i] = "/dev/ttyS" + std::to_string(i - 8);
  }
}

PortDeviceTable PortDeviceTable::Load() {
  PortDeviceTable t;
  std::string file = SettingsFile(FileName());
  for (int i = 0; i < SerialPorts::kPortCount; ++i) {
    std::string v = GetProfileString("Ports", "COM" + std::to_string(i + 1), "", file);
    if (!v.empty()) t.devices_[i] = v;
  }
  return t;
}

const std::string& PortDeviceTable::Device(int port) const {
  static const std::string none;
  if (port < 0 || port >= SerialPorts::kPortCount) return none;
  return devices_[port];
}

void PortDeviceTable::SetDevice(int port, const std::string& path) {
  if (port >= 0 && port < SerialPorts::kPortCount) devices_[port] = path;
}

unsigned long BaudConstant(long rate) {
  switch (rate) {
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return 0;
  }
}

long ReadLineRate(int fd) {
  return serial_detail::GetRate(fd);
}

// The terminal's reception thread reads a port while the window thread opens, sets up, writes
// and releases it, so every operation holds the port's mutex.
struct PosixSerialPorts::Port {
  std::mutex mutex;
  int fd = -1;
  int error = 0;
  bool pty = false;
  uint8_t buf[4096];
  size_t pos = 0, len = 0;
};

PosixSerialPorts::PosixSerialPorts(PortDeviceTable table) : table_(std::move(table)) {
  // All made here: made on first use, two threads could each make one and lose an open port.
  for (auto& p : ports_) p = std::make_unique<Port>();
}

PosixSerialPorts::~PosixSerialPorts() {
  for (int i = 0; i < kPortCount; ++i) Release(i);
}

PosixSerialPorts::Port* PosixSerialPorts::Get(int port) const {
  if (port < 0 || port >= kPortCount) return nullptr;
  return ports_[port].get();
}

int PosixSerialPorts::Presence(int port) {
  const std::string& dev = table_.Device(port);
  if (dev.empty()) return kNotPresent;
  struct stat st {};
  if (stat(dev.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return kNotPresent;
  {
    Port* p = Get(port);
    std::lock_guard<std::mutex> lock(p->mutex);
    if (p->fd >= 0) return kInUse;  // this program holds it
  }
  int fd = open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0)
    return errno == EBUSY ? kInUse : (errno == ENOENT || errno == ENXIO ? kNotPresent : kPresent);
  int result = kPresent;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) result = kInUse;
  close(fd);
  return result;
}

void PosixSerialPorts::Initialise(int port) {
  Port* p = Get(port);
  if (!p) return;
  std::lock_guard<std::mutex> lock(p->mutex);
  if (p->fd >= 0) {
    p->error = 0;
    return;
  }
  const std::string& dev = table_.Device(port);
  int fd = open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    p->error = errno ? errno : EIO;
    return;
  }
  if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
    p->error = isatty(fd) ? EBUSY : ENOTTY;
    close(fd);
    return;
  }
  ioctl(fd, TIOCEXCL);
  struct stat st {};
  p->pty = fstat(fd, &st) == 0 && ((major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143) ||
                                   dev.rfind("/dev/pts/", 0) == 0);
  termios t{};
  if (tcgetattr(fd, &t) != 0) {
    p->error = errno;
    close(fd);
    return;
  }
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~CRTSCTS;
  t.c_iflag &= ~(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &t);
  p->fd = fd;
  p->pos = p->len = 0;
  p->error = 0;
}

std::string DeviceProblem(const std::string& device, int error) {
  struct stat st {};
  if (stat(device.c_str(), &st) != 0)
    return device + (errno == EACCES ? ": permission denied" : ": no such device");
  if (error == EACCES || error == EPERM) {
    std::string text = device + ": permission denied";
    std::vector<char> buffer(16384);
    group g{}, *found = nullptr;
    if (getgrgid_r(st.st_gid, &g, buffer.data(), buffer.size(), &found) == 0 && found &&
        st.st_gid != 0)
      text += std::string("; members of the group ") + found->gr_name + " may use it";
    return text;
  }
  if (!S_ISCHR(st.st_mode) || error == ENOTTY) return device + ": not a terminal";
  if (error == EBUSY) return device + ": in use by another program";
  if (error != 0) return device + ": " + std::generic_category().message(error);
  return {};
}

std::string PosixSerialPorts::Problem(int port) {
  Port* p = Get(port);
  if (!p) return {};
  const std::string& dev = table_.Device(port);
  if (dev.empty()) return "no device is set for this port";
  int error;
  {
    std::lock_guard<std::mutex> lock(p->mutex);
    error = p->error;
  }
  return DeviceProblem(dev, error);
}

int PosixSerialPorts::LastError(int port) {
  Port* p = Get(port);
  if (!p) return EINVAL;
  std::lock_guard<std::mutex> lock(p->mutex);
  return p->error;
}

bool PosixSerialPorts::IsPseudoTerminal(int port) const {
  Port* p = Get(port);
  if (!p) return false;
  std::lock_guard<std::mutex> lock(p->mutex);
  return p->pty;
}

void PosixSerialPorts::SetLine(int port, long rate, int dataBits, int stopBits, char parity) {
  Port* p = Get(port);
  if (!p) return;
  std::lock_guard<std::mutex> lock(p->mutex);
  if (p->fd < 0) {
    p->error = EBADF;
    return;
  }
  termios t{};
  if (tcgetattr(p->fd, &t) != 0) {
    p->error = errno;
    return;
  }
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
  t.c_cflag |= (dataBits == 7 ? CS7 : CS8) | (stopBits == 2 ? CSTOPB : 0);
  if (parity == 'E' || parity == 'e') t.c_cflag |= PARENB;
  if (parity == 'O' || parity == 'o') t.c_cflag |= PARENB | PARODD;
  unsigned long speed = BaudConstant(rate);
  // A rate without a constant goes through termios2 after a plain set-up at a known rate (the
  // C library refuses to write back a custom rate it read).
  cfsetispeed(&t, speed ? speed : B38400);
  cfsetospeed(&t, speed ? speed : B38400);
  int set = tcsetattr(p->fd, TCSANOW, &t);
  if (set != 0 && p->pty) {
    // Some pseudo-terminals refuse 7 data bits or parity outright; they carry 8 bits without
    // parity whatever they are told, so that is what they get.
    t.c_cflag &= ~(CSIZE | PARENB | PARODD);
    t.c_cflag |= CS8;
    set = tcsetattr(p->fd, TCSANOW, &t);
  }
  if (set != 0 || (!speed && !serial_detail::SetCustomRate(p->fd, rate))) {
    p->error = errno ? errno : EINVAL;
    return;
  }
  // Read the line back: a device that silently refused a setting must not pass as set up. A
  // pseudo-terminal keeps 8 data bits and no parity whatever it is told.
  termios r{};
  if (tcgetattr(p->fd, &r) != 0 || serial_detail::GetRate(p->fd) != rate) {
    p->error = EINVAL;
    return;
  }
  if (!p->pty && ((r.c_cflag & CSIZE) != (t.c_cflag & CSIZE) ||
                  (r.c_cflag & (PARENB | PARODD)) != (t.c_cflag & (PARENB | PARODD)) ||
                  (r.c_cflag & CSTOPB) != (t.c_cflag & CSTOPB))) {
    p->error = EINVAL;
    return;
  }
  p->error = 0;
}

void PosixSerialPorts::Release(int port) {
  Port* p = Get(port);
  if (!p) return;
  std::lock_guard<std::mutex> lock(p->mutex);
  if (p->fd >= 0) {
    ioctl(p->fd, TIOCNXCL);
    flock(p->fd, LOCK_UN);
    close(p->fd);
  }
  p->fd = -1;
  p->pos = p->len = 0;
}

void PosixSerialPorts::SendChar(int port, uint8_t c) {
  Port* p = Get(port);
  if (!p) return;
  std::unique_lock<std::mutex> lock(p->mutex);
  int err = EIO;
  for (int tries = 0; tries < 200 && p->fd >= 0; ++tries) {
    ssize_t n = write(p->fd, &c, 1);
    if (n == 1) {
      p->error = 0;
      return;
    }
    err = n < 0 ? errno : EIO;
    if (n < 0 && err != EAGAIN && err != EINTR) break;
    // Output queue full: wait for the line to take it, letting the reception go on meanwhile.
    lock.unlock();
    usleep(1000);
    lock.lock();
  }
  if (p->fd >= 0) p->error = err;
}

bool PosixSerialPorts::Fill(Port& p) {  // with p.mutex held
  if (p.pos < p.len) return true;
  if (p.fd < 0) return false;
  ssize_t n = read(p.fd, p.buf, sizeof p.buf);
  if (n <= 0) return false;
  p.pos = 0;
  p.len = static_cast<size_t>(n);
  return true;
}

bool PosixSerialPorts::ReceiveChar(int port, uint8_t& c) {
  Port* p = Get(port);
  if (!p) return false;
  std::lock_guard<std::mutex> lock(p->mutex);
  if (!Fill(*p)) return false;
  c = p->buf[p->pos++];
  return true;
}

bool PosixSerialPorts::CharsWaiting(int port) {
  Port* p = Get(port);
  if (!p) return false;
  std::lock_guard<std::mutex> lock(p->mutex);
  return Fill(*p);
}

void PosixSerialPorts::Hold(int port) {
  Port* p = Get(port);
  if (!p) return;
  {
    std::lock_guard<std::mutex> lock(p->mutex);
    if (p->fd < 0) return;
    int rts = TIOCM_RTS;
    ioctl(p->fd, TIOCMBIC, &rts);  // hardware flow control, where the line has it
  }
  SendChar(port, 0x13);  // XOFF
}

void PosixSerialPorts::ReleaseHold(int port) {
  Port* p = Get(port);
  if (!p) return;
  {
    std::lock_guard<std::mutex> lock(p->mutex);
    if (p->fd < 0) return;
    int rts = TIOCM_RTS;
    ioctl(p->fd, TIOCMBIS, &rts);
  }
  SendChar(port, 0x11);  // XON
}

}  // namespace tidora
