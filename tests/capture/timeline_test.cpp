// A raw capture drawn as the marks and spaces the learner saw.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "capture/IrSynth.h"
#include "capture/TIrCaptureTimeline.h"

namespace quillon {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v >> 16);
  Put16(out, v & 0xFFFF);
}

// A QVX capture of RECORDS (pulse count, time), after the record count and
// a lead-in record.
std::vector<uint8_t> Qvx(const std::vector<std::pair<uint32_t, uint32_t>>& records, int announced = -1) {
  std::vector<uint8_t> out;
  Put32(out, announced >= 0 ? static_cast<uint32_t>(announced) : static_cast<uint32_t>(records.size() + 1));
  Put16(out, 0);
  Put32(out, 66 * 100000);
  for (const auto& [pulses, time] : records) {
    Put16(out, pulses);
    Put32(out, time);
  }
  return out;
}

TEST(CaptureTimeline, QvxBurstsArePulsesTimesPeriodAndGapsTicks) {
  // 38 kHz: a period of 1737 ticks. 342 pulses = 9 ms; 4.5 ms gap; a short
  // burst the analysis discards at the front.
  const auto bytes = Qvx({{3, 1737}, {0, 66 * 1000}, {342, 1737}, {0, 66 * 4500}, {21, 1737}, {0, 66 * 40000}});
  const TIrCaptureTimeline t = TIrCaptureTimeline::FromQVX(bytes.data(), static_cast<int32_t>(bytes.size()), 5);
  ASSERT_EQ(t.durations_us.size(), 6u);
  EXPECT_EQ(t.durations_us[0], 79u);  // 3 * 1737 / 66
  EXPECT_EQ(t.durations_us[1], 1000u);
  EXPECT_EQ(t.durations_us[2], 9001u);
  EXPECT_EQ(t.durations_us[3], 4500u);
  EXPECT_EQ(t.durations_us[5], 40000u);
  EXPECT_EQ(t.carrier_hz, 37997);
  // The analysed signal starts at the 9 ms burst.
  EXPECT_EQ(t.signal_start_us, 79u + 1000u);
  // Without the discard (or with no burst long enough) it starts at once.
  EXPECT_EQ(TIrCaptureTimeline::FromQVX(bytes.data(), static_cast<int32_t>(bytes.size()), 0).signal_start_us, 0u);
  EXPECT_EQ(TIrCaptureTimeline::FromQVX(bytes.data(), static_cast<int32_t>(bytes.size()), 1000).signal_start_us,
            79u + 1000u);
}

TEST(CaptureTimeline, DamagedQvxCapturesShowWhatCanBeRead) {
  // Announces more records than it carries; starts with a gap; two bursts
  // in a row (a missed gap) are one mark.
  const auto bytes = Qvx({{0, 66 * 700}, {10, 1737}, {10, 1737}, {0, 66 * 500}}, 1000);
  const TIrCaptureTimeline t = TIrCaptureTimeline::FromQVX(bytes.data(), static_cast<int32_t>(bytes.size()), 5);
  EXPECT_EQ(t.durations_us, (std::vector<uint32_t>{526, 500}));
  const uint8_t tiny[] = {0, 0};
  EXPECT_TRUE(TIrCaptureTimeline::FromQVX(tiny, 2, 5).durations_us.empty());
  EXPECT_TRUE(TIrCaptureTimeline::FromQVX(nullptr, 0, 5).durations_us.empty());
  EXPECT_EQ(TIrCaptureTimeline::FromQVX(nullptr, 0, 5).carrier_hz, 0);
}

TEST(CaptureTimeline, HalvarIntervalsBetweenStampsWrapAndStopAtTheEnd) {
  std::vector<uint8_t> bytes;
  Put32(bytes, 38000);
  for (uint32_t stamp : {65000u, 100u, 200u, 400u}) Put16(bytes, stamp);
  bytes.resize(2052, 0);
  const TIrCaptureTimeline t = TIrCaptureTimeline::FromHalvar(bytes.data(), static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(t.carrier_hz, 38000);
  // 636 ticks across the wrap, 100, 200, then the run into the zero stamps
  // (the final space) and nothing after two zeros.
  EXPECT_EQ(t.durations_us, (std::vector<uint32_t>{636 * 8, 100 * 8, 200 * 8, (65536 - 400) * 8}));
  EXPECT_EQ(t.signal_start_us, 0u);
  EXPECT_EQ(TIrCaptureTimeline::FromHalvar(bytes.data(), 6).durations_us.size(), 0u);
}

TEST(CaptureTimeline, SynthesisedCapturesOfBothKindsGiveTheSentTimeline) {
  IrSynth::Options options;
  options.jitter = 0.0;
  options.carrier_noise = 0.0;
  const TIrTimeline sent = IrSynth::Make("nec", options);
  for (TIrCaptureKind kind : {TIrCaptureKind::QVX, TIrCaptureKind::Halvar}) {
    const auto bytes = kind == TIrCaptureKind::QVX ? IrSynth::ToQVX(sent, options) : IrSynth::ToHalvar(sent, options);
    const TIrCaptureTimeline t =
        TIrCaptureTimeline::FromCapture(kind, bytes.data(), static_cast<int32_t>(bytes.size()), 5);
    EXPECT_NEAR(t.carrier_hz, 38000, 40);
    ASSERT_GE(t.durations_us.size(), static_cast<size_t>(sent.first_frame));
    for (int i = 0; i + 1 < sent.first_frame; ++i) {
      const double want = sent.durations_us[static_cast<size_t>(i)];
      // A mark is a whole number of carrier cycles; a Halvar edge an 8 us tick.
      EXPECT_NEAR(t.durations_us[static_cast<size_t>(i)], want, 30.0) << i;
    }
  }
}

}  // namespace
}  // namespace quillon
