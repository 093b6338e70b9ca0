#pragma once
// The six values that bound the analysis of one capture, with the defaults of
// each learner kind and the settings-file sections that override them.
#include <optional>
#include <string>

namespace quillon {

class CMemINI;

enum class TIrCaptureKind { QVX, Halvar };

// Which analysis turns a capture into a function: the specified one (the
// default), or the enhanced one, which keeps to the signal's durations more
// closely and stores the same form.
enum class TIrAnalysisMethod { Specified, Enhanced };

struct TIrCaptureSettings {
  int min_carrier = 30000;
  int max_carrier = 1000000;
  int leading_discard_threshold = 5;
  int head_body_deviation = 12;
  float max_moe = 25.0f;
  float moe_scalar = 2.0f;
  TIrAnalysisMethod analysis = TIrAnalysisMethod::Specified;

  // The settings-file key of the analysis and its two values.
  static constexpr const char* kAnalysisKey = "analysis";
  static constexpr const char* kSpecified = "specified";
  static constexpr const char* kEnhanced = "enhanced";

  static TIrCaptureSettings Defaults(TIrCaptureKind kind);
  // "qvx_capture_settings" or "hlvr_capture_settings".
  static std::string SectionName(TIrCaptureKind kind);
  // Reads the keys of the kind's section, in their fixed order, then the
  // analysis; an absent key (or an analysis other than "specified" or
  // "enhanced") keeps the current value.
  void ReadOverrides(const CMemINI& ini, TIrCaptureKind kind);

  // "specified" or "enhanced", in any letter case.
  static std::optional<TIrAnalysisMethod> ParseAnalysis(const std::string& text);
  static const char* AnalysisName(TIrAnalysisMethod method);

  bool operator==(const TIrCaptureSettings&) const = default;
};

}  // namespace quillon
