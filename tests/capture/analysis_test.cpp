// Capture analysis of both learner kinds, case by case.
#include <gtest/gtest.h>

#include <vector>

#include "CaptureBuilders.h"
#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrRender.h"

namespace {

using namespace quillon;
using namespace quillon::testing_support;

using Records = std::vector<std::pair<uint16_t, uint32_t>>;

// Marks of 20 cycles, spaces of 60 and 20, a repeat gap of 1000.
const std::vector<uint32_t> kFrame{20, 60, 20, 20, 20, 60, 20, 1000};

int32_t Qvx(const std::vector<uint8_t>& bytes, TIrCaptureResult& r,
            TIrCaptureSettings s = TIrCaptureSettings::Defaults(TIrCaptureKind::QVX)) {
  return TIrCaptureAnalyser(s).AnalyseQVX(bytes.data(), static_cast<int32_t>(bytes.size()), r);
}

int32_t Halvar(const std::vector<uint8_t>& bytes, TIrCaptureResult& r,
               TIrCaptureSettings s = TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar)) {
  return TIrCaptureAnalyser(s).AnalyseHalvar(bytes.data(), static_cast<int32_t>(bytes.size()), r);
}

std::vector<uint16_t> Times(const TIrCaptureResult& r) {
  return std::vector<uint16_t>(r.times.begin(), r.times.begin() + r.time_count);
}

std::vector<uint32_t> PlayedCycles(const TIrCaptureResult& r) {
  return TIrRender::Cycles(r.times.data(), r.time_count, r.header_selectors.data(), r.header_count,
                           r.body_selectors.data(), r.body_count, r.min_repeats);
}

Records CycleRecords(const std::vector<uint32_t>& cycles) {
  Records out;
  for (size_t i = 0; i < cycles.size(); ++i) {
    if (i % 2 == 0) {
      out.emplace_back(static_cast<uint16_t>(cycles[i]), kPeriod);
    } else {
      out.emplace_back(0, cycles[i] * kPeriod);
    }
  }
  return out;
}

TEST(QvxAnalysis, BufferSizeAndRecordCount) {
  TIrCaptureResult r;
  auto bytes = QvxCycles(Repeat(kFrame, 3));
  bytes.push_back(0);
  EXPECT_EQ(Qvx(bytes, r), 1);
  EXPECT_EQ(r.time_count, 0);
  EXPECT_EQ(Qvx({0, 0, 0, 0}, r), 13);
  EXPECT_EQ(Qvx({0, 0, 0, 0, 9}, r), 13);
  EXPECT_EQ(Qvx({0, 0, 1}, r), 1);
  EXPECT_EQ(Qvx({0xFF, 0xFF, 0xFF, 0xFF, 1, 2}, r), 1);
}

TEST(QvxAnalysis, RepeatedFrameStartsWithTheBody) {
  TIrCaptureResult r;
  ASSERT_EQ(Qvx(QvxCycles(Repeat(kFrame, 3)), r), 0);
  EXPECT_TRUE(r.modulated);
  EXPECT_EQ(r.divider, kPeriod);
  EXPECT_EQ(Times(r), (std::vector<uint16_t>{20, 60, 1000}));
  EXPECT_EQ(r.header_count, 0);  // the capture starts with the body
  ASSERT_EQ(r.body_count, 4);
  EXPECT_EQ(r.body_selectors[0], 0x01);
  EXPECT_EQ(r.body_selectors[1], 0x00);
  EXPECT_EQ(r.body_selectors[3], 0x02);
}

TEST(QvxAnalysis, DistinctFirstFrameBecomesTheHeader) {
  // A long leader and a frame, then short repeat codes (the common remote
  // that sends its code once and a repeat code while the key is held).
  const std::vector<uint32_t> first{80, 40, 20, 60, 20, 20, 20, 1000};
  const std::vector<uint32_t> repeat{80, 20, 20, 1000};
  TIrCaptureResult r;
  ASSERT_EQ(Qvx(QvxCycles(Concat(first, Repeat(repeat, 3))), r), 0);
  EXPECT_EQ(r.header_count, 4);
  EXPECT_EQ(r.body_count, 2);
  std::vector<uint32_t> played = PlayedCycles(r);
  played.resize(first.size() + repeat.size());
  EXPECT_EQ(played, Concat(first, repeat));
}

