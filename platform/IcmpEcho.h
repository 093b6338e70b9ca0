#pragma once
// Reachability test by ICMP echo. The device link asks it before every TCP
// connection so an address that does not answer is never connected to.
#include <string>

namespace quillon {

class IcmpEcho {
 public:
  enum class Result { Reachable, Unreachable, CannotTest };

  // Sends one echo request to a dotted IPv4 address and waits for its
  // reply. Uses an unprivileged ICMP datagram socket where the system
  // allows it, a raw ICMP socket otherwise; when neither can be opened the
  // answer is CannotTest. A text that is not a dotted address is
  // Unreachable.
  static Result Test(const std::string& dottedAddress, int timeoutMs = 1000);

  // The Internet checksum of an ICMP message.
  static unsigned short Checksum(const unsigned char* data, int length);
};

}  // namespace quillon
