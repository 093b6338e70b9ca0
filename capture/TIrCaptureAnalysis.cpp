#include "capture/TIrCaptureAnalysis.h"

#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrEnhancedAnalyser.h"

namespace quillon {

int32_t TIrCaptureAnalysis::Analyse(TIrCaptureKind kind, const TIrCaptureSettings& settings,
                                    bool brief, const uint8_t* buffer, int32_t byteCount,
                                    TIrCaptureResult& result) {
  if (settings.analysis == TIrAnalysisMethod::Enhanced) {
    return TIrEnhancedAnalyser(settings).Analyse(kind, buffer, byteCount, result);
  }
  return TIrCaptureAnalyser(settings, brief).Analyse(kind, buffer, byteCount, result);
}

}  // namespace quillon
