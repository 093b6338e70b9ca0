#pragma once
// The real-signal corpus (tests/data/corpus) and the judgement of a learned
// result against the original signal, shared by the corpus tests and the
// analysis benchmark.
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

// "" when a successful result, stored and played back, renders the first
// frame of the original within tolerance; otherwise why not.
inline std::string RenderBackDiff(const TIrCaptureResult& result, int32_t code,
                                  const std::vector<uint32_t>& durationsUs, int firstFrame,
                                  int carrierHz) {
  if (code != 0) return "result " + std::to_string(code);
  const TQVXIrSubFunction sub = result.ToSubFunction();
  const auto& sel = sub.GetSelectors();
  const auto played = TIrRender::Microseconds(
      sub.GetDivider(), sub.GetTimes().data(), sub.GetTimeCount(), sel.data(),
      sub.GetHeaderCount(), sel.data() + sub.GetHeaderCount(), sub.GetBodyCount(),
      sub.GetRepeatCount());
  return TIrRenderCheck::Compare(played, sub.GetCarrierHz(), durationsUs, firstFrame, carrierHz);
}

}  // namespace quillon::testing_support
