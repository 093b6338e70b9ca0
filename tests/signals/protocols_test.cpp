// Protocol recognition and encoding on the corpus' protocol renderings: the
// decoder reads the code each rendering carries, the encoder sends what the
// renderings send, and learned functions decode to the same code.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrRenderCheck.h"
#include "irmodel/TQVXIrFunction.h"
#include "signals/TIrDecoder.h"
#include "signals/TIrEncoder.h"
#include "signals/TIrProtocol.h"
#include "tests/signals/CorpusSignals.h"

namespace {

using namespace quillon;
using quillon::testing_support::Corpus;
using quillon::testing_support::CorpusCapture;
using quillon::testing_support::CorpusSignal;

std::string Show(const TIrCode& c) {
  return c.protocol + " " + std::to_string(c.address) + "/" + std::to_string(c.command);
}

TEST(Protocols, CorpusRenderingsDecodeToTheirCodes) {
  std::map<std::string, int> perProtocol;
  for (const CorpusSignal& s : Corpus()) {
    if (!s.parsed) continue;
    const TIrCode got = TIrDecoder::Decode(s.durations, s.carrier_hz);
    EXPECT_EQ(Show(got), Show(TIrProtocol::Canonical(s.code))) << s.id;
    ++perProtocol[s.code.protocol];
  }
  // Every protocol of the corpus was seen.
  for (const char* p : {"NEC", "NECext", "NEC42", "Samsung32", "RC5", "RC5X", "RC6", "SIRC", "SIRC15", "SIRC20",
                        "Kaseikyo", "RCA", "Pioneer", "Sharp", "JVC"}) {
    EXPECT_GT(perProtocol[p], 0) << p;
  }
}

TEST(Protocols, EncoderSendsWhatTheRenderingsSend) {
  for (const CorpusSignal& s : Corpus()) {
    if (!s.parsed) continue;
    // The renderings press RC5 and RC6 buttons with either toggle bit.
    std::string diff;
    for (int toggle : {0, 1}) {
      const TIrSignal sent = TIrEncoder::Encode(s.code, toggle);
      EXPECT_EQ(sent.carrier_hz, s.carrier_hz) << s.id;
      diff = TIrRenderCheck::Compare(sent.Flatten(3), sent.carrier_hz, s.durations, s.first_frame, s.carrier_hz);
      if (diff.empty()) break;
    }
    EXPECT_EQ(diff, "") << s.id << " " << Show(s.code);
  }
}

TEST(Protocols, LearnedFunctionsDecodeToTheirCodes) {
  for (const auto& [kind, folder] :
       {std::pair{TIrCaptureKind::QVX, "qvx"}, std::pair{TIrCaptureKind::Halvar, "halvar"}}) {
    int learned = 0, recognised = 0;
    for (const CorpusSignal& s : Corpus()) {
      if (!s.parsed) continue;
      const auto bytes = CorpusCapture(folder, s.id);
      TIrCaptureResult result;
      if (TIrCaptureAnalyser(TIrCaptureSettings::Defaults(kind))
              .Analyse(kind, bytes.data(), static_cast<int32_t>(bytes.size()), result) != 0) {
        ADD_FAILURE() << folder << " " << s.id << " does not learn";
        continue;
      }
      ++learned;
      TQVXIrFunction function;
      function.AddSubFunctionCopy(std::make_unique<TQVXIrSubFunction>(result.ToSubFunction()).get());
      const TIrCode got = TIrDecoder::DecodeFunction(function);
      if (got == TIrProtocol::Canonical(s.code)) {
        ++recognised;
      } else {
        ADD_FAILURE() << folder << " " << s.id << ": " << Show(got) << " against " << Show(s.code);
      }
    }
    EXPECT_EQ(recognised, learned) << folder;
  }
}

TEST(Protocols, EveryCodeSurvivesEncodeAndDecode) {
  std::mt19937 random(17);
  for (const auto& info : TIrProtocol::All()) {
    for (int n = 0; n < 200; ++n) {
      TIrCode code{info.name, static_cast<uint32_t>(random()), static_cast<uint32_t>(random())};
      if (n == 0) code.address = code.command = 0;
      if (n == 1) code.address = code.command = 0xFFFFFFFF;
      const TIrCode want = TIrProtocol::Canonical(code);
      const TIrSignal signal = TIrEncoder::Encode(code);
      ASSERT_EQ(signal.Problem(), "") << Show(code);
      EXPECT_EQ(Show(TIrDecoder::Decode(signal)), Show(want)) << Show(code);
    }
  }
}

}  // namespace
