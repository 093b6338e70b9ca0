#pragma once
// A thin owner of one IPv4 TCP socket with the few operations the device
// link and the emulator need: connect, listen, wait, peek the count of
// waiting bytes, send and receive. Errors are reported as errno values.
#include <netinet/in.h>

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace quillon {

class TcpSocket {
 public:
  TcpSocket() = default;
  explicit TcpSocket(int fd) : fd_(fd) {}
  ~TcpSocket();
  TcpSocket(TcpSocket&& other) noexcept;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Creates an IPv4 stream socket; false (and LastError) on failure.
  bool Create();
  bool IsValid() const { return fd_ >= 0; }
  int Fd() const { return fd_; }
  // Closes the socket; true when it was open.
  bool Close();

  // Linger on with time 0, so closing resets the connection at once.
  bool SetLingerZero();
  bool SetBufferSizes(int sendBytes, int receiveBytes);

  // Connects to address:port (host byte order port); waits at most
  // timeoutMs for the connection to be made.
  bool Connect(const in_addr& address, int port, int timeoutMs);

  // Binds to 127.0.0.1 (or the given dotted address) and listens; port 0
  // takes a free port. BoundPort tells which one.
  bool Listen(const std::string& address, int port, int backlog = 4);
  int BoundPort() const;
  // Accepts one connection, waiting at most timeoutMs; an invalid socket
  // on time-out or error.
  TcpSocket Accept(int timeoutMs);

  // 1 when ready, 0 on time-out, -1 on error.
  int WaitReadable(int timeoutMs) const;
  int WaitWritable(int timeoutMs) const;
  // Number of bytes waiting to be read; -1 on error.
  int BytesWaiting() const;
  // Receive/send return the count, 0 when the peer closed, -1 on error.
  ssize_t Receive(void* buffer, std::size_t size);
  ssize_t Send(const void* buffer, std::size_t size);
  // Sends everything, retrying short sends; false on error.
  bool SendAll(const void* buffer, std::size_t size);

  int LastError() const { return lastError_; }

  // "a.b.c.d" to an address; false when the text is not dotted IPv4.
  static bool ParseDotted(const std::string& text, in_addr* address);
  // Name lookup: the first IPv4 address of host.
  static bool Resolve(const std::string& host, in_addr* address);

 private:
  int fd_ = -1;
  mutable int lastError_ = 0;
};

}  // namespace quillon
