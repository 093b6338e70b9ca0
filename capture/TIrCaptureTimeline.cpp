#include "capture/TIrCaptureTimeline.h"

#include <algorithm>
#include <cmath>

#include "capture/TIrCaptureAnalyser.h"

namespace quillon {
namespace {

constexpr double kTicksPerUs = 66.0;    // QVX time base: 66 MHz
constexpr double kHalvarTickUs = 8.0;   // Halvar edge stamps: 8 us

uint32_t ReadBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

uint16_t ReadBE16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

uint32_t ClampUs(double us) {
  return static_cast<uint32_t>(std::clamp(std::llround(us), 0LL, 0xFFFFFFFFLL));
}

// Appends one interval: a mark at an even position, a space at an odd one.
// A space before the first mark is dropped and an interval of the same kind
// as the one before is added to it.
void Append(std::vector<uint32_t>& durations, bool mark, uint32_t us) {
  if (durations.empty() && !mark) return;
  const bool lastIsMark = !durations.empty() && durations.size() % 2 == 1;
  if (!durations.empty() && lastIsMark == mark) {
    durations.back() = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{durations.back()} + us, 0xFFFFFFFFu));
  } else {
    durations.push_back(us);
  }
}

}  // namespace

TIrCaptureTimeline TIrCaptureTimeline::FromCapture(TIrCaptureKind kind, const uint8_t* buffer,
                                                   int32_t byteCount, int leadingDiscard) {
  return kind == TIrCaptureKind::Halvar ? FromHalvar(buffer, byteCount)
                                        : FromQVX(buffer, byteCount, leadingDiscard);
}

TIrCaptureTimeline TIrCaptureTimeline::FromQVX(const uint8_t* buffer, int32_t byteCount,
                                               int leadingDiscard) {
  TIrCaptureTimeline timeline;
  if (!buffer || byteCount < 4) return timeline;
  // The record count as announced, but never beyond the bytes there are.
  const uint64_t present = static_cast<uint64_t>(byteCount - 4) / 6;
  const uint64_t count = std::min<uint64_t>(ReadBE32(buffer), present);

  // The analysis starts at the first burst with enough pulses; when no burst
  // has that many it lowers the bar to the largest burst there is.
  uint32_t largest = 0;
  for (uint64_t i = 1; i < count; ++i) largest = std::max<uint32_t>(largest, ReadBE16(buffer + 4 + 6 * i));
  const uint32_t threshold = leadingDiscard < 1 ? 1 : std::min<uint32_t>(static_cast<uint32_t>(leadingDiscard), largest);

  double sumTicks = 0.0;
  double sumPulses = 0.0;
  double at = 0.0;
  bool started = false;
  // Record 0 is the idle time before the signal: not part of it.
  for (uint64_t i = 1; i < count; ++i) {
    const uint8_t* record = buffer + 4 + 6 * i;
    const uint32_t pulses = ReadBE16(record);
    const uint32_t time = ReadBE32(record + 2);
    double us = 0.0;
    if (pulses > 0) {
      us = static_cast<double>(pulses) * time / kTicksPerUs;
      sumTicks += static_cast<double>(pulses) * time;
      sumPulses += pulses;
      if (!started && pulses >= threshold) {
        started = true;
        timeline.signal_start_us = static_cast<uint64_t>(std::llround(at));
      }
    } else {
      us = time / kTicksPerUs;
    }
    if (pulses == 0 && timeline.durations_us.empty()) continue;  // idle before the first mark
    Append(timeline.durations_us, pulses > 0, ClampUs(us));
    at += us;
  }
  if (sumTicks > 0.0) timeline.carrier_hz = static_cast<int>(std::lround(66000000.0 * sumPulses / sumTicks));
  return timeline;
}

TIrCaptureTimeline TIrCaptureTimeline::FromHalvar(const uint8_t* buffer, int32_t byteCount) {
  TIrCaptureTimeline timeline;
  if (!buffer || byteCount < 4) return timeline;
  timeline.carrier_hz = static_cast<int>(std::min<uint32_t>(ReadBE32(buffer), 0x7FFFFFFF));
  // Intervals between consecutive edge stamps, carrier-on first, read as
  // the analysis reads them: the counter wraps at 65536 and two stamps of 0
  // end the data.
  const int stamps = std::min((byteCount - 4) / 2, TIrCaptureAnalyser::kHalvarStamps);
  for (int k = 0; k + 1 < stamps; ++k) {
    const int32_t a = ReadBE16(buffer + 4 + 2 * k);
    int32_t b = ReadBE16(buffer + 4 + 2 * (k + 1));
    if (a == 0 && b == 0) break;
    if (b < a) b += 65536;
    Append(timeline.durations_us, k % 2 == 0, ClampUs((b - a) * kHalvarTickUs));
  }
  return timeline;
}

}  // namespace quillon
