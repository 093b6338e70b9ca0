#pragma once
// Device discovery: broadcasts an "ask" datagram over UDP and gathers the
// answers devices send back on a listener thread. Each device whose part
// number is in the device table is recorded once; later answers of the same
// device only renew its time received. Records never expire; they are
// deleted by ClearRecords or with the finder.
#include <atomic>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "devicelink/CQVXDatagram.h"
#include "platform/UdpSocket.h"

namespace quillon {

class CQVXDeviceTypeList;

class CQVXIrFinder {
 public:
  static constexpr uint16_t kDefaultAskPort = 1231;
  static constexpr uint16_t kDefaultAnswerPort = 1230;
  static constexpr size_t kAskSize = 37;
  static constexpr size_t kMaxAnswerSize = 1024;

  // TYPES is the device table answers are checked against; null means the
  // program-wide table. It must outlive the finder and not change while the
  // listener runs.
  explicit CQVXIrFinder(const CQVXDeviceTypeList* types = nullptr);
  ~CQVXIrFinder();
  CQVXIrFinder(const CQVXIrFinder&) = delete;
  CQVXIrFinder& operator=(const CQVXIrFinder&) = delete;

  // The port asks are sent to and the port answers are received on (0 = any
  // free port; see GetListenPort). Takes effect at the next Start / SendAsk.
  void SetPorts(uint16_t askPort, uint16_t answerPort);
  uint16_t GetAskPort() const { return m_AskPort.load(); }
  // The port the listener is bound to while it runs (0 when not listening).
  uint16_t GetListenPort() const { return m_ListenPort.load(); }

  // Opens the listening socket and starts the listener unless it runs
  // already; 1 on success, 0 when the socket could not be set up.
  int Start();
  // Stops the listener and closes the listening socket.
  void Stop();
  bool IsRunning() const;

  // Sends one ask to TARGET (dotted address; broadcast when empty) with
  // FILTER (empty = none); 1 when the datagram was sent, else 0.
  int SendAsk(const std::string& target = std::string(), const std::string& filter = std::string());

  // Replaces OUT by copies of all records in list order; returns their count.
  int CopyRecords(std::vector<CQVXDatagram>& out) const;
  void ClearRecords();

  // The last recorded error: its code (an errno value; 0 = none) and,
  // optionally, its context message and the system's text for the code.
  int GetLastError(std::string* context = nullptr, std::string* text = nullptr) const;

  // The 37-byte ask datagram carrying FILTER (cut to 12 characters and padded
  // with zero bytes; 12 blanks when empty).
  static std::array<uint8_t, kAskSize> BuildAsk(const std::string& filter);

  // Replaces the clock that stamps answers (seconds since 1970).
  void SetClock(std::function<uint32_t()> clock);

 private:
  bool OpenListenSocket();
  void RecordError(const std::string& context, int code, const std::string& text);
  void RecordSocketError(const std::string& context, int code);
  void Listen();
  void HandleAnswer(const uint8_t* data, size_t size, uint32_t sender);

  const CQVXDeviceTypeList* m_Types;
  std::atomic<uint16_t> m_AskPort{kDefaultAskPort};
  std::atomic<uint16_t> m_AnswerPort{kDefaultAnswerPort};
  std::atomic<uint16_t> m_ListenPort{0};

  UdpSocket m_Socket;

  mutable std::mutex m_Lock;  // guards the records, the running flag, the errors and the clock
  std::vector<std::unique_ptr<CQVXDatagram>> m_Records;
  bool m_ThreadRunning = false;
  int m_LastErrorCode = 0;
  std::string m_LastErrorContext;
  std::string m_LastErrorText;
  std::function<uint32_t()> m_Clock;

  std::thread m_Thread;
  std::atomic<bool> m_Stop{false};
};

}  // namespace quillon
