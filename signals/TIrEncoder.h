#pragma once
// Sends a protocol code as a signal, from the protocols' published timings:
// the part sent once per press (NEC's first frame, JVC's frame with its
// leader) and the part repeated while the button is held (NEC's repeat code,
// the whole frame for most others).
#include <stdexcept>

#include "signals/TIrCode.h"
#include "signals/TIrSignal.h"

namespace quillon {

class TIrEncoder {
 public:
  // The signal of CODE. Address and command bits beyond the protocol's
  // fields are ignored (TIrProtocol::Fits tells whether any are set).
  // TOGGLE is the toggle bit of RC5 and RC6 frames (a remote flips it for
  // every new press; receivers ignore it within one). Throws
  // std::invalid_argument for a protocol the encoder does not know.
  static TIrSignal Encode(const TIrCode& code, int toggle = 0);
};

}  // namespace quillon
