#include <gtest/gtest.h>

#include "devicelink/CQVXFile.h"
#include "devicelink/CQVXFileList.h"

namespace quillon {
namespace {

TEST(CQVXFile, StoresOutOfRangeFieldsButReportsThemInvalid) {
  CQVXFile file;
  EXPECT_FALSE(file.Set("1.vir", 100, 2, 13, 5, 2026, 10, 0, 0));
  EXPECT_EQ(file.GetMonth(), 13);
  EXPECT_TRUE(file.Set("1.vir", 100, 2, 12, 5, 26, 10, 0, 0));
  EXPECT_FALSE(file.Set("1.vir", 100, 2, 12, 5, 1969, 10, 0, 0));
  EXPECT_FALSE(file.Set("1.vir", 0, 2, 12, 5, 2026, 10, 0, 0));
  EXPECT_FALSE(file.Set("", 10, 2, 12, 5, 2026, 10, 0, 0));
}

TEST(CQVXFile, DriverFlagDateTextAndSortKey) {
  CQVXFile upper("7.VIR", 10, 1, 3, 2, 2024, 1, 2, 3);
  EXPECT_EQ(upper.IsDriver(), 1);
  EXPECT_EQ(CQVXFile("notes.txt", 10, 1, 3, 2, 2024, 1, 2, 3).IsDriver(), 0);
  EXPECT_EQ(CQVXFile("", 10, 1, 3, 2, 2024, 1, 2, 3).IsDriver(), 0);
  EXPECT_EQ(upper.GetDateText(), "3/2/2024");
  // March 2nd of a year divisible by four: 59 + 2 + 1 days.
  const uint32_t expected = ((((59u + 2u + 1u) * 24u + 1u) * 60u + 2u) * 60u + 3u) | (2024u << 25);
  EXPECT_EQ(upper.GetSortKey(), expected);
  // Later time stamps in one year order after earlier ones.
  EXPECT_LT(CQVXFile("a", 1, 0, 1, 31, 25, 23, 59, 59).GetSortKey(),
            CQVXFile("a", 1, 0, 2, 1, 25, 0, 0, 0).GetSortKey());
}

TEST(CQVXFileList, FindAndNextFreeNumber) {
  CQVXFileList list;
  EXPECT_EQ(list.Find("0.vir", false), -1);
  EXPECT_EQ(list.NextFreeNumber(), 0);
  for (int n : {0, 1, 2, 3, 4, 6}) {
    list.Add(std::make_unique<CQVXFile>(std::to_string(n) + ".vir", 10, 0, 1, 1, 26, 0, 0, 0));
  }
  EXPECT_EQ(list.NextFreeNumber(), 5);
  list.Add(std::make_unique<CQVXFile>("5.VIR", 10, 0, 1, 1, 26, 0, 0, 0));
  EXPECT_EQ(list.NextFreeNumber(), 7);
  EXPECT_EQ(list.Find("5.vir", true), -1);
  EXPECT_EQ(list.Find("5.vir", false), 6);
  EXPECT_EQ(list.Find("", false), -1);
  for (int n = 7; n <= 99; ++n) {
    list.Add(std::make_unique<CQVXFile>(std::to_string(n) + ".vir", 10, 0, 1, 1, 26, 0, 0, 0));
  }
  EXPECT_EQ(list.NextFreeNumber(), -1);
}

TEST(CQVXFileList, ParsesReplyLinesAndSkipsMalformedOnes) {
  CQVXFileList list;
  const size_t n = list.Parse(
      "12.vir,4096,1,12,7,2026,21,5,9\r\n"
      "broken line\r\n"
      "x.vir,12,1,2,3\r\n"
      "a.vir,abc,1,12,7,2026,21,5,9\r\n"
      "notes.txt,10,0,1,1,26,0,0,0\n");
  ASSERT_EQ(n, 2u);
  EXPECT_EQ(list.GetAt(0)->GetName(), "12.vir");
  EXPECT_EQ(list.GetAt(0)->GetSize(), 4096);
  EXPECT_EQ(list.GetAt(0)->GetMinute(), 5);
  EXPECT_EQ(list.GetAt(1)->GetName(), "notes.txt");
  EXPECT_EQ(list.GetAt(2), nullptr);
}

}  // namespace
}  // namespace quillon
