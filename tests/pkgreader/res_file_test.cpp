#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <random>

#include "pkgreader/PkgBlockCodec.h"
#include "pkgreader/ResFile.h"
#include "pkgreader/ResMgr.h"
#include "tests/pkgreader/PkgTestUtil.h"

namespace quillon {
namespace {

using namespace quillon::testing;

std::vector<uint8_t> Member(CResFile& pkg, const char* name, const char* folder = nullptr) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(pkg.GetFileBytes(name, out, folder)) << name;
  return out;
}

TEST(ResFile, EveryLevelReadsBackIdenticallyFromFileAndMemory) {
  TempDir dir;
  const auto text = Text(300000);
  const auto noise = Noise(70000, 1);
  WriteBytes(dir / "disk.bin", text);
  for (int level = 0; level <= 5; ++level) {
    CResFile pkg;
    EXPECT_EQ(pkg.SetCompressionLevel(level), 0);
    pkg.SetVersion(3, 7, 513);
    ASSERT_TRUE(pkg.SetOrigin(2));
    ASSERT_TRUE(pkg.SetPkgType(1));
    pkg.SetResName("Demo drivers");
    ASSERT_TRUE(pkg.AddFile(dir / "disk.bin", "text.ini"));
    ASSERT_TRUE(pkg.AddBuffer(noise.data(), noise.size(), "noise.bin", "data"));
    ASSERT_TRUE(pkg.AddBuffer(nullptr, 0, "empty.txt"));
    const std::string path = dir / ("p" + std::to_string(level) + ".pkg");
    ASSERT_TRUE(pkg.Save(path)) << level;

    const auto image = ReadBytes(path);
    ASSERT_TRUE(CResFile::IsValidFormat(path));
    CResFile fromFile;
    CResFile fromMemory;
    ASSERT_TRUE(fromFile.Open(path));
    ASSERT_TRUE(fromMemory.Open(image.data(), image.size()));
    for (CResFile* r : {&fromFile, &fromMemory}) {
      EXPECT_EQ(r->GetCompressionLevel(), level);
      EXPECT_EQ(r->GetMajorVer(), 3);
      EXPECT_EQ(r->GetMinorVer(), 7);
      EXPECT_EQ(r->GetBuildVer(), 513);
      EXPECT_EQ(r->GetOrigin(), 2);
      EXPECT_EQ(r->GetPkgType(), 1);
      EXPECT_EQ(r->GetResName(), "Demo drivers");
      ASSERT_EQ(r->GetFileCount(), 3u);
      EXPECT_TRUE(Member(*r, "TEXT.INI") == text);
      EXPECT_TRUE(Member(*r, "noise.bin", "DATA") == noise);
      EXPECT_TRUE(Member(*r, "empty.txt").empty());
      EXPECT_EQ(r->GetFileSize("noise.bin"), 70000);
    }
    // Compressible members carry the level; noise falls back to raw bytes.
    EXPECT_EQ(fromFile.FindEntry("text.ini")->GetCompressionFlag(), static_cast<uint32_t>(level));
    EXPECT_EQ(fromFile.FindEntry("noise.bin")->GetCompressionFlag(), 0u);
    EXPECT_EQ(fromFile.FindEntry("text.ini")->GetDataOffset(), 4u);
  }
}

TEST(ResFile, LevelZeroLayoutHasA272ByteUserBlockAndPlainFat) {
  TempDir dir;
  CResFile pkg;
  ASSERT_TRUE(pkg.AddBuffer("abc", 3, "a.txt"));
  ASSERT_TRUE(pkg.AddBuffer("hello", 5, "b.txt", "sub"));
  ASSERT_TRUE(pkg.Save(dir / "x.pkg"));
  const auto img = ReadBytes(dir / "x.pkg");
  ASSERT_EQ(std::memcmp(img.data(), "VlmrPkg\0", 8), 0);
  EXPECT_EQ(LE32(img, 8), 1u);
  EXPECT_EQ(LE32(img, 12), 0u);
  EXPECT_EQ(LE32(img, 16), 2u);
  EXPECT_EQ(LE32(img, 20), 272u);
  const size_t data = 24 + 272;
  const uint32_t dataLength = LE32(img, data);
  EXPECT_EQ(dataLength, 4u + 3 + 4 + 5);
  EXPECT_EQ(LE32(img, data + 4), 3u);  // the first member's length word
  const size_t fat = data + 4 + dataLength + 4;
  EXPECT_EQ(LE32(img, fat - 4), img.size() - fat);
  EXPECT_EQ(LE32(img, fat + 0), 3u);
  EXPECT_EQ(LE32(img, fat + 12), 6u);  // "a.txt" + zero; no folder: high half 0
  EXPECT_EQ(LE32(img, fat + 24), 4u);
  const size_t second = fat + 40 + 6;
  EXPECT_EQ(LE32(img, second + 12), 6u | (4u << 16));
  EXPECT_EQ(LE32(img, second + 24), 11u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[second + 40])), "b.txt");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&img[second + 46])), "sub");
}

