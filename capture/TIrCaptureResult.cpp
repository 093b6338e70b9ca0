#include "capture/TIrCaptureResult.h"

#include "irmodel/TQVXIrSubFunction.h"

#include <algorithm>

namespace quillon {

void TIrCaptureResult::ClearOutput() {
  times.fill(0);
  header_selectors.fill(0);
  body_selectors.fill(0);
  time_count = 0;
  header_count = 0;
  body_count = 0;
}

void TIrCaptureResult::SetResult(int32_t code) {
  result = code;
  if (code != 0) {
    time_count = 0;
    header_count = 0;
    body_count = 0;
  }
}

TQVXIrSubFunction TIrCaptureResult::ToSubFunction(bool forceModulated) const {
  TQVXIrSubFunction sub;
  sub.SetGranularity(1);
  sub.SetFlags((modulated || forceModulated) ? TQVXIrSubFunction::kModulated : 0);
  sub.SetDivider(divider);
  const int timeCount = std::clamp(time_count, 0, kMaxTimes);
  const int headerCount = std::clamp(header_count, 0, kMaxSelectors);
  const int bodyCount = std::clamp(body_count, 0, kMaxSelectors);
  sub.SetHeaderCount(static_cast<uint8_t>(headerCount));
  sub.SetBodyCount(static_cast<uint8_t>(bodyCount));
  sub.SetCounts(static_cast<uint8_t>(((min_repeats & 0x0F) << 4) | (timeCount % 16)));
  sub.SetTimes(times.data(), timeCount);
  sub.SetHeaderAndBody(header_selectors.data(), headerCount, body_selectors.data(), bodyCount);
  return sub;
}

}  // namespace quillon
