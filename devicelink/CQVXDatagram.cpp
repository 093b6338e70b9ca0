#include "devicelink/CQVXDatagram.h"

#include <cstdio>

namespace quillon {

CQVXDatagram CQVXDatagram::FromAnswer(const uint8_t* data, size_t size, uint32_t address, uint32_t time) {
  CQVXDatagram d;
  d.SetAddressValue(address);
  d.m_TimeReceived = time;
  std::string* texts[3] = {&d.m_PartNumber, &d.m_Firmware, &d.m_Name};
  size_t pos = 0;
  for (std::string* text : texts) {
    if (!data || pos >= size) break;
    size_t end = pos;
    while (end < size && data[end] != 0) ++end;
    text->assign(reinterpret_cast<const char*>(data + pos), end - pos);
    pos = end + 1;
  }
  return d;
}

bool CQVXDatagram::IsSameDevice(const CQVXDatagram& other) const {
  for (int i = 0; i < 4; ++i) {
    if (m_Address[i] != other.m_Address[i]) return false;
  }
  return m_PartNumber == other.m_PartNumber && m_Name == other.m_Name;
}

uint32_t CQVXDatagram::GetAddressValue() const {
  return (uint32_t{m_Address[0]} << 24) | (uint32_t{m_Address[1]} << 16) | (uint32_t{m_Address[2]} << 8) |
         uint32_t{m_Address[3]};
}

void CQVXDatagram::SetAddressValue(uint32_t address) {
  m_Address[0] = static_cast<uint8_t>(address >> 24);
  m_Address[1] = static_cast<uint8_t>(address >> 16);
  m_Address[2] = static_cast<uint8_t>(address >> 8);
  m_Address[3] = static_cast<uint8_t>(address);
}

std::string CQVXDatagram::FormatAddress() const {
  char buffer[20];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", m_Address[0], m_Address[1], m_Address[2], m_Address[3]);
  return buffer;
}

}  // namespace quillon
