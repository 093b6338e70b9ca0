#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const auto back = Utf8ToCp1252(Cp1252ToUtf8(all));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(Cp1252, MapsTheHighRangeToItsCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Cp1252ToUtf8("\xE9"), "\xC3\xA9");      // e acute
  EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");      // undefined byte kept as U+0081
}

TEST(Cp1252, RefusesTextTheCodePageCannotHold) {
  EXPECT_FALSE(Utf8ToCp1252("\xE4\xB8\xAD").has_value());  // CJK character
  EXPECT_FALSE(Utf8ToCp1252("\xC3").has_value());          // truncated sequence
  EXPECT_FALSE(Utf8ToCp1252("\xFF").has_value());          // invalid lead byte
}

}  // namespace
}  // namespace quillon
