// The enhanced analysis, case by case: levels, where the signal repeats, the
// fitted time table, the final gap, missed pulses, stray light before the
// signal, and the limits of the stored form.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CaptureBuilders.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrEnhancedAnalyser.h"
#include "capture/TIrLevels.h"
#include "capture/TIrRender.h"

namespace {

using namespace quillon;
using namespace quillon::testing_support;

TIrCycleSignal Signal(std::vector<double> values, double carrier = 38000.0) {
  TIrCycleSignal s;
  s.values = std::move(values);
  s.carrier_hz = carrier;
  return s;
}

std::vector<double> Cycles(const std::vector<uint32_t>& v) { return {v.begin(), v.end()}; }

std::vector<double> Join(std::vector<double> a, const std::vector<double>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The durations an encoding plays with the body repeated REPEATS times.
std::vector<uint32_t> Played(const TIrEncoding& e, int repeats) {
  return TIrRender::Cycles(e.times.data(), static_cast<int>(e.times.size()), e.header.data(),
                           static_cast<int>(e.header.size()), e.body.data(),
                           static_cast<int>(e.body.size()), repeats);
}

std::vector<uint32_t> Played(const TIrCaptureResult& r, int repeats) {
  return TIrRender::Cycles(r.times.data(), r.time_count, r.header_selectors.data(), r.header_count,
                           r.body_selectors.data(), r.body_count, repeats);
}

void ExpectWithinTolerance(const std::vector<uint32_t>& played, const std::vector<double>& want,
                           size_t count) {
  ASSERT_GE(played.size(), count);
  for (size_t i = 0; i < count; ++i) {
    EXPECT_LE(std::fabs(played[i] - want[i]), TIrCycleSignal::Tolerance(want[i])) << "duration " << i;
  }
}

TEST(EnhancedLevels, MarksAndGapsApartAndWideRunsCutByTolerance) {
  // Gaps creep up 2.5 % at a time from 100 to about 180: one run of close
  // neighbours, far too wide for one value. Marks of 20 share no level with
  // the gap of 20.
  std::vector<double> v;
  double gap = 100.0;
  for (int i = 0; i < 25; ++i, gap *= 1.025) v.insert(v.end(), {20.0, gap});
  v.insert(v.end(), {20.0, 20.0, 20.0, 5000.0});
  const TIrCycleSignal s = Signal(v);
  const TIrLevels levels(s);
  EXPECT_EQ(levels.LevelOf(s.Size() - 1), -1);  // the final gap
  EXPECT_NE(levels.LevelOf(0), levels.LevelOf(51));
  EXPECT_EQ(levels.LevelOf(0), levels.LevelOf(50));
  int gapLevels = 0;
  for (int l = 0; l < levels.Count(); ++l) {
    const TIrLevels::Level& level = levels.At(l);
    EXPECT_LE(TIrCycleSignal::SpanError(level.low, level.high), 0.5);
    if (level.gap && level.low >= 100.0) ++gapLevels;
  }
  EXPECT_GE(gapLevels, 3);
}

TEST(EnhancedQuantise, HeaderOnceThenTheRepeatingBody) {
  // A lead-in pair, then a three-pair frame sent four times with slightly
  // different measurements; the capture ends in the learner's long wait.
  const std::vector<double> frame{21, 63, 21, 21, 21, 1200};
  std::vector<double> v{340, 170};
  for (int r = 0; r < 4; ++r) {
    for (double d : frame) v.push_back(d * (1.0 + 0.01 * (r % 2 ? 1 : -1)));
  }
  v.back() = 40000;
  TIrEncoding e;
  int length = 0;
  ASSERT_EQ(TIrEnhancedAnalyser::Quantise(Signal(v), e, length), 0);
  EXPECT_EQ(e.header.size(), 1u);
  EXPECT_EQ(e.body.size(), 3u);
  EXPECT_EQ(length, 4);
  // The long wait took no table entry: it plays as the frame gap.
  ASSERT_EQ(e.times.size(), 5u);
  EXPECT_NEAR(e.times[4], 1200, 12);
  ExpectWithinTolerance(Played(e, 4), v, v.size() - 1);
}

TEST(EnhancedQuantise, TableValuesStayInsideEveryPlayedCopysWindow) {
  // The gap after the first burst drifts in the last copies; the mean of all
  // copies (102.7) would leave the last one (112) out of tolerance, so the
  // value moves into the window every copy allows: 103.04 ... 108.
  std::vector<double> v;
  for (double g : {100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 104.0, 108.0, 112.0}) {
    v.insert(v.end(), {20, g, 20, 600});
  }
  v.back() = 30000;
  TIrEncoding e;
  int length = 0;
  ASSERT_EQ(TIrEnhancedAnalyser::Quantise(Signal(v), e, length), 0);
  ASSERT_EQ(e.body.size(), 2u);
  EXPECT_EQ(e.times[e.body[0] & 0x0F], 104);
}

TEST(EnhancedQuantise, AFrameThatNeverRepeatsIsOneBodyEndingInTheLongestGap) {
  const std::vector<double> v{40, 20, 10, 30, 10, 10, 20, 30, 50, 90000};
  TIrEncoding e;
  int length = 0;
  ASSERT_EQ(TIrEnhancedAnalyser::Quantise(Signal(v), e, length), 0);
  EXPECT_TRUE(e.header.empty());
  EXPECT_EQ(e.body.size(), 5u);
  EXPECT_EQ(e.times, (std::vector<uint16_t>{10, 20, 30, 40, 50}));
  EXPECT_EQ(Played(e, 1).back(), 30u);
}

TEST(EnhancedQuantise, LimitsOfTheStoredForm) {
  TIrEncoding e;
  int length = 0;
  // 300 pairs that never repeat: no body of at most 255 pairs plays them.
  std::vector<double> v;
  uint32_t bits = 12345;
  for (int i = 0; i < 300; ++i) {
    bits = bits * 1103515245u + 12345u;
    v.insert(v.end(), {20.0, (bits >> 16) & 1 ? 60.0 : 20.0});
  }
  const std::vector<double> noRepeat = Join(v, {30, 90, 40, 50000});
  EXPECT_EQ(TIrEnhancedAnalyser::Quantise(Signal(noRepeat), e, length), 8);
  EXPECT_TRUE(e.times.empty());
  // The same pairs before a repeating frame: the header is too long.
  const std::vector<double> header = Join(v, {30, 90, 30, 90, 30, 90, 30, 50000});
  EXPECT_EQ(TIrEnhancedAnalyser::Quantise(Signal(header), e, length), 7);
  // Seventeen durations no tolerance can join.
  std::vector<double> spread;
  for (double d = 10.0; spread.size() < 17; d *= 1.5) spread.push_back(d);
  spread.push_back(90000);
  EXPECT_EQ(TIrEnhancedAnalyser::Quantise(Signal(spread), e, length), 10);
  EXPECT_EQ(TIrEnhancedAnalyser::Quantise(Signal({20}), e, length), 14);
}

TEST(EnhancedQuantise, SecondSearchTakesLongGapsAsOne) {
  // Fourteen frames of 20 pairs, held apart by pauses of 40 to 90 ms that
  // never repeat in order: together too long for a function, until all long
  // pauses count as the same one.
  std::vector<double> frame{80, 40};
  for (int i = 0; i < 18; ++i) frame.insert(frame.end(), {20, i % 3 ? 20.0 : 60.0});
  frame.push_back(20);
  std::vector<double> v;
  for (double pauseMs : {40, 70, 55, 90, 45, 65, 80, 50, 85, 60, 75, 42, 88, 66}) {
    v.insert(v.end(), frame.begin(), frame.end());
    v.push_back(pauseMs * 38.0);
  }
  TIrEncoding e;
  int length = 0;
  ASSERT_EQ(TIrEnhancedAnalyser::Quantise(Signal(v), e, length), 0);
  EXPECT_EQ(length, 20);
  ExpectWithinTolerance(Played(e, 1), v, frame.size() + 1);
}

TEST(EnhancedRepair, MissedPulsesJoinTheirBurst) {
  TIrCycleSignal s = Signal({10, 1.4, 9, 30, 20, 2.4, 2, 1.0, 5, 3.0, 20, 500});
  TIrEnhancedAnalyser::RepairDropouts(s);
  EXPECT_EQ(s.values, (std::vector<double>{20.4, 30, 30.4, 3.0, 20, 500}));
}

TEST(EnhancedCaptures, MissedPulsesInQvxAndHalvarCaptures) {
  // Marks of 22 cycles; two of them arrive split by a gap of 1.5 cycles.
  const std::vector<uint32_t> frame{344, 172, 22, 22, 22, 64, 22, 22, 22, 64, 22, 1500};
  const std::vector<uint32_t> clean = Concat(Concat(frame, frame), frame);
  std::vector<std::pair<uint16_t, uint32_t>> records;
  for (size_t i = 0; i < clean.size(); ++i) {
    if (i == 4 || i == 18) {
      records.insert(records.end(), {{10, kPeriod}, {0, kPeriod * 3 / 2}, {11, kPeriod}});
    } else {
      records.emplace_back(i % 2 ? 0 : clean[i], i % 2 ? clean[i] * kPeriod : kPeriod);
    }
  }
  const TIrEnhancedAnalyser qvx(TIrCaptureSettings::Defaults(TIrCaptureKind::QVX));
  TIrCaptureResult r;
  const auto bytes = QvxBytes(records);
  ASSERT_EQ(qvx.AnalyseQVX(bytes.data(), static_cast<int32_t>(bytes.size()), r), 0);
  EXPECT_EQ(r.header_count, 0);
  EXPECT_EQ(r.body_count, 6);
  ExpectWithinTolerance(Played(r, 3), Cycles(clean), clean.size() - 1);
  EXPECT_TRUE(r.modulated);
  EXPECT_EQ(r.divider, kPeriod);

  const TIrEnhancedAnalyser halvar(TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar));
  std::vector<uint32_t> split = clean;
  split.erase(split.begin() + 4);
  split.insert(split.begin() + 4, {10, 2, 10});
  const auto stamps = HalvarCycles(38000, split);
  ASSERT_EQ(halvar.AnalyseHalvar(stamps.data(), static_cast<int32_t>(stamps.size()), r), 0);
  EXPECT_EQ(r.body_count, 6);
  ExpectWithinTolerance(Played(r, 3), Cycles(clean), clean.size() - 1);
}

TEST(EnhancedCaptures, StrayLightBeforeAHalvarSignalIsLeftOutOnlyWhenItShortensTheFunction) {
  const std::vector<uint32_t> frame{22, 22, 22, 64, 22, 22, 22, 64, 22, 1500};
  const TIrEnhancedAnalyser halvar(TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar));
  TIrCaptureResult r;
  // A 3-cycle flash and a 600-cycle pause before the frames: left out.
  const auto flash = HalvarCycles(38000, Concat({3, 600}, Repeat(frame, 3)));
  ASSERT_EQ(halvar.AnalyseHalvar(flash.data(), static_cast<int32_t>(flash.size()), r), 0);
  EXPECT_EQ(r.header_count, 0);
  EXPECT_EQ(r.body_count, 5);
  ExpectWithinTolerance(Played(r, 3), Cycles(frame), frame.size());
  // A frame whose own bursts are all 4 cycles: the first one stays.
  const std::vector<uint32_t> shortBursts{4, 200, 4, 400, 4, 200, 4, 400, 4, 200, 4, 400};
  const auto own = HalvarCycles(38000, shortBursts);
  ASSERT_EQ(halvar.AnalyseHalvar(own.data(), static_cast<int32_t>(own.size()), r), 0);
  ExpectWithinTolerance(Played(r, 3), Cycles(shortBursts), shortBursts.size() - 1);
}

