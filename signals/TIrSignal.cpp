#include "signals/TIrSignal.h"

#include <algorithm>
#include <cstdint>

namespace quillon {

std::vector<uint32_t> TIrSignal::Flatten(int count) const {
  std::vector<uint32_t> out = once;
  for (int i = 0; i < count; ++i) out.insert(out.end(), repeat.begin(), repeat.end());
  return out;
}

std::string TIrSignal::Problem() const {
  if (Empty()) return "no durations";
  if (once.size() % 2 != 0 || repeat.size() % 2 != 0) return "a part does not end with a space";
  if (carrier_hz != 0 && (carrier_hz < 1000 || carrier_hz > 1000000)) {
    return "carrier " + std::to_string(carrier_hz) + " Hz outside 1 kHz .. 1 MHz";
  }
  for (const auto* part : {&once, &repeat}) {
    for (uint32_t d : *part) {
      if (d == 0) return "a duration of 0";
      if (d > kMaxDurationUs) return "a duration of " + std::to_string(d) + " us";
    }
  }
  if (once.size() + repeat.size() > kMaxDurations) return "more than " + std::to_string(kMaxDurations) + " durations";
  return std::string();
}

uint32_t TIrSignal::PauseAfter(const std::vector<uint32_t>& durations) {
  uint64_t longest = 0;
  for (std::size_t i = 1; i < durations.size(); i += 2) longest = std::max<uint64_t>(longest, durations[i]);
  return static_cast<uint32_t>(std::clamp<uint64_t>(longest + longest / 4, kDefaultGapUs, kMaxDurationUs));
}

TIrSignal TIrSignal::FromSequence(const std::vector<uint32_t>& durations, int carrierHz, uint32_t gap) {
  TIrSignal signal;
  signal.carrier_hz = carrierHz;
  std::vector<uint32_t>& out = signal.repeat;
  // Even positions of OUT are marks. A zero duration joins its neighbours.
  bool mark = true;
  for (uint32_t d : durations) {
    if (d != 0) {
      const bool outIsMark = out.size() % 2 == 0;
      if (out.empty() && !mark) {
        // idle time before the first mark
      } else if (outIsMark == mark) {
        out.push_back(d);
      } else {
        // Saturating: Problem() then names the over-long duration.
        const uint64_t joined = uint64_t{out.back()} + d;
        out.back() = joined > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(joined);
      }
    }
    mark = !mark;
  }
  if (out.size() % 2 != 0) out.push_back(gap);
  return signal;
}

}  // namespace quillon
