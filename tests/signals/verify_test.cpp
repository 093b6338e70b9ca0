// The per-duration verify report: each stored time value beside its
// captured counterpart, and a verdict that is always the verification's.
#include <gtest/gtest.h>

#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "signals/TIrSignalRender.h"
#include "signals/TIrVerifyReport.h"
#include "signals/TIrWaveform.h"

namespace {

using namespace quillon;

TQVXIrSubFunction Sub(uint16_t divider, std::vector<uint16_t> times, std::vector<uint8_t> header,
                      std::vector<uint8_t> body, int repeats = 2) {
  TQVXIrSubFunction sub;
  sub.SetFlags(TQVXIrSubFunction::kModulated);
  sub.SetDivider(divider);
  sub.SetTimes(times);
  sub.SetCounts(static_cast<uint8_t>((repeats << 4) | times.size()));
  sub.SetHeaderAndBody(header.data(), static_cast<int>(header.size()), body.data(), static_cast<int>(body.size()));
  return sub;
}

TEST(VerifyReport, PutsEveryTimeBesideItsCounterpart) {
  // Stored: 21 / 64 / 342 cycles; the capture's table is ordered
  // differently and its long time is 9 % longer.
  const auto stored = Sub(1737, {21, 64, 342}, {0x22}, {0x00, 0x01});
  const auto captured = Sub(1760, {373, 21, 66}, {0x00}, {0x11, 0x12});
  const TIrVerifyReport report = TIrVerifyReport::Compare(stored, captured);
  EXPECT_EQ(report.problem, "");
  EXPECT_TRUE(report.matches);
  EXPECT_TRUE(report.divider_within);
  EXPECT_NEAR(report.divider_deviation_percent, 1.32, 0.01);
  ASSERT_EQ(report.times.size(), 3u);
  EXPECT_EQ(report.times[0].stored_index, 0);
  EXPECT_EQ(report.times[0].captured_index, 1);
  EXPECT_EQ(report.times[1].stored, 64);
  EXPECT_EQ(report.times[1].captured, 66);
  EXPECT_EQ(report.times[2].stored_us, 9001u);   // 342 * 1737 / 66
  EXPECT_EQ(report.times[2].captured_us, 9947u);  // 373 * 1760 / 66
  EXPECT_NEAR(report.times[2].deviation_percent, 10.5, 0.1);
  EXPECT_TRUE(report.times[2].within);  // 8.3 % apart in cycles

  // One time 11 % apart fails the verification and is the row that says so.
  const auto far = Sub(1760, {385, 21, 66}, {0x00}, {0x11, 0x12});
  const TIrVerifyReport bad = TIrVerifyReport::Compare(stored, far);
  EXPECT_FALSE(bad.matches);
  EXPECT_FALSE(bad.times[2].within);
  EXPECT_TRUE(bad.times[0].within && bad.times[1].within);
}

TEST(VerifyReport, NamesWhyShapesCannotBeCompared) {
  const auto stored = Sub(1737, {21, 64, 342}, {0x22}, {0x00, 0x01});
  const TIrVerifyReport longer = TIrVerifyReport::Compare(stored, Sub(1737, {21, 64, 342}, {0x22}, {0x00, 0x01, 0x01}));
  EXPECT_EQ(longer.problem, "body of 2 pairs against 3");
  EXPECT_FALSE(longer.matches);
  EXPECT_TRUE(longer.times.empty());
  const TIrVerifyReport beyond = TIrVerifyReport::Compare(stored, Sub(1737, {21, 64}, {0x22}, {0x00, 0x01}));
  EXPECT_EQ(beyond.problem, "selector 0 names a time beyond the table");
}

TEST(VerifyReport, ChoosesTheMatchingSubFunctionOfAFunction) {
  TQVXIrFunction f;
  f.AddSubFunctionCopy(std::make_unique<TQVXIrSubFunction>(Sub(1737, {10, 20}, {}, {0x01})).get());
  f.AddSubFunctionCopy(std::make_unique<TQVXIrSubFunction>(Sub(1737, {21, 64, 342}, {0x22}, {0x00, 0x01})).get());
  const auto captured = Sub(1737, {21, 64, 342}, {0x22}, {0x00, 0x01});
  const TIrVerifyReport report = TIrVerifyReport::CompareFunction(f, captured);
  EXPECT_TRUE(report.matches);
  EXPECT_EQ(report.times.size(), 3u);
  EXPECT_EQ(TIrVerifyReport::CompareFunction(TQVXIrFunction(), captured).problem, "no sub-function");
}

TEST(Waveform, MarksHeaderAndBodyCopiesOnOneTimeAxis) {
  const auto sub = Sub(1737, {21, 64, 342}, {0x22}, {0x00, 0x01}, 3);
  const TIrSignal signal = TIrSignalRender::FromSubFunction(sub);
  EXPECT_EQ(signal.carrier_hz, 37996);
  EXPECT_EQ(signal.once, (std::vector<uint32_t>{9001, 9001}));
  EXPECT_EQ(signal.repeat, (std::vector<uint32_t>{553, 553, 553, 1684}));
  EXPECT_EQ(signal.repeats, 3);
  const auto segments = TIrWaveform::Segments(signal, 2);
  ASSERT_EQ(segments.size(), 10u);
  EXPECT_TRUE(segments[0].mark);
  EXPECT_EQ(segments[2].part, 1);
  EXPECT_EQ(segments[2].start_us, 18002u);
  EXPECT_EQ(segments[9].part, 2);
  EXPECT_EQ(TIrWaveform::Length(segments), 18002u + 2 * (553 * 3 + 1684));
}

}  // namespace
