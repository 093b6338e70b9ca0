#include "devicelink/CQVXProtocol.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quillon {

namespace {

std::string Escaped(const std::string& body) { return std::string(1, CQVXProtocol::kEsc) + body + CQVXProtocol::kCr; }

// atoi-style reading that cannot overflow: leading blanks, sign, digits.
int64_t LeadingInteger(const char* p) {
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  while (*p >= '0' && *p <= '9') {
    if (value < (int64_t{1} << 40)) value = value * 10 + (*p - '0');
    ++p;
  }
  return negative ? -value : value;
}

}  // namespace

std::string CQVXProtocol::UploadCommand(int32_t count, const std::string& name) {
  return Escaped("+UF" + std::to_string(count) + "," + name);
}

std::string CQVXProtocol::DownloadCommand(const std::string& name) { return Escaped(name + "SF"); }

std::string CQVXProtocol::DeleteCommand(const std::string& name) { return Escaped(name + "EF"); }

std::string CQVXProtocol::RunningEventsCommand(bool start) { return Escaped(start ? "1AE" : "0AE"); }

float CQVXProtocol::ParseFirmware(const std::string& reply) {
  float value = 0.0f;
  if (std::sscanf(reply.c_str(), "%f", &value) != 1) return 0.0f;
  return value;
}

bool CQVXProtocol::IsFirmwareGated(float version, const std::string& partNumber) {
  static const char* const kGated[] = {"71-629-86", "71-629-06", "71-633-08", "71-518-10", "71-518-01"};
  if (!(version < 1.03f)) return false;
  for (const char* part : kGated) {
    if (partNumber == part) return true;
  }
  return false;
}

int64_t CQVXProtocol::FreeSpace(const std::string& memoryText) {
  if (memoryText.empty()) return kDefaultCapacity;
  int64_t capacity = kDefaultCapacity;
  const std::size_t lastBlank = memoryText.rfind(' ');
  if (lastBlank != std::string::npos && lastBlank + 1 < memoryText.size()) {
    const int64_t value = LeadingInteger(memoryText.c_str() + lastBlank + 1);
    if (value >= 1) capacity = value;
  }
  int64_t used = LeadingInteger(memoryText.c_str());
  const std::size_t firstBlank = memoryText.find(' ');
  if (firstBlank != std::string::npos && firstBlank + 1 < memoryText.size()) {
    const char unit = memoryText[firstBlank + 1];
    int64_t scale = 1;
    if (unit == 'k' || unit == 'K') scale = 1024;
    if (unit == 'm' || unit == 'M') scale = 1048576;
    // An absurd figure saturates instead of overflowing.
    int64_t scaled = 0;
    if (__builtin_mul_overflow(used, scale, &scaled)) scaled = used < 0 ? INT64_MIN : INT64_MAX;
    used = scaled;
  }
  int64_t free = 0;
  if (__builtin_sub_overflow(capacity, used, &free)) free = used > 0 ? INT64_MIN : INT64_MAX;
  return free;
}

}  // namespace quillon
