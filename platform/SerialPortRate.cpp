// Bit rates without a termios constant (3600, 7200, 14400, 28800, ...) are
// set exactly through the kernel's termios2 interface and its BOTHER flag.
// This file includes the kernel's terminal definitions, which clash with
// <termios.h>; nothing else lives here.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace quillon::serialrate {

int SetExact(int fd, int bitRate) {
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  t.c_cflag &= ~static_cast<tcflag_t>(CBAUD);
  t.c_cflag |= BOTHER;
  t.c_ispeed = static_cast<speed_t>(bitRate);
  t.c_ospeed = static_cast<speed_t>(bitRate);
  if (::ioctl(fd, TCSETS2, &t) != 0) return errno;
  return 0;
}

int ReadBack(int fd, int* bitRate) {
  struct termios2 t {};
  if (::ioctl(fd, TCGETS2, &t) != 0) return errno;
  *bitRate = static_cast<int>(t.c_ospeed);
  return 0;
}

}  // namespace quillon::serialrate