TEST(EnhancedCaptures, QvxBurstsBelowTheDiscardThresholdThatBelongToTheSignal) {
  // Every frame starts with a 3-pulse burst: reading from record 1 gives a
  // function no longer than the discarded reading, so the burst is kept.
  const std::vector<uint32_t> frame{3, 40, 22, 22, 22, 64, 22, 900};
  const TIrEnhancedAnalyser qvx(TIrCaptureSettings::Defaults(TIrCaptureKind::QVX));
  TIrCaptureResult r;
  const std::vector<uint32_t> capture = Repeat(frame, 3);
  const auto bytes = QvxCycles(capture);
  ASSERT_EQ(qvx.AnalyseQVX(bytes.data(), static_cast<int32_t>(bytes.size()), r), 0);
  EXPECT_EQ(r.header_count, 0);
  EXPECT_EQ(r.body_count, 4);
  ExpectWithinTolerance(Played(r, 3), Cycles(capture), capture.size() - 1);
  // A 2-pulse flash before frames of longer bursts is still discarded.
  const std::vector<uint32_t> frames = Repeat({22, 40, 22, 22, 22, 64, 22, 900}, 3);
  const auto flash = QvxCycles(Concat({2, 700}, frames));
  ASSERT_EQ(qvx.AnalyseQVX(flash.data(), static_cast<int32_t>(flash.size()), r), 0);
  EXPECT_EQ(r.header_count + r.body_count, 4);
  ExpectWithinTolerance(Played(r, 3), Cycles(frames), frames.size() - 1);
}

