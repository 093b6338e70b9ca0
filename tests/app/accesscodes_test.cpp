#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/CAccessCodes.h"
#include "app/CTCharDeque.h"

namespace quillon {
namespace {

struct FakeClock {
  int64_t now = 1000;
  CTCharDeque::Clock Fn() {
    return [this] { return now; };
  }
};

void Type(CTCharDeque& buffer, const std::string& text) {
  for (char c : text) buffer.Add(c);
}

TEST(KeystrokeBuffer, CharactersOlderThanFiveSecondsExpireOnTheNextAdd) {
  FakeClock clock;
  CTCharDeque buffer(32, 5, clock.Fn());
  Type(buffer, "ab");
  clock.now += 5;
  buffer.Add('c');  // exactly 5 s later: still held
  EXPECT_EQ(buffer.GetText(), "abc");
  clock.now += 1;
  buffer.Add('d');  // a and b are now 6 s old
  EXPECT_EQ(buffer.GetText(), "cd");
  // A test does not remove expired characters; only adding does.
  clock.now += 100;
  EXPECT_EQ(buffer.GetText(), "cd");
  EXPECT_TRUE(buffer.Matches("CD"));
}

TEST(KeystrokeBuffer, FullBufferDropsCharactersUntilOldOnesExpire) {
  FakeClock clock;
  CTCharDeque buffer(32, 5, clock.Fn());
  Type(buffer, std::string(32, 'x'));
  buffer.Add('y');
  EXPECT_EQ(buffer.GetCount(), 32u);
  EXPECT_EQ(buffer.GetText(), std::string(32, 'x'));
  clock.now += 6;
  buffer.Add('y');
  EXPECT_EQ(buffer.GetText(), "y");
}

TEST(AccessCodes, CodeTypedQuicklyInAnyCaseUnlocks) {
  FakeClock clock;
  CTCharDeque buffer(32, 5, clock.Fn());
  Type(buffer, "IrWrIgHt");
  EXPECT_TRUE(CAccessCodes::IsAdvancedCode(buffer));
  EXPECT_FALSE(CAccessCodes::IsSupportedDriverCode(buffer));

  CTCharDeque second(32, 5, clock.Fn());
  Type(second, "VELMORSEAL");
  EXPECT_TRUE(CAccessCodes::IsSupportedDriverCode(second));
  EXPECT_FALSE(CAccessCodes::IsAdvancedCode(second));

  // The whole held text must match: extra characters spoil it.
  CTCharDeque third(32, 5, clock.Fn());
  Type(third, "xirwright");
  EXPECT_FALSE(CAccessCodes::IsAdvancedCode(third));
}

TEST(AccessCodes, CodeTypedSlowlyDoesNotUnlock) {
  FakeClock clock;
  CTCharDeque buffer(32, 5, clock.Fn());
  for (char c : std::string("irwright")) {
    buffer.Add(c);
    clock.now += 1;  // 7 s from first to last character
  }
  EXPECT_FALSE(CAccessCodes::IsAdvancedCode(buffer));
}

TEST(KeystrokeBuffer, AReplacedClockAgesCharactersFromThenOn) {
  // The program-wide buffer exists before a test can pass its clock in.
  CTCharDeque buffer;
  FakeClock clock;
  clock.now = -1000000;  // long before any reading of the steady clock
  buffer.SetClock(clock.Fn());
  buffer.Add('a');
  clock.now += 6;
  buffer.Add('b');
  EXPECT_EQ(buffer.GetText(), "b");
  buffer.SetClock(nullptr);  // the steady clock again: 'b' is far in its past
  buffer.Add('c');
  EXPECT_EQ(buffer.GetText(), "c");
}

TEST(AccessCodes, AdvancedModeIsSetByTheAboutBoxAndStaysSet) {
  FakeClock clock;
  CTCharDeque wrong(32, 5, clock.Fn());
  Type(wrong, "hello");
  CTCharDeque supported(32, 5, clock.Fn());
  Type(supported, "velmorseal");
  if (!CAccessCodes::IsAdvancedMode()) {
    EXPECT_FALSE(CAccessCodes::OnAboutBoxClosed(wrong));
    EXPECT_FALSE(CAccessCodes::MayKeepSupportedMark(supported));
  }
  CTCharDeque right(32, 5, clock.Fn());
  Type(right, "irwright");
  EXPECT_TRUE(CAccessCodes::OnAboutBoxClosed(right));
  EXPECT_TRUE(CAccessCodes::OnAboutBoxClosed(wrong));
  EXPECT_TRUE(CAccessCodes::IsAdvancedMode());
  EXPECT_TRUE(CAccessCodes::MayKeepSupportedMark(supported));
  EXPECT_FALSE(CAccessCodes::MayKeepSupportedMark(wrong));
}

}  // namespace
}  // namespace quillon
