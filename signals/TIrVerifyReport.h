#pragma once
// The per-duration account of a verification: every time value of the
// stored function beside the value the capture has at the same selector
// positions, with the deviation, judged with the tolerances verification
// uses (10 % of every time value, 3 % of the divider).
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class TQVXIrFunction;
class TQVXIrSubFunction;

struct TIrTimeComparison {
  // Indices into the stored and the captured time table.
  int stored_index = 0;
  int captured_index = 0;
  // Carrier cycles, and microseconds on each side's own carrier.
  uint16_t stored = 0;
  uint16_t captured = 0;
  uint32_t stored_us = 0;
  uint32_t captured_us = 0;
  // (captured - stored) / stored in percent, in microseconds; negative when
  // the capture is shorter.
  double deviation_percent = 0.0;
  // Within the time tolerance as the verification judges it.
  bool within = false;
};

struct TIrVerifyReport {
  static constexpr float kTimeTolerance = 10.0f;
  static constexpr float kDividerTolerance = 3.0f;

  // Empty when the two have the same shape (granularity, header, body and
  // selector counts, valid selectors); otherwise why no time can be
  // compared.
  std::string problem;
  uint16_t stored_divider = 0;
  uint16_t captured_divider = 0;
  double divider_deviation_percent = 0.0;
  bool divider_within = false;
  // One row per pair of time indices the selectors put side by side, by
  // stored index, then captured index.
  std::vector<TIrTimeComparison> times;
  // The verification's verdict (TQVXIrSubFunction::Matches).
  bool matches = false;

  static TIrVerifyReport Compare(const TQVXIrSubFunction& stored, const TQVXIrSubFunction& captured,
                                 float timeTolerance = kTimeTolerance, float dividerTolerance = kDividerTolerance);
  // Against a function: its first sub-function that matches, else the first
  // of the same shape, else its first one ("no sub-function" when it has
  // none).
  static TIrVerifyReport CompareFunction(const TQVXIrFunction& stored, const TQVXIrSubFunction& captured,
                                         float timeTolerance = kTimeTolerance,
                                         float dividerTolerance = kDividerTolerance);
};

}  // namespace quillon
