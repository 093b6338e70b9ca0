#pragma once
// Answers discovery asks the way a device on the network does: an ask
// ("UDPC" ...) received on the ask port is answered with three zero-terminated
// texts (part number, firmware, name) sent to the asker's address on the
// answer port.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/UdpSocket.h"

namespace quillon {

class DiscoveryResponder {
 public:
  struct Options {
    std::string partNumber = "71-2204-01";
    std::string firmware = "1.0";
    std::string name = "QVX Emulator";
    uint16_t askPort = 1231;     // 0 = any free port (see AskPort)
    uint16_t answerPort = 1230;  // where answers are sent
    uint32_t bindAddress = 0;    // host order; 0 = any local address
    int answerCount = 1;         // answers sent per ask
  };

  DiscoveryResponder() = default;
  ~DiscoveryResponder();
  DiscoveryResponder(const DiscoveryResponder&) = delete;
  DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

  // Binds the ask port and starts answering; false (with LastError) when the
  // port could not be bound.
  bool Start(const Options& options);
  void Stop();
  bool IsRunning() const { return m_Thread.joinable(); }

  // The port asks are received on.
  uint16_t AskPort() const { return m_AskPort; }
  // The number of asks answered so far.
  int AsksAnswered() const { return m_Answered.load(); }
  const std::string& LastError() const { return m_LastError; }

  // The answer datagram for OPTIONS.
  static std::string BuildAnswer(const Options& options);
  // Whether DATA is an ask this device answers: it begins with "UDPC" and its
  // filter (bytes 8..19) is blank, empty, or begins the part number.
  static bool Accepts(const uint8_t* data, size_t size, const std::string& partNumber);

 private:
  void Run();

  Options m_Options;
  UdpSocket m_Socket;
  uint16_t m_AskPort = 0;
  std::thread m_Thread;
  std::atomic<bool> m_Stop{false};
  std::atomic<int> m_Answered{0};
  std::string m_LastError;
};

}  // namespace quillon
