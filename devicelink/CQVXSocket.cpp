// Byte transport of the device worker: TCP with a reachability test, or a
// serial port; every operation takes a first-byte time-out t1 and an
// end-of-data time-out t2 in milliseconds.
#include "devicelink/CQVXSocket.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "devicelink/CQVX.h"
#include "platform/IcmpEcho.h"

namespace quillon {

namespace {

constexpr uint32_t kInternal = CQVXSocketException::kInternalError;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

CQVXSocket::CQVXSocket(CQVX* parent, const std::string& host, int port)
    : m_parent(parent), m_host(host), m_port(static_cast<uint16_t>(port)) {
  m_devicePath = SerialPort::PathForPort(m_serialPort);
}

CQVXSocket::~CQVXSocket() {
  m_disconnect.Set();
  Join();
  Close();
}

void CQVXSocket::SetTCP(const std::string& host, int port) {
  m_host = host;
  m_port = static_cast<uint16_t>(port);
  m_linkIsTCP = 1;
}

int CQVXSocket::SetSerial(int portNumber, int bitRate, int parity, int dataBits, int stopBits, int flow) {
  m_serialPort = portNumber;
  m_port = static_cast<uint16_t>(portNumber);
  m_bitRate = bitRate;
  m_dataBits = dataBits;
  m_stopBits = (stopBits == 0 || stopBits == 2) ? stopBits : -1;
  m_parity = (parity >= 0 && parity <= 4) ? parity : -1;
  m_flow = (flow >= 0 && flow <= 5) ? flow : -1;
  if (!m_devicePathGiven) m_devicePath = SerialPort::PathForPort(portNumber);
  m_linkIsTCP = 0;
  return (m_stopBits != -1 && m_parity != -1 && m_flow != -1) ? 1 : 0;
}

void CQVXSocket::SetSerialDevicePath(const std::string& path) {
  m_devicePathGiven = !path.empty();
  m_devicePath = m_devicePathGiven ? path : SerialPort::PathForPort(m_serialPort);
}

// --- open / close ---

bool CQVXSocket::Open() { return m_linkIsTCP ? OpenTCP() : OpenSerial(); }

bool CQVXSocket::OpenTCP() {
  if (m_parent == nullptr) throw CQVXSocketException("TCP Connect setup error", kInternal);
  std::string address;
  int port = 23;
  m_parent->GetTarget(&address, &port, nullptr);
  m_host = address;
  m_port = static_cast<uint16_t>(port);

  // A device that does not answer the echo is never connected to. Where
  // the test cannot be made at all the device counts as reachable.
  if (IcmpEcho::Test(m_host, 1000) == IcmpEcho::Result::Unreachable) {
    m_connected = false;
    m_parent->PostEvent(16);
    return false;
  }
  if (!m_socket.IsValid()) {
    if (!m_socket.Create()) {
      ReportSocketError(m_socket.LastError());
      return false;
    }
    m_socket.SetLingerZero();
    m_socket.SetBufferSizes(kTcpChunk, kTcpChunk);
  }
  in_addr target{};
  bool ok = TcpSocket::ParseDotted(m_host, &target) && m_socket.Connect(target, m_port, 10000);
  if (!ok && TcpSocket::Resolve(m_host, &target)) {
    // A failed connect leaves the socket unusable; try once more on a new one.
    m_socket.Create();
    m_socket.SetLingerZero();
    m_socket.SetBufferSizes(kTcpChunk, kTcpChunk);
    ok = m_socket.Connect(target, m_port, 10000);
  }
  if (!ok) {
    ReportSocketError(m_socket.LastError());
    m_socket.Close();
    m_connected = false;
    return false;
  }
  m_address = sockaddr_in{};
  m_address.sin_family = AF_INET;
  m_address.sin_port = htons(m_port);
  m_address.sin_addr = target;
  m_connected = true;
  return true;
}

void CQVXSocket::ReportSocketError(int error) {
  m_lastSocketError = std::strerror(error);
  // The worker never shows anything itself: the link keeps the text for the
  // window (the "Socket Error" box, when showing is on) or the command line.
  if (m_parent) m_parent->SetLastSocketError(m_lastSocketError);
}

bool CQVXSocket::OpenSerial() {
  m_serial.Close();
  if (m_parity == -1 || m_stopBits == -1 || m_flow == -1) return false;
  if (m_dataBits != 7 && m_dataBits != 8) return false;
  if (m_bitRate < 300 || m_bitRate >= 384001) return false;
  if (m_serialPort >= 65536) return false;
  if (!m_serial.Open(m_devicePath)) {
    ReportSocketError(m_serial.LastError());
    if (m_parent) m_parent->PostEvent(15);
    return false;
  }
  if (!m_serial.ReadSettings()) {
    ReportSocketError(m_serial.LastError());
    m_serial.Close();
    throw CQVXSocketException("Can't read comm port state", kInternal);
  }
  if (!m_serial.ApplySettings(m_bitRate, m_dataBits, m_parity, m_stopBits, m_flow)) {
    ReportSocketError(m_serial.LastError());
    m_serial.Close();
    throw CQVXSocketException("Can't set comm port state", kInternal);
  }
  return true;
}

bool CQVXSocket::Close() {
  if (m_linkIsTCP) {
    m_connected = false;
    m_socket.Close();
    return true;
  }
  return m_serial.Close();
}

bool CQVXSocket::IsOpen() const { return m_linkIsTCP ? (m_connected && m_socket.IsValid()) : m_serial.IsOpen(); }

// --- waiting ---

bool CQVXSocket::WaitReadable(int timeoutMs, bool throwOnTimeout) {
  const int t = timeoutMs * m_timeoutScale;
  if (m_linkIsTCP) {
    const int rc = m_socket.WaitReadable(t);
    if (rc < 0) throw CQVXSocketException("Socket Readability Check Failed", static_cast<uint32_t>(m_socket.LastError()));
    return rc == 1;
  }
  if (!m_serial.IsOpen()) throw CQVXSocketException("com port in unknown state", 0);
  const int waiting = m_serial.BytesWaiting();
  if (waiting > 0) return true;
  const int rc = m_serial.WaitReadable(t);
  if (rc < 0) throw CQVXSocketException("com port in unknown state", 0);
  if (rc == 0) {
    if (throwOnTimeout) throw CQVXSocketException("serial port timeout", 0);
    return false;
  }
  return true;
}

bool CQVXSocket::WaitWritable(int timeoutMs, bool throwOnTimeout) {
  if (!m_linkIsTCP) return m_serial.IsOpen();
  const int rc = m_socket.WaitWritable(timeoutMs * m_timeoutScale);
  if (rc != 1 && throwOnTimeout) {
    throw CQVXSocketException("Socket Writability Check Failed", static_cast<uint32_t>(m_socket.LastError()));
  }
  return rc == 1;
}

// --- writing ---

void CQVXSocket::WriteBytes(const uint8_t* bytes, int count, int t1, int t2) {
  if (bytes == nullptr || count <= 0) return;
  if (m_linkIsTCP) {
    WriteBytesTCP(bytes, count, t1, t2);
  } else {
    WriteBytesSerial(bytes, count, t2);
  }
}

void CQVXSocket::WriteBytesTCP(const uint8_t* bytes, int count, int t1, int t2) {
  int sent = 0;
  bool first = true;
  while (sent < count) {
    const int rc = m_socket.WaitWritable((first ? t1 : t2) * m_timeoutScale);
    if (rc != 1) {
      throw CQVXSocketException("Socket Writability Check Failed",
                                static_cast<uint32_t>(rc == 0 ? ETIMEDOUT : m_socket.LastError()));
    }
    first = false;
    const int piece = std::min(kTcpChunk, count - sent);
    const ssize_t n = m_socket.Send(bytes + sent, static_cast<std::size_t>(piece));
    if (n <= 0) return;  // a send error ends the write; the next read tells
    sent += static_cast<int>(n);
    if (m_reportProgress && m_parent) m_parent->SetTransferProgress(sent, count);
  }
}

void CQVXSocket::WriteBytesSerial(const uint8_t* bytes, int count, int t2) {
  if (!m_serial.IsOpen()) throw CQVXSocketException("com port in unknown state", kInternal);
  int sent = 0;
  while (sent < count) {
    const int chunkEnd = std::min(count, sent + kSerialChunk);
    // A chunk is written completely or the write times out.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int64_t>(t2) * m_timeoutScale);
    while (sent < chunkEnd) {
      const ssize_t n = m_serial.Write(bytes + sent, static_cast<std::size_t>(chunkEnd - sent));
      if (n < 0) throw CQVXSocketException("com port in unknown state", kInternal);
      if (n > 0) {
        sent += static_cast<int>(n);
        continue;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      if (left <= 0 || m_serial.WaitWritable(static_cast<int>(left)) != 1) {
        throw CQVXSocketException("serial write timeout", kInternal);
      }
    }
    if (m_reportProgress && m_parent) m_parent->SetTransferProgress(sent, count);
    // Small input buffers on the device: pause after every chunk.
    Sleep(kSerialChunkPauseMs);
  }
}

void CQVXSocket::WriteText(const std::string& text, int t1, int t2) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int count = static_cast<int>(text.size());
  if (m_linkIsTCP) {
    m_resendWait = 0;
    WriteBytes(bytes, count, t1, t2);
    return;
  }
  WriteBytes(bytes, count, t1, t2);
  const int resend = m_resendWait;
  m_resendWait = 0;
  if (resend >= 1 && !WaitReadable(resend, false)) WriteBytes(bytes, count, t1, t2);
}

// --- reading ---

int CQVXSocket::ReadBytes(uint8_t* buffer, int count, int t1, int t2) {
  if (buffer == nullptr || count <= 0) return 0;
  return m_linkIsTCP ? ReadBytesTCP(buffer, count, t1, t2) : ReadBytesSerial(buffer, count, t1, t2);
}

int CQVXSocket::ReadBytesTCP(uint8_t* buffer, int count, int t1, int t2) {
  if (!WaitReadable(t1, false)) return 0;
  int got = 0;
  for (;;) {
    const int waiting = m_socket.BytesWaiting();
    if (waiting <= 0) throw CQVXSocketException("Read Buffer Timeout", 0);
    int take = std::min(waiting, count - got);
    while (take > 0) {
      const ssize_t n = m_socket.Receive(buffer + got, static_cast<std::size_t>(std::min(take, 64)));
      if (n <= 0) throw CQVXSocketException("Read Buffer Timeout", 0);
      got += static_cast<int>(n);
      take -= static_cast<int>(n);
    }
    if (m_reportProgress && m_parent) m_parent->SetTransferProgress(got, count);
    if (got >= count) return got;
    if (!WaitReadable(t2, false)) return got;
  }
}

int CQVXSocket::ReadSerialQueue(uint8_t* buffer, int count, const char* emptyMessage) {
  int waiting = m_serial.BytesWaiting();
  if (waiting < 0) throw CQVXSocketException("unknown serial port state", kInternal);
  const bool queueEmpty = waiting == 0;
  if (queueEmpty) waiting = 1;  // readable with an empty queue: a hang-up or error shows on the read
  const ssize_t n = m_serial.Read(buffer, static_cast<std::size_t>(std::min(waiting, count)));
  if (n < 0 || (n == 0 && queueEmpty)) throw CQVXSocketException(emptyMessage, kInternal);
  return static_cast<int>(n);
}

int CQVXSocket::ReadBytesSerial(uint8_t* buffer, int count, int t1, int t2) {
  WaitReadable(t1, true);
  int got = ReadSerialQueue(buffer, count, "serial read error");
  while (got < count) {
    if (m_reportProgress && m_parent) m_parent->SetTransferProgress(got, count);
    if (!WaitReadable(t2, false)) return got;
    got += ReadSerialQueue(buffer + got, count - got, "serial read error");
  }
  if (m_reportProgress && m_parent) m_parent->SetTransferProgress(got, count);
  return got;
}

std::string CQVXSocket::ReadString(int t1, int t2) {
  return m_linkIsTCP ? ReadStringTCP(t1, t2) : ReadStringSerial(t1, t2);
}

std::string CQVXSocket::ReadStringTCP(int t1, int t2) {
  std::string text;
  if (!WaitReadable(t1, false)) return text;
  for (bool first = true;; first = false) {
    const int waiting = m_socket.BytesWaiting();
    if (waiting <= 0) {
      if (first) throw CQVXSocketException("Read String Timeout", 0);
      return text;
    }
    std::vector<char> piece(static_cast<std::size_t>(waiting) + 1);
    int got = 0;
    while (got < waiting) {
      const ssize_t n = m_socket.Receive(piece.data() + got, static_cast<std::size_t>(waiting - got));
      if (n <= 0) throw CQVXSocketException("Read String Timeout", 0);
      got += static_cast<int>(n);
    }
    text.append(piece.data(), static_cast<std::size_t>(got));
    if (!WaitReadable(t2, false)) return text;
  }
}

std::string CQVXSocket::ReadStringSerial(int t1, int t2) {
  WaitReadable(t1, true);
  std::string text;
  for (;;) {
    int waiting = m_serial.BytesWaiting();
    if (waiting < 0) throw CQVXSocketException("unknown serial port state", kInternal);
    const bool queueEmpty = waiting == 0;
    if (queueEmpty) waiting = 1;
    std::vector<uint8_t> piece(static_cast<std::size_t>(waiting));
    const ssize_t n = m_serial.Read(piece.data(), piece.size());
    if (n < 0 || (n == 0 && queueEmpty)) throw CQVXSocketException("serial read error", kInternal);
    text.append(reinterpret_cast<const char*>(piece.data()), static_cast<std::size_t>(n));
    if (!WaitReadable(t2, false)) return text;
  }
}

std::string CQVXSocket::ReadLine(int t1, int t2) {
  std::string text = ReadString(t1, t2);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

// --- time ---

int64_t CQVXSocket::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

bool CQVXSocket::IntervalPassed(int64_t fromMs, int64_t toMs, int intervalMs) {
  const std::time_t a = static_cast<std::time_t>(fromMs / 1000);
  const std::time_t b = static_cast<std::time_t>(toMs / 1000);
  std::tm ta{};
  std::tm tb{};
  localtime_r(&a, &ta);
  localtime_r(&b, &tb);
  if (ta.tm_year != tb.tm_year || ta.tm_yday != tb.tm_yday) return true;
  return toMs - fromMs >= intervalMs;
}

}  // namespace quillon
