// Resource package images: any bytes open (a damaged layout leaves the parts
// that could not be read empty), both from memory (every member decoded at
// once) and from a package file (members read on demand). The two read paths
// agree on everything: header, user block, the member list and each member's
// bytes, and a member is either unreadable on both or gives the same bytes of
// the size its table entry gives. Copying a member into a buffer gives the
// same bytes, and a buffer one byte short is refused.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzScratch.h"
#include "fuzz/FuzzTarget.h"
#include "pkgreader/ResFile.h"

namespace {

using quillon::CResFile;

struct Member {
  std::string name;
  std::string folder;
  long size = -1;
  bool readable = false;
  std::vector<std::uint8_t> bytes;
};

// Every listed member as the package gives it, looked up by name and folder.
std::vector<Member> ReadMembers(CResFile& package) {
  (void)package.GetResName();
  // Copy the names first: loading a member may change the entries.
  std::vector<Member> members;
  for (std::size_t i = 0; i < package.GetFileCount(); ++i) {
    const quillon::CResFATEntry* entry = package.GetEntry(i);
    QUILLON_FUZZ_CHECK(entry != nullptr);
    members.push_back(Member{entry->GetName(), entry->GetFolder(), -1, false, {}});
  }
  for (Member& member : members) {
    const char* in = member.folder.empty() ? nullptr : member.folder.c_str();
    member.size = package.GetFileSize(member.name.c_str(), in);
    QUILLON_FUZZ_CHECK(member.size >= 0);
    member.readable = package.GetFileBytes(member.name.c_str(), member.bytes, in);
    if (!member.readable) {
      QUILLON_FUZZ_CHECK(member.bytes.empty());
      continue;
    }
    QUILLON_FUZZ_CHECK(member.bytes.size() == static_cast<std::size_t>(member.size));
    // A buffer of the member's size receives the same bytes; one byte less is refused.
    std::vector<std::uint8_t> copy(member.bytes.size() + 1, 0xA5);
    QUILLON_FUZZ_CHECK(package.GetFileBuffer(member.name.c_str(), copy.data(), member.bytes.size(), in) ==
                       CResFile::kSuccess);
    QUILLON_FUZZ_CHECK(std::equal(member.bytes.begin(), member.bytes.end(), copy.begin()));
    QUILLON_FUZZ_CHECK(copy.back() == 0xA5);
    if (!member.bytes.empty())
      QUILLON_FUZZ_CHECK(package.GetFileBuffer(member.name.c_str(), copy.data(), member.bytes.size() - 1, in) ==
                         CResFile::kFailed);
    (void)CResFile::IsSafeFileName(member.name);
  }
  return members;
}

const quillon::fuzz::ScratchFile& Scratch() {
  static const quillon::fuzz::ScratchFile file("quillon-pkg-fuzz-", ".pke");
  return file;
}

}  // namespace

QUILLON_FUZZ_TARGET(pkg) {
  if (!CResFile::IsValidFormat(data, size)) {
    CResFile package;
    package.Open(data, size);  // not a package: opening must still be safe
    return 0;
  }
  CResFile image;
  QUILLON_FUZZ_CHECK(image.Open(data, size));
  const std::vector<Member> fromImage = ReadMembers(image);

  if (!Scratch().Write(data, size)) return 0;
  CResFile package;
  QUILLON_FUZZ_CHECK(package.Open(Scratch().Path()));
  const std::vector<Member> fromFile = ReadMembers(package);

  QUILLON_FUZZ_CHECK(package.GetHeader() == image.GetHeader());
  QUILLON_FUZZ_CHECK(package.GetUserBlock() == image.GetUserBlock());
  QUILLON_FUZZ_CHECK(fromFile.size() == fromImage.size());
  for (std::size_t i = 0; i < fromFile.size(); ++i) {
    QUILLON_FUZZ_CHECK(fromFile[i].name == fromImage[i].name && fromFile[i].folder == fromImage[i].folder);
    QUILLON_FUZZ_CHECK(fromFile[i].size == fromImage[i].size);
    QUILLON_FUZZ_CHECK(fromFile[i].readable == fromImage[i].readable);
    QUILLON_FUZZ_CHECK(fromFile[i].bytes == fromImage[i].bytes);
  }
  return 0;
}
