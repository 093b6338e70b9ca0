#pragma once
// A connection description for a device reached over TCP/IP: IPv4 address
// and TCP port. Connection text "TCP:a.b.c.d,port,name,scrambled password";
// display text "a.b.c.d:port  name".
#include <cstdint>
#include <string>
#include <string_view>

#include "devicelink/CQVXConnectionType.h"

namespace quillon {

class CQVXConnectionTCP : public CQVXConnectionType {
 public:
  // Address 0.0.0.0, port 23, not valid, texts built.
  CQVXConnectionTCP();

  void UpdateText() override;
  void CopyFrom(const CQVXConnectionType& other) override;
  int IsEqual(const CQVXConnectionType& other) const override;
  int ParseText(std::string_view text) override;
  int IsTCP() const override { return 1; }

  // Sets the address (each byte taken modulo 256), marks the description valid
  // and rebuilds the texts.
  void SetAddress(unsigned a, unsigned b, unsigned c, unsigned d);
  void SetPort(int port);
  // The address text; the optional out-parameters receive the four bytes.
  const std::string& GetAddress(uint8_t* a = nullptr, uint8_t* b = nullptr, uint8_t* c = nullptr,
                                uint8_t* d = nullptr) const;
  int GetPort() const { return m_Port; }

 private:
  std::string m_AddressText;
  uint8_t m_Address[4] = {0, 0, 0, 0};
  int m_Port = 23;
};

}  // namespace quillon
