#pragma once
// A raw capture as the marks and spaces the learner saw, in microseconds,
// before any analysis: what a picture of the capture draws. Unlike the
// analysis it never refuses a capture; whatever can be read is shown, so a
// user can see why a capture failed.
#include <cstdint>
#include <vector>

#include "capture/TIrCaptureSettings.h"

namespace quillon {

struct TIrCaptureTimeline {
  // The carrier the learner measured, in Hz; 0 when the capture does not
  // say (no burst, or no carrier field).
  int carrier_hz = 0;
  // Mark first, marks and spaces alternating. Neighbours of the same kind
  // (a glitch of the learner) are joined; spaces before the first mark are
  // left out. The last space runs until the learner stopped listening.
  std::vector<uint32_t> durations_us;
  // Where the part the analysis reads begins: leading bursts the analysis
  // discards come before it.
  uint64_t signal_start_us = 0;

  // LEADINGDISCARD is the QVX setting of that name (bursts with fewer
  // pulses before the first long enough are not part of the signal).
  static TIrCaptureTimeline FromCapture(TIrCaptureKind kind, const uint8_t* buffer,
                                        int32_t byteCount, int leadingDiscard);
  static TIrCaptureTimeline FromQVX(const uint8_t* buffer, int32_t byteCount, int leadingDiscard);
  static TIrCaptureTimeline FromHalvar(const uint8_t* buffer, int32_t byteCount);
};

}  // namespace quillon
