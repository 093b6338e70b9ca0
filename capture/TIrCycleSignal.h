#pragma once
// A signal as exact durations in carrier cycles (never truncated), the form
// the enhanced analysis works on, and the tolerance a played duration may
// have against the original.
#include <algorithm>
#include <vector>

namespace quillon {

struct TIrCycleSignal {
  // Bursts at even, gaps at odd positions; the last entry is the final gap,
  // which runs until the learner stopped listening.
  std::vector<double> values;
  double carrier_hz = 0.0;

  int Size() const { return static_cast<int>(values.size()); }
  // Durations of this many milliseconds or more, in cycles.
  double CyclesOf(double milliseconds) const { return milliseconds * carrier_hz / 1000.0; }

  // 10 % of a duration or 2 carrier cycles, whichever is larger.
  static double Tolerance(double cycles) { return std::max(0.1 * cycles, 2.0); }
  // How far apart two durations are in units of their tolerances: at 1 the
  // tolerance windows around them just touch.
  static double SpanError(double low, double high) {
    return (high - low) / (Tolerance(low) + Tolerance(high));
  }
};

}  // namespace quillon
