#pragma once
// Recognises the protocol, address and command of a signal from the
// protocols' published timings. Learned functions are quantised, so every
// duration is accepted within 30 % (at least 100 us) of its nominal value;
// what tells the protocols apart is the leader, the bit coding, the exact
// number of bits, the check fields and, for NEC and Pioneer frames, the
// carrier.
#include <cstdint>
#include <vector>

#include "signals/TIrCode.h"
#include "signals/TIrSignal.h"

namespace quillon {

class TQVXIrFunction;

class TIrDecoder {
 public:
  // The code of the first frame that decodes, trying the start of DURATIONS
  // (mark first) and the start of every frame after a pause of 5 ms or more.
  // CARRIERHZ 0 means unknown. A code with protocol "unknown" when nothing
  // decodes.
  static TIrCode Decode(const std::vector<uint32_t>& durations, int carrierHz);
  // The signal's once part followed by its repeated part twice.
  static TIrCode Decode(const TIrSignal& signal);
  // The first sub-function of FUNCTION as it plays; "unknown" for a function
  // without one.
  static TIrCode DecodeFunction(const TQVXIrFunction& function);
};

}  // namespace quillon
