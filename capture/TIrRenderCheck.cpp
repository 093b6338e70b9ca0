#include "capture/TIrRenderCheck.h"

#include <algorithm>
#include <cmath>

namespace quillon {

std::string TIrRenderCheck::Compare(const std::vector<uint32_t>& playedUs, int playedCarrierHz,
                                    const std::vector<uint32_t>& originalUs, int firstFrame,
                                    int originalCarrierHz) {
  if (originalCarrierHz <= 0 || playedCarrierHz <= 0) return "no carrier";
  if (std::abs(playedCarrierHz - originalCarrierHz) > originalCarrierHz * kCarrierPercent / 100.0) {
    return "carrier " + std::to_string(playedCarrierHz) + " Hz against " +
           std::to_string(originalCarrierHz) + " Hz";
  }
  const int frame = std::min<int>(firstFrame, static_cast<int>(originalUs.size()));
  if (static_cast<int>(playedUs.size()) < frame) {
    return "played " + std::to_string(playedUs.size()) + " durations, first frame has " +
           std::to_string(frame);
  }
  const double cycleUs = 1e6 / originalCarrierHz;
  for (int i = 0; i < frame; ++i) {
    const double want = originalUs[static_cast<size_t>(i)];
    const double got = playedUs[static_cast<size_t>(i)];
    const double allowed = std::max(want * kDurationPercent / 100.0, kDurationCycles * cycleUs);
    if (std::fabs(got - want) > allowed) {
      return "duration " + std::to_string(i) + ": " + std::to_string(playedUs[static_cast<size_t>(i)]) +
             " us against " + std::to_string(originalUs[static_cast<size_t>(i)]) + " us";
    }
  }
  return std::string();
}

}  // namespace quillon