TEST(QvxAnalysis, LeadingDiscardAndItsFallback) {
  TIrCaptureResult clean, prefixed;
  ASSERT_EQ(Qvx(QvxCycles(Repeat(kFrame, 3)), clean), 0);
  // A stray two-pulse burst before the signal is discarded.
  ASSERT_EQ(Qvx(QvxCycles(Concat({2, 500}, Repeat(kFrame, 3))), prefixed), 0);
  EXPECT_EQ(Times(prefixed), Times(clean));
  EXPECT_EQ(prefixed.body_count, clean.body_count);
  EXPECT_EQ(prefixed.header_count, 0);

  // No burst reaches 5 pulses: the threshold drops to 3 and the function is
  // taken as unmodulated.
  std::vector<uint32_t> frame = kFrame;
  for (size_t i = 0; i < frame.size(); i += 2) frame[i] = 3;
  TIrCaptureResult r;
  ASSERT_EQ(Qvx(QvxCycles(Repeat(frame, 3)), r), 0);
  EXPECT_FALSE(r.modulated);
  EXPECT_EQ(Times(r).front(), 3);

  // No burst at all: nothing is left.
  EXPECT_EQ(Qvx(QvxBytes({{0, 5000}, {0, 9000}, {0, 5000}}), r), 4);
  // With the discard switched off the same capture has no carrier to measure.
  TIrCaptureSettings noDiscard = TIrCaptureSettings::Defaults(TIrCaptureKind::QVX);
  noDiscard.leading_discard_threshold = 0;
  EXPECT_EQ(Qvx(QvxBytes({{0, 5000}, {0, 9000}, {0, 5000}}), r, noDiscard), 6);
}

TEST(QvxAnalysis, ParityFailureOnlyAtTheLastRecordIsAccepted) {
  Records records = CycleRecords(Repeat(kFrame, 3));
  records.emplace_back(20, kPeriod);
  records.emplace_back(20, kPeriod);  // a burst at an odd position, the last one
  TIrCaptureResult r;
  EXPECT_EQ(Qvx(QvxBytes(records), r), 0);

  Records broken = CycleRecords(Repeat(kFrame, 3));
  broken[3] = {20, kPeriod};  // three bursts in a row mid-signal
  EXPECT_EQ(Qvx(QvxBytes(broken), r), 5);
  EXPECT_EQ(r.time_count, 0);

  // A burst slipped in mid-signal shifts every later record, so the last one
  // fails too; the earlier failures still make it a parity error.
  Records shifted = CycleRecords(Repeat(kFrame, 3));
  shifted.insert(shifted.begin() + 3, {20, kPeriod});
  EXPECT_EQ(Qvx(QvxBytes(shifted), r), 5);
}

TEST(QvxAnalysis, GlitchRepairFoldsShortGapsIntoBursts) {
  // Every burst is followed by a gap record shorter than one carrier period
  // (a pulse the learner lost) before the real gap: without the repair the
  // two gaps in a row are a parity error.
  Records records;
  for (const auto& rec : CycleRecords(Repeat(kFrame, 3))) {
    records.push_back(rec);
    if (rec.first != 0) records.emplace_back(0, 1000);
  }
  TIrCaptureResult r;
  ASSERT_EQ(Qvx(QvxBytes(records), r), 0);
  EXPECT_EQ(Times(r).front(), 21);  // each burst gained the lost pulse
  EXPECT_EQ(r.time_count, 3);
  EXPECT_EQ(r.body_count, 4);

  // A glitch as long as a period or more adds a pulse and hands the rest of
  // its time to the following gap.
  Records longGlitch;
  for (const auto& rec : CycleRecords(Repeat(kFrame, 3))) {
    longGlitch.push_back(rec);
    if (rec.first != 0) longGlitch.emplace_back(0, 3 * kPeriod);
  }
  ASSERT_EQ(Qvx(QvxBytes(longGlitch), r), 0);
  // Marks of 21 and spaces of 22 cycles then merge into one duration.
  EXPECT_EQ(Times(r), (std::vector<uint16_t>{22, 62, 1002}));
}

