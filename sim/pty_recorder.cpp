#include "sim/pty_recorder.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/serial_port.h"

namespace tidora::sim {

PtyRecorder::PtyRecorder(RecorderSetup setup) : engine_(std::move(setup)) {}

PtyRecorder::~PtyRecorder() {
  Stop();
}

bool PtyRecorder::Start(std::string* error) {
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    if (master_ >= 0) close(master_);
    master_ = -1;
    return false;
  };
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0) return fail("posix_openpt");
  if (grantpt(master_) != 0 || unlockpt(master_) != 0) return fail("grantpt");
  const char* name = ptsname(master_);
  if (!name) return fail("ptsname");
  path_ = name;
  // The recorder keeps the far end open, raw, so that nothing is echoed back to it before the
  // terminal opens the line, and reading never fails while the terminal has it closed.
  slave_ = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (slave_ < 0) return fail("open");
  termios t{};
  tcgetattr(slave_, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  tcsetattr(slave_, TCSANOW, &t);
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  stop_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void PtyRecorder::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

std::vector<std::string> PtyRecorder::commands() {
  std::lock_guard<std::mutex> lock(mutex_);
  return engine_.commands();
}

std::string PtyRecorder::clockSetTo() {
  std::lock_guard<std::mutex> lock(mutex_);
  return engine_.clockSetTo();
}

int PtyRecorder::blocksSent() {
  std::lock_guard<std::mutex> lock(mutex_);
  return engine_.blocksSent();
}

bool PtyRecorder::sending() {
  std::lock_guard<std::mutex> lock(mutex_);
  return engine_.sending();
}

void PtyRecorder::Run() {
  const int64_t t0 = clock_.NowMs();
  std::string pending;
  uint8_t buf[4096];
  while (!stop_) {
    pollfd p{master_, POLLIN, 0};
    poll(&p, 1, 1);
    int64_t now = clock_.NowMs() - t0;
    long rate = ReadLineRate(master_);
    ssize_t n = read(master_, buf, sizeof buf);
    std::lock_guard<std::mutex> lock(mutex_);
    for (ssize_t i = 0; i < n; ++i) engine_.Input(buf[i], rate, now);
    uint8_t c;
    long sentAt;
    while (engine_.Output(now, c, sentAt)) pending += static_cast<char>(sentAt == rate ? c : 0xFF);
    while (!pending.empty()) {
      ssize_t w = write(master_, pending.data(), pending.size());
      if (w <= 0) break;  // the terminal is not reading: try again next round
      pending.erase(0, static_cast<size_t>(w));
    }
  }
}

}  // namespace tidora::sim
