#include <gtest/gtest.h>

#include <vector>

#include "capture/TIrSample.h"
#include "capture/TIrSampleDeque.h"

namespace {

using namespace quillon;

TEST(Sample, AverageTruncatesAndNormaliseWritesBack) {
  uint32_t a = 7, b = 8;
  TIrSample s;
  EXPECT_EQ(s.Add(a), 7u);
  EXPECT_EQ(s.Add(b), 7u);  // 15 / 2 truncated
  EXPECT_EQ(s.GetMaximum(), 8u);
  EXPECT_EQ(s.GetMinimum(), 7u);
  s.Normalise();
  EXPECT_EQ(a, 7u);
  EXPECT_EQ(b, 7u);
  EXPECT_EQ(s.GetCount(), 1u);
  EXPECT_EQ(s.GetSum(), 7u);
  uint32_t c = 10;
  EXPECT_EQ(s.Add(c), 8u);  // (7 + 10) / 2
}

TEST(Sample, AbsorbKeepsOwnAverage) {
  uint32_t a = 100, b = 104;
  TIrSample low, high;
  low.Add(a);
  high.Add(b);
  high.Absorb(low);
  high.Absorb(high);
  EXPECT_EQ(high.GetMembers().size(), 2u);
  EXPECT_EQ(high.GetAverage(), 104u);
  EXPECT_EQ(high.GetCount(), 1u);
  high.WriteBack();
  EXPECT_EQ(a, 104u);
}

TEST(SampleDeque, PercentAndAbsoluteTolerance) {
  std::vector<uint32_t> v{100, 101, 102};
  TIrSampleDeque d;
  for (auto& x : v) d.AddValue(x);
  ASSERT_EQ(d.GetCount(), 2);  // 101 is 0.99 % from 100; 102 is 1.96 % from the average 100
  EXPECT_EQ(d.ValueAt(0), 100u);
  EXPECT_EQ(d.ValueAt(1), 102u);
  EXPECT_EQ(d.ValueAt(7), 7u);
  EXPECT_EQ(d.ValueAt(-3), static_cast<uint32_t>(-3));
  EXPECT_EQ(d.IndexOf(102), 1);
  EXPECT_EQ(d.IndexOf(101), -1);

  std::vector<uint32_t> w{1, 3, 4};
  TIrSampleDeque abs;
  abs.SetAbsoluteToleranceEnabled(true);
  for (auto& x : w) abs.AddValue(x);
  // 3 is within 2 of 1; the cluster's average is then 2 and 4 joins it too.
  EXPECT_EQ(abs.GetCount(), 1);
  EXPECT_EQ(abs.ValueAt(0), 2u);
}

TEST(SampleDeque, NormaliseAndSortIsStableAndAscending) {
  std::vector<uint32_t> v{300, 20, 60, 21, 300};
  TIrSampleDeque d;
  d.SetPercentTolerance(6.0f);
  for (auto& x : v) d.AddValue(x);
  d.NormaliseAndSort();
  ASSERT_EQ(d.GetCount(), 3);
  EXPECT_EQ(d.ValueAt(0), 20u);
  EXPECT_EQ(d.ValueAt(1), 60u);
  EXPECT_EQ(d.ValueAt(2), 300u);
  EXPECT_EQ(v, (std::vector<uint32_t>{300, 20, 60, 20, 300}));
}

TEST(SampleDeque, MergeTakesTheCentreOfTheWindow) {
  {
    std::vector<uint32_t> v{100, 104};
    TIrSampleDeque d;
    for (auto& x : v) d.AddValue(x);
    d.NormaliseAndSort();
    d.Merge(1, 5.0f);
    ASSERT_EQ(d.GetCount(), 1);
    EXPECT_EQ(d.ValueAt(0), 104u);
    EXPECT_EQ(v, (std::vector<uint32_t>{104, 104}));
  }
  {
    std::vector<uint32_t> v{108, 100, 104};
    TIrSampleDeque d;
    for (auto& x : v) d.AddValue(x);
    d.NormaliseAndSort();
    d.Merge(1, 5.0f);
    ASSERT_EQ(d.GetCount(), 1);
    EXPECT_EQ(d.ValueAt(0), 104u);
    EXPECT_EQ(v, (std::vector<uint32_t>{104, 104, 104}));
  }
}

TEST(SampleDeque, MergeLeavesDistantClustersAndWalksOn) {
  // 10 | 50 51 | 200 | 400 410: 50 is the centre of the first window and
  // absorbs 51 above it; the next window is centred on 400, which absorbs 410.
  std::vector<uint32_t> v{10, 50, 51, 200, 400, 410};
  TIrSampleDeque d;
  d.SetPercentTolerance(0.0f);
  for (auto& x : v) d.AddValue(x);
  d.NormaliseAndSort();
  d.Merge(1, 5.0f);
  ASSERT_EQ(d.GetCount(), 4);
  EXPECT_EQ(d.ValueAt(0), 10u);
  EXPECT_EQ(d.ValueAt(1), 50u);
  EXPECT_EQ(d.ValueAt(2), 200u);
  EXPECT_EQ(d.ValueAt(3), 400u);
  EXPECT_EQ(v, (std::vector<uint32_t>{10, 50, 50, 200, 400, 400}));

  std::vector<uint32_t> one{5};
  TIrSampleDeque single;
  single.AddValue(one[0]);
  single.Merge(1, 5.0f);
  EXPECT_EQ(single.GetCount(), 1);
}

}  // namespace