TEST(QvxAnalysis, CarrierAndVariationLimits) {
  TIrCaptureResult r;
  Records slow;
  for (auto rec : CycleRecords(Repeat(kFrame, 3))) {
    if (rec.first) rec.second = 2640;  // 25 kHz
    slow.push_back(rec);
  }
  EXPECT_EQ(Qvx(QvxBytes(slow), r), 15);
  TIrCaptureSettings wide = TIrCaptureSettings::Defaults(TIrCaptureKind::QVX);
  wide.min_carrier = 20000;
  EXPECT_NE(Qvx(QvxBytes(slow), r, wide), 15);

  Records uneven = CycleRecords(Repeat(kFrame, 3));
  bool alternate = false;
  for (auto& rec : uneven) {
    if (rec.first) rec.second = (alternate = !alternate) ? 1000 : 1800;
  }
  EXPECT_EQ(Qvx(QvxBytes(uneven), r), 12);  // 400 / 1400 = 28.6 % > 25 %
}

TEST(QvxAnalysis, LongerLastGapTakesTheRepeatGapValue) {
  std::vector<uint32_t> cycles = Repeat(kFrame, 3);
  cycles.back() = 1500;
  TIrCaptureResult r;
  ASSERT_EQ(Qvx(QvxCycles(cycles), r), 0);
  EXPECT_EQ(Times(r), (std::vector<uint16_t>{20, 60, 1000}));
  EXPECT_EQ(r.body_selectors[3], 0x02);
}

TEST(QvxAnalysis, TooManyTimeValues) {
  // 16 durations, each 20 % longer than the one before: no pass merges them.
  std::vector<uint32_t> values{20, 24, 29, 35, 42, 50, 60, 72, 86, 104, 124, 149, 179, 215, 258, 310};
  std::vector<uint32_t> frame = values;
  frame.push_back(20);
  frame.push_back(2000);
  TIrCaptureResult r;
  EXPECT_EQ(Qvx(QvxCycles(Repeat(frame, 3)), r), 10);
  EXPECT_EQ(r.time_count, 0);
}

TEST(QvxAnalysis, HeaderOf512RecordsIsTooLong) {
  std::vector<uint32_t> header = Repeat({20, 40}, 256);
  const std::vector<uint32_t> body{20, 60, 20, 300};
  TIrCaptureResult r;
  EXPECT_EQ(Qvx(QvxCycles(Concat(header, Repeat(body, 3))), r), 7);
  // One pair less fits.
  header.resize(510);
  EXPECT_NE(Qvx(QvxCycles(Concat(header, Repeat(body, 3))), r), 7);
}

TEST(QvxAnalysis, FallbackSearchFindsBackToBackRepeats) {
  // The longest gap recurs with spacings 4 and 2, so no repeat gap is found;
  // the frame still repeats back to back.
  const std::vector<uint32_t> frame{20, 40, 20, 20, 40, 40};
  TIrCaptureResult r;
  ASSERT_EQ(Qvx(QvxCycles(Repeat(frame, 3)), r), 0);
  EXPECT_EQ(r.header_count, 0);
  EXPECT_EQ(r.body_count, 3);

  // Nothing repeats at all.
  EXPECT_EQ(Qvx(QvxCycles({20, 60, 40, 100}), r), 14);
}

TEST(QvxAnalysis, ValueMissingFromTheTimeTableFails) {
  // The trailing gap has the same length as the leading burst; folding the
  // trailing gap into the repeat gap drops that length from the table, and
  // the burst can no longer be encoded.
  std::vector<uint32_t> cycles = Concat({500, 60}, Repeat({20, 60, 20, 300}, 3));
  cycles.back() = 500;
  TIrCaptureResult r;
  EXPECT_EQ(Qvx(QvxCycles(cycles), r), TIrCaptureAnalyser::kMissingTimeValue);
  EXPECT_EQ(r.time_count, 0);
}

