#pragma once
// What the learn dialog shows beside its status line for people with a
// remote in hand: how far the learning has come, and the latest capture:
// the carrier it was sent on, a picture of it with the function it gave (or
// was verified against) drawn on the same time axis, and after a verify how
// every stored duration compares with the captured one.
#include <string>
#include <vector>

#include "signals/TIrWaveform.h"

namespace quillon {

class CLearnDlg;

struct TIrCaptureOverview {
  struct Lane {
    std::string label;
    std::vector<TIrWaveSegment> segments;
  };

  // The capture's number in the dialog (0: none yet), so a window knows
  // when a new one arrived.
  int sequence = 0;
  // "Last capture (learn)", "Last capture (verify)", "Capture from file" or
  // "No capture yet".
  std::string caption;
  // The function the capture was taken for, as the driver stores its name
  // (empty for a file).
  std::string function_name;
  // Whether the analysis made a function of it.
  bool analysed = false;
  // The carrier measured, in Hz (0 when the capture does not say), and as
  // shown: "Carrier 38.0 kHz", "Unmodulated" or "".
  int carrier_hz = 0;
  std::string carrier_text;
  // "Captured" first; then "Learned" (a learn that succeeded or a file) or
  // "Stored" (a verify), drawn from where the analysed signal begins.
  std::vector<Lane> lanes;
  // After a verify: one line for the carrier and one for every pair of
  // durations the selectors put side by side, or why none could be.
  std::vector<std::string> comparison;

  static TIrCaptureOverview Of(const CLearnDlg& dlg);
  // "3 of 12 learned".
  static std::string Progress(const CLearnDlg& dlg);
  static std::string CarrierText(int carrierHz);
};

}  // namespace quillon
