#pragma once
// Runs the analysis the capture settings choose on one raw capture: the
// specified analysis unless the settings ask for the enhanced one.
#include <cstdint>

#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"

namespace quillon {

class TIrCaptureAnalysis {
 public:
  // BRIEF is the brief-analysis option of the specified analysis.
  static int32_t Analyse(TIrCaptureKind kind, const TIrCaptureSettings& settings, bool brief,
                         const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result);
};

}  // namespace quillon