TEST(HalvarAnalysis, WrappedStampsAndShortCaptures) {
  TIrCaptureResult r;
  // 65530 -> 4 wraps to 10 ticks (3 cycles at 3.29 ticks per cycle); the run
  // from 4 to the zero stamp after it is the second interval.
  Halvar(HalvarBytes(38000, {65530, 4}), r);
  EXPECT_EQ(r.halvar_records[0].value, 3u);
  EXPECT_EQ(r.halvar_records[1].value, static_cast<uint32_t>(65532 / 3.2894737f));
  EXPECT_EQ(Halvar(HalvarBytes(38000, {}), r), 14);   // no interval
  EXPECT_EQ(Halvar(HalvarBytes(38000, {5}), r), 14);  // one interval
  EXPECT_EQ(Halvar({0, 0}, r), 14);
  EXPECT_EQ(Halvar(HalvarBytes(38000, {100, 200, 300}), r), 5);  // three intervals
}

TEST(HalvarAnalysis, CarrierLimits) {
  TIrCaptureResult r;
  const auto cycles = Repeat(kFrame, 3);
  EXPECT_EQ(Halvar(HalvarCycles(25000, cycles), r), 15);
  EXPECT_EQ(Halvar(HalvarCycles(63000, cycles), r), 15);
  TIrCaptureSettings s = TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar);
  s.min_carrier = 0;
  s.max_carrier = 1000000;
  EXPECT_EQ(Halvar(HalvarBytes(0, {1, 2, 3}), r, s), 15);
  EXPECT_EQ(Halvar(HalvarBytes(130000, {1, 2, 3}), r, s), 15);  // under one tick per cycle
}

TEST(HalvarAnalysis, LearnsARepeatedFrame) {
  TIrCaptureResult r;
  ASSERT_EQ(Halvar(HalvarCycles(38000, Repeat(kFrame, 3)), r), 0);
  EXPECT_EQ(r.divider, 66000000 / 38000);
  EXPECT_EQ(r.header_count, 0);
  EXPECT_EQ(r.body_count, 4);
  ASSERT_EQ(r.time_count, 3);
  EXPECT_NEAR(r.times[0], 20, 1);
  EXPECT_NEAR(r.times[1], 60, 2);
  EXPECT_NEAR(r.times[2], 1000, 20);
}

TEST(HalvarAnalysis, IntervalsShorterThanACycleAreExcessiveVariation) {
  std::vector<uint32_t> stamps{1000};
  for (int i = 0; i < 39; ++i) stamps.push_back(stamps.back() + (i % 2 ? 1 : 66));
  TIrCaptureResult r;
  EXPECT_EQ(Halvar(HalvarBytes(38000, stamps), r), 12);
}

TEST(HalvarAnalysis, Only1022Of1023IntervalsAreAnalysed) {
  // 1024 stamps, none zero: 1023 intervals of mark 66 / space 66 / mark 66 /
  // gap 400 ticks. An odd count would be a parity error.
  std::vector<uint32_t> ticks;
  for (int i = 0; i < 1023; ++i) ticks.push_back(i % 4 == 3 ? 400 : 66);
  TIrCaptureResult r;
  ASSERT_EQ(Halvar(HalvarBytes(38000, StampsFromTicks(5000, ticks)), r), 0);
  EXPECT_EQ(r.body_count, 2);
  EXPECT_NE(r.halvar_records[1022].value, 0u);  // stored, but not analysed
}

TEST(HalvarAnalysis, InputBeyond1024StampsIsIgnored) {
  const auto normal = HalvarCycles(38000, Repeat(kFrame, 3));
  auto longer = normal;
  longer.resize(normal.size() + 4000, 0x55);
  TIrCaptureResult a, b;
  ASSERT_EQ(Halvar(normal, a), 0);
  ASSERT_EQ(Halvar(longer, b), 0);
  EXPECT_EQ(Times(a), Times(b));
  EXPECT_EQ(a.body_count, b.body_count);
}

