#pragma once
// Judges a learned function against the original signal: played back, every
// mark and space of the first frame must lie within 10 % (or 2 carrier
// cycles, whichever is larger) of the original, and the carrier within 3 %.
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class TIrRenderCheck {
 public:
  static constexpr double kDurationPercent = 10.0;
  static constexpr double kDurationCycles = 2.0;
  static constexpr double kCarrierPercent = 3.0;

  // Empty when the played timeline matches; otherwise what differs first.
  static std::string Compare(const std::vector<uint32_t>& playedUs, int playedCarrierHz,
                             const std::vector<uint32_t>& originalUs, int firstFrame,
                             int originalCarrierHz);
};

}  // namespace quillon
