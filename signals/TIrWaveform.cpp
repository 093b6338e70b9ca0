#include "signals/TIrWaveform.h"

namespace quillon {

std::vector<TIrWaveSegment> TIrWaveform::Segments(const TIrSignal& signal, int repeats) {
  std::vector<TIrWaveSegment> out;
  uint64_t at = 0;
  auto add = [&](const std::vector<uint32_t>& part, int number) {
    for (std::size_t i = 0; i < part.size(); ++i) {
      out.push_back(TIrWaveSegment{at, part[i], i % 2 == 0, number});
      at += part[i];
    }
  };
  add(signal.once, 0);
  for (int r = 1; r <= repeats; ++r) add(signal.repeat, r);
  return out;
}

uint64_t TIrWaveform::Length(const std::vector<TIrWaveSegment>& segments) {
  return segments.empty() ? 0 : segments.back().start_us + segments.back().duration_us;
}

}  // namespace quillon
