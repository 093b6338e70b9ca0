#include "capture/TIrCaptureStatus.h"

#include <strings.h>

#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {

const char* TIrCaptureStatus::Suffix(int32_t code) {
  switch (code) {
    case 1: return " - Bad returned buffer size";
    case 4: return " - No valid samples";
    case 5: return " - On/Off Parity error";
    case 6: return " - Bad carrier count";
    case 7: return " - Excessive header length";
    case 8: return " - Excessive body (repeat) length";
    case 9: return " - Excessive overall function length";
    case 10: return " - Excessive time count";
    case 11: return " - Invalid time value";
    case 12: return " - Excessive variation in captured data";
    case 14: return " - Insufficient sample count";
    default: return "";
  }
}

void TIrCaptureStatus::Frames(int animation, int& first, int& last) {
  struct Range { int state, first, last; };
  static constexpr Range kRanges[] = {
      {kWaiting, 20, 24},       {kTimeout, 29, 29},       {kAborted, 12, 12},
      {kCapturing, 1, 6},       {kLongCapture, 17, 18},   {kProcessing, 7, 11},
      {kLearnSuccessful, 19, 19}, {kUnsuccessful, 0, 0},  {kVerifySuccessful, 27, 28},
      {kNoMatch, 25, 26},       {kHalvarProcessing, 31, 35},
  };
  first = last = -1;
  for (const Range& r : kRanges) {
    if (r.state == animation) {
      first = r.first;
      last = r.last;
      return;
    }
  }
}

bool TIrCaptureStatus::FunctionMatch(const TQVXIrFunction* function,
                                     const TQVXIrSubFunction& candidate) {
  return function && function->HasMatch(&candidate, kTimeTolerance, kDividerTolerance);
}

TIrCaptureStatus::Report TIrCaptureStatus::Compose(const TIrCaptureResult& result, bool verifyMode,
                                                   const TQVXIrFunction* function) {
  Report report;
  const bool success = result.time_count != 0;
  report.text = success ? kSuccessText : kFailureText;
  if (!verifyMode) {
    report.animation = success ? kLearnSuccessful : kUnsuccessful;
  } else if (!success) {
    report.animation = kUnsuccessful;
  } else if (function) {
    const TQVXIrSubFunction candidate = result.ToSubFunction(true);
    if (FunctionMatch(function, candidate)) {
      report.text = kVerifiedText;
      report.animation = kVerifySuccessful;
    } else {
      report.text = kNoMatchText;
      report.animation = kNoMatch;
    }
  } else {
    report.text = kNoMatchText;
    report.animation = kNoMatch;
  }
  report.text += Suffix(result.result);
  if (result.result == 13) {
    report.text = kTimeoutText;
    report.animation = kTimeout;
  }
  report.accept_at_once = !verifyMode && strcasecmp(report.text.c_str(), kSuccessText) == 0;
  return report;
}

}  // namespace quillon
