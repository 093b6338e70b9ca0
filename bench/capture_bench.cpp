// Capture analysis, the specified one and the enhanced one side by side:
// speed on full-size captures, and on the real signal corpus
// (tests/data/corpus, plain, with missed pulses and with stray light before
// the signal) and on synthesised protocol captures the time per capture and,
// as counters, the share that learns, the share rendered back within
// tolerance (the whole first frame; and without the gap that closes it), and
// the median and 95th percentile of the worst duration error per signal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "capture/IrImpair.h"
#include "capture/IrSynth.h"
#include "capture/TIrCaptureAnalysis.h"
#include "capture/TIrCaptureResult.h"
#include "tests/capture/CorpusCases.h"

namespace {

using namespace quillon;
using namespace quillon::testing_support;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

TIrCaptureSettings Settings(TIrCaptureKind kind, TIrAnalysisMethod method) {
  TIrCaptureSettings s = TIrCaptureSettings::Defaults(kind);
  s.analysis = method;
  return s;
}

TIrAnalysisMethod Method(const benchmark::State& state) {
  return state.range(0) ? TIrAnalysisMethod::Enhanced : TIrAnalysisMethod::Specified;
}

// A Halvar capture whose 1024 stamps are all in use: 1023 intervals of a
// held NEC button.
std::vector<uint8_t> FullHalvarCapture() {
  IrSynth::Options options;
  options.frames = 40;
  const TIrTimeline t = IrSynth::Make("nec", options);
  std::vector<uint8_t> out{0, 0, 0x94, 0x70};  // 38000 Hz
  double clock = 1234.0;
  Put16(out, 1234);
  for (size_t i = 0; i < 1023; ++i) {
    clock += t.durations_us[i % t.durations_us.size()] / 8.0;
    uint32_t stamp = static_cast<uint32_t>(clock) % 65536;
    Put16(out, stamp == 0 ? 1 : stamp);
  }
  return out;
}

// A QVX capture of 500 records (a held RC5 button, cut after 499 intervals).
std::vector<uint8_t> QvxCapture500() {
  IrSynth::Options options;
  options.frames = 30;
  TIrTimeline t = IrSynth::Make("rc5", options);
  t.durations_us.resize(499);
  return IrSynth::ToQVX(t, options);
}

void RunFullSize(benchmark::State& state, TIrCaptureKind kind, const std::vector<uint8_t>& bytes) {
  const TIrCaptureSettings settings = Settings(kind, Method(state));
  TIrCaptureResult result;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TIrCaptureAnalysis::Analyse(
        kind, settings, false, bytes.data(), static_cast<int32_t>(bytes.size()), result));
  }
  state.counters["result"] = result.result;
}

void BM_AnalyseHalvar1023Intervals(benchmark::State& state) {
  RunFullSize(state, TIrCaptureKind::Halvar, FullHalvarCapture());
}
BENCHMARK(BM_AnalyseHalvar1023Intervals)->ArgName("enhanced")->Arg(0)->Arg(1);

void BM_AnalyseQvx500Records(benchmark::State& state) {
  RunFullSize(state, TIrCaptureKind::QVX, QvxCapture500());
}
BENCHMARK(BM_AnalyseQvx500Records)->ArgName("enhanced")->Arg(0)->Arg(1);

// The slowest kind of capture for the enhanced analysis: a header of twenty
// durations no table can hold, then one pair repeated to the end of a full
// Halvar capture, so that every split up to the size limit is tried.
std::vector<uint8_t> HalvarUnfittable() {
  std::vector<uint32_t> ticks;
  double spread = 20.0;
  for (int i = 0; i < 20; ++i, spread *= 1.3) ticks.push_back(static_cast<uint32_t>(spread));
  while (ticks.size() < 1023) ticks.push_back(ticks.size() % 2 ? 150 : 60);
  std::vector<uint8_t> out{0, 0, 0x94, 0x70};  // 38000 Hz
  uint32_t clock = 1000;
  Put16(out, clock);
  for (uint32_t t : ticks) {
    clock += t;
    Put16(out, clock % 65536 == 0 ? 1 : clock % 65536);
  }
  return out;
}

void BM_AnalyseHalvarUnfittable(benchmark::State& state) {
  RunFullSize(state, TIrCaptureKind::Halvar, HalvarUnfittable());
}
BENCHMARK(BM_AnalyseHalvarUnfittable)->ArgName("enhanced")->Arg(0)->Arg(1);

// ---- shares rendered back ----

enum Impairment { kPlain = 0, kDropouts = 1, kNoise = 2 };

struct Sample {
  std::vector<uint8_t> capture;
  std::vector<uint32_t> durations;
  int firstFrame;
  int carrier;
};