TEST(ResFile, SameNameInTwoFoldersIsToldApartOnlyByTheFolder) {
  CResFile pkg;
  ASSERT_TRUE(pkg.AddBuffer("one", 3, "x.vir", "a"));
  ASSERT_TRUE(pkg.AddBuffer("three", 5, "X.VIR", "b"));
  ASSERT_EQ(pkg.GetFileCount(), 2u);
  EXPECT_EQ(pkg.GetFileSize("x.vir"), 3);  // first match without a folder
  EXPECT_EQ(pkg.GetFileSize("x.vir", "B"), 5);
  EXPECT_EQ(pkg.GetFileSize("x.vir", "c"), -1);
  char buf[8] = {};
  EXPECT_EQ(pkg.GetFileBuffer("x.vir", buf, sizeof buf, "b"), CResFile::kSuccess);
  EXPECT_EQ(std::string(buf, 5), "three");
  ASSERT_TRUE(pkg.AddBuffer("THREE", 5, "x.vir", "B"));  // replaces in place
  EXPECT_EQ(pkg.GetFileCount(), 2u);
  EXPECT_TRUE(pkg.RemoveFile("x.vir", "a"));
  EXPECT_EQ(pkg.GetFileSize("x.vir"), 5);
}

TEST(ResFile, ResultCodesAndSetterLimits) {
  CResFile pkg;
  EXPECT_EQ(pkg.SetCompressionLevel(6), -1);
  EXPECT_EQ(pkg.SetCompressionLevel(4), 0);
  EXPECT_EQ(pkg.SetCompressionLevel(2), 4);
  EXPECT_FALSE(pkg.SetOrigin(0));
  EXPECT_FALSE(pkg.SetOrigin(3));
  EXPECT_FALSE(pkg.SetPkgType(7));
  ASSERT_TRUE(pkg.AddBuffer("abc", 3, "a"));
  char small[2];
  EXPECT_EQ(pkg.GetFileBuffer("missing", small, 2), CResFile::kNotFound);
  EXPECT_EQ(pkg.GetFileBuffer("a", nullptr, 0), CResFile::kFailed);
  EXPECT_EQ(pkg.GetFileBuffer("a", small, sizeof small), CResFile::kFailed);
  EXPECT_FALSE(pkg.Open(nullptr, 10));
  EXPECT_TRUE(pkg.Open("", 0));
  EXPECT_EQ(pkg.GetFileCount(), 0u);
}

TEST(ResFile, IsValidFormatNeedsTheMagicAndTwentyOneBytes) {
  TempDir dir;
  std::vector<uint8_t> img(21, 0);
  std::memcpy(img.data(), "VlmrPkg", 8);
  EXPECT_TRUE(CResFile::IsValidFormat(img.data(), img.size()));
  EXPECT_FALSE(CResFile::IsValidFormat(img.data(), 20));
  WriteBytes(dir / "ok.pkg", img);
  EXPECT_TRUE(CResFile::IsValidFormat(dir / "ok.pkg"));
  img.resize(20);
  WriteBytes(dir / "short.pkg", img);
  EXPECT_FALSE(CResFile::IsValidFormat(dir / "short.pkg"));
  EXPECT_FALSE(CResFile::IsValidFormat(dir / "missing.pkg"));
  img.resize(21);
  img[7] = '!';
  EXPECT_FALSE(CResFile::IsValidFormat(img.data(), img.size()));
  CResFile pkg;
  EXPECT_FALSE(pkg.Open(dir / "missing.pkg"));
}

