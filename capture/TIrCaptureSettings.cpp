#include "capture/TIrCaptureSettings.h"

#include "app/CMemINI.h"
#include "app/CMemINIValue.h"

namespace quillon {

TIrCaptureSettings TIrCaptureSettings::Defaults(TIrCaptureKind kind) {
  TIrCaptureSettings s;
  if (kind == TIrCaptureKind::Halvar) {
    s.min_carrier = 30000;
    s.max_carrier = 62000;
    s.leading_discard_threshold = 0;
    s.head_body_deviation = 20;
    s.max_moe = 25.0f;
    s.moe_scalar = 1.0f;
  }
  return s;
}

std::string TIrCaptureSettings::SectionName(TIrCaptureKind kind) {
  return kind == TIrCaptureKind::Halvar ? "hlvr_capture_settings" : "qvx_capture_settings";
}

void TIrCaptureSettings::ReadOverrides(const CMemINI& ini, TIrCaptureKind kind) {
  const std::string section = SectionName(kind);
  min_carrier = ini.GetInt(section, "min_carrier", min_carrier);
  max_carrier = ini.GetInt(section, "max_carrier", max_carrier);
  leading_discard_threshold =
      ini.GetInt(section, "leading_discard_threshold", leading_discard_threshold);
  head_body_deviation = ini.GetInt(section, "head_body_deviation", head_body_deviation);
  max_moe = static_cast<float>(ini.GetDouble(section, "max_moe", max_moe));
  moe_scalar = static_cast<float>(ini.GetDouble(section, "moe_scalar", moe_scalar));
  analysis = ParseAnalysis(ini.GetString(section, kAnalysisKey, "")).value_or(analysis);
}

std::optional<TIrAnalysisMethod> TIrCaptureSettings::ParseAnalysis(const std::string& text) {
  if (EqualsNoCase(text, kSpecified)) return TIrAnalysisMethod::Specified;
  if (EqualsNoCase(text, kEnhanced)) return TIrAnalysisMethod::Enhanced;
  return std::nullopt;
}

const char* TIrCaptureSettings::AnalysisName(TIrAnalysisMethod method) {
  return method == TIrAnalysisMethod::Enhanced ? kEnhanced : kSpecified;
}

}  // namespace quillon
