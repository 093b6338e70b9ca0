#include "tools/emulator/DiscoveryResponder.h"

#include <cctype>
#include <cstring>

namespace quillon {

DiscoveryResponder::~DiscoveryResponder() { Stop(); }

bool DiscoveryResponder::Start(const Options& options) {
  Stop();
  m_Options = options;
  m_LastError.clear();
  if (!m_Socket.Open() || !m_Socket.EnableBroadcast() || !m_Socket.EnableReuseAddress() ||
      !m_Socket.Bind(options.bindAddress, options.askPort)) {
    m_LastError = "cannot listen for discovery on UDP port " + std::to_string(options.askPort) + ": " +
                  UdpSocket::SystemText(m_Socket.LastError());
    m_Socket.Close();
    return false;
  }
  m_AskPort = m_Socket.LocalPort();
  m_Stop = false;
  m_Thread = std::thread(&DiscoveryResponder::Run, this);
  return true;
}

void DiscoveryResponder::Stop() {
  m_Stop = true;
  if (m_Thread.joinable()) m_Thread.join();
  m_Socket.Close();
  m_Stop = false;
}

std::string DiscoveryResponder::BuildAnswer(const Options& options) {
  std::string answer;
  answer += options.partNumber;
  answer += '\0';
  answer += options.firmware;
  answer += '\0';
  answer += options.name;
  answer += '\0';
  return answer;
}

bool DiscoveryResponder::Accepts(const uint8_t* data, size_t size, const std::string& partNumber) {
  if (size < 4 || std::memcmp(data, "UDPC", 4) != 0) return false;
  if (size < 20) return true;
  // The filter: up to 12 characters, ended by a zero byte; all blanks = none.
  std::string filter;
  for (size_t i = 8; i < 20 && data[i] != 0; ++i) filter += static_cast<char>(data[i]);
  if (filter.find_first_not_of(' ') == std::string::npos) return true;
  if (filter.size() > partNumber.size()) return false;
  for (size_t i = 0; i < filter.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(filter[i])) != std::tolower(static_cast<unsigned char>(partNumber[i])))
      return false;
  }
  return true;
}

void DiscoveryResponder::Run() {
  const std::string answer = BuildAnswer(m_Options);
  uint8_t buffer[1500];
  while (!m_Stop) {
    if (m_Socket.PollReadable(20) != UdpSocket::PollResult::Readable) continue;
    uint32_t sender = 0;
    const long n = m_Socket.ReceiveFrom(buffer, sizeof buffer, &sender, nullptr);
    if (n < 0 || !Accepts(buffer, static_cast<size_t>(n), m_Options.partNumber)) continue;
    for (int i = 0; i < m_Options.answerCount; ++i) {
      m_Socket.SendTo(sender, m_Options.answerPort, answer.data(), answer.size());
    }
    ++m_Answered;
  }
}

}  // namespace quillon
