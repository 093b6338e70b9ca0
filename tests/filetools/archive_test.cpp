// The archive component through its vtable: opening and creating, adding,
// replacing, writing with the backup rename, the memory engine, version
// rules, and corrupt archives failing cleanly.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/filetools/ArchiveImages.h"
#include "tests/filetools/ComTestSupport.h"
#include "tests/filetools/TempFolder.h"

namespace quillon::filetools {
namespace {

using namespace com;

struct ArchiveTest : ::testing::Test {
  TempFolder dir;
  ComPtr<IVelmorArchive> archive = MakeArchive();

  std::string Put(const std::string& name, const std::string& bytes) {
    const std::string path = dir.Path(name);
    WriteFile(path, bytes);
    return path;
  }
  HRESULT Open(const std::string& path) { return archive->Open(ComBstr(path).Get()); }
  HRESULT Add(const std::string& path) { return archive->AddFile(ComBstr(path).Get()); }
  HRESULT AddAs(const std::string& path, const std::string& name) {
    return archive->AddFileAs(ComBstr(path).Get(), ComBstr(name).Get());
  }
  int32_t Count() {
    int32_t n = -1;
    archive->GetFileCount(&n);
    return n;
  }
  std::string Extract(const std::string& name) {
    Variant out;
    EXPECT_EQ(archive->ExtractToBuffer(ComBstr(name).Get(), out.Get()), S_OK) << name;
    return out.Bytes();
  }
  // Files in the folder other than the ones named.
  std::vector<std::string> Leftovers(const std::vector<std::string>& keep) {
    std::vector<std::string> extra;
    for (const auto& e : std::filesystem::directory_iterator(dir.Root())) {
      const std::string name = e.path().filename().string();
      if (std::find(keep.begin(), keep.end(), name) == keep.end()) extra.push_back(name);
    }
    return extra;
  }
};

std::string Text(size_t n) {
  std::string s;
  while (s.size() < n) s += "FUNCTION POWER ON; FUNCTION POWER OFF; ";
  s.resize(n);
  return s;
}

TEST_F(ArchiveTest, OpeningAMissingPathCreatesAnEmptyFileThatAbortDeletes) {
  const std::string path = dir.Path("new.pkg");
  EXPECT_EQ(Open(path), S_OK);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(archive->IsOpen(), S_OK);
  EXPECT_EQ(archive->ArchiveIsEmpty(), S_OK);
  EXPECT_EQ(archive->Abort(), S_OK);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(archive->IsOpen(), S_FALSE);
  int32_t n = 7;
  EXPECT_EQ(archive->GetFileCount(&n), E_FAIL);
}

TEST_F(ArchiveTest, FlushOfANewArchiveWritesItAndItIsNoLongerDeletedByAbort) {
  const std::string path = dir.Path("new.pkg");
  const std::string text = Text(5000);
  const std::string member = Put("Driver.vir", text);
  ASSERT_EQ(Open(path), S_OK);
  ASSERT_EQ(Add(member), S_OK);
  EXPECT_EQ(archive->ArchiveIsTemporal(), S_OK);
  EXPECT_EQ(archive->ArchiveIsDirty(), S_OK);
  ASSERT_EQ(archive->Flush(), S_OK);
  EXPECT_EQ(archive->ArchiveIsTemporal(), S_FALSE);
  EXPECT_EQ(archive->ArchiveIsDirty(), S_OK);  // writing leaves the flag alone
  EXPECT_EQ(Extract("driver.vir"), text);
  EXPECT_EQ(archive->Abort(), S_OK);
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(Leftovers({"new.pkg", "Driver.vir"}), std::vector<std::string>{});

  int32_t origin = -1, minor = -1, major = -1;
  EXPECT_EQ(archive->IsValidArchive(ComBstr(path).Get(), &origin, &minor, &major), S_OK);
  EXPECT_EQ(major, 5);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(origin, 0);
  ASSERT_EQ(Open(path), S_OK);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(archive->IsCompressed(ComBstr("DRIVER.VIR").Get()), S_OK);
  EXPECT_EQ(Extract("Driver.vir"), text);
}

TEST_F(ArchiveTest, MembersAndNotesSurviveAWriteAndReopen) {
  const std::string path = dir.Path("round.pkg");
  ASSERT_EQ(Open(path), S_OK);
  const std::string a = Text(3000);
  const std::string b = "\x01\x02\x03";  // too short to compress
  ASSERT_EQ(Add(Put("a.ini", a)), S_OK);
  ASSERT_EQ(Add(Put("b.bin", b)), S_OK);
  Variant buffer(std::string("from memory \xE9", 14));
  ASSERT_EQ(archive->AddBuffer(buffer.Get(), ComBstr("c.txt").Get()), S_OK);
  ASSERT_EQ(archive->SetArchiveNotes(ComBstr("Notes \xC3\xA9t\xC3\xA9").Get()), S_OK);  // UTF-8 "été"
  ASSERT_EQ(archive->Close(ComBstr("").Get()), S_OK);
  EXPECT_EQ(archive->IsOpen(), S_FALSE);

  ASSERT_EQ(Open(path), S_OK);
  ASSERT_EQ(Count(), 3);
  ComBstr name;
  ASSERT_EQ(archive->IndexedGetName(0, name.Out()), S_OK);
  EXPECT_EQ(name.Utf8(), "a.ini");
  ASSERT_EQ(archive->IndexedGetName(2, name.Out()), S_OK);
  EXPECT_EQ(name.Utf8(), "c.txt");
  EXPECT_EQ(Extract("a.ini"), a);
  EXPECT_EQ(Extract("b.bin"), b);
  EXPECT_EQ(Extract("c.txt"), std::string("from memory \xE9", 14));
  EXPECT_EQ(archive->IndexedIsCompressed(0), S_OK);
  EXPECT_EQ(archive->IndexedIsCompressed(1), S_FALSE);
  int32_t size = 0;
  EXPECT_EQ(archive->IndexedGetSize(1, &size), S_OK);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(archive->IndexedGetCompressedSize(1, &size), S_OK);
  EXPECT_EQ(size, 3);
  EXPECT_EQ(archive->GetCompressedSize(ComBstr("a.ini").Get(), &size), S_OK);
  EXPECT_LT(size, 3000);
  ComBstr notes;
  ASSERT_EQ(archive->GetArchiveNotes(notes.Out()), S_OK);
  EXPECT_EQ(notes.Utf8(), "Notes \xC3\xA9t\xC3\xA9");
  // The notes are stored in the single-byte code page.
  archive->Abort();
  const std::string decoded = DecodedDirectory(ReadFile(path));
  EXPECT_NE(decoded.find("Notes \xE9t\xE9"), std::string::npos);
}

TEST_F(ArchiveTest, AnEmptyArchiveStillHasADirectoryOfEightBytes) {
  const std::string path = dir.Path("empty.pkg");
  ASSERT_EQ(Open(path), S_OK);
  ASSERT_EQ(archive->SetArchiveNotes(ComBstr("x").Get()), S_OK);
  ASSERT_EQ(archive->SetArchiveNotes(ComBstr("").Get()), S_OK);
  ASSERT_EQ(archive->Close(ComBstr("").Get()), S_OK);
  const std::string raw = ReadFile(path);
  ASSERT_GE(raw.size(), 36u);
  EXPECT_EQ(raw.substr(0, 8), "RMLVGKPV");
  EXPECT_EQ(DirectoryOffset(raw), 32u);
  EXPECT_EQ(raw.substr(32, 4), std::string("\x08\0\0\0", 4));
  // Count 0 and an empty notes string.
  EXPECT_EQ(raw.substr(36), Lzss(std::string(8, '\0')));
  // Closing a new archive without changes still leaves a valid archive.
  const std::string untouched = dir.Path("untouched.pkg");
  ASSERT_EQ(Open(untouched), S_OK);
  ASSERT_EQ(archive->Close(ComBstr("").Get()), S_OK);
  EXPECT_EQ(ReadFile(untouched), raw);
}

TEST_F(ArchiveTest, StoredCompressedOnlyWhenStrictlySmaller) {
  // Find two inputs: one whose LZSS size equals its length, one whose LZSS
  // size is one byte shorter.
  std::string equal, shorter;
  for (int letters = 1; letters < 40 && (equal.empty() || shorter.empty()); ++letters) {
    for (int spaces = 0; spaces < 40; ++spaces) {
      std::string s;
      for (int i = 0; i < letters; ++i) s += static_cast<char>('A' + i % 26 + (i / 26) * 32);
      s += std::string(static_cast<size_t>(spaces), ' ');
      const int32_t c = BufferCompressedSize(reinterpret_cast<const uint8_t*>(s.data()), static_cast<int32_t>(s.size()));
      if (c == static_cast<int32_t>(s.size()) && equal.empty()) equal = s;
      if (c == static_cast<int32_t>(s.size()) - 1 && shorter.empty()) shorter = s;
    }
  }
  ASSERT_FALSE(equal.empty());
  ASSERT_FALSE(shorter.empty());
  ASSERT_EQ(Open(dir.Path("sizes.pkg")), S_OK);
  ASSERT_EQ(Add(Put("equal.bin", equal)), S_OK);
  ASSERT_EQ(Add(Put("shorter.bin", shorter)), S_OK);
  EXPECT_EQ(archive->IsCompressed(ComBstr("equal.bin").Get()), S_FALSE);
  EXPECT_EQ(archive->IsCompressed(ComBstr("shorter.bin").Get()), S_OK);
  int32_t stored = 0;
  archive->GetCompressedSize(ComBstr("shorter.bin").Get(), &stored);
  EXPECT_EQ(stored, static_cast<int32_t>(shorter.size()) - 1);
  ASSERT_EQ(archive->Flush(), S_OK);
  EXPECT_EQ(Extract("equal.bin"), equal);
  EXPECT_EQ(Extract("shorter.bin"), shorter);
}

TEST_F(ArchiveTest, MemberNamesDropTheirFolderAndCompareWithoutCase) {
  ASSERT_EQ(Open(dir.Path("names.pkg")), S_OK);
  const std::string source = Put("whatever.dat", "12345");
  ASSERT_EQ(AddAs(source, "C:\\dir\\Name.INI"), S_OK);
  EXPECT_EQ(archive->IsInArchive(ComBstr("name.ini").Get()), S_OK);
  EXPECT_EQ(archive->IsInArchive(ComBstr("/other/folder/NAME.ini").Get()), S_OK);
  ComBstr name;
  archive->IndexedGetName(0, name.Out());
  EXPECT_EQ(name.Utf8(), "Name.INI");
  int32_t index = 9;
  EXPECT_EQ(archive->GetIndex(ComBstr("NAME.INI").Get(), &index), S_OK);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(archive->GetIndex(ComBstr("missing.ini").Get(), &index), E_FAIL);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(archive->IsInArchive(ComBstr("").Get()), E_INVALIDARG);
  EXPECT_EQ(archive->GetSize(ComBstr("missing").Get(), &index), S_OK);
  EXPECT_EQ(index, 0);
}

TEST_F(ArchiveTest, ReplacingAMemberKeepsItsPlaceAndResetsVersionAndOrigin) {
  const std::string path = Put("versions.pkg", BuildImage({{"one.txt", "first", 1, 2, 3, "second text", "third"},
                                                           {"two.txt", "second", 4, 5, 6}},
                                                          "kept notes", 7, 8, 9));
  ASSERT_EQ(Open(path), S_OK);
  int32_t minor = 0, major = 0, origin = 0;
  EXPECT_EQ(archive->GetVersion(ComBstr("one.txt").Get(), &minor, &major), S_OK);
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 2);
  EXPECT_EQ(archive->GetOrigin(ComBstr("one.txt").Get(), &origin), S_OK);
  EXPECT_EQ(origin, 3);
  EXPECT_EQ(archive->GetArchiveVersion(&minor, &major), S_OK);
  EXPECT_EQ(major, 7);
  EXPECT_EQ(minor, 8);
  EXPECT_EQ(archive->GetArchiveOrigin(&origin), S_OK);
  EXPECT_EQ(origin, 9);

