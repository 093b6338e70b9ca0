#pragma once
// The enhanced analysis: the same front ends and the same stored form as the
// specified analysis, but the durations are kept exact, grouped into levels
// by their tolerances, the header and body are found by where the signal
// repeats, and the time table is fitted so that every played duration stays
// within a window around each duration it stands for. It renders real
// remote signals back faithfully far more often, and survives missed pulses
// and stray light before the signal. Chosen with the capture setting
// "analysis=enhanced".
#include <cstdint>

#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "capture/TIrCycleSignal.h"
#include "capture/TIrTableFit.h"

namespace quillon {

class TIrEnhancedAnalyser {
 public:
  explicit TIrEnhancedAnalyser(const TIrCaptureSettings& settings) : m_settings(settings) {}

  // Same inputs, outputs and result codes as the specified analysis.
  int32_t AnalyseQVX(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  int32_t AnalyseHalvar(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  int32_t Analyse(TIrCaptureKind kind, const uint8_t* buffer, int32_t byteCount,
                  TIrCaptureResult& result) const;

  // A signal in exact cycles to its stored form: 0, or 7, 8, 9, 10 or 14.
  // HEADERPLUSBODY receives the pairs the form plays before it repeats.
  static int32_t Quantise(const TIrCycleSignal& signal, TIrEncoding& out, int& headerPlusBody);
  // Joins burst, gap under 2.5 cycles, burst into one burst: carrier pulses
  // the learner missed.
  static void RepairDropouts(TIrCycleSignal& signal);

 private:
  struct Attempt {
    int32_t code = 0;
    TIrEncoding encoding;
    int length = 0;  // header + body pairs
  };
  int32_t RunQVX(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  Attempt QVXFrom(const uint8_t* buffer, int32_t byteCount, const TIrCaptureSettings& settings,
                  TIrCaptureResult& result, bool& skippedBurst) const;
  int32_t RunHalvar(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  static Attempt Fit(const TIrCycleSignal& signal);
  static int32_t Store(const Attempt& attempt, TIrCaptureResult& result);

  TIrCaptureSettings m_settings;
};

}  // namespace quillon
