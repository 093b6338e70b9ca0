// The scrambling streams: byte forms, chain handling, bounds.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrLoadFile.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "tests/irmodel/VirTestUtil.h"

namespace quillon {
namespace {

using testing::Scramble;

TEST(VirStream, ScrambledBytesFollowTheChainOfPlainValues) {
  std::uint8_t buf[6] = {};
  TQVXIrSaveBuffer out(buf, sizeof buf);
  EXPECT_EQ(out.WritePlainByte(0x40), 1);
  EXPECT_EQ(out.WriteByte(0x10), 1);
  EXPECT_EQ(out.Write16(0x1234), 2);
  out.SetChain(0x1FF);  // taken mod 256
  EXPECT_EQ(out.WriteByte(0x00), 1);
  EXPECT_EQ(out.GetPosition(), 5u);
  EXPECT_EQ(buf[0], 0x40);
  EXPECT_EQ(buf[1], Scramble(0x10, 0x40));
  EXPECT_EQ(buf[2], Scramble(0x12, 0x10));
  EXPECT_EQ(buf[3], Scramble(0x34, 0x12));
  EXPECT_EQ(buf[4], Scramble(0x00, 0xFF));

  TQVXIrLoadBuffer in(buf, 5);
  EXPECT_EQ(in.ReadPlainByte(), 0x40);
  EXPECT_EQ(in.ReadByte(), 0x10);
  EXPECT_EQ(in.Read16(), 0x1234);
  in.SetChain(0xFF);
  EXPECT_EQ(in.ReadByte(), 0x00);
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(in.ReadByte(), -1);
  EXPECT_EQ(in.ReadPlainByte(), -1);
}

TEST(VirStream, LoadBufferSeekTellAndBlocks) {
  const std::uint8_t data[4] = {1, 2, 3, 4};
  TQVXIrLoadBuffer in(data, sizeof data, true);
  EXPECT_TRUE(in.GetFlag());
  EXPECT_EQ(in.GetSize(), 4);
  EXPECT_EQ(in.Seek(3), 3);
  EXPECT_EQ(in.Seek(4), -1);  // outside 0..size-1: no move
  EXPECT_EQ(in.Seek(-1), -1);
  EXPECT_EQ(in.Tell(), 3);
  std::uint8_t block[8] = {};
  EXPECT_EQ(in.ReadBlock(nullptr, 2), 0);
  EXPECT_EQ(in.ReadBlock(block, 0), 0);
  EXPECT_EQ(in.ReadBlock(block, 8), 1);  // stops early at the end
  EXPECT_EQ(in.ReadBlock(block, 8), -1);
  EXPECT_TRUE(in.AtEnd());

  TQVXIrLoadBuffer none(nullptr, 10);
  EXPECT_TRUE(none.AtEnd());
  EXPECT_EQ(none.Tell(), -1);
  EXPECT_EQ(none.Seek(0), -1);
  EXPECT_EQ(none.ReadByte(), -1);
}

TEST(VirStream, SignedAndWideReads) {
  std::uint8_t buf[8] = {};
  TQVXIrSaveBuffer out(buf, sizeof buf);
  out.WritePlainByte(0xFF);
  out.WritePlainByte(0xFE);
  out.WriteByte(0x01);
  out.WriteByte(0x02);
  out.WriteByte(0x03);
  out.WriteByte(0x04);
  TQVXIrLoadBuffer in(buf, 6);
  EXPECT_EQ(in.ReadSigned16(true), -2);
  EXPECT_EQ(in.Read32(), 0x01020304);
}

TEST(VirStream, SaveBufferOverflowIsWriteErrorAndNoBufferWritesNothing) {
  std::uint8_t buf[1] = {};
  TQVXIrSaveBuffer out(buf, 1);
  out.WriteByte(7);
  try {
    out.WritePlainByte(1);
    FAIL() << "expected code 4";
  } catch (const TQVXIrException& e) {
    EXPECT_EQ(e.GetCode(), 4);
    EXPECT_STREQ(e.GetText(), "Write Error");
  }
  TQVXIrSaveBuffer none(nullptr, 100);
  EXPECT_EQ(none.WriteByte(1), 0);
  EXPECT_EQ(none.WritePlainByte(1), 0);
  const std::uint8_t data[2] = {1, 2};
  EXPECT_EQ(none.WriteBlock(data, 2), 0);
  EXPECT_EQ(out.WriteBlock(nullptr, 2), 0);
}

TEST(VirStream, LoadFileReadsLikeABuffer) {
  const auto path = std::filesystem::temp_directory_path() / ("quillon-stream-" + std::to_string(::getpid()) + ".bin");
  {
    std::ofstream f(path, std::ios::binary);
    const char bytes[3] = {0x11, static_cast<char>(Scramble(0x22, 0x11)), static_cast<char>(Scramble(0x33, 0x22))};
    f.write(bytes, 3);
  }
  TQVXIrLoadFile in(path.c_str());
  EXPECT_TRUE(in.AtEnd());  // not open yet
  ASSERT_TRUE(in.Open());
  EXPECT_EQ(in.GetSize(), 3);
  EXPECT_EQ(in.ReadPlainByte(), 0x11);
  std::uint8_t two[2];
  EXPECT_EQ(in.ReadBlock(two, 2), 2);
  EXPECT_EQ(two[0], 0x22);
  EXPECT_EQ(two[1], 0x33);
  EXPECT_EQ(in.Seek(3), -1);
  EXPECT_EQ(in.Seek(0), 0);
  EXPECT_EQ(in.ReadPlainByte(), 0x11);
  in.Close();
  std::filesystem::remove(path);

  TQVXIrLoadFile missing("/nonexistent/quillon/none.vir");
  EXPECT_FALSE(missing.Open());
}

TEST(VirException, CodesAndTexts) {
  EXPECT_STREQ(TQVXIrException(1).GetText(), "Memory Error");
  EXPECT_STREQ(TQVXIrException(2).GetText(), "Corrupt File");
  EXPECT_STREQ(TQVXIrException(3).GetText(), "Can't open file");
  EXPECT_STREQ(TQVXIrException(4).GetText(), "Write Error");
  EXPECT_STREQ(TQVXIrException(5).GetText(), "Runtime Error");
  EXPECT_EQ(TQVXIrException(6).GetText(), nullptr);
  EXPECT_EQ(TQVXIrException(0).GetText(), nullptr);
}

}  // namespace
}  // namespace quillon
