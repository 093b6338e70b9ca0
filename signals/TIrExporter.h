#pragma once
// Takes a driver's functions out to an interchange format: each function
// once, in driver order, as the signal one press of it plays (its first
// sub-function), with the protocol code it carries when that code sends
// the same signal.
#include <string>
#include <vector>

#include "signals/TIrNamedSignal.h"

namespace quillon {

class TQVXIr;
class TQVXIrFunction;

class TIrExporter {
 public:
  struct Options {
    // Give recognised functions their protocol code (formats that can store
    // codes then write it instead of the durations).
    bool codes = true;
  };

  // One entry per function with IR data; placeholders are left out. NOTES
  // names functions whose further sub-functions were left out, WARNINGS
  // functions that cannot be played (and so are left out too).
  static std::vector<TIrNamedSignal> Collect(const TQVXIr& driver, const Options& options,
                                             std::vector<std::string>& notes, std::vector<std::string>& warnings);
  // The code FUNCTION carries when sending that code plays the function's
  // first frame within the verify tolerances (10 % or 2 carrier cycles a
  // duration, 3 % of the carrier); nothing otherwise.
  static std::optional<TIrCode> CodeOf(const TQVXIrFunction& function);
};

}  // namespace quillon