std::vector<uint8_t> Impaired(TIrCaptureKind kind, const std::vector<uint8_t>& bytes, int how,
                              uint32_t seed) {
  if (how == kDropouts) return IrImpair::AddDropouts(kind, bytes, 0.05, seed);
  if (how == kNoise) return IrImpair::AddLeadingNoise(kind, bytes, seed);
  return bytes;
}

std::vector<Sample> CorpusSamples(TIrCaptureKind kind, int how) {
  std::vector<Sample> out;
  uint32_t seed = 0;
  for (const CorpusSignal& s : Corpus()) {
    out.push_back({Impaired(kind, s.Capture(kind), how, ++seed), s.durations_us, s.first_frame,
                   s.carrier_hz});
  }
  return out;
}

// Every protocol, ten buttons each, held for two to five frames.
std::vector<Sample> ProtocolSamples(TIrCaptureKind kind, int how) {
  std::vector<Sample> out;
  uint32_t seed = 1000;
  for (const std::string& protocol : IrSynth::Protocols()) {
    for (uint32_t button = 0; button < 10; ++button) {
      IrSynth::Options o;
      o.seed = ++seed;
      o.frames = 2 + static_cast<int>(button % 4);
      o.address = 0x11 * button + 3;
      o.command = 0x25 + 9 * button;
      const TIrTimeline t = IrSynth::Make(protocol, o);
      const auto bytes = kind == TIrCaptureKind::QVX ? IrSynth::ToQVX(t, o) : IrSynth::ToHalvar(t, o);
      out.push_back({Impaired(kind, bytes, how, seed), t.durations_us, t.first_frame, t.carrier_hz});
    }
  }
  return out;
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<size_t>(share * (values.size() - 1) + 0.5))];
}

// Times the analysis of every sample (per capture), then judges the results.
void Score(benchmark::State& state, TIrCaptureKind kind, const std::vector<Sample>& samples) {
  if (samples.empty()) {
    state.SkipWithError("corpus not found");
    return;
  }
  const TIrCaptureSettings settings = Settings(kind, Method(state));
  std::vector<TIrCaptureResult> results(samples.size());
  std::vector<int32_t> codes(samples.size());
  for (auto _ : state) {
    for (size_t i = 0; i < samples.size(); ++i) {
      const Sample& s = samples[i];
      codes[i] = TIrCaptureAnalysis::Analyse(kind, settings, false, s.capture.data(),
                                             static_cast<int32_t>(s.capture.size()), results[i]);
    }
  }
  int learned = 0, whole = 0, frame = 0;
  std::vector<double> worst;
  for (size_t i = 0; i < samples.size(); ++i) {
    const Sample& s = samples[i];
    if (codes[i] != 0) continue;
    ++learned;
    worst.push_back(WorstDurationError(results[i], codes[i], s.durations, s.firstFrame));
    whole += RenderBackDiff(results[i], codes[i], s.durations, s.firstFrame, s.carrier).empty();
    frame += RenderBackDiff(results[i], codes[i], s.durations, s.firstFrame, s.carrier,
                            Judgement::WithoutClosingGap)
                 .empty();
  }
  const double total = static_cast<double>(samples.size());
  state.counters["signals"] = total;
  state.counters["learned_pct"] = 100.0 * learned / total;
  state.counters["rendered_pct"] = 100.0 * whole / total;
  state.counters["rendered_open_pct"] = 100.0 * frame / total;
  state.counters["worst_err_median_pct"] = Percentile(worst, 0.5);
  state.counters["worst_err_p95_pct"] = Percentile(worst, 0.95);
  state.counters["per_capture"] = benchmark::Counter(
      total, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Corpus(benchmark::State& state, TIrCaptureKind kind) {
  Score(state, kind, CorpusSamples(kind, static_cast<int>(state.range(1))));
}
void BM_Protocols(benchmark::State& state, TIrCaptureKind kind) {
  Score(state, kind, ProtocolSamples(kind, static_cast<int>(state.range(1))));
}

void Cases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"enhanced", "impaired"})->Unit(benchmark::kMillisecond);
  for (int how : {kPlain, kDropouts, kNoise}) {
    for (int enhanced : {0, 1}) b->Args({enhanced, how});
  }
}
BENCHMARK_CAPTURE(BM_Corpus, qvx, TIrCaptureKind::QVX)->Apply(Cases);
BENCHMARK_CAPTURE(BM_Corpus, halvar, TIrCaptureKind::Halvar)->Apply(Cases);
BENCHMARK_CAPTURE(BM_Protocols, qvx, TIrCaptureKind::QVX)->Apply(Cases);
BENCHMARK_CAPTURE(BM_Protocols, halvar, TIrCaptureKind::Halvar)->Apply(Cases);

}  // namespace

BENCHMARK_MAIN();
