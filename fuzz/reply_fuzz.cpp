// Short device replies: the firmware text and the memory text. Any reply
// reads as a number (0 when it is not one) and a free-space figure.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "devicelink/CQVXProtocol.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(reply) {
  using quillon::CQVXProtocol;
  const std::string reply(reinterpret_cast<const char*>(data), size);
  const float firmware = CQVXProtocol::ParseFirmware(reply);
  (void)CQVXProtocol::IsFirmwareGated(firmware, reply);
  (void)std::isnan(firmware);
  (void)CQVXProtocol::FreeSpace(reply);
  return 0;
}
