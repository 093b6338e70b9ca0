#include "signals/TIrCaptureOverview.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "capture/CLearnDlg.h"
#include "capture/TIrCaptureTimeline.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "signals/TIrSignalRender.h"
#include "signals/TIrVerifyReport.h"

namespace quillon {
namespace {

constexpr const char* kMicro = "\xC2\xB5s";  // "µs"

std::string Format(const char* format, double a, double b = 0.0, double c = 0.0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

double Percent(double from, double to) { return from == 0.0 ? 0.0 : (to - from) * 100.0 / from; }

std::string Verdict(bool within, double tolerance) {
  return within ? "ok" : Format("outside %.0f %%", tolerance);
}

// The capture as the learner saw it. The last space runs on until the
// learner stopped listening; it is drawn no longer than the longest space
// inside the signal, so the signal keeps the width of the picture.
std::vector<TIrWaveSegment> CapturedSegments(const TIrCaptureTimeline& timeline) {
  std::vector<uint32_t> durations = timeline.durations_us;
  if (durations.size() >= 4 && durations.size() % 2 == 0) {
    uint32_t longest = 0;
    for (std::size_t i = 1; i + 1 < durations.size(); i += 2) longest = std::max(longest, durations[i]);
    durations.back() = std::min(durations.back(), longest);
  }
  std::vector<TIrWaveSegment> segments;
  uint64_t at = 0;
  for (std::size_t i = 0; i < durations.size(); ++i) {
    segments.push_back(TIrWaveSegment{at, durations[i], i % 2 == 0, 0});
    at += durations[i];
  }
  return segments;
}

// A sub-function as it plays, moved to start at START.
std::vector<TIrWaveSegment> FunctionSegments(const TQVXIrSubFunction& sub, uint64_t start) {
  const TIrSignal signal = TIrSignalRender::FromSubFunction(sub);
  std::vector<TIrWaveSegment> segments = TIrWaveform::Segments(signal, signal.repeats);
  for (TIrWaveSegment& segment : segments) segment.start_us += start;
  return segments;
}

std::vector<std::string> Comparison(const TIrVerifyReport& report) {
  std::vector<std::string> lines;
  if (report.stored_divider != 0 && report.captured_divider != 0) {
    const double stored = 66000.0 / report.stored_divider;
    const double captured = 66000.0 / report.captured_divider;
    lines.push_back(Format("Carrier %.1f kHz stored, %.1f kHz captured (%+.1f %%): ", stored, captured,
                           Percent(stored, captured)) +
                    Verdict(report.divider_within, TIrVerifyReport::kDividerTolerance));
  }
  if (!report.problem.empty()) {
    lines.push_back("Durations not comparable: " + report.problem);
    return lines;
  }
  for (const TIrTimeComparison& row : report.times) {
    lines.push_back(Format("%.0f ", row.stored_us) + kMicro + Format(" stored, %.0f ", row.captured_us) + kMicro +
                    Format(" captured (%+.1f %%): ", row.deviation_percent) +
                    Verdict(row.within, TIrVerifyReport::kTimeTolerance));
  }
  return lines;
}

}  // namespace

std::string TIrCaptureOverview::Progress(const CLearnDlg& dlg) {
  return std::to_string(dlg.GetLearnedCount()) + " of " + std::to_string(dlg.GetDriver().GetFunctionCount()) +
         " learned";
}

std::string TIrCaptureOverview::CarrierText(int carrierHz) {
  if (carrierHz <= 0) return std::string();
  return Format("Carrier %.1f kHz", carrierHz / 1000.0);
}

TIrCaptureOverview TIrCaptureOverview::Of(const CLearnDlg& dlg) {
  TIrCaptureOverview overview;
  const CLearnDlg::CaptureRecord& capture = dlg.GetLastCapture();
  overview.sequence = capture.sequence;
  if (capture.sequence == 0) {
    overview.caption = "No capture yet";
    return overview;
  }
  const bool verify = !capture.from_file && capture.mode == CLearnDlg::Mode::Verify;
  overview.caption = capture.from_file ? "Capture from file" : verify ? "Last capture (verify)" : "Last capture (learn)";
  const TQVXIrFunction* function =
      capture.function_index >= 0 ? dlg.GetDriver().GetFunction(capture.function_index) : nullptr;
  if (function && function->GetName()) overview.function_name = function->GetName();

  const TIrCaptureResult& result = capture.result;
  overview.analysed = result.time_count != 0;
  const TIrCaptureTimeline timeline =
      TIrCaptureTimeline::FromCapture(capture.kind, capture.bytes.data(), static_cast<int32_t>(capture.bytes.size()),
                                      capture.leading_discard);
  // What the analysis measured when it got that far, else what the learner
  // reported.
  overview.carrier_hz = result.divider != 0 ? static_cast<int>(std::lround(66000000.0 / result.divider))
                                            : timeline.carrier_hz;
  overview.carrier_text =
      overview.analysed && !result.modulated ? std::string("Unmodulated") : CarrierText(overview.carrier_hz);

  overview.lanes.push_back({"Captured", CapturedSegments(timeline)});
  if (!overview.analysed) return overview;
  if (!verify) {
    overview.lanes.push_back({"Learned", FunctionSegments(result.ToSubFunction(), timeline.signal_start_us)});
    return overview;
  }
  if (!function) return overview;
  const TIrVerifyReport report = TIrVerifyReport::CompareFunction(*function, result.ToSubFunction(true));
  if (const TQVXIrSubFunction* stored = report.subfunction >= 0 ? function->GetSubFunction(report.subfunction) : nullptr) {
    overview.lanes.push_back({"Stored", FunctionSegments(*stored, timeline.signal_start_us)});
  }
  overview.comparison = Comparison(report);
  return overview;
}

}  // namespace quillon
