#pragma once
// Turns a signal read from an interchange file into a driver function the
// way a learning device would: the signal is held down in front of a
// learner of the chosen kind (its once part, then its repeated part several
// times), the learner's raw capture is built without measurement noise and
// the ordinary capture analysis makes the sub-function. So an imported
// signal is quantised exactly like a learned one.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/TIrCaptureSettings.h"
#include "signals/TIrSignal.h"

namespace quillon {

class TQVXIrSubFunction;

class TIrSignalLearner {
 public:
  // The carrier an unmodulated signal is captured on; the learned
  // sub-function keeps it as time base and is marked unmodulated.
  static constexpr int kUnmodulatedTimeBaseHz = 38000;

  struct Outcome {
    // The analysis result code (0 on success) and its status line.
    int32_t result = 0;
    std::string status;
    // The learned sub-function; null unless result is 0.
    std::unique_ptr<TQVXIrSubFunction> sub;
    // Empty when one press of the sub-function plays the signal's press
    // within the tolerance learned functions are judged by (10 % or 2
    // carrier cycles a duration, 3 % of the carrier); else what differs
    // first.
    std::string deviation;
  };

  // The kind's capture settings, without the leading discard: nothing
  // precedes a signal read from a file.
  static TIrCaptureSettings ImportSettings(TIrCaptureKind kind);

  explicit TIrSignalLearner(TIrCaptureKind kind = TIrCaptureKind::QVX);
  TIrSignalLearner(TIrCaptureKind kind, const TIrCaptureSettings& settings);

  TIrCaptureKind Kind() const { return m_kind; }

  // The durations a learner sees while the button is held: the once part and
  // then the repeated part 4 times (a Halvar learner: as often as its 1022
  // intervals hold, at least twice).
  std::vector<uint32_t> HeldDurations(const TIrSignal& signal) const;
  // The raw capture a learner of this kind reports for the held signal.
  std::vector<uint8_t> Capture(const TIrSignal& signal) const;
  // Captures and analyses SIGNAL. The sub-function's repeat count makes one
  // press as long as the signal's press (once part plus its repeats); it is
  // 0 when the header alone is one press. When the full analysis drifts
  // beyond the tolerance, the brief analysis (one merge pass) is tried and
  // kept if it does better.
  Outcome Learn(const TIrSignal& signal) const;

 private:
  Outcome Analyse(const TIrSignal& signal, const std::vector<uint8_t>& bytes, bool brief) const;

  TIrCaptureKind m_kind;
  TIrCaptureSettings m_settings;
};

}  // namespace quillon
