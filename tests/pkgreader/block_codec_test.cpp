#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "pkgreader/PkgBlockCodec.h"
#include "pkgreader/PkgHuffmanTree.h"

namespace quillon {
namespace {

std::vector<uint8_t> MixedData(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out;
  out.reserve(size);
  const std::string words[] = {"POWER", "PLAY", "STOP", "[model_0]\r\n", "TypeId=4\r\n", "Drvpkg=ABC\r\n"};
  while (out.size() < size) {
    switch (rng() % 4) {
      case 0: {  // text
        const std::string& w = words[rng() % 6];
        out.insert(out.end(), w.begin(), w.end());
        break;
      }
      case 1:  // noise
        for (int i = 0; i < 40; ++i) out.push_back(static_cast<uint8_t>(rng()));
        break;
      case 2:  // a run
        out.insert(out.end(), 20 + rng() % 2000, static_cast<uint8_t>(rng()));
        break;
      default: {  // a repeat of something earlier
        if (out.size() > 100) {
          const size_t from = rng() % (out.size() - 50);
          const size_t len = std::min<size_t>(1 + rng() % 1500, out.size() - from);
          for (size_t i = 0; i < len; ++i) out.push_back(out[from + i]);
        }
      }
    }
  }
  out.resize(size);
  return out;
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& in, int level) {
  const auto packed = CPkgBlockCodec::Encode(in.data(), in.size(), level);
  std::vector<uint8_t> out;
  EXPECT_TRUE(CPkgBlockCodec::Decode(packed.data(), packed.size(), out));
  return out;
}

uint32_t BE32(const std::vector<uint8_t>& v, size_t at) {
  return (uint32_t{v[at]} << 24) | (uint32_t{v[at + 1]} << 16) | (uint32_t{v[at + 2]} << 8) | v[at + 3];
}

// Writes codes the way the decoder reads them: MSB first, two bytes per
// 16-bit register, the trees updated after every symbol.
class StreamWriter {
 public:
  StreamWriter()
      : symbols_(CPkgBlockCodec::kSymbolLeaves, CPkgBlockCodec::kSymbolStep),
        distances_(CPkgBlockCodec::kDistanceLeaves, CPkgBlockCodec::kDistanceStep) {}
  void Bits(uint32_t v, int k) {
    for (int i = k - 1; i >= 0; --i) {
      reg_ = (reg_ << 1) | ((v >> i) & 1);
      if (++count_ == 16) Flush();
    }
  }
  void Symbol(int s) { Put(symbols_, s); }
  void Distance(int d) { Put(distances_, d); }
  // A stream of one block: TOTAL and L as given, the coded bytes written so far.
  std::vector<uint8_t> Stream(uint32_t total, uint32_t plain) {
    if (count_) {
      reg_ <<= 16 - count_;
      Flush();
    }
    std::vector<uint8_t> s = {'V', 'l', 'm', 'r'};
    Put32(s, total);
    Put32(s, static_cast<uint32_t>(coded_.size()));
    Put32(s, plain);
    s.insert(s.end(), coded_.begin(), coded_.end());
    Put32(s, 0);
    return s;
  }

