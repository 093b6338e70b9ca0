#include "platform/IcmpEcho.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/TcpSocket.h"
#include "platform/UniqueFd.h"

namespace quillon {

namespace {

using Clock = std::chrono::steady_clock;

// Waits for readability with the time left until the deadline.
bool WaitUntil(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int rc = ::poll(&p, 1, static_cast<int>(left));
    if (rc < 0 && errno == EINTR) continue;
    return rc > 0 && (p.revents & POLLIN);
  }
}

// Datagram ICMP socket: the kernel chooses the identifier and hands back
// only the replies that belong to this socket, without the IP header.
IcmpEcho::Result TestDatagram(int rawFd, const sockaddr_in& target, int timeoutMs) {
  UniqueFd fd(rawFd);
  static const char kPayload[] = "PINGPONGPINGPONG";
  unsigned char packet[8 + 16] = {};
  packet[0] = 8;  // echo request
  std::memcpy(packet + 8, kPayload, 16);
  const int ttl = 30;
  ::setsockopt(fd.Get(), IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
  const unsigned short sum = IcmpEcho::Checksum(packet, sizeof packet);
  std::memcpy(packet + 2, &sum, 2);
  if (::sendto(fd.Get(), packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0) {
    return IcmpEcho::Result::Unreachable;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (WaitUntil(fd.Get(), deadline)) {
    unsigned char reply[64];
    const ssize_t n = ::recv(fd.Get(), reply, sizeof reply, 0);
    if (n < 0) return IcmpEcho::Result::Unreachable;
    // Exactly the 16 data bytes sent must come back.
    if (n == 8 + 16 && reply[0] == 0 && std::memcmp(reply + 8, kPayload, 16) == 0) return IcmpEcho::Result::Reachable;
  }
  return IcmpEcho::Result::Unreachable;
}

// Raw ICMP socket: identifier and sequence come from the process id; the
// datagrams received carry the IP header and every ICMP message the host
// sees, so only those with our identifier are considered.
IcmpEcho::Result TestRaw(int rawFd, const sockaddr_in& target, int timeoutMs) {
  UniqueFd fd(rawFd);
  const unsigned pid = static_cast<unsigned>(::getpid());
  const unsigned short id = static_cast<unsigned short>(pid & 0xFFFF);
  const unsigned short seq = static_cast<unsigned short>((pid >> 16) & 0xFFFF);
  unsigned char packet[24];
  std::memset(packet, '.', sizeof packet);
  packet[0] = 8;
  packet[1] = 0;
  packet[2] = packet[3] = 0;
  std::memcpy(packet + 4, &id, 2);
  std::memcpy(packet + 6, &seq, 2);
  const unsigned short sum = IcmpEcho::Checksum(packet, sizeof packet);
  std::memcpy(packet + 2, &sum, 2);
  if (::sendto(fd.Get(), packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&target), sizeof target) < 0) {
    return IcmpEcho::Result::Unreachable;
  }
  for (;;) {
    // Each wait allows a further period, as long as unrelated traffic keeps
    // arriving within it.
    if (!WaitUntil(fd.Get(), Clock::now() + std::chrono::milliseconds(timeoutMs))) return IcmpEcho::Result::Unreachable;
    unsigned char reply[47];
    const ssize_t n = ::recv(fd.Get(), reply, sizeof reply, 0);
    if (n < 1) return IcmpEcho::Result::Unreachable;
    const int ipHeader = (reply[0] & 0x0F) * 4;
    if (n < ipHeader + 8) continue;
    unsigned short replyId = 0;
    std::memcpy(&replyId, reply + ipHeader + 4, 2);
    if (replyId != id) continue;
    const unsigned char type = reply[ipHeader];
    // Our own request looped back (a test of a local address) is not the
    // answer; wait for the reply behind it.
    if (type == 8) continue;
    return type == 0 ? IcmpEcho::Result::Reachable : IcmpEcho::Result::Unreachable;
  }
}

}  // namespace

unsigned short IcmpEcho::Checksum(const unsigned char* data, int length) {
  unsigned long sum = 0;
  int i = 0;
  for (; i + 1 < length; i += 2) {
    unsigned short word;
    std::memcpy(&word, data + i, 2);
    sum += word;
  }
  if (i < length) {
    unsigned short word = 0;
    std::memcpy(&word, data + i, 1);
    sum += word;
  }
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<unsigned short>(~sum & 0xFFFF);
}

IcmpEcho::Result IcmpEcho::Test(const std::string& dottedAddress, int timeoutMs) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  if (!TcpSocket::ParseDotted(dottedAddress, &target.sin_addr)) return Result::Unreachable;
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd >= 0) return TestDatagram(fd, target, timeoutMs);
  fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd >= 0) return TestRaw(fd, target, timeoutMs);
  return Result::CannotTest;
}

}  // namespace quillon
