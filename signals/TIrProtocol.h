#pragma once
// The IR protocols the decoder recognises and the encoder sends, with the
// widths of their address and command fields.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "signals/TIrCode.h"

namespace quillon {

class TIrProtocol {
 public:
  struct Info {
    const char* name;
    int address_bits;
    int command_bits;
    int carrier_hz;
  };

  // Every protocol, in the order the decoder tries them.
  static const std::vector<Info>& All();
  // The protocol named NAME ignoring case, or null.
  static const Info* Find(std::string_view name);
  // NAME spelt as the protocol table spells it ("nec" -> "NEC"); NAME itself
  // when it is not a protocol.
  static std::string CanonicalName(std::string_view name);

  // Whether the address and command fit the protocol's fields.
  static bool Fits(const TIrCode& code);
  // CODE with the address and command bits beyond the protocol's fields
  // cleared; CODE itself for an unknown protocol.
  static TIrCode Cut(const TIrCode& code);
  // The code a decoder reads back from a signal sent for CODE: fields cut to
  // the protocol's widths, and the codes that send the very same signal as a
  // plainer protocol named as that one (an RC5X command below 64 is RC5; an
  // NECext or NEC42ext code whose second halves are the inverted first
  // halves is NEC or NEC42). Unknown protocols stay as they are.
  static TIrCode Canonical(const TIrCode& code);
};

}  // namespace quillon
