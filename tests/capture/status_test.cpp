// The status line after a capture, verification and the stored sub-function.
#include <gtest/gtest.h>

#include <memory>

#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureStatus.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace {

using namespace quillon;
using Status = TIrCaptureStatus;

// A successful result: times {20, T, 1000}, one header pair, two body pairs.
TIrCaptureResult Learned(uint16_t divider = 1736, uint16_t middle = 60) {
  TIrCaptureResult r;
  r.times[0] = 20;
  r.times[1] = middle;
  r.times[2] = 1000;
  r.time_count = 3;
  r.header_selectors[0] = 0x11;
  r.header_count = 1;
  r.body_selectors[0] = 0x01;
  r.body_selectors[1] = 0x02;
  r.body_count = 2;
  r.divider = divider;
  r.modulated = false;
  r.min_repeats = 4;
  r.result = 0;
  return r;
}

TIrCaptureResult Failed(int32_t code) {
  TIrCaptureResult r;
  r.SetResult(code);
  return r;
}

TQVXIrFunction FunctionOf(const TIrCaptureResult& r) {
  TQVXIrFunction f;
  f.SetName("POWER");
  f.AddSubFunction(std::make_unique<TQVXIrSubFunction>(r.ToSubFunction()));
  return f;
}

TEST(CaptureStatus, LearnModeTextsAndAnimations) {
  auto ok = Status::Compose(Learned(), false, nullptr);
  EXPECT_EQ(ok.text, "Capture Sucessful");
  EXPECT_EQ(ok.animation, Status::kLearnSuccessful);
  EXPECT_TRUE(ok.accept_at_once);

  auto parity = Status::Compose(Failed(5), false, nullptr);
  EXPECT_EQ(parity.text, "Capture Unsuccessful - On/Off Parity error");
  EXPECT_EQ(parity.animation, Status::kUnsuccessful);
  EXPECT_FALSE(parity.accept_at_once);

  EXPECT_EQ(Status::Compose(Failed(15), false, nullptr).text, "Capture Unsuccessful");
  EXPECT_EQ(Status::Compose(Failed(11), false, nullptr).text,
            "Capture Unsuccessful - Invalid time value");
  EXPECT_EQ(Status::Compose(Failed(8), false, nullptr).text,
            "Capture Unsuccessful - Excessive body (repeat) length");
  for (bool verify : {false, true}) {
    auto timeout = Status::Compose(Failed(13), verify, nullptr);
    EXPECT_EQ(timeout.text, "Timeout");
    EXPECT_EQ(timeout.animation, Status::kTimeout);
  }
}

TEST(CaptureStatus, EverySuffix) {
  const char* expected[] = {"",
                            " - Bad returned buffer size",
                            "",
                            "",
                            " - No valid samples",
                            " - On/Off Parity error",
                            " - Bad carrier count",
                            " - Excessive header length",
                            " - Excessive body (repeat) length",
                            " - Excessive overall function length",
                            " - Excessive time count",
                            " - Invalid time value",
                            " - Excessive variation in captured data",
                            "",
                            " - Insufficient sample count",
                            ""};
  for (int code = 0; code <= 15; ++code) EXPECT_STREQ(Status::Suffix(code), expected[code]) << code;
  int first = 0, last = 0;
  Status::Frames(Status::kHalvarProcessing, first, last);
  EXPECT_EQ(first, 31);
  EXPECT_EQ(last, 35);
  Status::Frames(Status::kHidden, first, last);
  EXPECT_EQ(first, -1);
}

TEST(CaptureStatus, VerifyUsesTenPercentTimesAndThreePercentDivider) {
  const TQVXIrFunction stored = FunctionOf(Learned(1736));
  // The stored function was learned unmodulated; the candidate is always
  // modulated, and flags take no part.
  auto close = Status::Compose(Learned(1785), true, &stored);
  EXPECT_EQ(close.text, "Verify Successful");
  EXPECT_EQ(close.animation, Status::kVerifySuccessful);
  EXPECT_FALSE(close.accept_at_once);

  auto far = Status::Compose(Learned(1795), true, &stored);
  EXPECT_EQ(far.text, "Captured data does not match function data");
  EXPECT_EQ(far.animation, Status::kNoMatch);

  TIrCaptureResult stored1000 = Learned(1736, 100);
  stored1000.times[2] = 1000;
  const TQVXIrFunction f = FunctionOf(stored1000);
  TIrCaptureResult near = stored1000;
  near.times[2] = 1100;  // 9.09 %
  EXPECT_EQ(Status::Compose(near, true, &f).text, "Verify Successful");
  TIrCaptureResult off = stored1000;
  off.times[2] = 1112;  // 10.07 %
  EXPECT_EQ(Status::Compose(off, true, &f).text, "Captured data does not match function data");
}

TEST(CaptureStatus, VerifyMatchesAnySubFunctionButNeverADifferentShape) {
  TQVXIrFunction two = FunctionOf(Learned(1736, 60));
  two.AddSubFunction(std::make_unique<TQVXIrSubFunction>(Learned(1736, 300).ToSubFunction()));
  EXPECT_EQ(Status::Compose(Learned(1736, 300), true, &two).animation, Status::kVerifySuccessful);

  TIrCaptureResult longerHeader = Learned();
  longerHeader.header_selectors[1] = 0x11;
  longerHeader.header_count = 2;
  EXPECT_EQ(Status::Compose(longerHeader, true, &two).animation, Status::kNoMatch);

  EXPECT_EQ(Status::Compose(Learned(), true, nullptr).text,
            "Captured data does not match function data");
  auto failed = Status::Compose(Failed(4), true, &two);
  EXPECT_EQ(failed.text, "Capture Unsuccessful - No valid samples");
  EXPECT_EQ(failed.animation, Status::kUnsuccessful);
}

TEST(CaptureResult, StoredSubFunction) {
  TIrCaptureResult r = Learned();
  r.modulated = true;
  r.min_repeats = 6;
  const TQVXIrSubFunction sub = r.ToSubFunction();
  EXPECT_EQ(sub.GetFlags(), TQVXIrSubFunction::kModulated);
  EXPECT_EQ(sub.GetGranularity(), 1);
  EXPECT_EQ(sub.GetDivider(), 1736);
  EXPECT_EQ(sub.GetHeaderCount(), 1);
  EXPECT_EQ(sub.GetBodyCount(), 2);
  EXPECT_EQ(sub.GetCounts(), 6 * 16 + 3);
  EXPECT_EQ(sub.GetTimes(), (std::vector<uint16_t>{20, 60, 1000}));
  EXPECT_EQ(sub.GetSelectors(), (std::vector<uint8_t>{0x11, 0x01, 0x02}));

  r.modulated = false;
  EXPECT_EQ(r.ToSubFunction().GetFlags(), 0);
  EXPECT_EQ(r.ToSubFunction(true).GetFlags(), TQVXIrSubFunction::kModulated);

  r.header_count = 0;  // a capture that starts with its body
  EXPECT_EQ(r.ToSubFunction().GetSelectors(), (std::vector<uint8_t>{0x01, 0x02}));
  EXPECT_EQ(r.ToSubFunction().GetHeaderCount(), 0);
}

}  // namespace
