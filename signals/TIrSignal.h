#pragma once
// An IR signal as the interchange formats and the protocol codecs see it:
// mark and space durations in microseconds on a carrier, split into the part
// sent once when a button is pressed and the part repeated while it is held
// (a driver function's header and body).
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct TIrSignal {
  // Carrier frequency in Hz; 0 for an unmodulated signal.
  int carrier_hz = 38000;
  // Mark first, alternating with spaces; each part has an even number of
  // durations and so ends with a space.
  std::vector<uint32_t> once;
  std::vector<uint32_t> repeat;
  // How often the repeated part is sent for one press; a held button sends
  // it on and on.
  int repeats = 1;

  bool Empty() const { return once.empty() && repeat.empty(); }
  // The once part followed by the repeated part REPEATS times.
  std::vector<uint32_t> Flatten(int repeats) const;
  // One press: the once part and the repeated part REPEATS times (at least
  // once when there is no once part: a press always sends something).
  std::vector<uint32_t> Press() const { return Flatten(once.empty() && repeats < 1 ? 1 : repeats); }
  // Empty when the signal is well formed (even parts, no zero duration, a
  // carrier of 0 or within 1 kHz .. 1 MHz, something to send); otherwise the
  // reason.
  std::string Problem() const;

  // A signal made from one sequence sent for each press (mark first). A
  // sequence that ends with a mark gets GAP as its closing space. Leading
  // spaces and zero durations are dropped; neighbours of the same kind left
  // behind by a dropped zero are joined.
  static TIrSignal FromSequence(const std::vector<uint32_t>& durations, int carrierHz, uint32_t gap);
  // The pause to put after a press stored without one (mark first): longer
  // than every space inside it by a quarter, so that the press stays one
  // frame for a learner, and at least kDefaultGapUs.
  static uint32_t PauseAfter(const std::vector<uint32_t>& durations);
};

// The closing space given to a sequence that ends with a mark when the format
// it came from does not say how long the pause before the next press is.
constexpr uint32_t kDefaultGapUs = 40000;
// The longest duration any format may carry (10 s) and the most durations in
// one signal: bounds for every parser.
constexpr uint32_t kMaxDurationUs = 10000000;
constexpr std::size_t kMaxDurations = 8192;

}  // namespace quillon
