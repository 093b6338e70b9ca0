#include "capture/TIrEnhancedAnalyser.h"

#include <algorithm>
#include <cmath>

#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureFrontEnd.h"
#include "capture/TIrLevels.h"
#include "capture/TIrPeriodicity.h"

namespace quillon {
namespace {

using Code = TIrCaptureAnalyser::ResultCode;

// Limits of the stored form (pairs), and its size in bytes.
constexpr int kMaxPairs = 255;
int EncodedSize(int times, int header, int body) { return 10 + 2 * times + header + body; }

// A gap this short inside a burst is a pulse the learner missed.
constexpr double kDropoutCycles = 2.5;
// In the second search, gaps this long are all the same gap.
constexpr double kLongGapMs = 5.0;
// A first Halvar burst this short may be stray light.
constexpr double kStrayBurstCycles = 5.0;

// A first burst of a few cycles may be stray light before the signal.
bool MayBeStrayLight(const TIrCycleSignal& signal) {
  return signal.Size() >= 4 && signal.values[0] < kStrayBurstCycles;
}

// Why the shortest split of the second search could not be stored.
int32_t FailureOf(int header, int body, TIrTableFit::Outcome outcome) {
  if (header > kMaxPairs) return Code::kHeaderTooLong;
  if (body > kMaxPairs) return Code::kBodyTooLong;
  if (outcome == TIrTableFit::Outcome::TooManyTimes) return Code::kTooManyTimes;
  return Code::kFunctionTooLong;
}

// The split search of one pass: the first split, shortest first, whose
// lengths, time table and size fit the stored form.
bool Search(const TIrCycleSignal& signal, const TIrLevels& levels, double longGap,
            std::vector<TIrPeriodicity::Candidate>& candidates, TIrEncoding& out, int& length,
            int32_t& failure) {
  const TIrPeriodicity periodicity(signal, levels, longGap);
  const TIrTableFit fit(signal, levels, longGap);
  candidates = periodicity.Candidates(candidates);
  bool first = true;
  for (const TIrPeriodicity::Candidate& c : candidates) {
    // Splits come shortest first: once even a one-entry table cannot hold
    // one, none of the rest can.
    if (EncodedSize(1, c.header, c.body) > kMaxPairs && !first) break;
    TIrTableFit::Outcome outcome = TIrTableFit::Outcome::NoWindow;
    if (EncodedSize(1, c.header, c.body) <= kMaxPairs && c.header <= kMaxPairs && c.body <= kMaxPairs) {
      // The first split's outcome names the failure, so its table may take
      // every entry; the others need only what leaves the stored form
      // within its size.
      const int mostTimes = first ? TIrTableFit::kMaxTimes
                                  : std::min(TIrTableFit::kMaxTimes, (kMaxPairs - EncodedSize(0, c.header, c.body)) / 2);
      outcome = fit.Fit(c.header, c.body, mostTimes, out);
      if (outcome == TIrTableFit::Outcome::Fits &&
          EncodedSize(static_cast<int>(out.times.size()), c.header, c.body) <= kMaxPairs) {
        length = c.header + c.body;
        return true;
      }
    }
    if (first) failure = FailureOf(c.header, c.body, outcome);
    first = false;
  }
  return false;
}

}  // namespace

// ---- the signal in exact cycles to its stored form ----

void TIrEnhancedAnalyser::RepairDropouts(TIrCycleSignal& signal) {
  std::vector<double>& v = signal.values;
  std::vector<double> out;
  out.reserve(v.size());
  for (size_t i = 0; i < v.size(); ++i) {
    const bool joinable = i % 2 == 0 && !out.empty() && out.size() % 2 == 0;
    if (joinable && out.back() < kDropoutCycles) {
      // out ends burst, short gap: this burst continues the one before.
      const double gap = out.back();
      out.pop_back();
      out.back() += gap + v[i];
      continue;
    }
    out.push_back(v[i]);
  }
  v = std::move(out);
}

int32_t TIrEnhancedAnalyser::Quantise(const TIrCycleSignal& signal, TIrEncoding& out,
                                      int& headerPlusBody) {
  if (signal.Size() < 2) return Code::kInsufficientSamples;
  const TIrLevels levels(signal);
  int32_t failure = Code::kFunctionTooLong;
  std::vector<TIrPeriodicity::Candidate> candidates;
  if (Search(signal, levels, 0.0, candidates, out, headerPlusBody, failure)) return Code::kSuccess;
  // Again, taking close levels and all long gaps as equal.
  if (Search(signal, levels, signal.CyclesOf(kLongGapMs), candidates, out, headerPlusBody, failure)) {
    return Code::kSuccess;
  }
  out = TIrEncoding{};
  return failure;
}

TIrEnhancedAnalyser::Attempt TIrEnhancedAnalyser::Fit(const TIrCycleSignal& signal) {
  Attempt a;
  a.code = Quantise(signal, a.encoding, a.length);
  return a;
}

int32_t TIrEnhancedAnalyser::Store(const Attempt& attempt, TIrCaptureResult& result) {
  if (attempt.code != Code::kSuccess) return attempt.code;
  const TIrEncoding& e = attempt.encoding;
  std::copy(e.times.begin(), e.times.end(), result.times.begin());
  std::copy(e.header.begin(), e.header.end(), result.header_selectors.begin());
  std::copy(e.body.begin(), e.body.end(), result.body_selectors.begin());
  result.time_count = static_cast<int32_t>(e.times.size());
  result.header_count = static_cast<int32_t>(e.header.size());
  result.body_count = static_cast<int32_t>(e.body.size());
  return Code::kSuccess;
}

// ---- entry points ----

int32_t TIrEnhancedAnalyser::Analyse(TIrCaptureKind kind, const uint8_t* buffer, int32_t byteCount,
                                     TIrCaptureResult& result) const {
  return kind == TIrCaptureKind::Halvar ? AnalyseHalvar(buffer, byteCount, result)
                                        : AnalyseQVX(buffer, byteCount, result);
}

int32_t TIrEnhancedAnalyser::AnalyseQVX(const uint8_t* buffer, int32_t byteCount,
                                        TIrCaptureResult& result) const {
  result.ClearOutput();
  const int32_t code = RunQVX(buffer, byteCount, result);
  result.SetResult(code);
  return code;
}

int32_t TIrEnhancedAnalyser::AnalyseHalvar(const uint8_t* buffer, int32_t byteCount,
                                           TIrCaptureResult& result) const {
  result.ClearOutput();
  const int32_t code = RunHalvar(buffer, byteCount, result);
  result.SetResult(code);
  return code;
}

// ---- QVX captures ----

// The capture read with SETTINGS, in exact cycles: pulse counts for bursts,
// ticks over the mean period for gaps.
TIrEnhancedAnalyser::Attempt TIrEnhancedAnalyser::QVXFrom(const uint8_t* buffer, int32_t byteCount,
                                                          const TIrCaptureSettings& settings,
                                                          TIrCaptureResult& result,
                                                          bool& skippedBurst) const {
  Attempt a;
  TIrQvxSignal read;
  a.code = TIrCaptureFrontEnd::ReadQVX(buffer, byteCount, settings, result, read);
  skippedBurst = read.skipped_burst;
  if (a.code != Code::kSuccess) return a;
  TIrCycleSignal signal;
  signal.carrier_hz = 66000000.0 / static_cast<double>(read.period);
  for (const TIrRecord& r : read.records) {
    signal.values.push_back(r.marker != 0 ? static_cast<double>(r.marker)
                                          : static_cast<double>(r.value) / static_cast<double>(read.period));
  }
  // A lone burst has no gap after it; the specified analysis finds no
  // repeat in it either.
  if (signal.values.size() % 2 != 0) signal.values.pop_back();
  RepairDropouts(signal);
  return Fit(signal);
}

// When the leading discard passed over a burst, that burst may have been
// part of the signal: the capture is also read without discarding anything,
// and that reading wins when it plays no more pairs before repeating.
int32_t TIrEnhancedAnalyser::RunQVX(const uint8_t* buffer, int32_t byteCount,
                                    TIrCaptureResult& result) const {
  bool skippedBurst = false;
  const Attempt discarded = QVXFrom(buffer, byteCount, m_settings, result, skippedBurst);
  if (!skippedBurst) return Store(discarded, result);

  TIrCaptureSettings keepAll = m_settings;
  keepAll.leading_discard_threshold = 0;
  TIrCaptureResult whole = result;
  bool unused = false;
  const Attempt kept = QVXFrom(buffer, byteCount, keepAll, whole, unused);
  const bool keptWins = kept.code == Code::kSuccess &&
                        (discarded.code != Code::kSuccess || kept.length <= discarded.length);
  if (!keptWins) return Store(discarded, result);
  result.divider = whole.divider;
  result.modulated = whole.modulated;
  return Store(kept, result);
}

// ---- Halvar captures ----

int32_t TIrEnhancedAnalyser::RunHalvar(const uint8_t* buffer, int32_t byteCount,
                                       TIrCaptureResult& result) const {
  TIrHalvarSignal read;
  if (const int32_t code = TIrCaptureFrontEnd::ReadHalvar(buffer, byteCount, m_settings, result, read)) {
    return code;
  }
  const double ticksPerCycle = (1.0 / read.carrier) / 0.000008;
  for (size_t k = 0; k < read.ticks.size(); ++k) {
    result.halvar_records[k].value = static_cast<uint32_t>(std::llround(read.ticks[k] / ticksPerCycle));
  }
  int count = 0;
  if (const int32_t code = TIrCaptureFrontEnd::CountHalvarIntervals(static_cast<int>(read.ticks.size()), count)) {
    return code;
  }

  // Margin of error: the 2-tick uncertainty of the stamps against each
  // interval, no interval counting as shorter than 20 cycles.
  TIrCycleSignal signal;
  signal.carrier_hz = read.carrier;
  double moe = 0.0;
  for (int k = 0; k < count; ++k) {
    const double cycles = read.ticks[static_cast<size_t>(k)] / ticksPerCycle;
    signal.values.push_back(cycles);
    moe = std::max(moe, 100.0 * (2.0 / ticksPerCycle) / std::max(cycles, 20.0));
  }
  if (moe > m_settings.max_moe) return Code::kExcessiveVariation;
  RepairDropouts(signal);

  Attempt whole = Fit(signal);
  // Without a first burst that may be stray light (and its gap), the
  // signal must need strictly fewer pairs.
  if (MayBeStrayLight(signal)) {
    TIrCycleSignal rest = signal;
    rest.values.erase(rest.values.begin(), rest.values.begin() + 2);
    Attempt trimmed = Fit(rest);
    if (trimmed.code == Code::kSuccess &&
        (whole.code != Code::kSuccess || trimmed.length < whole.length)) {
      whole = std::move(trimmed);
    }
  }
  return Store(whole, result);
}

}  // namespace quillon