 private:
  static void Put32(std::vector<uint8_t>& s, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<uint8_t>(v >> shift));
  }
  void Put(CPkgHuffmanTree& tree, int leaf) {
    uint32_t bits;
    int length;
    ASSERT_TRUE(tree.Code(leaf, bits, length));
    Bits(bits, length);
    tree.Update(leaf);
  }
  void Flush() {
    coded_.push_back(static_cast<uint8_t>(reg_ >> 8));
    coded_.push_back(static_cast<uint8_t>(reg_));
    reg_ = 0;
    count_ = 0;
  }
  CPkgHuffmanTree symbols_;
  CPkgHuffmanTree distances_;
  std::vector<uint8_t> coded_;
  uint32_t reg_ = 0;
  int count_ = 0;
};

TEST(PkgHuffmanTree, PairingScanJoinsTheLastTwoCandidatesNotTheTwoSmallest) {
  CPkgHuffmanTree tree(3, 100);
  tree.SetLeafFrequency(0, 3);
  tree.SetLeafFrequency(1, 5);
  tree.SetLeafFrequency(2, 4);
  tree.Build(false);
  // Node 3 joins 4 (first child) and 5 (second child); the root joins 3 and node 3.
  EXPECT_EQ(tree.Child(3, 0), 2);
  EXPECT_EQ(tree.Child(3, 1), 1);
  EXPECT_EQ(tree.Frequency(3), 9u);
  EXPECT_EQ(tree.Child(4, 0), 3);
  EXPECT_EQ(tree.Child(4, 1), 0);
  EXPECT_TRUE(tree.IsLeaf(tree.Child(0, 0)));
}

TEST(PkgHuffmanTree, LeavesStayWithinSixteenLevelsAndRescaleHalvesWithLowBitSet) {
  CPkgHuffmanTree tree(CPkgBlockCodec::kSymbolLeaves, 438);
  EXPECT_LE(tree.MaxLeafDepth(), 16);
  // Fibonacci-like frequencies would make a very deep tree.
  uint32_t a = 1, b = 1;
  for (int i = 0; i < 30; ++i) {
    tree.SetLeafFrequency(i, a);
    const uint32_t c = a + b;
    a = b;
    b = c;
  }
  tree.Build(false);
  EXPECT_LE(tree.MaxLeafDepth(), 16);
  EXPECT_LT(tree.Frequency(29), 832040u);  // rescaled by (f | 4) >> 2 on the way
  CPkgHuffmanTree flat(CPkgBlockCodec::kSymbolLeaves, 438);
  flat.SetLeafFrequency(5, 10);
  flat.SetLeafFrequency(6, 11);
  flat.SetLeafFrequency(7, 4);
  flat.Build(true);
  EXPECT_EQ(flat.Frequency(5), 5u);  // (10 >> 1) | 1
  EXPECT_EQ(flat.Frequency(6), 5u);  // (11 >> 1) | 1
  EXPECT_EQ(flat.Frequency(7), 3u);  // (4 >> 1) | 1
}

TEST(PkgHuffmanTree, RebuildsAfterItsStepThenFreezesAtEightThousandOneHundredNinetyTwo) {
  for (const uint32_t step : {438u, 45u}) {
    CPkgHuffmanTree tree(step == 438 ? 292 : 30, step);
    const uint32_t initial = tree.Rebuilds();
    for (uint32_t i = 0; i + 1 < step; ++i) tree.Update(1);
    EXPECT_EQ(tree.Rebuilds(), initial) << step;
    tree.Update(1);
    EXPECT_EQ(tree.Rebuilds(), initial + 1) << step;
    // Rebuilds every STEP symbols until the running total reaches 8192.
    const uint32_t toFreeze = (8192 + step - 1) / step;
    for (uint32_t r = 1; r < toFreeze; ++r)
      for (uint32_t i = 0; i < step; ++i) tree.Update(2);
    EXPECT_TRUE(tree.Frozen()) << step;
    EXPECT_EQ(tree.Countdown(), step) << step;
    for (uint32_t i = 0; i < step; ++i) tree.Update(3);
    EXPECT_EQ(tree.Countdown(), 8192u) << step;
    const uint32_t before = tree.Rebuilds();
    for (uint32_t i = 0; i < 8191; ++i) tree.Update(4);
    EXPECT_EQ(tree.Rebuilds(), before) << step;
    tree.Update(4);
    EXPECT_EQ(tree.Rebuilds(), before + 1) << step;
  }
}

TEST(PkgBlockCodec, EveryLevelRoundTripsMixedDataAcrossSeveralBlocks) {
  const auto data = MixedData(2 * CPkgBlockCodec::kMaxBlock + 12345, 7);
  for (int level = 1; level <= 5; ++level) {
    const auto packed = CPkgBlockCodec::Encode(data.data(), data.size(), level);
    EXPECT_EQ(BE32(packed, 4), data.size());
    EXPECT_EQ(BE32(packed, 12), CPkgBlockCodec::kMaxBlock);  // first block is 1 MiB
    if (level != 5) {  // level 5 looks at one candidate only
      EXPECT_LT(packed.size(), data.size()) << level;
    }
    std::vector<uint8_t> out;
    ASSERT_TRUE(CPkgBlockCodec::Decode(packed.data(), packed.size(), out)) << level;
    EXPECT_TRUE(out == data) << level;
  }
}

TEST(PkgBlockCodec, SmallAndDegenerateInputsRoundTrip) {
  for (int level = 1; level <= 5; ++level) {
    EXPECT_TRUE(RoundTrip({}, level).empty());
    EXPECT_EQ(RoundTrip({0}, level), std::vector<uint8_t>{0});
    const std::vector<uint8_t> zeros(5000, 0);
    EXPECT_EQ(RoundTrip(zeros, level), zeros);
    std::vector<uint8_t> period(3 + 1026 * 3);
    for (size_t i = 0; i < period.size(); ++i) period[i] = static_cast<uint8_t>("abc"[i % 3]);
    EXPECT_EQ(RoundTrip(period, level), period);
  }
  const auto empty = CPkgBlockCodec::Encode(nullptr, 0, 3);
  EXPECT_EQ(empty, (std::vector<uint8_t>{'V', 'l', 'm', 'r', 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PkgBlockCodec, LengthSymbol291WithAllExtraBitsCopies1026Bytes) {
  StreamWriter w;
  w.Symbol('x');
  w.Symbol('y');
  w.Symbol('z');
  w.Symbol(291);
  w.Bits(0x7F, 7);
  w.Distance(0);  // value 0: three bytes back
  const auto stream = w.Stream(1029, 1029);
  std::vector<uint8_t> out;
  ASSERT_TRUE(CPkgBlockCodec::Decode(stream.data(), stream.size(), out));
  ASSERT_EQ(out.size(), 1029u);
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], "xyz"[i % 3]) << i;
}

TEST(PkgBlockCodec, DistanceExtraBitsReachFarBack) {
  // Distance symbol 29 with all 13 extra bits: value 32767, 32770 bytes back.
  std::vector<uint8_t> expect;
  StreamWriter w;
  for (int i = 0; i < 32770; ++i) {
    const uint8_t b = static_cast<uint8_t>((i * 7) ^ (i >> 8));
    w.Symbol(b);
    expect.push_back(b);
  }
  w.Symbol(256);  // length 3
  w.Distance(29);
  w.Bits(0x1FFF, 13);
  for (int i = 0; i < 3; ++i) expect.push_back(expect[i]);
  const auto stream = w.Stream(static_cast<uint32_t>(expect.size()), static_cast<uint32_t>(expect.size()));
  std::vector<uint8_t> out;
  ASSERT_TRUE(CPkgBlockCodec::Decode(stream.data(), stream.size(), out));
  EXPECT_TRUE(out == expect);
}

TEST(PkgBlockCodec, CorruptStreamsFailWithoutWritingOutsideTheBlock) {
  std::vector<uint8_t> out;
  {  // wrong magic
    auto s = CPkgBlockCodec::Encode(reinterpret_cast<const uint8_t*>("hello hello"), 11, 1);
    s[0] = 'X';
    EXPECT_FALSE(CPkgBlockCodec::Decode(s.data(), s.size(), out));
  }
  {  // a copy before the block start
    StreamWriter w;
    w.Symbol('a');
    w.Symbol(256);
    w.Distance(0);
    const auto s = w.Stream(4, 4);
    EXPECT_FALSE(CPkgBlockCodec::Decode(s.data(), s.size(), out));
  }
  {  // a copy passing the block's length
    StreamWriter w;
    for (char c : std::string("abcd")) w.Symbol(c);
    w.Symbol(263);  // length 10
    w.Distance(0);
    const auto s = w.Stream(8, 8);
    EXPECT_FALSE(CPkgBlockCodec::Decode(s.data(), s.size(), out));
  }
  {  // blocks larger than the stream's total, or than 1 MiB
    StreamWriter w;
    w.Symbol('a');
    auto s = w.Stream(0, 1);
    EXPECT_FALSE(CPkgBlockCodec::Decode(s.data(), s.size(), out));
    StreamWriter big;
    big.Symbol('a');
    s = big.Stream(0xFFFFFFFF, CPkgBlockCodec::kMaxBlock + 1);
    EXPECT_FALSE(CPkgBlockCodec::Decode(s.data(), s.size(), out));
  }
  {  // coded bytes that run out, and truncation anywhere
    const auto data = MixedData(30000, 3);
    const auto s = CPkgBlockCodec::Encode(data.data(), data.size(), 2);
    for (size_t cut = 0; cut < s.size(); cut += 97) {
      std::vector<uint8_t> part(s.begin(), s.begin() + static_cast<long>(cut));
      EXPECT_FALSE(CPkgBlockCodec::Decode(part.data(), part.size(), out)) << cut;
    }
  }
}

TEST(PkgBlockCodec, RandomDamageNeverCrashes) {
  const auto data = MixedData(20000, 11);
  const auto good = CPkgBlockCodec::Encode(data.data(), data.size(), 3);
  std::mt19937 rng(5);
  std::vector<uint8_t> out;
  for (int round = 0; round < 300; ++round) {
    auto bad = good;
    const int hits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < hits; ++i) bad[8 + rng() % (bad.size() - 8)] ^= static_cast<uint8_t>(1 + rng() % 255);
    if (CPkgBlockCodec::Decode(bad.data(), bad.size(), out)) {
      EXPECT_LE(out.size(), data.size());
    }
  }
}

}  // namespace
}  // namespace quillon
