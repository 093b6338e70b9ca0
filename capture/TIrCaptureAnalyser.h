#pragma once
// The specified analysis: turns one raw capture of either learner kind into
// the quantised form an IR function stores (carrier divider, time table,
// header and body selectors) by clustering, merge passes and the repeat-gap
// search. Every outcome is a result code; the output goes into a
// TIrCaptureResult. TIrCaptureAnalysis runs it, or the enhanced analysis
// when the capture settings ask for that.
#include <cstdint>

#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "capture/TIrRecord.h"

namespace quillon {

class TIrSampleDeque;

class TIrCaptureAnalyser {
 public:
  enum ResultCode : int32_t {
    kSuccess = 0,
    kBadBufferSize = 1,
    kNoValidSamples = 4,
    kParityError = 5,
    kBadCarrierCount = 6,
    kHeaderTooLong = 7,
    kBodyTooLong = 8,
    kFunctionTooLong = 9,
    kTooManyTimes = 10,
    kInvalidTimeValue = 11,
    kExcessiveVariation = 12,
    kTimeout = 13,
    kInsufficientSamples = 14,
    kCarrierOutOfRange = 15,
  };
  // A record whose value is not in the time table when selectors are made
  // (possible when the trailing gap is folded into the repeat gap while a
  // burst shares the trailing gap's value) ends the analysis with this code.
  static constexpr int32_t kMissingTimeValue = kInvalidTimeValue;
  // Intervals a Halvar capture can hold (1024 edge stamps).
  static constexpr int kHalvarStamps = 1024;

  explicit TIrCaptureAnalyser(const TIrCaptureSettings& settings, bool brief = false)
      : m_settings(settings), m_brief(brief) {}

  // QVX capture: record count, then pulse-count/time records, big-endian.
  // The buffer itself is left as received; the records are converted in a
  // working copy.
  int32_t AnalyseQVX(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  // Halvar capture: carrier in Hz, then edge stamps in 8 us ticks. Input
  // beyond 1024 stamps is ignored. The intervals go into result.halvar_records.
  int32_t AnalyseHalvar(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  int32_t Analyse(TIrCaptureKind kind, const uint8_t* buffer, int32_t byteCount,
                  TIrCaptureResult& result) const;

 private:
  int32_t RunQVX(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  int32_t RunHalvar(const uint8_t* buffer, int32_t byteCount, TIrCaptureResult& result) const;
  // Repeat search, time table, header/body split, limits and selectors.
  int32_t Finish(TIrRecord* records, int count, TIrSampleDeque& samples, bool halvar,
                 TIrCaptureResult& result) const;

  TIrCaptureSettings m_settings;
  bool m_brief;
};

}  // namespace quillon
