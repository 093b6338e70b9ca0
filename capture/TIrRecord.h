#pragma once
// One on or off interval of a capture while it is analysed. Bursts stand at
// even positions, gaps at odd ones.
#include <cstdint>

namespace quillon {

struct TIrRecord {
  // QVX: the pulse count as received, then 1 for a burst and 0 for a gap.
  // Halvar: always 0.
  uint16_t marker = 0;
  // QVX: the time as received (66 MHz ticks); after conversion the duration in
  // carrier cycles; after clustering the average of the record's cluster.
  uint32_t value = 0;
};

}  // namespace quillon
