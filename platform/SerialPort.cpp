#include "platform/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillon {

namespace serialrate {
// SerialPortRate.cpp: the exact rate through termios2 (0 or an errno value).
int SetExact(int fd, int bitRate);
int ReadBack(int fd, int* bitRate);
}  // namespace serialrate

static_assert(sizeof(termios) <= 128, "termios must fit the settings store");

namespace {

// The termios constant of a standard rate; B0 for a rate without one.
speed_t SpeedFor(int bitRate) {
  switch (bitRate) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
  }
}

int Poll(int fd, short events, int timeoutMs, int* error) {
  if (fd < 0) {
    *error = EBADF;
    return -1;
  }
  pollfd p{fd, events, 0};
  for (;;) {
    const int rc = ::poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
    if (rc < 0 && errno == EINTR) continue;
    if (rc < 0) {
      *error = errno;
      return -1;
    }
    if (rc == 0) return 0;
    if (p.revents & events) return 1;
    *error = (p.revents & POLLHUP) ? EPIPE : EIO;
    return -1;
  }
}

}  // namespace

SerialPort::~SerialPort() { Close(); }

std::string SerialPort::PathForPort(int portNumber) { return "/dev/ttyS" + std::to_string(portNumber - 1); }

bool SerialPort::Open(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    lastError_ = errno;
    return false;
  }
  // Not shared: a second opener is refused while we hold the port.
  if (::ioctl(fd_, TIOCEXCL) != 0 && errno != ENOTTY) {
    lastError_ = errno;
    Close();
    return false;
  }
  return true;
}

bool SerialPort::Close() {
  if (fd_ < 0) return false;
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
  haveSettings_ = false;
  return true;
}

bool SerialPort::ReadSettings() {
  termios t{};
  if (fd_ < 0 || ::tcgetattr(fd_, &t) != 0) {
    lastError_ = fd_ < 0 ? EBADF : errno;
    return false;
  }
  std::memcpy(settings_, &t, sizeof t);
  haveSettings_ = true;
  return true;
}

bool SerialPort::ApplySettings(int bitRate, int dataBits, int parity, int stopBits, int flow) {
  if (!haveSettings_ && !ReadSettings()) return false;
  termios t{};
  std::memcpy(&t, settings_, sizeof t);
  // Raw bytes: no line editing, echo, signals or character translation.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CREAD | CLOCAL;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  // A rate without a constant is set exactly below; the line is first set
  // to 9600 so that nothing runs at a stale rate if that fails.
  const speed_t speed = SpeedFor(bitRate);
  ::cfsetispeed(&t, speed == B0 ? B9600 : speed);
  ::cfsetospeed(&t, speed == B0 ? B9600 : speed);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
  t.c_cflag |= dataBits == 7 ? CS7 : CS8;
  t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
  t.c_iflag &= ~static_cast<tcflag_t>(INPCK);
  switch (parity) {
    case kParityOdd: t.c_cflag |= PARENB | PARODD; break;
    case kParityEven: t.c_cflag |= PARENB; break;
    case kParityMark: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case kParitySpace: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (stopBits == 2) {
    t.c_cflag |= CSTOPB;
  } else {
    t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
  }
  // Flow control. The terminal layer offers one hardware handshake (RTS
  // and CTS); the four hardware modes all map to it.
  t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  switch (flow) {
    case kFlowCtsRts:
    case kFlowCtsDtr:
    case kFlowDsrRts:
    case kFlowDsrDtr: t.c_cflag |= CRTSCTS; break;
    case kFlowXonXoff:
      t.c_iflag |= IXON | IXOFF;
      t.c_cc[VSTART] = 17;
      t.c_cc[VSTOP] = 19;
      break;
    default: break;
  }
  if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
    lastError_ = errno;
    return false;
  }
  if (speed == B0) {
    // Never talk at the wrong speed: the exact rate is set and read back,
    // and a device that does not take it is refused.
    int actual = 0;
    int err = serialrate::SetExact(fd_, bitRate);
    if (err == 0) err = serialrate::ReadBack(fd_, &actual);
    if (err == 0 && actual != bitRate) err = EINVAL;
    if (err != 0) {
      lastError_ = err;
      return false;
    }
  }
  if (::tcgetattr(fd_, &t) == 0) std::memcpy(settings_, &t, sizeof t);
  return true;
}

int SerialPort::GetBitRate() const {
  int rate = 0;
  if (fd_ < 0 || serialrate::ReadBack(fd_, &rate) != 0) return -1;
  return rate;
}

int SerialPort::BytesWaiting() const {
  int count = 0;
  if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0) {
    lastError_ = fd_ < 0 ? EBADF : errno;
    return -1;
  }
  return count;
}

int SerialPort::WaitReadable(int timeoutMs) const { return Poll(fd_, POLLIN, timeoutMs, &lastError_); }

int SerialPort::WaitWritable(int timeoutMs) const { return Poll(fd_, POLLOUT, timeoutMs, &lastError_); }

ssize_t SerialPort::Read(void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return 0;
    if (n < 0) lastError_ = errno;
    return n;
  }
}

ssize_t SerialPort::Write(const void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::write(fd_, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return 0;
    if (n < 0) lastError_ = errno;
    return n;
  }
}

}  // namespace quillon
