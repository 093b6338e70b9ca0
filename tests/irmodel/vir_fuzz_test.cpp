// Random and mutated byte images given to the driver reader: every input
// ends in a loaded driver or a TQVXIrException, never a crash or a hang.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "tests/irmodel/VirTestUtil.h"

namespace quillon {
namespace {

using testing::MakeFunction;
using testing::SaveToBytes;

// Loads BYTES; a loaded driver must also save again (or refuse with a
// TQVXIrException). Returns true when the load succeeded.
bool LoadAndResave(const std::vector<std::uint8_t>& bytes) {
  TQVXIr ir;
  TQVXIrLoadBuffer in(bytes.data(), bytes.size());
  try {
    ir.Load(in);
  } catch (const TQVXIrException& e) {
    EXPECT_GE(e.GetCode(), 1);
    EXPECT_LE(e.GetCode(), 5);
    return false;
  }
  EXPECT_EQ(ir.GetHeader().GetNameCount(), 0);
  try {
    const std::int64_t size = ir.ComputeSize(true, 0);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size));
    TQVXIrSaveBuffer buffer(out.data(), out.size());
    EXPECT_LE(ir.Save(buffer, 0), size);
  } catch (const TQVXIrException& e) {
    EXPECT_EQ(e.GetCode(), 5);
  }
  return true;
}

std::vector<std::vector<std::uint8_t>> Seeds() {
  std::vector<std::vector<std::uint8_t>> seeds;
  TQVXIr empty;
  seeds.push_back(SaveToBytes(empty));
  TQVXIr small;
  small.GetHeader().AddText(0x83, "DVD");
  const std::uint8_t flags[4] = {0, 0, 0, 1};
  small.GetHeader().AddBinary(0xFF, 4, flags);
  small.Append(MakeFunction("POWER"));
  auto placeholder = std::make_unique<TQVXIrFunction>();
  placeholder->SetName("SPARE");
  small.Append(std::move(placeholder));
  small.Append(MakeFunction("PLAY", 3, 0x1234));
  seeds.push_back(SaveToBytes(small));
  TQVXIr larger;
  for (int i = 0; i < 20; ++i) larger.Append(MakeFunction(("F" + std::to_string(i)).c_str(), 1 + i % 3, 77u * i));
  larger.GetHeader().AddText(0x86, "a comment");
  seeds.push_back(SaveToBytes(larger));
  return seeds;
}

TEST(VirFuzz, RandomImages) {
  std::mt19937 rng(12345);
  int loaded = 0;
  for (int round = 0; round < 4000; ++round) {
    std::vector<std::uint8_t> bytes(rng() % 700);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    // Give some images a plausible start so the reader goes deeper.
    if (bytes.size() > 2 && round % 2 == 0) bytes[1] = static_cast<std::uint8_t>(((rng() % 8) ^ 0xE5) - bytes[0]);
    loaded += LoadAndResave(bytes) ? 1 : 0;
  }
  SUCCEED() << loaded << " random images loaded";
}

TEST(VirFuzz, MutatedImages) {
  std::mt19937 rng(777);
  const auto seeds = Seeds();
  for (const auto& seed : seeds) ASSERT_TRUE(LoadAndResave(seed));
  int loaded = 0;
  for (int round = 0; round < 20000; ++round) {
    std::vector<std::uint8_t> bytes = seeds[rng() % seeds.size()];
    const int mutations = 1 + static_cast<int>(rng() % 4);
    for (int m = 0; m < mutations && !bytes.empty(); ++m) {
      const std::size_t at = rng() % bytes.size();
      switch (rng() % 6) {
        case 0: bytes[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8)); break;
        case 1: bytes[at] = static_cast<std::uint8_t>(rng()); break;
        case 2: bytes.resize(at); break;
        case 3: bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), static_cast<std::uint8_t>(rng())); break;
        case 4: bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at)); break;
        default: bytes[at] = static_cast<std::uint8_t>(bytes[at] + 1); break;
      }
    }
    loaded += LoadAndResave(bytes) ? 1 : 0;
  }
  EXPECT_GT(loaded, 0);
}

// One small image whose 255 slots alternate between two function records,
// each naming the same sub-function record 255 times: the reader builds
// 65,025 sub-functions from a few kilobytes, and that is its worst case.
TEST(VirFuzz, SharedRecordsStayBounded) {
  std::vector<std::uint8_t> image(8192, 0);
  TQVXIrSaveBuffer out(image.data(), image.size());
  const int slots = 255;
  const int tableEnd = 2 + 2 * (slots + 1) + 1;   // first byte after the marker
  const int recordA = tableEnd;                    // n, 255 words, 0x55
  const int recordB = recordA + 1 + 2 * 255 + 1;
  const int sub = recordB + 1 + 2 * 255 + 1;       // the shared sub-function
  // The reader sets the chain before each record from the offset difference;
  // the header block is placed so that the last slot sees the same value.
  const int chainA = (recordB - recordA - 2) & 0xFF;
  const int chainB = (recordA - recordB - 2) & 0xFF;
  int header = sub + 13;
  while ((header & 0xFF) != (recordB & 0xFF)) ++header;
  const int headerOffset = header - (2 + 2 * slots);
  out.WritePlainByte(0);
  out.WriteByte(slots);
  for (int i = 0; i < slots; ++i) out.Write16((i % 2 ? recordB : recordA) - (2 + 2 * i));
  out.Write16(headerOffset);
  out.WriteByte(0x12);
  for (int record : {recordA, recordB}) {
    out.SetChain(record == recordA ? chainA : chainB);
    out.WriteByte(255);
    for (int j = 0; j < 255; ++j) out.Write16(sub - (record + 1 + 2 * j));
    out.WriteByte(0x55);
  }
  // L, flags, divider, granularity, h, b, counts (1 time), the time, 1 selector, 0x34
  out.WritePlainByte(13);
  for (int b : {1, 0x06, 0xC8, 0, 1, 0, 1, 0x01, 0, 20, 0x00, 0x34}) out.WriteByte(b);
  while (static_cast<int>(out.GetPosition()) < header) out.WritePlainByte(0);
  out.SetChain(headerOffset);
  for (int k = 0; k <= slots; ++k) out.Write16(2 * (slots + 1) - 2 * k);  // all names empty
  out.SetChain(2);
  out.WriteByte(0);
  out.WriteByte(0x56);
  image.resize(out.GetPosition());

  const auto start = std::chrono::steady_clock::now();
  TQVXIr ir;
  TQVXIrLoadBuffer in(image.data(), image.size());
  ASSERT_EQ(ir.Load(in), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  ASSERT_EQ(ir.GetFunctionCount(), 255);
  EXPECT_EQ(ir.GetFunction(254)->GetSubFunctionCount(), 255);
  EXPECT_EQ(ir.GetFunction(3)->GetSubFunction(200)->GetTime(0), 20);
}

}  // namespace
}  // namespace quillon
