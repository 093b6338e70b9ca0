#include "capture/TIrCaptureResult.h"

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

}  // namespace quillon
