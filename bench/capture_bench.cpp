// Capture analysis speed on full-size captures, and the share of the real
// signal corpus (tests/data/corpus) that learns and plays back within
// tolerance, reported as counters.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "capture/IrSynth.h"
#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrRender.h"
#include "capture/TIrRenderCheck.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace {

using namespace quillon;
namespace fs = std::filesystem;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
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

void BM_AnalyseHalvar1023Intervals(benchmark::State& state) {
  const auto bytes = FullHalvarCapture();
  const TIrCaptureAnalyser analyser(TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar));
  TIrCaptureResult result;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        analyser.AnalyseHalvar(bytes.data(), static_cast<int32_t>(bytes.size()), result));
  }
  state.counters["result"] = result.result;
}
BENCHMARK(BM_AnalyseHalvar1023Intervals);

void BM_AnalyseQvx500Records(benchmark::State& state) {
  const auto bytes = QvxCapture500();
  const TIrCaptureAnalyser analyser(TIrCaptureSettings::Defaults(TIrCaptureKind::QVX));
  TIrCaptureResult result;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        analyser.AnalyseQVX(bytes.data(), static_cast<int32_t>(bytes.size()), result));
  }
  state.counters["result"] = result.result;
}
BENCHMARK(BM_AnalyseQvx500Records);

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Learns every corpus signal of one learner kind; the counters give the
// share that learns (result 0) and the share that plays back within 10 % of
// every duration of the first frame and 3 % of the carrier.
void BM_CorpusShare(benchmark::State& state, TIrCaptureKind kind, const char* folder) {
  const fs::path corpus = fs::path(QUILLON_TEST_DATA_DIR) / "corpus";
  std::ifstream indexFile(corpus / "index.json");
  if (!indexFile) {
    state.SkipWithError("corpus not found");
    return;
  }
  struct Signal {
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> durations;
    int firstFrame;
    int carrier;
  };
  std::vector<Signal> signals;
  const auto index = nlohmann::json::parse(indexFile);
  for (const auto& row : index["signals"]) {
    const std::string id = row["id"];
    std::ifstream signalFile(corpus / "signals" / (id + ".json"));
    const auto s = nlohmann::json::parse(signalFile);
    signals.push_back({ReadBytes(corpus / folder / (id + ".bin")),
                       s["durations_us"].get<std::vector<uint32_t>>(), s["first_frame"].get<int>(),
                       s["carrier_hz"].get<int>()});
  }
  const TIrCaptureAnalyser analyser(TIrCaptureSettings::Defaults(kind));
  int learned = 0, good = 0;
  for (auto _ : state) {
    learned = good = 0;
    for (const Signal& s : signals) {
      TIrCaptureResult result;
      if (analyser.Analyse(kind, s.bytes.data(), static_cast<int32_t>(s.bytes.size()), result) != 0) {
        continue;
      }
      ++learned;
      const TQVXIrSubFunction sub = result.ToSubFunction();
      const auto& sel = sub.GetSelectors();
      const auto played = TIrRender::Microseconds(
          sub.GetDivider(), sub.GetTimes().data(), sub.GetTimeCount(), sel.data(),
          sub.GetHeaderCount(), sel.data() + sub.GetHeaderCount(), sub.GetBodyCount(),
          sub.GetRepeatCount());
      if (TIrRenderCheck::Compare(played, sub.GetCarrierHz(), s.durations, s.firstFrame, s.carrier)
              .empty()) {
        ++good;
      }
    }
  }
  const double total = signals.empty() ? 1.0 : static_cast<double>(signals.size());
  state.counters["signals"] = static_cast<double>(signals.size());
  state.counters["learned_share"] = learned / total;
  state.counters["within_tolerance_share"] = good / total;
}
BENCHMARK_CAPTURE(BM_CorpusShare, qvx, TIrCaptureKind::QVX, "qvx")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CorpusShare, halvar, TIrCaptureKind::Halvar, "halvar")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
