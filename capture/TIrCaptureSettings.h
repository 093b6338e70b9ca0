#pragma once
// The six values that bound the analysis of one capture, with the defaults of
// each learner kind and the settings-file sections that override them.
#include <string>

namespace quillon {

class CMemINI;

enum class TIrCaptureKind { QVX, Halvar };

struct TIrCaptureSettings {
  int min_carrier = 30000;
  int max_carrier = 1000000;
  int leading_discard_threshold = 5;
  int head_body_deviation = 12;
  float max_moe = 25.0f;
  float moe_scalar = 2.0f;

  static TIrCaptureSettings Defaults(TIrCaptureKind kind);
  // "qvx_capture_settings" or "hlvr_capture_settings".
  static std::string SectionName(TIrCaptureKind kind);
  // Reads the keys of the kind's section, in their fixed order; an absent key
  // keeps the current value.
  void ReadOverrides(const CMemINI& ini, TIrCaptureKind kind);

  bool operator==(const TIrCaptureSettings&) const = default;
};

}  // namespace quillon
