#pragma once
// The on/off timeline an IR function plays: the header pairs once, then the
// body pairs repeat_count times, each selector naming an on and an off time.
#include <cstdint>
#include <vector>

namespace quillon {

class TIrRender {
 public:
  // Durations in carrier cycles, on first; an index beyond the time table
  // gives 0.
  static std::vector<uint32_t> Cycles(const uint16_t* times, int timeCount, const uint8_t* header,
                                      int headerCount, const uint8_t* body, int bodyCount,
                                      int repeats);
  // The same durations in microseconds (cycles * divider / 66), rounded.
  static std::vector<uint32_t> Microseconds(uint16_t divider, const uint16_t* times, int timeCount,
                                            const uint8_t* header, int headerCount,
                                            const uint8_t* body, int bodyCount, int repeats);
  static uint32_t CyclesToMicroseconds(uint32_t cycles, uint16_t divider);
};

}  // namespace quillon
