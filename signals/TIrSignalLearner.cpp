#include "signals/TIrSignalLearner.h"

#include <algorithm>
#include <cmath>

#include "capture/IrSynth.h"
#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureStatus.h"
#include "capture/TIrRenderCheck.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "signals/TIrSignalRender.h"

namespace quillon {
namespace {

// Intervals of a Halvar capture the analysis reads.
constexpr std::size_t kHalvarIntervals = 1022;

}  // namespace

TIrSignalLearner::TIrSignalLearner(TIrCaptureKind kind) : TIrSignalLearner(kind, ImportSettings(kind)) {}

TIrCaptureSettings TIrSignalLearner::ImportSettings(TIrCaptureKind kind) {
  TIrCaptureSettings settings = TIrCaptureSettings::Defaults(kind);
  // A QVX learner drops leading bursts of fewer than 5 pulses as stray
  // light; a file's signal has none, and its short first marks (a 108 us
  // mark is 4 pulses at 38 kHz) are part of it.
  settings.leading_discard_threshold = 0;
  return settings;
}

TIrSignalLearner::TIrSignalLearner(TIrCaptureKind kind, const TIrCaptureSettings& settings)
    : m_kind(kind), m_settings(settings) {}

std::vector<uint32_t> TIrSignalLearner::HeldDurations(const TIrSignal& signal) const {
  // A signal without a repeated part is sent anew for every press; held
  // down, the whole of it repeats.
  const std::vector<uint32_t>& once = signal.repeat.empty() ? signal.repeat : signal.once;
  const std::vector<uint32_t>& frame = signal.repeat.empty() ? signal.once : signal.repeat;
  std::vector<uint32_t> held = once;
  if (frame.empty()) return held;
  // Four copies, as a button held for a moment; a Halvar learner's 1023
  // intervals may hold fewer (never less than two).
  std::size_t copies = 4;
  if (m_kind == TIrCaptureKind::Halvar) {
    while (copies > 2 && once.size() + copies * frame.size() > kHalvarIntervals) --copies;
  }
  for (std::size_t i = 0; i < copies; ++i) held.insert(held.end(), frame.begin(), frame.end());
  return held;
}

std::vector<uint8_t> TIrSignalLearner::Capture(const TIrSignal& signal) const {
  TIrTimeline timeline;
  timeline.carrier_hz = signal.carrier_hz > 0 ? signal.carrier_hz : kUnmodulatedTimeBaseHz;
  timeline.durations_us = HeldDurations(signal);
  timeline.first_frame = static_cast<int>(timeline.durations_us.size());
  IrSynth::Options exact;
  exact.jitter = 0.0;
  exact.carrier_noise = 0.0;
  return m_kind == TIrCaptureKind::QVX ? IrSynth::ToQVX(timeline, exact) : IrSynth::ToHalvar(timeline, exact);
}

TIrSignalLearner::Outcome TIrSignalLearner::Analyse(const TIrSignal& signal, const std::vector<uint8_t>& bytes,
                                                     bool brief) const {
  Outcome outcome;
  auto result = std::make_unique<TIrCaptureResult>();
  const TIrCaptureAnalyser analyser(m_settings, brief);
  outcome.result = analyser.Analyse(m_kind, bytes.data(), static_cast<int32_t>(bytes.size()), *result);
  outcome.status = TIrCaptureStatus::Compose(*result, false, nullptr).text;
  if (outcome.result != 0) return outcome;

  // One press of the learned function plays the header and the body
  // repeat_count times; match the number of durations of one press of the
  // signal (the whole of a signal without a repeated part).
  const std::vector<uint32_t> press = signal.repeat.empty() ? signal.once : signal.Press();
  const std::size_t header = static_cast<std::size_t>(result->header_count) * 2;
  const std::size_t body = static_cast<std::size_t>(result->body_count) * 2;
  int repeats = 0;
  if (body > 0 && press.size() > header) {
    repeats = static_cast<int>(std::lround(static_cast<double>(press.size() - header) / static_cast<double>(body)));
  }
  result->min_repeats = std::clamp(repeats, 0, 15);
  // The file says whether the signal is modulated; a learner only guesses it
  // from the pulse counts of the first bursts.
  result->modulated = signal.carrier_hz > 0;
  outcome.sub = std::make_unique<TQVXIrSubFunction>(result->ToSubFunction());

  // Judge the function as a learned one is judged: one press played back
  // against the signal's press. An unmodulated signal is judged on the time
  // base it was captured on.
  TIrSignal played = TIrSignalRender::FromSubFunction(*outcome.sub);
  const int carrier = signal.carrier_hz > 0 ? signal.carrier_hz : kUnmodulatedTimeBaseHz;
  const int playedCarrier = played.carrier_hz > 0 ? played.carrier_hz : TIrSignalRender::CarrierHz(*outcome.sub);
  const std::vector<uint32_t> playedPress = played.Press();
  outcome.deviation = TIrRenderCheck::Compare(playedPress, playedCarrier, press, static_cast<int>(press.size()), carrier);
  if (outcome.deviation.empty() && playedPress.size() != press.size()) {
    outcome.deviation = "a press of " + std::to_string(playedPress.size()) + " durations against " +
                        std::to_string(press.size());
  }
  return outcome;
}

TIrSignalLearner::Outcome TIrSignalLearner::Learn(const TIrSignal& signal) const {
  const std::vector<uint8_t> bytes = Capture(signal);
  Outcome full = Analyse(signal, bytes, false);
  if (full.result == 0 && full.deviation.empty()) return full;
  // The merge passes of a full analysis can pull a duration into a
  // neighbouring cluster beyond the tolerance; the brief analysis merges
  // once. Keep it when it holds the signal better.
  Outcome brief = Analyse(signal, bytes, true);
  if (brief.result == 0 && (full.result != 0 || brief.deviation.empty())) return brief;
  return full;
}

}  // namespace quillon
