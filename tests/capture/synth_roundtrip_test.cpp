// Captures of common protocols, built with learner-like noise, must learn and
// play back close to the original first frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "capture/IrSynth.h"
#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrRender.h"

namespace {

using namespace quillon;

struct Case {
  std::string protocol;
  TIrCaptureKind kind;
};

std::string Name(const testing::TestParamInfo<Case>& info) {
  return info.param.protocol + (info.param.kind == TIrCaptureKind::QVX ? "_qvx" : "_halvar");
}

class SynthRoundTrip : public testing::TestWithParam<Case> {};

TEST_P(SynthRoundTrip, LearnsAndRendersFirstFrameWithinTenPercent) {
  const Case c = GetParam();
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    IrSynth::Options options;
    options.seed = seed;
    options.address = 0x10 + seed;
    options.command = 0x2A + 3 * seed;
    const TIrTimeline timeline = IrSynth::Make(c.protocol, options);
    const auto bytes = c.kind == TIrCaptureKind::QVX ? IrSynth::ToQVX(timeline, options)
                                                     : IrSynth::ToHalvar(timeline, options);
    TIrCaptureAnalyser analyser(TIrCaptureSettings::Defaults(c.kind));
    TIrCaptureResult result;
    ASSERT_EQ(analyser.Analyse(c.kind, bytes.data(), static_cast<int32_t>(bytes.size()), result), 0)
        << "seed " << seed;
    const double carrier = 66000000.0 / result.divider;
    EXPECT_NEAR(carrier, timeline.carrier_hz, timeline.carrier_hz * 0.03);
    const auto played = TIrRender::Microseconds(
        result.divider, result.times.data(), result.time_count, result.header_selectors.data(),
        result.header_count, result.body_selectors.data(), result.body_count, result.min_repeats);
    ASSERT_GE(played.size(), static_cast<size_t>(timeline.first_frame)) << "seed " << seed;
    for (int i = 0; i < timeline.first_frame; ++i) {
      const double want = timeline.durations_us[static_cast<size_t>(i)];
      EXPECT_NEAR(played[static_cast<size_t>(i)], want, want * 0.10)
          << "duration " << i << " seed " << seed;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Protocols, SynthRoundTrip,
    testing::Values(Case{"nec", TIrCaptureKind::QVX}, Case{"nec", TIrCaptureKind::Halvar},
                    Case{"rc5", TIrCaptureKind::QVX}, Case{"rc5", TIrCaptureKind::Halvar},
                    Case{"rc6", TIrCaptureKind::QVX}, Case{"rc6", TIrCaptureKind::Halvar},
                    Case{"sony12", TIrCaptureKind::QVX}, Case{"sony12", TIrCaptureKind::Halvar},
                    Case{"samsung", TIrCaptureKind::QVX}, Case{"jvc", TIrCaptureKind::QVX},
                    Case{"sony20", TIrCaptureKind::Halvar}),
    Name);

}  // namespace