TEST(ResFile, DumpWritesMembersWithTheirTimesAndRefusesEscapingNames) {
  TempDir dir;
  WriteBytes(dir / "src.ini", Bytes("[supported]\r\nNum=1\r\n"));
  struct timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "src.ini").c_str(), times, 0), 0);
  CResFile pkg;
  pkg.SetCompressionLevel(3);
  ASSERT_TRUE(pkg.AddFile(dir / "src.ini", "irsupport.ini"));
  ASSERT_TRUE(pkg.AddBuffer("x", 1, "../escape.txt"));
  ASSERT_TRUE(pkg.Save(dir / "d.pkg"));
  CResFile back;
  ASSERT_TRUE(back.Open(dir / "d.pkg"));
  EXPECT_TRUE(back.DumpFile("irsupport.ini", dir / "out/deeper"));
  EXPECT_EQ(ReadBytes(dir / "out/deeper/irsupport.ini"), Bytes("[supported]\r\nNum=1\r\n"));
  struct stat st {};
  ASSERT_EQ(::stat((dir / "out/deeper/irsupport.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
  EXPECT_FALSE(back.DumpFile("../escape.txt", dir / "out"));
  EXPECT_FALSE(back.DumpAllFile(dir / "all"));  // one member could not be written
  EXPECT_TRUE(std::filesystem::exists(dir / "all/irsupport.ini"));
  EXPECT_FALSE(std::filesystem::exists(dir / "escape.txt"));
}

TEST(ResFile, SaveOverItsOwnFileKeepsMembersReadFromIt) {
  TempDir dir;
  const auto text = Text(5000);
  CResFile pkg;
  pkg.SetCompressionLevel(2);
  ASSERT_TRUE(pkg.AddBuffer(text.data(), text.size(), "a.ini"));
  ASSERT_TRUE(pkg.Save(dir / "s.pkg"));
  CResFile again;
  ASSERT_TRUE(again.Open(dir / "s.pkg"));
  ASSERT_TRUE(again.AddBuffer("more", 4, "b.txt"));
  EXPECT_EQ(again.SetCompressionLevel(0), 2);
  ASSERT_TRUE(again.Save());
  CResFile check;
  ASSERT_TRUE(check.Open(dir / "s.pkg"));
  EXPECT_EQ(check.GetCompressionLevel(), 0);
  EXPECT_TRUE(Member(check, "a.ini") == text);
  EXPECT_EQ(Member(check, "b.txt"), Bytes("more"));
  EXPECT_FALSE(std::filesystem::exists(dir / "tmpke"));
  for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
    EXPECT_NE(e.path().filename().string().rfind("tmpke", 0), 0u) << e.path();
}

TEST(ResMgr, PackagesInsidePackages) {
  TempDir dir;
  const auto driver = Text(4000);
  CResFile inner;
  inner.SetCompressionLevel(4);
  inner.SetVersion(2, 9, 1);
  inner.SetOrigin(1);
  ASSERT_TRUE(inner.AddBuffer(driver.data(), driver.size(), "ABC_4.vir"));
  ASSERT_TRUE(inner.Save(dir / "inner.pke"));
  CResFile outer;
  outer.SetCompressionLevel(1);
  ASSERT_TRUE(outer.AddFile(dir / "inner.pke", "tv.pke"));
  ASSERT_TRUE(outer.Save(dir / "big.pkg"));

  CResMgr mgr;
  ASSERT_TRUE(mgr.LoadRes(dir / "big.pkg"));
  const long size = mgr.GetPkgSize("TV.PKE");
  EXPECT_EQ(size, static_cast<long>(ReadBytes(dir / "inner.pke").size()));
  EXPECT_EQ(mgr.GetPKE_FileSize("tv.pke"), size);
  std::vector<uint8_t> small(4, 0xEE);
  EXPECT_EQ(mgr.GetPkgBuffer("tv.pke", small.data(), small.size()), size);
  EXPECT_EQ(small, std::vector<uint8_t>(4, 0xEE));  // too small: untouched
  auto pke = mgr.GetPkgResFile("tv.pke");
  ASSERT_TRUE(pke);
  EXPECT_EQ(pke->GetPath(), "tv.pke");
  EXPECT_EQ(pke->GetMajorVer(), 2);
  EXPECT_EQ(pke->GetMinorVer(), 9);
  EXPECT_EQ(pke->GetOrigin(), 1);
  EXPECT_EQ(mgr.GetPkgFileSize("tv.pke", "abc_4.vir"), 4000);
  EXPECT_EQ(mgr.GetPkgFileSize("tv.pke", "none.vir"), -1);
  EXPECT_EQ(mgr.GetPkgFileSize("none.pke", "abc_4.vir"), -1);
  std::vector<uint8_t> buf(4000);
  EXPECT_EQ(mgr.GetPkgFileBuffer("tv.pke", "abc_4.vir", buf.data(), buf.size()), CResFile::kSuccess);
  EXPECT_TRUE(buf == driver);
  EXPECT_TRUE(mgr.DumpPkgFiles("tv.pke", dir / "files"));
  EXPECT_TRUE(ReadBytes(dir / "files/ABC_4.vir") == driver);
  EXPECT_TRUE(mgr.DumpPkg("tv.pke", dir / "pkes"));
  EXPECT_EQ(ReadBytes(dir / "pkes/tv.pke"), ReadBytes(dir / "inner.pke"));
  // A member that is not a package does not open as one.
  CResFile plain;
  ASSERT_TRUE(plain.AddBuffer("text", 4, "a.pke"));
  ASSERT_TRUE(plain.Save(dir / "plain.pkg"));
  CResMgr other;
  ASSERT_TRUE(other.LoadRes(dir / "plain.pkg"));
  EXPECT_FALSE(other.GetPkgResFile("a.pke"));
}

TEST(ResFile, DamagedPackagesOpenWithoutCrashingAndUnreadableMembersFail) {
  TempDir dir;
  const auto text = Text(20000);
  const auto noise = Noise(3000, 9);
  CResFile pkg;
  pkg.SetCompressionLevel(3);
  ASSERT_TRUE(pkg.AddBuffer(text.data(), text.size(), "a.ini"));
  ASSERT_TRUE(pkg.AddBuffer(noise.data(), noise.size(), "b.bin"));
  ASSERT_TRUE(pkg.Save(dir / "good.pkg"));
  const auto good = ReadBytes(dir / "good.pkg");
  // Truncated anywhere: opening succeeds, reads fail or give the true bytes.
  for (size_t cut = 0; cut < good.size(); cut += good.size() / 50 + 1) {
    std::vector<uint8_t> part(good.begin(), good.begin() + static_cast<long>(cut));
    WriteBytes(dir / "cut.pkg", part);
    for (int memory = 0; memory < 2; ++memory) {
      CResFile r;
      ASSERT_TRUE(memory ? r.Open(part.data(), part.size()) || part.empty() : r.Open(dir / "cut.pkg"));
      std::vector<uint8_t> out;
      if (r.GetFileBytes("a.ini", out)) {
        EXPECT_TRUE(out == text);
      }
    }
  }
  // Random damage to the member area and tables.
  std::mt19937 rng(17);
  for (int round = 0; round < 200; ++round) {
    auto bad = good;
    for (int i = 0; i < 4; ++i) bad[20 + rng() % (bad.size() - 20)] = static_cast<uint8_t>(rng());
    WriteBytes(dir / "bad.pkg", bad);
    CResFile r;
    ASSERT_TRUE(r.Open(dir / "bad.pkg"));
    std::vector<uint8_t> out;
    for (size_t i = 0; i < r.GetFileCount(); ++i) r.GetFileBytes(r.GetEntry(i)->GetName().c_str(), out);
    CResFile m;
    ASSERT_TRUE(m.Open(bad.data(), bad.size()));
  }
  // A FAT entry pointing past the data region.
  CResFile raw;
  ASSERT_TRUE(raw.AddBuffer("abcdef", 6, "x"));
  ASSERT_TRUE(raw.Save(dir / "raw.pkg"));
  auto img = ReadBytes(dir / "raw.pkg");
  const size_t fat = 24 + 272 + 4 + LE32(img, 24 + 272) + 4;
  img[fat + 24] = 0xF0;  // data offset
  WriteBytes(dir / "raw.pkg", img);
  CResFile r;
  ASSERT_TRUE(r.Open(dir / "raw.pkg"));
  char buf[6];
  EXPECT_EQ(r.GetFileBuffer("x", buf, sizeof buf), CResFile::kFailed);
}

TEST(ResFile, CutTablesKeepTheUserBlockFromFileAsFromMemory) {
  TempDir dir;
  CResFile pkg;
  pkg.SetVersion(2, 4, 6);
  pkg.SetResName("Cut package");
  ASSERT_TRUE(pkg.AddBuffer("abcdef", 6, "x"));
  ASSERT_TRUE(pkg.Save(dir / "whole.pkg"));
  const auto whole = ReadBytes(dir / "whole.pkg");
  // Cut inside the data region's length word, inside the data region, and
  // inside the FAT: the user block before them reads the same both ways.
  const size_t data = 24 + 272;
  for (size_t cut : {data + 2, data + 8, whole.size() - 3}) {
    const std::vector<uint8_t> part(whole.begin(), whole.begin() + static_cast<long>(cut));
    WriteBytes(dir / "cut.pkg", part);
    CResFile fromFile;
    CResFile fromMemory;
    ASSERT_TRUE(fromFile.Open(dir / "cut.pkg"));
    ASSERT_TRUE(fromMemory.Open(part.data(), part.size()));
    EXPECT_EQ(fromFile.GetResName(), "Cut package") << cut;
    EXPECT_EQ(fromFile.GetMajorVer(), 2) << cut;
    EXPECT_TRUE(fromFile.GetUserBlock() == fromMemory.GetUserBlock()) << cut;
    EXPECT_EQ(fromFile.GetFileCount(), fromMemory.GetFileCount()) << cut;
  }
}

}  // namespace
}  // namespace quillon
