#pragma once
// A small IPv4 UDP socket over POSIX sockets, used by device discovery and
// the emulator's discovery answerer. Errors are reported as errno values;
// SystemText turns one into the system's message.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

class UdpSocket {
 public:
  // Result of a readability poll.
  enum class PollResult { Nothing = 0, Readable = 1, Error = -1 };

  UdpSocket() = default;
  ~UdpSocket();
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;
  UdpSocket(UdpSocket&& other) noexcept;
  UdpSocket& operator=(UdpSocket&& other) noexcept;

  // Creates the socket (closing any previous one); false on failure.
  bool Open();
  bool IsOpen() const { return m_fd >= 0; }
  void Close();

  // Allows sending to broadcast addresses.
  bool EnableBroadcast();
  // Lets several sockets bind the same port (needed to share a broadcast port).
  bool EnableReuseAddress();
  // Binds to ADDRESS (host order; 0 = any local address) and PORT (0 = any free port).
  bool Bind(uint32_t address, uint16_t port);
  // The port the socket is bound to, or 0.
  uint16_t LocalPort() const;

  // Sends one datagram to ADDRESS:PORT (host order); false unless all bytes went out.
  bool SendTo(uint32_t address, uint16_t port, const void* data, size_t size);
  // Waits up to TIMEOUT_MS (0 = not at all) for a datagram to read. A pending
  // socket error gives Error with that error recorded.
  PollResult PollReadable(int timeout_ms);
  // Receives one datagram of at most SIZE bytes; returns its size (cut to
  // SIZE) or -1 on error. ADDRESS and PORT (host order) receive the sender.
  long ReceiveFrom(void* buffer, size_t size, uint32_t* address, uint16_t* port);

  // The errno of the last failed call.
  int LastError() const { return m_lastError; }
  void ClearError() { m_lastError = 0; }

  static std::string SystemText(int error);
  // Parses a dotted IPv4 text into a host-order address; false if it is not one.
  static bool ParseAddress(const std::string& text, uint32_t* address);
  // "%u.%u.%u.%u" of a host-order address.
  static std::string FormatAddress(uint32_t address);
  // True for the errors that mean a peer reset or refused an earlier datagram.
  static bool IsConnectionReset(int error);

 private:
  bool Fail();

  int m_fd = -1;
  int m_lastError = 0;
};

}  // namespace quillon
