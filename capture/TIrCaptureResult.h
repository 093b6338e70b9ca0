#pragma once
// The output of the analysis of the latest capture.
#include <array>
#include <cstdint>

#include "capture/TIrRecord.h"

namespace quillon {

class TQVXIrSubFunction;

struct TIrCaptureResult {
  static constexpr int kMaxTimes = 15;
  static constexpr int kMaxSelectors = 255;
  static constexpr int kHalvarRecords = 1024;

  std::array<uint16_t, kMaxTimes> times{};  // carrier cycles, ascending
  int32_t time_count = 0;
  std::array<uint8_t, kMaxSelectors> header_selectors{};
  int32_t header_count = 0;
  std::array<uint8_t, kMaxSelectors> body_selectors{};
  int32_t body_count = 0;
  uint16_t divider = 0;
  bool modulated = false;
  int32_t min_repeats = 4;  // 0 ... 15
  int32_t result = 0;
  std::array<TIrRecord, kHalvarRecords> halvar_records{};

  // Empties the time table, both selector lists and the three counts.
  void ClearOutput();
  // Sets the result code; any code but 0 empties the three counts.
  void SetResult(int32_t code);
  bool IsSuccess() const { return time_count != 0; }

  // The sub-function a successful result is stored as: granularity 1, the
  // modulated flag (always set with forceModulated, as verification wants),
  // the divider, the pair counts, minimum repeats and time count, the time
  // table and the header selectors followed by the body selectors.
  TQVXIrSubFunction ToSubFunction(bool forceModulated = false) const;
};

}  // namespace quillon
