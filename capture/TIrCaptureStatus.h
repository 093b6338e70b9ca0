#pragma once
// The status line and animation state shown after each analysed capture, and
// the comparison that decides a verification.
#include <cstdint>
#include <string>

#include "capture/TIrCaptureResult.h"

namespace quillon {

class TQVXIrFunction;
class TQVXIrSubFunction;

class TIrCaptureStatus {
 public:
  // States of the learn dialog's status animation.
  enum Animation : int {
    kHidden = 0,
    kWaiting = 1,
    kTimeout = 2,
    kAborted = 3,
    kCapturing = 4,
    kLongCapture = 5,
    kProcessing = 6,
    kLearnSuccessful = 8,
    kUnsuccessful = 9,
    kVerifySuccessful = 10,
    kNoMatch = 11,
    kHiddenIdle = 12,
    kHalvarProcessing = 13,
  };

  static constexpr const char* kSuccessText = "Capture Sucessful";
  static constexpr const char* kFailureText = "Capture Unsuccessful";
  static constexpr const char* kVerifiedText = "Verify Successful";
  static constexpr const char* kNoMatchText = "Captured data does not match function data";
  static constexpr const char* kTimeoutText = "Timeout";
  static constexpr float kTimeTolerance = 10.0f;
  static constexpr float kDividerTolerance = 3.0f;

  struct Report {
    std::string text;
    int animation = kHidden;
    // Learn mode with a plain success: the capture is taken at once.
    bool accept_at_once = false;
  };

  // The text appended for an analysis result code ("" for 0, 15 and codes
  // without a diagnostic).
  static const char* Suffix(int32_t code);
  // The frame range of an animation state (first, last); {-1, -1} for the
  // hidden states.
  static void Frames(int animation, int& first, int& last);

  // Composes the line for the latest capture. In verify mode FUNCTION is the
  // function under verification (may be null).
  static Report Compose(const TIrCaptureResult& result, bool verifyMode,
                        const TQVXIrFunction* function);
  // Whether FUNCTION has a sub-function matching CANDIDATE within 10 % of
  // every time and 3 % of the divider.
  static bool FunctionMatch(const TQVXIrFunction* function, const TQVXIrSubFunction& candidate);
};

}  // namespace quillon
