#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "platform/serial_port.h"
#include "testing/test_support.h"

namespace tidora {
namespace {

struct Pty {
  int master = -1;
  std::string slave;
  Pty() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    slave = ptsname(master);
  }
  ~Pty() { close(master); }
};

TEST(PortDeviceTable, DefaultsAndSettingsOverride) {
  testing::TempHome home;
  PortDeviceTable d;
  EXPECT_EQ(d.Device(0), "/dev/ttyUSB0");
  EXPECT_EQ(d.Device(4), "/dev/ttyACM0");
  EXPECT_EQ(d.Device(8), "/dev/ttyS0");
  testing::WriteFile(home.file("SerialPorts.ini"), "[Ports]\ncom3=/dev/pts/77\n");
  PortDeviceTable t = PortDeviceTable::Load();
  EXPECT_EQ(t.Device(2), "/dev/pts/77");
  EXPECT_EQ(t.Device(0), "/dev/ttyUSB0");
  EXPECT_EQ(t.Device(14), "");
}

TEST(PosixSerialPorts, PseudoTerminalCarriesEveryRateAndBothFormats) {
  Pty pty;
  PortDeviceTable table;
  table.SetDevice(2, pty.slave);
  table.SetDevice(3, "/dev/does-not-exist");
  PosixSerialPorts ports(table);
  EXPECT_EQ(ports.Presence(3), SerialPorts::kNotPresent);
  ASSERT_EQ(ports.Presence(2), SerialPorts::kPresent);
  ports.Initialise(2);
  ASSERT_EQ(ports.LastError(2), 0);
  EXPECT_TRUE(ports.IsPseudoTerminal(2));
  EXPECT_EQ(ports.Presence(2), SerialPorts::kInUse);
  for (long rate : {600L, 1200L, 2400L, 4800L, 9600L, 19200L, 28800L, 38400L, 57600L, 115200L}) {
    ports.SetLine(2, rate, 7, 1, 'E');
    EXPECT_EQ(ports.LastError(2), 0) << rate;
    ports.SetLine(2, rate, 8, 1, 'N');
    EXPECT_EQ(ports.LastError(2), 0) << rate;
  }
  ports.SetLine(2, 123, 8, 1, 'N');  // no such rate on a pty either way
  ports.SendChar(2, 'A');
  char c = 0;
  ASSERT_EQ(read(pty.master, &c, 1), 1);
  EXPECT_EQ(c, 'A');
  ASSERT_EQ(write(pty.master, "\x19Z", 2), 2);
  usleep(20000);
  EXPECT_TRUE(ports.CharsWaiting(2));
  uint8_t got = 0;
  ASSERT_TRUE(ports.ReceiveChar(2, got));
  EXPECT_EQ(got, 0x19);
  ASSERT_TRUE(ports.ReceiveChar(2, got));
  EXPECT_EQ(got, 'Z');
  EXPECT_FALSE(ports.ReceiveChar(2, got));
  ports.Hold(2);
  ports.ReleaseHold(2);
  char flow[2] = {};
  ASSERT_EQ(read(pty.master, flow, 1), 1);
  ASSERT_EQ(read(pty.master, flow + 1, 1), 1);
  EXPECT_EQ(flow[0], 0x13);
  EXPECT_EQ(flow[1], 0x11);
  ports.Release(2);
  ports.SetLine(2, 9600, 8, 1, 'N');
  EXPECT_NE(ports.LastError(2), 0);
}

TEST(PosixSerialPorts, SevenBitsWithParityOnAPseudoTerminalSetRawByItsPeer) {
  Pty pty;
  int peer = open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios t{};
  tcgetattr(peer, &t);
  cfmakeraw(&t);
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  tcsetattr(peer, TCSANOW, &t);
  PortDeviceTable table;
  table.SetDevice(0, pty.slave);
  PosixSerialPorts ports(table);
  ports.Initialise(0);
  ports.SetLine(0, 9600, 7, 1, 'E');
  EXPECT_EQ(ports.LastError(0), 0);
  EXPECT_EQ(ReadLineRate(pty.master), 9600);
  close(peer);
}

// The terminal's reception thread polls the port from the moment the window starts, while the
// window thread opens and sets it up: the port opened must be the one set up and released.
TEST(PosixSerialPorts, ReceptionBesideTheOpeningNeitherLosesNorLeaksThePort) {
  Pty pty;
  PortDeviceTable table;
  table.SetDevice(0, pty.slave);
  std::atomic<PosixSerialPorts*> current{nullptr};
  std::atomic<int> round{0}, received{0};
  std::atomic<bool> quit{false};
  std::thread reception([&] {
    for (int seen = 0; !quit;) {
      int r = round.load();
      if (r == seen) {
        std::this_thread::yield();
        continue;
      }
      seen = r;
      uint8_t c;
      current.load()->ReceiveChar(0, c);
      current.load()->CharsWaiting(0);
      received = r;
    }
  });
  for (int i = 1; i <= 1000; ++i) {
    {
      PosixSerialPorts ports(table);
      current = &ports;
      round = i;  // the reception starts now, as the opening does
      EXPECT_EQ(ports.Presence(0), SerialPorts::kPresent);
      ports.Initialise(0);
      ports.SetLine(0, 9600, 8, 1, 'N');
      int error = ports.LastError(0);
      while (received != i) std::this_thread::yield();
      EXPECT_EQ(error, 0) << "round " << i;
      if (error != 0) break;
    }
    int fd = open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;  // no open port left behind
    close(fd);
    EXPECT_TRUE(free) << "round " << i;
    if (!free) break;
  }
  quit = true;
  reception.join();
}

TEST(PosixSerialPorts, PortHeldByAnotherApplicationIsInUse) {
  Pty pty;
  int other = open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  PortDeviceTable table;
  table.SetDevice(0, pty.slave);
  PosixSerialPorts ports(table);
  EXPECT_EQ(ports.Presence(0), SerialPorts::kInUse);
  ports.Initialise(0);
  EXPECT_NE(ports.LastError(0), 0);
  close(other);
}

// A device that cannot be used is named with the reason a person can act on.
TEST(PosixSerialPorts, UnusableDevicesAreNamedWithTheReason) {
  testing::TempDir dir;
  EXPECT_EQ(DeviceProblem(dir.file("ttyUSB7"), ENOENT), dir.file("ttyUSB7") + ": no such device");
  std::string plain = dir.file("plain");
  testing::WriteFile(plain, "");
  PortDeviceTable table;
  table.SetDevice(0, plain);
  table.SetDevice(1, dir.file("gone"));
  PosixSerialPorts ports(table);
  ports.Initialise(0);
  EXPECT_EQ(ports.Problem(0), plain + ": not a terminal");
  EXPECT_EQ(ports.Problem(1), dir.file("gone") + ": no such device");

  // Permission denied names the group that owns the device.
  Pty pty;
  group* dialout = getgrnam("dialout");
  if (!dialout || getuid() != 0) GTEST_SKIP() << "needs root and a dialout group";
  ASSERT_EQ(chown(pty.slave.c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(chmod(pty.slave.c_str(), 0660), 0);
  EXPECT_EQ(DeviceProblem(pty.slave, EACCES),
            pty.slave + ": permission denied; members of the group dialout may use it");
  // As a user outside the group, the port's own open says so.
  table.SetDevice(2, pty.slave);
  auto openAsNobody = [&] {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) std::exit(2);
    PosixSerialPorts mine(table);
    mine.Initialise(2);
    std::exit(mine.LastError(2) == EACCES &&
                      mine.Problem(2) == pty.slave +
                                             ": permission denied; members of the group dialout "
                                             "may use it"
                  ? 0
                  : 1);
  };
  EXPECT_EXIT(openAsNobody(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tidora
