#include "platform/TcpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace quillon {

namespace {

int PollOne(int fd, short events, int timeoutMs, int* error) {
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
    if (p.revents & POLLNVAL) {
      *error = EBADF;
      return -1;
    }
    // Hang-up and error count as readable: the next receive reports them.
    return 1;
  }
}

}  // namespace

TcpSocket::~TcpSocket() { Close(); }

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1)), lastError_(other.lastError_) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
    lastError_ = other.lastError_;
  }
  return *this;
}

bool TcpSocket::Create() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    lastError_ = errno;
    return false;
  }
  return true;
}

bool TcpSocket::Close() {
  if (fd_ < 0) return false;
  ::close(fd_);
  fd_ = -1;
  return true;
}

bool TcpSocket::SetLingerZero() {
  linger l{};
  l.l_onoff = 1;
  l.l_linger = 0;
  if (::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l) != 0) {
    lastError_ = errno;
    return false;
  }
  return true;
}

bool TcpSocket::SetBufferSizes(int sendBytes, int receiveBytes) {
  if (::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &sendBytes, sizeof sendBytes) != 0 ||
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBytes, sizeof receiveBytes) != 0) {
    lastError_ = errno;
    return false;
  }
  return true;
}

bool TcpSocket::Connect(const in_addr& address, int port, int timeoutMs) {
  if (fd_ < 0) {
    lastError_ = EBADF;
    return false;
  }
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  sa.sin_addr = address;
  const int flags = ::fcntl(fd_, F_GETFL, 0);
  ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
  int rc = ::connect(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  if (rc != 0 && errno != EINPROGRESS) {
    lastError_ = errno;
    ::fcntl(fd_, F_SETFL, flags);
    return false;
  }
  if (rc != 0) {
    if (PollOne(fd_, POLLOUT, timeoutMs, &lastError_) != 1) {
      if (lastError_ == 0) lastError_ = ETIMEDOUT;
      ::fcntl(fd_, F_SETFL, flags);
      return false;
    }
    int soError = 0;
    socklen_t len = sizeof soError;
    ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &soError, &len);
    if (soError != 0) {
      lastError_ = soError;
      ::fcntl(fd_, F_SETFL, flags);
      return false;
    }
  }
  ::fcntl(fd_, F_SETFL, flags);
  return true;
}

bool TcpSocket::Listen(const std::string& address, int port, int backlog) {
  if (fd_ < 0 && !Create()) return false;
  const int one = 1;
  ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  if (!ParseDotted(address, &sa.sin_addr)) {
    lastError_ = EINVAL;
    return false;
  }
  if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd_, backlog) != 0) {
    lastError_ = errno;
    return false;
  }
  return true;
}

int TcpSocket::BoundPort() const {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return -1;
  return ntohs(sa.sin_port);
}

TcpSocket TcpSocket::Accept(int timeoutMs) {
  if (WaitReadable(timeoutMs) != 1) return TcpSocket();
  const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (fd < 0) lastError_ = errno;
  return TcpSocket(fd);
}

int TcpSocket::WaitReadable(int timeoutMs) const { return PollOne(fd_, POLLIN, timeoutMs, &lastError_); }

int TcpSocket::WaitWritable(int timeoutMs) const { return PollOne(fd_, POLLOUT, timeoutMs, &lastError_); }

int TcpSocket::BytesWaiting() const {
  int count = 0;
  if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0) {
    lastError_ = fd_ < 0 ? EBADF : errno;
    return -1;
  }
  return count;
}

ssize_t TcpSocket::Receive(void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::recv(fd_, buffer, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) lastError_ = errno;
    return n;
  }
}

ssize_t TcpSocket::Send(const void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::send(fd_, buffer, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) lastError_ = errno;
    return n;
  }
}

bool TcpSocket::SendAll(const void* buffer, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  while (size > 0) {
    const ssize_t n = Send(p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TcpSocket::ParseDotted(const std::string& text, in_addr* address) {
  unsigned parts[4];
  char tail = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4) return false;
  for (unsigned part : parts) {
    if (part > 255) return false;
  }
  address->s_addr = htonl((parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3]);
  return true;
}

bool TcpSocket::Resolve(const std::string& host, in_addr* address) {
  if (host.empty()) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) return false;
  *address = reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr;
  ::freeaddrinfo(result);
  return true;
}

}  // namespace quillon
