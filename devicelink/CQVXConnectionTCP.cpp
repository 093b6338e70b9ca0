#include "devicelink/CQVXConnectionTCP.h"

#include <cstdio>

namespace quillon {

CQVXConnectionTCP::CQVXConnectionTCP() : m_AddressText("0.0.0.0") { UpdateText(); }

void CQVXConnectionTCP::UpdateText() {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u,%d,", m_Address[0], m_Address[1], m_Address[2], m_Address[3],
                m_Port);
  m_ConnectionText = "TCP:";
  m_ConnectionText += buffer;
  m_ConnectionText += m_Name;
  m_ConnectionText += ',';
  m_ConnectionText += ScramblePassword(m_Password);

  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u:%d  ", m_Address[0], m_Address[1], m_Address[2], m_Address[3],
                m_Port);
  m_DisplayText = buffer;
  m_DisplayText += m_Name;
}

void CQVXConnectionTCP::CopyFrom(const CQVXConnectionType& other) {
  if (&other == this) return;
  const auto* tcp = dynamic_cast<const CQVXConnectionTCP*>(&other);
  if (!tcp) {
    m_Valid = 0;
    return;
  }
  m_AddressText = tcp->m_AddressText;
  for (int i = 0; i < 4; ++i) m_Address[i] = tcp->m_Address[i];
  m_Port = tcp->m_Port;
  CopyBaseFrom(other);
}

int CQVXConnectionTCP::IsEqual(const CQVXConnectionType& other) const {
  const auto* tcp = dynamic_cast<const CQVXConnectionTCP*>(&other);
  if (!tcp) return 0;
  if (m_AddressText != tcp->m_AddressText || m_Port != tcp->m_Port) return 0;
  for (int i = 0; i < 4; ++i) {
    if (m_Address[i] != tcp->m_Address[i]) return 0;
  }
  return 1;
}

int CQVXConnectionTCP::ParseText(std::string_view text) {
  ResetForParse();
  if (text.substr(0, 4) == "TCP:") text.remove_prefix(4);
  if (text.empty()) return m_Valid;

  const std::string copy(text);
  long long a = 0, b = 0, c = 0, d = 0;
  long long port = 0;
  const int read = std::sscanf(copy.c_str(), "%lld.%lld.%lld.%lld,%lld", &a, &b, &c, &d, &port);
  if (read < 4) {
    m_ParseProblem = "address: expected four numbers a.b.c.d";
    return m_Valid;
  }
  if (read < 5) {
    m_ParseProblem = "port: missing (expected TCP:ADDRESS,PORT)";
    return m_Valid;
  }
  // An address byte or a port out of range is refused rather than wrapped
  // around: 999.0.0.1 must not become 231.0.0.1.
  for (const long long byte : {a, b, c, d}) {
    if (byte < 0 || byte > 255) {
      m_ParseProblem = "address: " + std::to_string(byte) + " is not 0..255";
      return m_Valid;
    }
  }
  if (port < 1 || port > 65535) {
    m_ParseProblem = "port: " + std::to_string(port) + " is not 1..65535";
    return m_Valid;
  }
  // Fields are stored directly; the texts are rebuilt once at the end.
  m_Address[0] = static_cast<uint8_t>(a % 256);
  m_Address[1] = static_cast<uint8_t>(b % 256);
  m_Address[2] = static_cast<uint8_t>(c % 256);
  m_Address[3] = static_cast<uint8_t>(d % 256);
  char buffer[20];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", m_Address[0], m_Address[1], m_Address[2], m_Address[3]);
  m_AddressText = buffer;
  m_Valid = 1;
  m_Port = static_cast<int>(port);

  // The name starts after the comma that follows the port.
  size_t pos = copy.find(',');
  if (pos != std::string::npos) pos = copy.find(',', pos + 1);
  if (pos != std::string::npos) {
    const size_t start = pos + 1;
    const size_t end = copy.find(',', start);
    if (end == std::string::npos) {
      m_Name = copy.substr(start);
    } else {
      m_Name = copy.substr(start, end - start);
      if (end + 1 < copy.size()) m_Password = UnscramblePassword(std::string_view(copy).substr(end + 1));
    }
  }
  UpdateText();
  return m_Valid;
}

void CQVXConnectionTCP::SetAddress(unsigned a, unsigned b, unsigned c, unsigned d) {
  m_Address[0] = static_cast<uint8_t>(a % 256);
  m_Address[1] = static_cast<uint8_t>(b % 256);
  m_Address[2] = static_cast<uint8_t>(c % 256);
  m_Address[3] = static_cast<uint8_t>(d % 256);
  char buffer[20];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", m_Address[0], m_Address[1], m_Address[2], m_Address[3]);
  m_AddressText = buffer;
  m_Valid = 1;
  UpdateText();
}

void CQVXConnectionTCP::SetPort(int port) {
  m_Port = port;
  UpdateText();
}

const std::string& CQVXConnectionTCP::GetAddress(uint8_t* a, uint8_t* b, uint8_t* c, uint8_t* d) const {
  if (a) *a = m_Address[0];
  if (b) *b = m_Address[1];
  if (c) *c = m_Address[2];
  if (d) *d = m_Address[3];
  return m_AddressText;
}

}  // namespace quillon
