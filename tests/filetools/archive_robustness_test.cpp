// Damaged archive images and LZSS streams: every cut and many random byte
// changes are read without crashing, hanging or reading outside the data.
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "filetools/CVmMemArchive.h"
#include "filetools/LzssOperations.h"
#include "tests/filetools/ArchiveImages.h"

namespace quillon::filetools {
namespace {

std::string Sample(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < n) s += (rng() % 3 == 0) ? std::string(1, static_cast<char>(rng())) : std::string("IR CODE ");
  s.resize(n);
  return s;
}

// Opens an image in the memory engine and extracts every member.
void Exercise(const std::string& image) {
  CVmMemArchive archive;
  if (!archive.Load(reinterpret_cast<const uint8_t*>(image.data()), image.size())) return;
  for (size_t i = 0; i < archive.Entries().size(); ++i) {
    std::vector<uint8_t> out;
    if (archive.Extract(static_cast<int>(i), out)) {
      EXPECT_EQ(out.size(), archive.Entries()[i].size);
    }
  }
  std::vector<uint8_t> again;
  archive.Save(again);
}

std::string CompressedImage() {
  CVmMemArchive archive;
  for (int m = 0; m < 4; ++m) {
    const std::string bytes = Sample(300 + 200 * static_cast<size_t>(m), static_cast<uint32_t>(m));
    archive.AddBytes("member" + std::to_string(m) + ".bin", reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<uint32_t>(bytes.size()), CVmArchiveFormat::TimeFields(0));
  }
  std::vector<uint8_t> image;
  EXPECT_TRUE(archive.Save(image));
  return std::string(image.begin(), image.end());
}

TEST(ArchiveRobustness, EveryCutOfAnImage) {
  const std::string image = CompressedImage();
  for (size_t n = 0; n <= image.size(); ++n) Exercise(image.substr(0, n));
}

TEST(ArchiveRobustness, RandomByteChanges) {
  const std::string image = CompressedImage();
  std::mt19937 rng(42);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = image;
    const int changes = 1 + static_cast<int>(rng() % 4);
    for (int c = 0; c < changes; ++c) damaged[rng() % damaged.size()] = static_cast<char>(rng());
    Exercise(damaged);
  }
}

TEST(LzssRobustness, RandomStreamsDecodeWithinTheirBuffers) {
  std::mt19937 rng(7);
  for (int round = 0; round < 500; ++round) {
    std::string stream(1 + rng() % 300, '\0');
    for (char& c : stream) c = static_cast<char>(rng());
    const auto* data = reinterpret_cast<const uint8_t*>(stream.data());
    const int64_t size = BufferDecodedSize(data, static_cast<int32_t>(stream.size()));
    ASSERT_GE(size, 0);
    EXPECT_LE(static_cast<uint64_t>(size), CVmArchiveFormat::MaxDecodedSize(stream.size()));
    // A buffer one byte short of the result is filled exactly and cut.
    if (size > 1) {
      std::vector<uint8_t> out(static_cast<size_t>(size - 1));
      int32_t length = static_cast<int32_t>(out.size());
      EXPECT_EQ(DecodeMemToMem(data, static_cast<int32_t>(stream.size()), out.data(), &length), 1);
      EXPECT_EQ(length, size - 1);
    }
  }
}

}  // namespace
}  // namespace quillon::filetools
