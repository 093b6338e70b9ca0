// The codec's byte-exact output on small inputs and its handling of cut
// streams, bounded buffers, files and handles.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "filetools/CLzssCodec.h"
#include "filetools/LzssByteSink.h"
#include "filetools/LzssByteSource.h"
#include "filetools/LzssOperations.h"
#include "tests/filetools/TempFolder.h"

namespace quillon::filetools {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromText(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Encode(const Bytes& in) {
  LzssMemorySource source(in.data(), static_cast<int64_t>(in.size()));
  Bytes out(in.size() * 9 / 8 + 16);
  LzssBoundedMemorySink sink(out.data(), static_cast<int64_t>(out.size()));
  CLzssCodec codec;
  codec.Encode(source, sink);
  out.resize(static_cast<size_t>(sink.Count()));
  EXPECT_EQ(codec.CodeSize(), sink.Count());
  EXPECT_EQ(codec.TextSize(), static_cast<int64_t>(in.size()));
  return out;
}

Bytes Decode(const Bytes& in) {
  LzssMemorySource source(in.data(), static_cast<int64_t>(in.size()));
  LzssCountingSink counter;
  CLzssCodec codec;
  codec.Decode(source, counter);
  Bytes out(static_cast<size_t>(counter.Count()) + 1);
  LzssMemorySource again(in.data(), static_cast<int64_t>(in.size()));
  LzssBoundedMemorySink sink(out.data(), static_cast<int64_t>(out.size()));
  codec.Decode(again, sink);
  out.resize(static_cast<size_t>(sink.Count()));
  return out;
}

TEST(LzssCodecVectors, EmptyInputAndEmptyStream) {
  EXPECT_TRUE(Encode({}).empty());
  EXPECT_TRUE(Decode({}).empty());
}

TEST(LzssCodecVectors, TwentySpacesCopyFromTheSpaceFilledRing) {
  EXPECT_EQ(Encode(Bytes(20, ' ')), (Bytes{0x06, 0xDC, 0xFF, 0x20, 0x20}));
  EXPECT_EQ(Decode({0x06, 0xDC, 0xFF, 0x20, 0x20}), Bytes(20, ' '));
}

TEST(LzssCodecVectors, ThreeLiterals) {
  EXPECT_EQ(Encode(FromText("abc")), (Bytes{0x07, 0x61, 0x62, 0x63}));
}

TEST(LzssCodecVectors, OverlappingCopy) {
  const Bytes coded{0x07, 0x61, 0x62, 0x63, 0xEE, 0xF6};
  EXPECT_EQ(Encode(FromText("abcabcabcabc")), coded);
  EXPECT_EQ(Decode(coded), FromText("abcabcabcabc"));
}

TEST(LzssCodecVectors, NinthUnitStartsANewGroup) {
  const Bytes coded{0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x01, 'i'};
  EXPECT_EQ(Encode(FromText("abcdefghi")), coded);
  EXPECT_EQ(Decode(coded), FromText("abcdefghi"));
}

TEST(LzssCodecVectors, EqualLengthMatchKeepsTheFirstNodeMet) {
  const Bytes out = Encode(FromText("abcXabcZabcY"));
  // a b c X, copy(4078,3), Z, copy(4078,3), Y: the second copy could come
  // from 4082 as well, but 4078 is met first.
  EXPECT_EQ(out, (Bytes{0xAF, 'a', 'b', 'c', 'X', 0xEE, 0xF0, 'Z', 0xEE, 0xF0, 'Y'}));
}

TEST(LzssCodecDecoding, CutStreamsEndWithTheBytesSoFar) {
  // Cut after the flag byte of a second group.
  EXPECT_EQ(Decode({0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x01}), FromText("abcdefgh"));
  // Cut after the first byte of a copy.
  EXPECT_EQ(Decode({0x07, 'a', 'b', 'c', 0xEE}), FromText("abc"));
  // Cut in the middle of a flag group's literals.
  EXPECT_EQ(Decode({0x07, 'a'}), FromText("a"));
}

TEST(LzssCodecDecoding, CopiesReadTheRingWrappingAround) {
  // A copy from position 4095 of length 18 wraps to positions 0.. (spaces);
  // 4095 is zero until written.
  const Bytes out = Decode({0x00, 0xFF, 0xFF});
  ASSERT_EQ(out.size(), 18u);
  EXPECT_EQ(out[0], 0);
  for (size_t i = 1; i < out.size(); ++i) EXPECT_EQ(out[i], ' ');
}

TEST(LzssCodecRoundTrip, MixedDataSurvives) {
  std::mt19937 rng(7);
  for (size_t size : {1u, 2u, 17u, 18u, 19u, 35u, 4096u, 4200u, 70000u}) {
    Bytes data(size);
    for (size_t i = 0; i < size; ++i)
      data[i] = (i / 64) % 2 ? static_cast<uint8_t>(rng() & 0xFF) : static_cast<uint8_t>("abcdefgh"[i % 8]);
    EXPECT_EQ(Decode(Encode(data)), data) << size;
  }
}

TEST(LzssBoundedSink, NullOrZeroCapacityRaisesAtTheFirstByte) {
  LzssBoundedMemorySink empty(nullptr, 10);
  EXPECT_THROW(empty.Put(1), CLzssException);
  uint8_t b[1];
  LzssBoundedMemorySink zero(b, 0);
  try {
    zero.Put(1);
    FAIL();
  } catch (const CLzssException& e) {
    EXPECT_STREQ(e.what(), "LZSS Target Buffer Overflow");
  }
}

TEST(LzssOperations, TooSmallBufferIsCutSilently) {
  const Bytes in = FromText("abcdefghi");
  Bytes out(5, 0);
  int32_t length = 5;
  EXPECT_EQ(EncodeMemToMem(in.data(), 9, out.data(), &length), 1);
  EXPECT_EQ(length, 5);
  EXPECT_EQ(out, (Bytes{0xFF, 'a', 'b', 'c', 'd'}));
}

TEST(LzssOperations, ArgumentsAreCheckedFirst) {
  uint8_t buf[8];
  int32_t length = 8;
  EXPECT_EQ(EncodeMemToMem(nullptr, 3, buf, &length), 0);
  EXPECT_EQ(EncodeMemToMem(buf, 0, buf, &length), 0);
  length = 0;
  EXPECT_EQ(EncodeMemToMem(buf, 3, buf, &length), 0);
  EXPECT_EQ(EncodeFileToFile("", "x", &length), 0);
  EXPECT_EQ(BufferCompressedSize(nullptr, 3), 0);
  EXPECT_EQ(BufferCompressedSize(buf, 0), 0);
  EXPECT_EQ(FileCompressedSize("/nonexistent/quillon/file"), 0);
}

TEST(LzssOperations, FilesAndHandlesRoundTrip) {
  TempFolder dir;
  const std::string plain = dir.Path("plain.bin");
  const std::string packed = dir.Path("packed.lz");
  const std::string back = dir.Path("back.bin");
  std::string text;
  for (int i = 0; i < 30000; ++i) text += "POWER ON " + std::to_string(i % 97) + "\n";
  WriteFile(plain, text);

  int32_t packedSize = 0;
  ASSERT_EQ(EncodeFileToFile(plain, packed, &packedSize), 1);
  EXPECT_EQ(packedSize, FileCompressedSize(plain));
  EXPECT_EQ(static_cast<int64_t>(packedSize), static_cast<int64_t>(ReadFile(packed).size()));

  int32_t written = 0;
  ASSERT_EQ(DecodeFileToFile(packed, back, &written), 1);
  EXPECT_EQ(written, static_cast<int32_t>(text.size()));
  EXPECT_EQ(ReadFile(back), text);

  // Memory to memory, file to memory, memory to file agree.
  Bytes mem(text.size());
  int32_t length = static_cast<int32_t>(mem.size());
  ASSERT_EQ(EncodeFileToMem(plain, mem.data(), &length), 1);
  EXPECT_EQ(length, packedSize);
  Bytes decoded(text.size() + 10);
  int32_t decodedLength = static_cast<int32_t>(decoded.size());
  ASSERT_EQ(DecodeFileToMem(packed, decoded.data(), &decodedLength), 1);
  EXPECT_EQ(decodedLength, static_cast<int32_t>(text.size()));
  ASSERT_EQ(DecodeMemToFile(mem.data(), length, back, &written), 1);
  EXPECT_EQ(ReadFile(back), text);

  // A handle: the stream sits after a 5-byte prefix and before a trailer.
  const std::string framed = dir.Path("framed.bin");
  {
    const int fd = open(framed.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "HEAD!", 5), 5);
    int32_t handleWritten = 0;
    ASSERT_EQ(EncodeMemToHandle(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()),
                                fd, &handleWritten),
              1);
    EXPECT_EQ(handleWritten, packedSize);
    ASSERT_EQ(write(fd, "TRAILER", 7), 7);
    lseek(fd, 5, SEEK_SET);
    Bytes viaHandle(text.size());
    int32_t viaLength = static_cast<int32_t>(viaHandle.size());
    ASSERT_EQ(DecodeHandleToMem(fd, handleWritten, viaHandle.data(), &viaLength), 1);
    EXPECT_EQ(std::string(viaHandle.begin(), viaHandle.begin() + viaLength), text);
    lseek(fd, 5, SEEK_SET);
    ASSERT_EQ(DecodeHandleToFile(fd, handleWritten, back, &written), 1);
    EXPECT_EQ(ReadFile(back), text);
    close(fd);
  }
}

TEST(LzssOperations, EmptySourceFileFailsToDecode) {
  TempFolder dir;
  WriteFile(dir.Path("empty"), "");
  uint8_t buf[4];
  int32_t length = 4;
  EXPECT_EQ(DecodeFileToMem(dir.Path("empty"), buf, &length), 0);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(DecodeFileToFile(dir.Path("empty"), dir.Path("out"), &length), 0);
  // Encoding an empty file gives an empty stream.
  EXPECT_EQ(EncodeFileToFile(dir.Path("empty"), dir.Path("out"), &length), 1);
  EXPECT_EQ(length, 0);
}

}  // namespace
}  // namespace quillon::filetools