  ASSERT_EQ(AddAs(Put("new.txt", "replacement bytes"), "ONE.TXT"), S_OK);
  EXPECT_EQ(Count(), 2);
  ComBstr name;
  archive->IndexedGetName(0, name.Out());
  EXPECT_EQ(name.Utf8(), "one.txt");
  EXPECT_EQ(archive->IndexedGetVersion(0, &minor, &major), S_OK);
  EXPECT_EQ(major, 0);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(archive->IndexedGetOrigin(0, &origin), S_OK);
  EXPECT_EQ(origin, 0);
  EXPECT_EQ(archive->IndexedGetOrigin(1, &origin), S_OK);
  EXPECT_EQ(origin, 6);
  ASSERT_EQ(archive->Close(ComBstr("").Get()), S_OK);

  // The untouched member, the archive version and the entry texts survive.
  ASSERT_EQ(Open(path), S_OK);
  EXPECT_EQ(Extract("one.txt"), "replacement bytes");
  EXPECT_EQ(Extract("two.txt"), "second");
  EXPECT_EQ(archive->GetArchiveVersion(&minor, &major), S_OK);
  EXPECT_EQ(major, 7);
  EXPECT_EQ(archive->IndexedGetVersion(1, &minor, &major), S_OK);
  EXPECT_EQ(major, 4);
  EXPECT_EQ(minor, 5);
  archive->Abort();
  const std::string directory = DecodedDirectory(ReadFile(path));
  EXPECT_NE(directory.find("second text"), std::string::npos);
  EXPECT_NE(directory.find("third"), std::string::npos);
  EXPECT_NE(directory.find("kept notes"), std::string::npos);
}

TEST_F(ArchiveTest, VersionZeroPointFiveReadsAsFivePointZero) {
  const std::string image = BuildImage({{"a.txt", "abc"}}, "", 0, 5, 17);
  const std::string path = Put("old.pke", image);
  int32_t origin = 0, minor = -1, major = -1;
  EXPECT_EQ(archive->IsValidArchive(ComBstr(path).Get(), &origin, &minor, &major), S_OK);
  EXPECT_EQ(major, 5);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(origin, 17);
  ASSERT_EQ(Open(path), S_OK);
  EXPECT_EQ(archive->GetArchiveVersion(&minor, &major), S_OK);
  EXPECT_EQ(major, 5);
  EXPECT_EQ(minor, 0);
  Variant buffer(image);
  ASSERT_EQ(archive->OpenBuffer(buffer.Get()), S_OK);
  EXPECT_EQ(archive->GetArchiveVersion(&minor, &major), S_OK);
  EXPECT_EQ(major, 5);
  EXPECT_EQ(minor, 0);
  EXPECT_EQ(archive->GetArchiveOrigin(&origin), S_OK);
  EXPECT_EQ(origin, 17);
}

TEST_F(ArchiveTest, IsValidArchiveWantsAnArchiveExtensionAndHeader) {
  const std::string image = BuildImage({{"a.txt", "abc"}}, "");
  for (const char* name : {"a.PKG", "b.pki", "c.Pku", "d.pke"})
    EXPECT_EQ(archive->IsValidArchive(ComBstr(Put(name, image)).Get(), nullptr, nullptr, nullptr), S_OK) << name;
  EXPECT_EQ(archive->IsValidArchive(ComBstr(Put("e.zip", image)).Get(), nullptr, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(archive->IsValidArchive(ComBstr(Put("short.pkg", image.substr(0, 31))).Get(), nullptr, nullptr, nullptr),
            S_FALSE);
  std::string badKind = image;
  badKind[4] = 'X';
  EXPECT_EQ(archive->IsValidArchive(ComBstr(Put("kind.pkg", badKind)).Get(), nullptr, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(archive->IsValidArchive(ComBstr(dir.Path("missing.pkg")).Get(), nullptr, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(archive->IsValidArchive(ComBstr("").Get(), nullptr, nullptr, nullptr), E_INVALIDARG);
  // The other kinds are accepted.
  std::string pke = image;
  Patch32(pke, 4, CVmArchiveHeader::kKindPke);
  EXPECT_EQ(archive->IsValidArchive(ComBstr(Put("kind2.pkg", pke)).Get(), nullptr, nullptr, nullptr), S_OK);
}

TEST_F(ArchiveTest, FlushRewritesButFlushAsToTheSamePathWithoutChangesDoesNothing) {
  const std::string path = Put("same.pkg", BuildImage({{"a.txt", Text(100)}}, "n"));
  ASSERT_EQ(Open(path), S_OK);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  ASSERT_EQ(archive->FlushAs(ComBstr(path).Get()), S_OK);
  struct stat same {};
  ASSERT_EQ(::stat(path.c_str(), &same), 0);
  EXPECT_EQ(same.st_ino, before.st_ino);
  ASSERT_EQ(archive->Flush(), S_OK);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);  // written anew and renamed into place
  EXPECT_EQ(Extract("a.txt"), Text(100));
  EXPECT_EQ(Leftovers({"same.pkg"}), std::vector<std::string>{});
}

TEST_F(ArchiveTest, FlushAsToAnotherExistingFileReplacesItAndAdoptsThePath) {
  const std::string path = Put("src.pkg", BuildImage({{"a.txt", "alpha"}}, ""));
  const std::string other = Put("dest.pkg", "old contents");
  ASSERT_EQ(Open(path), S_OK);
  ASSERT_EQ(archive->FlushAs(ComBstr(other).Get()), S_OK);
  ComBstr adopted;
  archive->GetArchivePath(adopted.Out());
  EXPECT_EQ(adopted.Utf8(), other);
  ComBstr name;
  EXPECT_EQ(archive->GetArchiveName(name.Out()), S_OK);
  EXPECT_EQ(name.Utf8(), "dest.pkg");
  EXPECT_EQ(Extract("a.txt"), "alpha");
  archive->Abort();
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(archive->IsValidArchive(ComBstr(other).Get(), nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(Leftovers({"src.pkg", "dest.pkg"}), std::vector<std::string>{});
}

TEST_F(ArchiveTest, CloseReportsAFailedWriteAndKeepsTheArchive) {
  const std::string path = dir.Path("keep.pkg");
  ASSERT_EQ(Open(path), S_OK);
  ASSERT_EQ(Add(Put("a.txt", Text(500))), S_OK);
  EXPECT_EQ(archive->Close(ComBstr(dir.Path("no/such/folder/x.pkg")).Get()), E_FAIL);
  EXPECT_EQ(archive->IsOpen(), S_OK);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(Extract("a.txt"), Text(500));
  EXPECT_EQ(archive->Close(ComBstr("").Get()), S_OK);
  EXPECT_EQ(archive->IsOpen(), S_FALSE);
  EXPECT_EQ(archive->Close(ComBstr("").Get()), E_FAIL);  // nothing current
}

TEST_F(ArchiveTest, RemovingMembersAndTheirPendingFiles) {
  ASSERT_EQ(Open(dir.Path("rm.pkg")), S_OK);
  ASSERT_EQ(Add(Put("a.txt", Text(300))), S_OK);
  ASSERT_EQ(Add(Put("b.txt", Text(400))), S_OK);
  EXPECT_EQ(archive->Remove(ComBstr("A.TXT").Get()), S_OK);
  EXPECT_EQ(archive->Remove(ComBstr("a.txt").Get()), E_FAIL);
  EXPECT_EQ(Count(), 1);
  EXPECT_EQ(archive->RemoveAll(), S_OK);
  EXPECT_EQ(archive->ArchiveIsEmpty(), S_OK);
  EXPECT_EQ(archive->ArchiveIsTemporal(), S_FALSE);
  EXPECT_EQ(Leftovers({"rm.pkg", "a.txt", "b.txt"}), std::vector<std::string>{});
}

TEST_F(ArchiveTest, AddingNeedsAnExistingNonEmptySource) {
  ASSERT_EQ(Open(dir.Path("add.pkg")), S_OK);
  EXPECT_EQ(Add(dir.Path("missing.txt")), E_FAIL);
  EXPECT_EQ(Add(Put("empty.txt", "")), E_FAIL);
  EXPECT_EQ(Add(dir.Root()), E_FAIL);
  EXPECT_EQ(Add(""), E_INVALIDARG);
  Variant empty(std::string{});
  EXPECT_EQ(archive->AddBuffer(empty.Get(), ComBstr("x").Get()), E_FAIL);
  Variant notArray;
  EXPECT_EQ(archive->AddBuffer(notArray.Get(), ComBstr("x").Get()), E_INVALIDARG);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(archive->ArchiveIsDirty(), S_FALSE);
  EXPECT_EQ(Leftovers({"add.pkg", "empty.txt"}), std::vector<std::string>{});
}

TEST_F(ArchiveTest, ExtractToFileWritesTheUncompressedBytes) {
  const std::string text = Text(10000);
  ASSERT_EQ(Open(dir.Path("x.pkg")), S_OK);
  ASSERT_EQ(Add(Put("a.txt", text)), S_OK);
  ASSERT_EQ(archive->ExtractToFile(ComBstr("a.txt").Get(), ComBstr(dir.Path("pending.out")).Get()), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("pending.out")), text);
  ASSERT_EQ(archive->Flush(), S_OK);
  ASSERT_EQ(archive->ExtractToFile(ComBstr("a.txt").Get(), ComBstr(dir.Path("stored.out")).Get()), S_OK);
  EXPECT_EQ(ReadFile(dir.Path("stored.out")), text);
  EXPECT_EQ(archive->ExtractToFile(ComBstr("b.txt").Get(), ComBstr(dir.Path("b.out")).Get()), E_FAIL);
}

TEST_F(ArchiveTest, MemoryImagesAreReadChangedAndSaved) {
  // Null pointer: an empty image.
  ASSERT_EQ(archive->OpenBuffer(nullptr), S_OK);
  EXPECT_EQ(archive->ArchiveIsMemoryResident(), S_OK);
  EXPECT_EQ(archive->IsOpen(), S_OK);
  Variant data(Text(2000));
  ASSERT_EQ(archive->AddBuffer(data.Get(), ComBstr("dir\\inner.ini").Get()), S_OK);
  ASSERT_EQ(AddAs(Put("f.txt", "file bytes"), "f.txt"), S_OK);
  EXPECT_EQ(archive->ArchiveIsTemporal(), S_FALSE);
  EXPECT_EQ(archive->Flush(), E_FAIL);  // an image has no file
  EXPECT_EQ(archive->FlushAs(ComBstr(dir.Path("img.pkg")).Get()), E_FAIL);
  ComBstr name;
  EXPECT_EQ(archive->GetArchiveName(name.Out()), S_FALSE);
  archive->SetArchiveNotes(ComBstr("image notes").Get());
  archive->SetArchiveVersion(4, 3, 2, 0);
  Variant image;
  ASSERT_EQ(archive->CloseBuffer(image.Get()), S_OK);
  EXPECT_EQ(archive->IsOpen(), S_FALSE);

  // The saved image reads back, in memory and as a file.
  ASSERT_EQ(archive->OpenBuffer(image.Get()), S_OK);
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Extract("inner.ini"), Text(2000));
  EXPECT_EQ(Extract("f.txt"), "file bytes");
  int32_t minor = 0, major = 0, origin = 0;
  archive->GetArchiveVersion(&minor, &major);
  archive->GetArchiveOrigin(&origin);
  EXPECT_EQ(major, 2);
  EXPECT_EQ(minor, 3);
  EXPECT_EQ(origin, 4);
  const std::string path = Put("img.pkg", image.Bytes());
  ASSERT_EQ(Open(path), S_OK);
  EXPECT_EQ(archive->ArchiveIsMemoryResident(), S_FALSE);
  EXPECT_EQ(Extract("inner.ini"), Text(2000));
  ComBstr notes;
  archive->GetArchiveNotes(notes.Out());
  EXPECT_EQ(notes.Utf8(), "image notes");
  // A file archive serialises to the same bytes.
  Variant again;
  ASSERT_EQ(archive->FlushToBuffer(again.Get()), S_OK);
  EXPECT_EQ(again.Bytes(), image.Bytes());
}

TEST_F(ArchiveTest, OpenBufferRejectsOtherVariants) {
  Variant empty;
  EXPECT_EQ(archive->OpenBuffer(empty.Get()), E_INVALIDARG);
  Variant none(std::string{});
  EXPECT_EQ(archive->OpenBuffer(none.Get()), E_INVALIDARG);
  Variant garbage(std::string("not an archive at all, just some bytes"));
  EXPECT_EQ(archive->OpenBuffer(garbage.Get()), E_FAIL);
  EXPECT_EQ(archive->IsOpen(), S_FALSE);
}

TEST_F(ArchiveTest, NoCurrentArchive) {
  int32_t n = 5;
  EXPECT_EQ(archive->GetFileCount(&n), E_FAIL);
  EXPECT_EQ(archive->Flush(), E_FAIL);
  EXPECT_EQ(archive->ArchiveIsDirty(), S_FALSE);
  EXPECT_EQ(archive->IsInArchive(ComBstr("a").Get()), S_FALSE);
  EXPECT_EQ(archive->IndexedGetSize(0, &n), E_FAIL);
  EXPECT_EQ(archive->SetArchiveVersion(1, 2, 3, 0), E_FAIL);
  EXPECT_EQ(archive->Abort(), S_OK);
  EXPECT_EQ(archive->GetFileCount(nullptr), E_INVALIDARG);
  EXPECT_EQ(archive->SetWriteMode(1), S_OK);
  EXPECT_EQ(archive->Open(ComBstr("").Get()), E_INVALIDARG);
}

// --- corrupt archives ----------------------------------------------------------

struct CorruptArchiveTest : ArchiveTest {
  std::string good = BuildImage({{"a.txt", Text(200)}, {"b.txt", "bee"}}, "notes");

  // Expects both engines to refuse the image.
  void ExpectRefused(const std::string& image, const char* what) {
    SCOPED_TRACE(what);
    const std::string path = Put("bad.pkg", image);
    EXPECT_EQ(Open(path), E_FAIL);
    EXPECT_EQ(Count(), 0);
    archive->Abort();
    EXPECT_TRUE(std::filesystem::exists(path));  // an existing file is never deleted
    Variant buffer(image);
    EXPECT_EQ(archive->OpenBuffer(buffer.Get()), image.empty() ? E_INVALIDARG : E_FAIL);
    EXPECT_EQ(archive->IsOpen(), S_FALSE);
  }
};

TEST_F(CorruptArchiveTest, HeaderAndDirectoryDamageIsRefused) {
  ASSERT_EQ(Open(Put("good.pkg", good)), S_OK);
  archive->Abort();
  std::string image = good;
  image[0] = 'X';
  ExpectRefused(image, "bad magic");
  image = good;
  Patch32(image, 4, 0x12345678);
  ExpectRefused(image, "bad kind");
  image = good;
  Patch32(image, 28, 0);
  ExpectRefused(image, "directory offset 0");
  image = good;
  Patch32(image, 28, static_cast<uint32_t>(good.size()));
  ExpectRefused(image, "directory offset at the end");
  image = good;
  Patch32(image, DirectoryOffset(good), 0);
  ExpectRefused(image, "directory size 0");
  image = good;
  Patch32(image, DirectoryOffset(good), 0x7FFFFFF0);
  ExpectRefused(image, "absurd directory size");
  ExpectRefused(good.substr(0, DirectoryOffset(good) + 4), "no directory bytes");
  ExpectRefused(good.substr(0, good.size() - 3), "truncated directory stream");
  ExpectRefused(good.substr(0, 20), "truncated header");
  ExpectRefused("", "empty file");
}

TEST_F(CorruptArchiveTest, StringsAndCountsLongerThanTheDirectoryAreRefused) {
  // A directory whose first name claims more bytes than there are.
  std::string directory;
  directory += std::string("\x01\0\0\0", 4);
  directory += std::string("\xFF\xFF\0\0", 4);
  directory += "short";
  std::string image = good.substr(0, DirectoryOffset(good) + 4);
  Patch32(image, DirectoryOffset(good), static_cast<uint32_t>(directory.size()));
  ExpectRefused(image + Lzss(directory), "name longer than the directory");
  // An entry count no directory of this size can hold.
  directory = std::string("\xFF\xFF\xFF\x0F", 4) + std::string(100, '\0');
  Patch32(image, DirectoryOffset(good), static_cast<uint32_t>(directory.size()));
  ExpectRefused(image + Lzss(directory), "absurd entry count");
}

TEST_F(CorruptArchiveTest, MembersRunningPastTheDataFailToExtract) {
  // Make a member's stored size run past the end of the file.
  const std::vector<ImageMember> members{{"a.txt", Text(200)}, {"b.txt", "bee"}};
  std::string image = BuildImage(members, "");
  const uint32_t dirAt = DirectoryOffset(image);
  std::string directory = DecodedDirectory(image);
  // First entry: name "a.txt" (4+5), two empty strings (8), time (36), size.
  const size_t sizeAt = 4 + 9 + 8 + 36;
  Patch32(directory, sizeAt, 0x10000000);           // size
  Patch32(directory, sizeAt + 8, 0x10000000);       // stored size
  std::string broken = image.substr(0, dirAt + 4) + Lzss(directory);
  const std::string path = Put("past.pkg", broken);
  ASSERT_EQ(Open(path), S_OK);
  Variant out;
  EXPECT_EQ(archive->ExtractToBuffer(ComBstr("a.txt").Get(), out.Get()), E_FAIL);
  EXPECT_EQ(archive->ExtractToFile(ComBstr("a.txt").Get(), ComBstr(dir.Path("a.out")).Get()), E_FAIL);
  EXPECT_EQ(Extract("b.txt"), "bee");
  // Writing the archive fails and leaves the file as it was.
  EXPECT_EQ(archive->SetArchiveNotes(ComBstr("change").Get()), S_OK);
  EXPECT_EQ(archive->Flush(), E_FAIL);
  EXPECT_EQ(ReadFile(path), broken);
  archive->Abort();
  // The memory engine refuses the whole image.
  Variant buffer(broken);
  EXPECT_EQ(archive->OpenBuffer(buffer.Get()), E_FAIL);
}

TEST_F(CorruptArchiveTest, ACompressedMemberThatDecodesShortFails) {
  std::string image = BuildImage({{"a.txt", "x"}}, "");
  // Mark the member compressed with a size its one stored byte cannot give.
  const uint32_t dirAt = DirectoryOffset(image);
  std::string directory = DecodedDirectory(image);
  const size_t sizeAt = 4 + 9 + 8 + 36;
  Patch32(directory, sizeAt, 5);
  directory[sizeAt + 4] = 1;  // compressed
  const std::string path = Put("short.pkg", image.substr(0, dirAt + 4) + Lzss(directory));
  ASSERT_EQ(Open(path), S_OK);
  Variant out;
  EXPECT_EQ(archive->ExtractToBuffer(ComBstr("a.txt").Get(), out.Get()), E_FAIL);
}

TEST_F(CorruptArchiveTest, AnUncompressedMemberStoredShortFailsInBothEngines) {
  const std::string image = BuildImage({{"a.txt", "abc"}, {"b.txt", "bee"}}, "");
  // a.txt claims 5 bytes but stores 3: its 5 bytes would run into b.txt.
  const uint32_t dirAt = DirectoryOffset(image);
  std::string directory = DecodedDirectory(image);
  const size_t sizeAt = 4 + 9 + 8 + 36;
  Patch32(directory, sizeAt, 5);
  const std::string broken = image.substr(0, dirAt + 4) + Lzss(directory);
  ASSERT_EQ(Open(Put("short.pkg", broken)), S_OK);
  Variant out;
  EXPECT_EQ(archive->ExtractToBuffer(ComBstr("a.txt").Get(), out.Get()), E_FAIL);
  EXPECT_EQ(Extract("b.txt"), "bee");
  archive->Abort();
  Variant buffer(broken);
  ASSERT_EQ(archive->OpenBuffer(buffer.Get()), S_OK);
  Variant fromImage;
  EXPECT_EQ(archive->ExtractToBuffer(ComBstr("a.txt").Get(), fromImage.Get()), E_FAIL);
  EXPECT_EQ(Extract("b.txt"), "bee");
}

}  // namespace
}  // namespace quillon::filetools