TEST(EnhancedCaptures, FrontEndRefusalsAreTheSpecifiedOnes) {
  TIrCaptureResult r;
  const TIrEnhancedAnalyser qvx(TIrCaptureSettings::Defaults(TIrCaptureKind::QVX));
  const std::vector<uint8_t> timeout{0, 0, 0, 0};
  EXPECT_EQ(qvx.AnalyseQVX(timeout.data(), 4, r), 13);
  auto bad = QvxCycles({20, 60, 20, 900});
  bad.push_back(0);
  EXPECT_EQ(qvx.AnalyseQVX(bad.data(), static_cast<int32_t>(bad.size()), r), 1);
  EXPECT_EQ(r.time_count, 0);

  // Halvar: margin of error against the 2-tick floor (3 % at 38 kHz).
  TIrCaptureSettings strict = TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar);
  strict.max_moe = 2.5f;
  const auto frames = HalvarCycles(38000, Repeat({22, 22, 22, 64, 22, 900}, 3));
  EXPECT_EQ(TIrEnhancedAnalyser(strict).AnalyseHalvar(frames.data(), static_cast<int32_t>(frames.size()), r), 12);
  strict.max_moe = 3.5f;
  EXPECT_EQ(TIrEnhancedAnalyser(strict).AnalyseHalvar(frames.data(), static_cast<int32_t>(frames.size()), r), 0);
  const auto slow = HalvarCycles(28000, Repeat({22, 22, 22, 64, 22, 900}, 3));
  EXPECT_EQ(TIrEnhancedAnalyser(strict).AnalyseHalvar(slow.data(), static_cast<int32_t>(slow.size()), r), 15);
}

}  // namespace
