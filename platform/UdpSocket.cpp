#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillon {

UdpSocket::~UdpSocket() { Close(); }

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : m_fd(other.m_fd), m_lastError(other.m_lastError) {
  other.m_fd = -1;
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = other.m_fd;
    m_lastError = other.m_lastError;
    other.m_fd = -1;
  }
  return *this;
}

bool UdpSocket::Fail() {
  m_lastError = errno;
  return false;
}

bool UdpSocket::Open() {
  Close();
  m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (m_fd < 0) return Fail();
  return true;
}

void UdpSocket::Close() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
}

bool UdpSocket::EnableBroadcast() {
  int on = 1;
  if (::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) return Fail();
  return true;
}

bool UdpSocket::EnableReuseAddress() {
  int on = 1;
  if (::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) return Fail();
  return true;
}

bool UdpSocket::Bind(uint32_t address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(address);
  sa.sin_port = htons(port);
  if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return Fail();
  return true;
}

uint16_t UdpSocket::LocalPort() const {
  if (m_fd < 0) return 0;
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  if (::getsockname(m_fd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

bool UdpSocket::SendTo(uint32_t address, uint16_t port, const void* data, size_t size) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(address);
  sa.sin_port = htons(port);
  const ssize_t sent =
      ::sendto(m_fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  if (sent < 0) return Fail();
  if (static_cast<size_t>(sent) != size) {
    m_lastError = EMSGSIZE;
    return false;
  }
  return true;
}

UdpSocket::PollResult UdpSocket::PollReadable(int timeout_ms) {
  if (m_fd < 0) {
    m_lastError = EBADF;
    return PollResult::Error;
  }
  pollfd p{};
  p.fd = m_fd;
  p.events = POLLIN;
  int n;
  do {
    n = ::poll(&p, 1, timeout_ms);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    m_lastError = errno;
    return PollResult::Error;
  }
  if (n == 0) return PollResult::Nothing;
  if (p.revents & (POLLERR | POLLNVAL)) {
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
    if (err == 0) err = (p.revents & POLLNVAL) ? EBADF : EIO;
    m_lastError = err;
    return PollResult::Error;
  }
  return (p.revents & POLLIN) ? PollResult::Readable : PollResult::Nothing;
}

long UdpSocket::ReceiveFrom(void* buffer, size_t size, uint32_t* address, uint16_t* port) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  ssize_t n;
  do {
    n = ::recvfrom(m_fd, buffer, size, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sa), &len);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    m_lastError = errno;
    return -1;
  }
  if (address) *address = ntohl(sa.sin_addr.s_addr);
  if (port) *port = ntohs(sa.sin_port);
  return static_cast<long>(n);
}

std::string UdpSocket::SystemText(int error) {
  char buffer[256];
  buffer[0] = '\0';
  // The GNU variant may return a static text instead of filling the buffer.
  const char* text = ::strerror_r(error, buffer, sizeof buffer);
  return text ? std::string(text) : std::string(buffer);
}

bool UdpSocket::ParseAddress(const std::string& text, uint32_t* address) {
  in_addr a{};
  if (::inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
  if (address) *address = ntohl(a.s_addr);
  return true;
}

std::string UdpSocket::FormatAddress(uint32_t address) {
  char buffer[20];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", (address >> 24) & 0xFFu, (address >> 16) & 0xFFu,
                (address >> 8) & 0xFFu, address & 0xFFu);
  return buffer;
}

bool UdpSocket::IsConnectionReset(int error) { return error == ECONNRESET || error == ECONNREFUSED; }

}  // namespace quillon
