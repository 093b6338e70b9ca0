#include "devicelink/CQVXIrFinder.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <system_error>
#include <sys/resource.h>
#include <unistd.h>

#include "devicelink/CQVXDeviceTypeList.h"

namespace quillon {

CQVXIrFinder::CQVXIrFinder(const CQVXDeviceTypeList* types)
    : m_Types(types ? types : &CQVXDeviceTypeList::Program()),
      m_Clock([] { return static_cast<uint32_t>(std::time(nullptr)); }) {}

CQVXIrFinder::~CQVXIrFinder() { Stop(); }

void CQVXIrFinder::SetPorts(uint16_t askPort, uint16_t answerPort) {
  m_AskPort = askPort;
  m_AnswerPort = answerPort;
}

void CQVXIrFinder::SetClock(std::function<uint32_t()> clock) {
  std::lock_guard<std::mutex> guard(m_Lock);
  m_Clock = std::move(clock);
}

void CQVXIrFinder::RecordError(const std::string& context, int code, const std::string& text) {
  std::lock_guard<std::mutex> guard(m_Lock);
  m_LastErrorContext = context;
  m_LastErrorCode = code;
  m_LastErrorText = text;
}

void CQVXIrFinder::RecordSocketError(const std::string& context, int code) {
  RecordError(context, code, UdpSocket::SystemText(code));
}

int CQVXIrFinder::GetLastError(std::string* context, std::string* text) const {
  std::lock_guard<std::mutex> guard(m_Lock);
  if (context) *context = m_LastErrorContext;
  if (text) *text = m_LastErrorText;
  return m_LastErrorCode;
}

bool CQVXIrFinder::OpenListenSocket() {
  m_ListenPort = 0;
  if (!m_Socket.Open()) {
    RecordSocketError("Error creating socket", m_Socket.LastError());
    return false;
  }
  if (!m_Socket.EnableBroadcast()) {
    RecordSocketError("Error setting socket for broadcast", m_Socket.LastError());
    m_Socket.Close();
    return false;
  }
  if (!m_Socket.Bind(0, m_AnswerPort)) {
    RecordSocketError("Error binding socket", m_Socket.LastError());
    m_Socket.Close();
    return false;
  }
  m_ListenPort = m_Socket.LocalPort();
  return true;
}

int CQVXIrFinder::Start() {
  {
    std::lock_guard<std::mutex> guard(m_Lock);
    if (m_ThreadRunning) return 1;
  }
  // A listener that ended on its own (after an error) is collected first.
  if (m_Thread.joinable()) m_Thread.join();
  if (!OpenListenSocket()) return 0;
  m_Stop = false;
  {
    std::lock_guard<std::mutex> guard(m_Lock);
    m_ThreadRunning = true;
  }
  for (;;) {
    try {
      m_Thread = std::thread(&CQVXIrFinder::Listen, this);
      break;
    } catch (const std::system_error&) {
      // Thread creation is retried until it succeeds.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  return 1;
}

void CQVXIrFinder::Stop() {
  m_Stop = true;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(m_Lock);
      if (!m_ThreadRunning) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (m_Thread.joinable()) m_Thread.join();
  m_Socket.Close();
  m_ListenPort = 0;
  m_Stop = false;
}

bool CQVXIrFinder::IsRunning() const {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_ThreadRunning;
}

std::array<uint8_t, CQVXIrFinder::kAskSize> CQVXIrFinder::BuildAsk(const std::string& filter) {
  std::array<uint8_t, kAskSize> ask{};
  std::memcpy(ask.data(), "UDPC", 4);
  std::memset(ask.data() + 4, 0xFF, 4);
  if (filter.empty()) {
    std::memset(ask.data() + 8, ' ', 12);
  } else {
    // Cut to 12 characters; the rest stays zero.
    std::memcpy(ask.data() + 8, filter.data(), filter.size() < 12 ? filter.size() : 12);
  }
  ask[20] = ' ';
  static const uint8_t kCommands[16] = {0x1B, 'B', 'C', 0x0D, 0x1B, 'C', 'G', 0x0D,
                                        0x1B, 'C', 'S', 0x0D, 0x1B, 'C', 'N', 0x0D};
  std::memcpy(ask.data() + 21, kCommands, sizeof kCommands);
  return ask;
}

int CQVXIrFinder::SendAsk(const std::string& target, const std::string& filter) {
  UdpSocket socket;
  if (!socket.Open()) {
    RecordSocketError("Error creating ask socket", socket.LastError());
    return 0;
  }
  if (!socket.EnableBroadcast()) {
    RecordSocketError("Error setting ask socket for broadcasting out", socket.LastError());
    return 0;
  }
  uint32_t address = 0xFFFFFFFFu;
  if (!target.empty() && !UdpSocket::ParseAddress(target, &address)) return 0;
  const auto ask = BuildAsk(filter);
  return socket.SendTo(address, m_AskPort, ask.data(), ask.size()) ? 1 : 0;
}

int CQVXIrFinder::CopyRecords(std::vector<CQVXDatagram>& out) const {
  std::lock_guard<std::mutex> guard(m_Lock);
  out.clear();
  out.reserve(m_Records.size());
  for (const auto& record : m_Records) out.push_back(*record);
  return static_cast<int>(out.size());
}

void CQVXIrFinder::ClearRecords() {
  std::lock_guard<std::mutex> guard(m_Lock);
  m_Records.clear();
}

void CQVXIrFinder::HandleAnswer(const uint8_t* data, size_t size, uint32_t sender) {
  std::lock_guard<std::mutex> guard(m_Lock);
  const CQVXDatagram answer = CQVXDatagram::FromAnswer(data, size, sender, m_Clock ? m_Clock() : 0);
  for (auto& record : m_Records) {
    if (record->IsSameDevice(answer)) {
      record->m_TimeReceived = answer.m_TimeReceived;
      return;
    }
  }
  if (m_Types->IsKnown(answer.m_PartNumber)) m_Records.push_back(std::make_unique<CQVXDatagram>(answer));
}

void CQVXIrFinder::Listen() {
  // The listener runs below normal priority: one step nicer than the program.
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, 0);
  if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), (errno == 0 ? nice : 0) + 1) != 0) {
    const int code = errno;
    RecordError("Error setting thread priority: " + UdpSocket::SystemText(code), code, UdpSocket::SystemText(code));
  }

  uint8_t buffer[kMaxAnswerSize];
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const UdpSocket::PollResult poll = m_Socket.PollReadable(0);
    if (poll == UdpSocket::PollResult::Readable) {
      uint32_t sender = 0;
      const long n = m_Socket.ReceiveFrom(buffer, sizeof buffer, &sender, nullptr);
      if (n < 0) {
        const int code = m_Socket.LastError();
        if (code != EAGAIN && code != EWOULDBLOCK) {
          RecordSocketError("Error reading from socket", code);
          break;
        }
      } else {
        HandleAnswer(buffer, static_cast<size_t>(n), sender);
      }
    } else if (poll == UdpSocket::PollResult::Error) {
      const int code = m_Socket.LastError();
      if (UdpSocket::IsConnectionReset(code)) {
        // A reset left by an earlier datagram: start again on a fresh socket
        // and go on listening when that works.
        m_Socket.ClearError();
        if (!OpenListenSocket()) break;
      } else {
        RecordSocketError("Error checking socket for read", code);
        break;
      }
    }
    if (m_Stop) break;
  }

  std::lock_guard<std::mutex> guard(m_Lock);
  m_ThreadRunning = false;
}

}  // namespace quillon
