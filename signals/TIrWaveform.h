#pragma once
// The waveform of a signal as a signal view draws it: one segment per mark
// and space on a time axis in microseconds, each marked with the part of
// the signal it belongs to.
#include <cstdint>
#include <vector>

#include "signals/TIrSignal.h"

namespace quillon {

struct TIrWaveSegment {
  uint64_t start_us = 0;
  uint32_t duration_us = 0;
  bool mark = false;
  // 0 for the once part (a function's header), 1, 2, ... for the copies of
  // the repeated part (its body).
  int part = 0;
};

class TIrWaveform {
 public:
  // The once part and the repeated part REPEATS times.
  static std::vector<TIrWaveSegment> Segments(const TIrSignal& signal, int repeats);
  // The end of the last segment.
  static uint64_t Length(const std::vector<TIrWaveSegment>& segments);
};

}  // namespace quillon
