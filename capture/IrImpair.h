#pragma once
// Makes raw captures worse the way real learners and rooms do, always the
// same way for the same seed, to measure how the analysis copes:
// - dropouts: the learner misses a carrier pulse inside a burst, so the
//   burst arrives as two bursts with a gap of one or two cycles between;
// - leading noise: a flash of stray light, a few carrier cycles long, comes
//   before the signal.
// A capture that cannot be read is returned unchanged. The recorded results
// of the specified analysis (tests/data/capture) include impaired captures:
// changing what these functions make means recording those results again
// with the specified analysis as it stands.
#include <cstdint>
#include <vector>

#include "capture/TIrCaptureSettings.h"

namespace quillon {

class IrImpair {
 public:
  // Each burst of at least 8 cycles is split with probability RATE.
  static std::vector<uint8_t> AddDropouts(TIrCaptureKind kind, const std::vector<uint8_t>& capture,
                                          double rate, uint32_t seed);
  // A burst of 1 to 4 cycles and a gap of 5 to 30 ms in front of the signal.
  static std::vector<uint8_t> AddLeadingNoise(TIrCaptureKind kind,
                                              const std::vector<uint8_t>& capture, uint32_t seed);
};

}  // namespace quillon
