#include "capture/TIrRender.h"

#include <cmath>

namespace quillon {
namespace {

uint32_t TimeAt(const uint16_t* times, int count, int index) {
  return (times && index >= 0 && index < count) ? times[index] : 0;
}

void AddPairs(std::vector<uint32_t>& out, const uint16_t* times, int timeCount,
              const uint8_t* selectors, int count) {
  for (int i = 0; selectors && i < count; ++i) {
    out.push_back(TimeAt(times, timeCount, selectors[i] >> 4));
    out.push_back(TimeAt(times, timeCount, selectors[i] & 0x0F));
  }
}

}  // namespace

std::vector<uint32_t> TIrRender::Cycles(const uint16_t* times, int timeCount, const uint8_t* header,
                                        int headerCount, const uint8_t* body, int bodyCount,
                                        int repeats) {
  std::vector<uint32_t> out;
  AddPairs(out, times, timeCount, header, headerCount);
  for (int r = 0; r < repeats; ++r) AddPairs(out, times, timeCount, body, bodyCount);
  return out;
}

uint32_t TIrRender::CyclesToMicroseconds(uint32_t cycles, uint16_t divider) {
  return static_cast<uint32_t>(std::llround(static_cast<double>(cycles) * divider / 66.0));
}

std::vector<uint32_t> TIrRender::Microseconds(uint16_t divider, const uint16_t* times,
                                              int timeCount, const uint8_t* header,
                                              int headerCount, const uint8_t* body, int bodyCount,
                                              int repeats) {
  std::vector<uint32_t> out =
      Cycles(times, timeCount, header, headerCount, body, bodyCount, repeats);
  for (uint32_t& d : out) d = CyclesToMicroseconds(d, divider);
  return out;
}

}  // namespace quillon
