// Number lists of the INI interchange text.
#include <gtest/gtest.h>

#include "irmodel/TQVXIrIniNumberList.h"

namespace quillon {
namespace {

std::vector<int> Parse(const char* text, int max = 1024, int* cuts = nullptr) {
  return TQVXIrIniNumberList::Parse(text, max, cuts);
}

TEST(IniNumberList, HexListAsExportWritesIt) {
  EXPECT_EQ(Parse("0x1a,0x2B,0xffff,0x0"), (std::vector<int>{0x1a, 0x2b, 0xffff, 0}));
}

TEST(IniNumberList, AnythingButTokenCharactersSeparates) {
  EXPECT_EQ(Parse("  12;; 0x10 / 7,g9 +4"), (std::vector<int>{12, 16, 7, 9, 4}));
  EXPECT_TRUE(Parse("").empty());
  EXPECT_TRUE(Parse("--- ; ,,, gh").empty());
}

TEST(IniNumberList, DecimalUnlessPrefixedOrHoldingHexLetter) {
  EXPECT_EQ(Parse("10"), std::vector<int>{10});
  EXPECT_EQ(Parse("10a"), std::vector<int>{0x10a});
  EXPECT_EQ(Parse("ff"), std::vector<int>{255});
  EXPECT_EQ(Parse("0X1F"), std::vector<int>{31});
  // atoi rules: a leading x reads as 0; "0x" alone is two characters, so decimal.
  EXPECT_EQ(Parse("x12"), std::vector<int>{0});
  EXPECT_EQ(Parse("0x"), std::vector<int>{0});
  // Any second character x makes the rest hexadecimal.
  EXPECT_EQ(Parse("9x10"), std::vector<int>{16});
  EXPECT_EQ(Parse("12x"), std::vector<int>{12});
}

TEST(IniNumberList, LeadingZerosAreNotSignificant) {
  int cuts = -1;
  EXPECT_EQ(Parse("0x001234,0000abcd", 1024, &cuts), (std::vector<int>{0x1234, 0xabcd}));
  EXPECT_EQ(cuts, 0);
}

TEST(IniNumberList, FiveSignificantHexDigitsKeepTheLastFour) {
  int cuts = 0;
  EXPECT_EQ(Parse("0x12345,0xabcdef,0x1", 1024, &cuts), (std::vector<int>{0x2345, 0xcdef, 1}));
  EXPECT_EQ(cuts, 2);
}

TEST(IniNumberList, DecimalIsNeverCutAndSaturates) {
  int cuts = 0;
  EXPECT_EQ(Parse("123456", 1024, &cuts), std::vector<int>{123456});
  EXPECT_EQ(cuts, 0);
  EXPECT_EQ(Parse("99999999999999999999"), std::vector<int>{2147483647});
}

TEST(IniNumberList, StopsAtTheMaximumCount) {
  int cuts = 0;
  EXPECT_EQ(Parse("1,2,3,0x123456", 3, &cuts), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(cuts, 0);  // tokens beyond the maximum are not read at all
  EXPECT_TRUE(Parse("1,2", 0).empty());
}

}  // namespace
}  // namespace quillon
