// Arbitrary line rates (28800 has no termios constant) through the termios2 interface. Kept in a
// file of its own because the kernel's termios header clashes with the C library's.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace tidora::serial_detail {

bool SetCustomRate(int fd, long rate) {
  struct termios2 t2;
  if (ioctl(fd, TCGETS2, &t2) != 0) return false;
  t2.c_cflag &= ~CBAUD;
  t2.c_cflag |= BOTHER;
  t2.c_ispeed = static_cast<speed_t>(rate);
  t2.c_ospeed = static_cast<speed_t>(rate);
  return ioctl(fd, TCSETS2, &t2) == 0;
}

long GetRate(int fd) {
  struct termios2 t2;
  if (ioctl(fd, TCGETS2, &t2) != 0) return -1;
  return static_cast<long>(t2.c_ospeed);
}

}  // namespace tidora::serial_detail