TEST(HeadBodySplit, HalvarComparesAgainstTheFirstRepeat) {
  // Two alternating frames X and Y share the repeat gap: the body is XY.
  // QVX compares the frame before the first gap with the copy one body
  // later and starts the body at once; Halvar compares it with the frame
  // right after the gap, finds X and Y too different and keeps X as header.
  const std::vector<uint32_t> x{20, 60, 20, 1000};
  const std::vector<uint32_t> y{20, 20, 20, 1000};
  const auto cycles = Repeat(Concat(x, y), 3);
  TIrCaptureResult q, h;
  ASSERT_EQ(Qvx(QvxCycles(cycles), q), 0);
  EXPECT_EQ(q.header_count, 0);
  EXPECT_EQ(q.body_count, 4);
  ASSERT_EQ(Halvar(HalvarCycles(38000, cycles), h), 0);
  EXPECT_EQ(h.header_count, 2);
  EXPECT_EQ(h.body_count, 4);
}

}  // namespace

namespace {

using namespace quillon;

// Random and half-structured captures of every size: the analysis returns a
// code for each, never reads beyond the buffer and never loops for long.
TEST(AnalysisRobustness, ArbitraryInputAlwaysEndsWithACode) {
  uint32_t state = 12345;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  TIrCaptureSettings loose = TIrCaptureSettings::Defaults(TIrCaptureKind::QVX);
  loose.min_carrier = 0;
  loose.max_carrier = 2000000000;
  loose.max_moe = 1e9f;
  loose.leading_discard_threshold = 0;
  const TIrCaptureAnalyser analysers[] = {
      TIrCaptureAnalyser(TIrCaptureSettings::Defaults(TIrCaptureKind::QVX)),
      TIrCaptureAnalyser(TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar)),
      TIrCaptureAnalyser(loose)};
  for (int iteration = 0; iteration < 1500; ++iteration) {
    const uint32_t n = next() % 600;
    std::vector<uint8_t> q(4 + 6 * size_t{n});
    for (int s = 0; s < 4; ++s) q[static_cast<size_t>(s)] = static_cast<uint8_t>(n >> (24 - 8 * s));
    const bool noisy = iteration % 3 == 0;
    for (uint32_t i = 0; i < n; ++i) {
      uint8_t* r = &q[4 + 6 * size_t{i}];
      const uint16_t pulses = i % 2 == 0 ? (noisy ? next() % 65536 : next() % 40) : (next() % 8 ? 0 : 2);
      const uint32_t time = noisy ? next() : (pulses ? 1700 + next() % 60 : (next() % 6) * 1737 * 20);
      r[0] = static_cast<uint8_t>(pulses >> 8);
      r[1] = static_cast<uint8_t>(pulses);
      for (int s = 0; s < 4; ++s) r[2 + s] = static_cast<uint8_t>(time >> (24 - 8 * s));
    }
    std::vector<uint8_t> h(next() % 3000);
    for (auto& b : h) b = static_cast<uint8_t>(next());
    if (h.size() >= 4) {
      h[0] = h[1] = 0;
      h[2] = 0x94;
      h[3] = 0x70;
    }
    for (const TIrCaptureAnalyser& a : analysers) {
      TIrCaptureResult r;
      const int32_t qc = a.AnalyseQVX(q.data(), static_cast<int32_t>(q.size()), r);
      EXPECT_TRUE(qc >= 0 && qc <= 15);
      EXPECT_LE(r.time_count, 15);
      const int32_t hc = a.AnalyseHalvar(h.data(), static_cast<int32_t>(h.size()), r);
      EXPECT_TRUE(hc >= 0 && hc <= 15);
      if (hc != 0) {
        EXPECT_EQ(r.time_count, 0);
      }
    }
  }
}

}  // namespace
