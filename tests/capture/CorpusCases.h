#pragma once
// The real-signal corpus (tests/data/corpus) and the judgement of a learned
// result against the original signal, shared by the corpus tests and the
// analysis benchmark.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "capture/TIrRender.h"
#include "capture/TIrRenderCheck.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon::testing_support {

struct CorpusSignal {
  std::string id;
  int carrier_hz = 0;
  std::vector<uint32_t> durations_us;
  int first_frame = 0;
  std::vector<uint8_t> qvx;
  std::vector<uint8_t> halvar;

  const std::vector<uint8_t>& Capture(TIrCaptureKind kind) const {
    return kind == TIrCaptureKind::QVX ? qvx : halvar;
  }
};

inline std::vector<uint8_t> ReadCorpusBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Every signal of the corpus in index order; empty when it is missing.
inline const std::vector<CorpusSignal>& Corpus() {
  static const std::vector<CorpusSignal> signals = [] {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(QUILLON_TEST_DATA_DIR) / "corpus";
    std::vector<CorpusSignal> out;
    std::ifstream indexFile(root / "index.json");
    if (!indexFile) return out;
    const auto index = nlohmann::json::parse(indexFile);
    for (const auto& row : index["signals"]) {
      CorpusSignal s;
      s.id = row["id"];
      std::ifstream signalFile(root / "signals" / (s.id + ".json"));
      const auto json = nlohmann::json::parse(signalFile);
      s.carrier_hz = json["carrier_hz"].get<int>();
      s.durations_us = json["durations_us"].get<std::vector<uint32_t>>();
      s.first_frame = json["first_frame"].get<int>();
      s.qvx = ReadCorpusBytes(root / "qvx" / (s.id + ".bin"));
      s.halvar = ReadCorpusBytes(root / "halvar" / (s.id + ".bin"));
      out.push_back(std::move(s));
    }
    return out;
  }();
  return signals;
}

// How a learned function is judged against the original signal: played as
// a held button plays it (the header once, the body repeated as long as it
// takes), every duration of the first frame within 10 % or 2 carrier cycles,
// the carrier within 3 %.
enum class Judgement {
  WholeFrame,          // every duration of the first frame
  WithoutClosingGap,   // all but the gap that closes the first frame
};

// "" when a successful result renders the first frame of the original back
// within tolerance; otherwise why not.
inline std::string RenderBackDiff(const TIrCaptureResult& result, int32_t code,
                                  const std::vector<uint32_t>& durationsUs, int firstFrame,
                                  int carrierHz, Judgement judgement = Judgement::WholeFrame) {
  if (code != 0) return "result " + std::to_string(code);
  if (judgement == Judgement::WithoutClosingGap) firstFrame -= 1;
  const TQVXIrSubFunction sub = result.ToSubFunction();
  const auto& sel = sub.GetSelectors();
  const int header = sub.GetHeaderCount();
  const int body = sub.GetBodyCount();
  int repeats = sub.GetRepeatCount();
  if (body > 0) repeats = std::max(repeats, (firstFrame / 2 - header + body) / body);
  const auto played = TIrRender::Microseconds(sub.GetDivider(), sub.GetTimes().data(),
                                              sub.GetTimeCount(), sel.data(), header,
                                              sel.data() + header, body, repeats);
  return TIrRenderCheck::Compare(played, sub.GetCarrierHz(), durationsUs, firstFrame, carrierHz);
}

// The largest error of a played duration of the first frame against the
// original, in percent of the original; -1 when nothing was learned.
inline double WorstDurationError(const TIrCaptureResult& result, int32_t code,
                                 const std::vector<uint32_t>& durationsUs, int firstFrame) {
  if (code != 0) return -1.0;
  const TQVXIrSubFunction sub = result.ToSubFunction();
  const auto& sel = sub.GetSelectors();
  const int header = sub.GetHeaderCount();
  const int body = sub.GetBodyCount();
  const int repeats = body > 0 ? (firstFrame / 2 - header + body) / body : 0;
  const auto played = TIrRender::Microseconds(sub.GetDivider(), sub.GetTimes().data(),
                                              sub.GetTimeCount(), sel.data(), header,
                                              sel.data() + header, body, std::max(repeats, 1));
  double worst = 0.0;
  const size_t frame = std::min<size_t>(static_cast<size_t>(firstFrame), durationsUs.size());
  for (size_t i = 0; i < frame; ++i) {
    const double want = durationsUs[i];
    const double got = i < played.size() ? played[i] : 0.0;
    if (want > 0) worst = std::max(worst, 100.0 * std::abs(got - want) / want);
  }
  return worst;
}

}  // namespace quillon::testing_support
