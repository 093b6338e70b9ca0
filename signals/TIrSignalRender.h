#pragma once
// A driver function as the signal it plays: the header durations once, the
// body durations as the repeated part, in microseconds on the function's
// carrier. This is what the interchange formats export, what the protocol
// decoders read and what a signal view draws.
#include "signals/TIrSignal.h"

namespace quillon {

class TQVXIrFunction;
class TQVXIrSubFunction;

class TIrSignalRender {
 public:
  // The signal of one sub-function: repeats = its repeat count; an
  // unmodulated sub-function has carrier 0 but its
  // durations still use the divider as time base. Selectors naming a time
  // beyond the table play 0 us, as the device would; Problem() reports them.
  static TIrSignal FromSubFunction(const TQVXIrSubFunction& sub);
  // The signal of a function's first non-null sub-function; an empty signal
  // when it has none.
  static TIrSignal FromFunction(const TQVXIrFunction& function);
  // The carrier a sub-function is sent on (66 MHz / divider), 0 for a
  // divider of 0.
  static int CarrierHz(const TQVXIrSubFunction& sub);
};

}  // namespace quillon
