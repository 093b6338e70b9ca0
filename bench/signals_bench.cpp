// Protocol recognition and interchange on the real signal corpus
// (tests/data/corpus), reported as counters:
//  - recognised_share: of the 50 protocol renderings, the share whose
//    protocol, address and command the decoder reads from the function
//    learned from the corpus' QVX / Halvar capture of it (a code is compared
//    in the form the signal can carry, TIrProtocol::Canonical);
//  - recognised_exact_share: the same, compared with the database's code as
//    written (RC5X codes below 64 send RC5's signal; RC6 addresses above 255
//    cannot be sent);
//  - survived_share: of the 200 signals written as raw .ir entries, the
//    share that comes back from .ir -> driver -> .ir with every duration
//    within 10 % (or 2 carrier cycles).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/IPrompt.h"
#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrRenderCheck.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "signals/TIrDecoder.h"
#include "signals/TIrEncoder.h"
#include "signals/TIrInterchange.h"
#include "signals/TIrProtocol.h"
#include "signals/TIrSignalLearner.h"
#include "signals/TIrSignalsFile.h"

namespace {

using namespace quillon;
namespace fs = std::filesystem;

struct Signal {
  std::string id;
  int carrier = 0;
  std::vector<uint32_t> durations;
  int firstFrame = 0;
  bool parsed = false;
  TIrCode code;
  std::vector<uint8_t> qvx, halvar;
};

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const std::vector<Signal>& Corpus() {
  static const std::vector<Signal> all = [] {
    std::vector<Signal> out;
    const fs::path corpus = fs::path(QUILLON_TEST_DATA_DIR) / "corpus";
    std::ifstream indexFile(corpus / "index.json");
    if (!indexFile) return out;
    const auto index = nlohmann::json::parse(indexFile);
    for (const auto& row : index["signals"]) {
      Signal s;
      s.id = row["id"].get<std::string>();
      std::ifstream file(corpus / "signals" / (s.id + ".json"));
      const auto j = nlohmann::json::parse(file);
      s.carrier = j["carrier_hz"].get<int>();
      s.durations = j["durations_us"].get<std::vector<uint32_t>>();
      s.firstFrame = j["first_frame"].get<int>();
      if (j["source"].contains("protocol")) {
        s.parsed = true;
        s.code = TIrCode{j["source"]["protocol"].get<std::string>(), j["source"]["address"].get<uint32_t>(),
                         j["source"]["command"].get<uint32_t>()};
      }
      s.qvx = ReadBytes(corpus / "qvx" / (s.id + ".bin"));
      s.halvar = ReadBytes(corpus / "halvar" / (s.id + ".bin"));
      out.push_back(std::move(s));
    }
    return out;
  }();
  return all;
}

class SilentPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
};

// The corpus' capture of each protocol rendering, learned and decoded.
void BM_RecognisedAfterLearning(benchmark::State& state, TIrCaptureKind kind) {
  if (Corpus().empty()) return state.SkipWithError("corpus not found");
  const TIrCaptureAnalyser analyser(TIrCaptureSettings::Defaults(kind));
  int total = 0, learned = 0, recognised = 0, exact = 0;
  for (auto _ : state) {
    total = learned = recognised = exact = 0;
    for (const Signal& s : Corpus()) {
      if (!s.parsed) continue;
      ++total;
      const auto& bytes = kind == TIrCaptureKind::QVX ? s.qvx : s.halvar;
      TIrCaptureResult result;
      if (analyser.Analyse(kind, bytes.data(), static_cast<int32_t>(bytes.size()), result) != 0) continue;
      ++learned;
      TQVXIrFunction function;
      const TQVXIrSubFunction sub = result.ToSubFunction();
      function.AddSubFunctionCopy(&sub);
      const TIrCode code = TIrDecoder::DecodeFunction(function);
      recognised += code == TIrProtocol::Canonical(s.code);
      exact += code == s.code;
    }
  }
  state.counters["renderings"] = total;
  state.counters["learned_share"] = learned / static_cast<double>(total);
  state.counters["recognised_share"] = recognised / static_cast<double>(total);
  state.counters["recognised_exact_share"] = exact / static_cast<double>(total);
}
BENCHMARK_CAPTURE(BM_RecognisedAfterLearning, qvx, TIrCaptureKind::QVX)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecognisedAfterLearning, halvar, TIrCaptureKind::Halvar)->Unit(benchmark::kMillisecond);

