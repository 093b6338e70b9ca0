#pragma once
// The front ends both analyses share: from the raw bytes of a capture to the
// intervals of the signal, with the carrier and the checks that refuse a
// capture before any duration is quantised. They set the divider and the
// modulated flag of the result as they go, so that a refused capture leaves
// them exactly as far as the reading got.
#include <cstdint>
#include <vector>

#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "capture/TIrRecord.h"

namespace quillon {

// A QVX capture after leading discard, glitch repair and trailing trim.
struct TIrQvxSignal {
  // Pulse count and mean period (bursts) or pulse count 0 and duration
  // (gaps), both in 66 MHz ticks as received.
  std::vector<TIrRecord> records;
  uint64_t period = 0;  // mean carrier period in ticks: the divider
  float moe = 0.0f;     // margin of error of the burst periods, percent
  // The leading discard passed over at least one burst.
  bool skipped_burst = false;
};

// A Halvar capture's intervals in 8 us ticks, carrier-on first.
struct TIrHalvarSignal {
  uint32_t carrier = 0;         // Hz
  float ticks_per_cycle = 0.0f;  // 8 us ticks per carrier cycle
  std::vector<int32_t> ticks;   // every interval read, up to 1023
};

class TIrCaptureFrontEnd {
 public:
  // Reads, discards the lead-in, repairs glitches, checks parity, trims the
  // tail, measures the carrier and its margin of error. 0 or a result code.
  static int32_t ReadQVX(const uint8_t* buffer, int32_t byteCount,
                         const TIrCaptureSettings& settings, TIrCaptureResult& result,
                         TIrQvxSignal& signal);
  // Checks the carrier and reads the intervals up to the end of the data;
  // clears the result's Halvar interval table. 0 or a result code.
  static int32_t ReadHalvar(const uint8_t* buffer, int32_t byteCount,
                            const TIrCaptureSettings& settings, TIrCaptureResult& result,
                            TIrHalvarSignal& signal);
  // The number of intervals of a Halvar capture that are analysed, from the
  // number read: a full capture loses its last one. 0 or a result code.
  static int32_t CountHalvarIntervals(int read, int& analysed);
};

}  // namespace quillon
