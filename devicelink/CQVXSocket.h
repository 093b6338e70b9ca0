#pragma once
// The device worker: the byte transport to one device (TCP or serial) and
// the thread that runs the conversation with it. The transport operations
// raise CQVXSocketException on failures inside a transfer; opening reports
// an unreachable address or an unusable port to the owning CQVX as events.
#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/CQVXSettings.h"
#include "devicelink/CQVXSocketException.h"
#include "platform/Event.h"
#include "platform/SerialPort.h"
#include "platform/TcpSocket.h"

namespace quillon {

class CQVX;
class CQVXDeviceType;
class CQVXUploadable;
class CQVXDownloadable;
class CQVXIrData;

class CQVXSocket {
 public:
  static constexpr int kTcpChunk = 512;
  static constexpr int kSerialChunk = 256;
  static constexpr int kSerialChunkPauseMs = 150;

  explicit CQVXSocket(CQVX* parent, const std::string& host = "127.0.0.1", int port = 23);
  virtual ~CQVXSocket();
  CQVXSocket(const CQVXSocket&) = delete;
  CQVXSocket& operator=(const CQVXSocket&) = delete;

  // --- configuration ---
  void SetTCP(const std::string& host, int port);
  // Stores the serial parameters; a stop-bits code other than 0 or 2, a
  // parity code outside 0..4 or a flow code outside 0..5 is stored as -1.
  // Returns 1 only when all three are valid.
  int SetSerial(int portNumber, int bitRate, int parity, int dataBits, int stopBits, int flow);
  // Names the serial device directly (a pseudo-terminal, say); empty gives
  // the path derived from the port number.
  void SetSerialDevicePath(const std::string& path);
  const std::string& GetSerialDevicePath() const { return m_devicePath; }
  bool IsTCP() const { return m_linkIsTCP != 0; }
  void SetTimeoutScale(int scale) { m_timeoutScale = scale < 1 ? 1 : scale; }
  void SetResendWait(int ms) { m_resendWait = ms; }
  int GetResendWait() const { return m_resendWait; }
  void SetShowSocketErrors(bool show) { m_showSocketErrors = show ? 1 : 0; }
  // The system text of the last error reported while opening the link (a
  // socket, or the serial port); also handed to the link (CQVX).
  const std::string& GetLastSocketError() const { return m_lastSocketError; }

  // --- transport ---
  bool Open();
  bool Close();
  bool IsOpen() const;
  bool WaitReadable(int timeoutMs, bool throwOnTimeout);
  bool WaitWritable(int timeoutMs, bool throwOnTimeout);
  void WriteBytes(const uint8_t* bytes, int count, int t1, int t2);
  void WriteText(const std::string& text, int t1, int t2);
  // Reads up to count bytes; returns how many arrived.
  int ReadBytes(uint8_t* buffer, int count, int t1, int t2);
  std::string ReadString(int t1, int t2);
  // ReadString without trailing carriage returns and line feeds.
  std::string ReadLine(int t1, int t2);

  // --- thread ---
  // Sets the running event and starts the thread.
  void Start();
  // Waits for a finished thread to be gone (after the running event cleared).
  void Join();
  Event& RunningEvent() { return m_running; }
  Event& DisconnectEvent() { return m_disconnect; }

  // An interval counts as passed when the two stamps (milliseconds since
  // 1970) fall on different local calendar days or lie at least
  // intervalMs apart.
  static bool IntervalPassed(int64_t fromMs, int64_t toMs, int intervalMs);
  static int64_t NowMs();

 protected:
  // The conversation; returns non-zero to have OnRunEnd called.
  virtual int Run();
  // Posts event 4.
  virtual void OnRunEnd();

 private:

  void ThreadMain();
  bool OpenTCP();
  bool OpenSerial();
  void ReportSocketError(int error);

  // Conversation pieces.
  bool LogIn(const CQVXSettings& s);
  void Query(const std::string& command, int resend, int t1, int t2, bool raw, std::string* reply);
  void FullUpdate(const CQVXSettings& s, bool firstUpdate, const std::vector<std::string>& commands, uint32_t bits,
                  bool transfers);
  void Capture(const CQVXSettings& s);
  void ServeUpload(const CQVXSettings& s, std::unique_ptr<CQVXUploadable> item);
  void ServeDownload(const CQVXSettings& s, std::unique_ptr<CQVXDownloadable> item);
  void CloseLinkWithEvent(uint32_t kind);
  bool StopRequested() const { return m_disconnect.IsSet(); }

  int ReadBytesTCP(uint8_t* buffer, int count, int t1, int t2);
  int ReadBytesSerial(uint8_t* buffer, int count, int t1, int t2);
  std::string ReadStringTCP(int t1, int t2);
  std::string ReadStringSerial(int t1, int t2);
  void WriteBytesTCP(const uint8_t* bytes, int count, int t1, int t2);
  void WriteBytesSerial(const uint8_t* bytes, int count, int t2);
  int ReadSerialQueue(uint8_t* buffer, int count, const char* emptyMessage);

  CQVX* m_parent;
  // Transport fields.
  std::string m_host;
  int m_serialPort = 1;
  int m_bitRate = 9600;
  int m_dataBits = 8;
  int m_parity = 0;
  int m_stopBits = 0;
  int m_flow = 0;
  SerialPort m_serial;
  std::string m_devicePath;
  bool m_devicePathGiven = false;
  uint16_t m_port;
  int m_showSocketErrors = 0;
  int m_timeoutScale = 1;
  int m_linkIsTCP = 1;
  int m_resendWait = 0;
  TcpSocket m_socket;
  sockaddr_in m_address{};
  bool m_connected = false;
  std::string m_lastSocketError;
  // Set while the data of an upload or download moves: the byte loops then
  // report their progress to the link.
  bool m_reportProgress = false;

  // Thread.
  Event m_running{true, false};
  Event m_disconnect{true, false};
  std::thread m_thread;
};

}  // namespace quillon
