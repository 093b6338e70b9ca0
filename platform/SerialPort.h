#pragma once
// A serial port over termios: open by device path, configure line
// parameters and flow control, wait for input, read and write.
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace quillon {

class SerialPort {
 public:
  // Flow-control codes of the connection descriptions.
  enum Flow { kFlowOff = 0, kFlowCtsRts = 1, kFlowCtsDtr = 2, kFlowDsrRts = 3, kFlowDsrDtr = 4, kFlowXonXoff = 5 };
  // Parity codes: none, odd, even, mark, space.
  enum Parity { kParityNone = 0, kParityOdd = 1, kParityEven = 2, kParityMark = 3, kParitySpace = 4 };

  SerialPort() = default;
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // The device path of port number n: "/dev/ttyS<n-1>".
  static std::string PathForPort(int portNumber);

  // Opens the device for reading and writing, exclusively. False when it
  // cannot be opened (LastError tells why).
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // True when an open port was closed.
  bool Close();

  // Reads the current settings; false when the device is not a terminal.
  bool ReadSettings();
  // Applies bit rate, data bits, parity code, stop-bits code (0 = one,
  // 2 = two) and flow-control code over the settings last read and writes
  // them back. A rate without a standard constant (3600, 7200, 14400,
  // 28800, ...) is set exactly and read back. False (LastError tells why)
  // when the device refuses any of them: the port never runs at a rate
  // other than the one asked for.
  bool ApplySettings(int bitRate, int dataBits, int parity, int stopBits, int flow);
  // The output bit rate the port runs at; -1 when it cannot be read.
  int GetBitRate() const;

  // Bytes in the input queue; -1 on error.
  int BytesWaiting() const;
  // 1 when input is waiting, 0 on time-out, -1 on error or hang-up.
  int WaitReadable(int timeoutMs) const;
  // 1 when the port accepts output, 0 on time-out, -1 on error.
  int WaitWritable(int timeoutMs) const;
  ssize_t Read(void* buffer, std::size_t size);
  ssize_t Write(const void* buffer, std::size_t size);

  int LastError() const { return lastError_; }

 private:
  int fd_ = -1;
  mutable int lastError_ = 0;
  bool haveSettings_ = false;
  unsigned char settings_[128] = {};  // struct termios, kept opaque here
};

}  // namespace quillon