// Each code encoded, captured without noise by the learner and decoded: the
// path of a parsed .ir entry into a driver.
void BM_ParsedEntriesImported(benchmark::State& state, TIrCaptureKind kind) {
  if (Corpus().empty()) return state.SkipWithError("corpus not found");
  const TIrSignalLearner learner(kind);
  int total = 0, recognised = 0;
  for (auto _ : state) {
    total = recognised = 0;
    for (const Signal& s : Corpus()) {
      if (!s.parsed) continue;
      ++total;
      const auto outcome = learner.Learn(TIrEncoder::Encode(s.code));
      if (outcome.result != 0) continue;
      TQVXIrFunction function;
      function.AddSubFunctionCopy(outcome.sub.get());
      recognised += TIrDecoder::DecodeFunction(function) == TIrProtocol::Canonical(s.code);
    }
  }
  state.counters["renderings"] = total;
  state.counters["recognised_share"] = recognised / static_cast<double>(total);
}
BENCHMARK_CAPTURE(BM_ParsedEntriesImported, qvx, TIrCaptureKind::QVX)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ParsedEntriesImported, halvar, TIrCaptureKind::Halvar)->Unit(benchmark::kMillisecond);

// Every corpus signal as a raw .ir entry (its first frame, one press),
// through a driver and back to .ir. A driver holds 126 functions: the
// corpus goes as two files of 100.
void BM_RawIrRoundTrip(benchmark::State& state, TIrCaptureKind kind) {
  if (Corpus().empty()) return state.SkipWithError("corpus not found");
  std::vector<std::string> files;
  for (std::size_t from = 0; from < Corpus().size(); from += 100) {
    std::vector<TIrNamedSignal> entries;
    for (std::size_t i = from; i < Corpus().size() && i < from + 100; ++i) {
      const Signal& s = Corpus()[i];
      std::vector<uint32_t> press(s.durations.begin(), s.durations.begin() + s.firstFrame - 1);
      entries.push_back({s.id, TIrSignal::FromSequence(press, s.carrier, TIrSignal::PauseAfter(press)), std::nullopt, 0});
    }
    std::vector<std::string> notes;
    files.push_back(TIrSignalsFile::Write(entries, notes));
  }
  int imported = 0, survived = 0;
  for (auto _ : state) {
    imported = survived = 0;
    for (const std::string& file : files) {
      SilentPrompt prompt;
      CDriverDoc doc(prompt);
      doc.OnNewDocument();
      imported += TIrInterchange::ImportText(doc, TIrFormat::Signals, file, "corpus.ir", kind).functions;
      TIrInterchange::Outcome out;
      const TIrParsedFile back = TIrSignalsFile::Parse(
          TIrInterchange::ExportText(doc.GetDriver(), TIrFormat::Signals, "", {false}, out), "back.ir");
      for (const TIrNamedSignal& e : back.entries) {
        for (const Signal& s : Corpus()) {
          if (s.id != e.name) continue;
          const std::vector<uint32_t> original(s.durations.begin(), s.durations.begin() + s.firstFrame - 1);
          std::vector<uint32_t> data = e.signal.Press();
          data.pop_back();
          survived += data.size() == original.size() &&
                      TIrRenderCheck::Compare(data, e.signal.carrier_hz, original, static_cast<int>(original.size()),
                                              s.carrier)
                          .empty();
        }
      }
    }
  }
  const double total = static_cast<double>(Corpus().size());
  state.counters["signals"] = total;
  state.counters["imported_share"] = imported / total;
  state.counters["survived_share"] = survived / total;
}
BENCHMARK_CAPTURE(BM_RawIrRoundTrip, qvx, TIrCaptureKind::QVX)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RawIrRoundTrip, halvar, TIrCaptureKind::Halvar)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
