#pragma once
// A failure inside a transfer on the device link: a code (a system error
// value, 1359 for an internal error, or 0) and a message of at most 255
// characters. Thrown by value; the device worker catches it once at the top
// of its thread.
#include <cstdint>
#include <string>

namespace quillon {

class CQVXSocketException {
 public:
  static constexpr uint32_t kInternalError = 1359;
  static constexpr std::size_t kMaxMessage = 255;

  CQVXSocketException(const std::string& message, uint32_t code)
      : m_code(code), m_message(message.empty() ? std::string("Unknown Error") : message.substr(0, kMaxMessage)) {}

  uint32_t GetCode() const { return m_code; }
  const std::string& GetMessage() const { return m_message; }

 private:
  uint32_t m_code;
  std::string m_message;
};

}  // namespace quillon
