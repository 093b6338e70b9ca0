#pragma once
// One device's answer to a discovery ask: sender address, part number,
// firmware and name, and when it was received.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

class CQVXDatagram {
 public:
  CQVXDatagram() = default;

  // Parses an answer: three zero-terminated texts (part number, firmware,
  // name) within SIZE bytes; missing texts are empty. ADDRESS is the sender
  // (host order), TIME the seconds since 1970 at receipt.
  static CQVXDatagram FromAnswer(const uint8_t* data, size_t size, uint32_t address, uint32_t time);

  // Same device: equal address bytes, part number and name (exact comparison).
  bool IsSameDevice(const CQVXDatagram& other) const;

  // The address as one host-order number.
  uint32_t GetAddressValue() const;
  void SetAddressValue(uint32_t address);
  // "%u.%u.%u.%u" of the address.
  std::string FormatAddress() const;

  uint8_t m_Address[4] = {0, 0, 0, 0};  // most significant first
  std::string m_PartNumber;
  std::string m_Firmware;
  std::string m_Name;
  uint32_t m_TimeReceived = 0;
  std::string m_AddressText;  // filled in by the connection dialog
  int32_t m_Spare = 0;
  int32_t m_Selected = 0;  // set by the dialog on the row selected before a refresh
};

}  // namespace quillon
