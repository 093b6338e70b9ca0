// Archive images: any bytes are either refused or read into a member list.
// Two engines read the same bytes, the memory engine from the image and the
// file engine from an archive file (members read on demand): an image the
// memory engine reads opens in the file engine with the same members, notes
// and version, and each member extracts to the same bytes of its size in both
// or is unreadable in both. The file engine also opens images whose members
// lie past the end (the memory engine refuses those; the members then fail to
// extract). A loaded image saves into an image that loads again with the same
// members, notes and stored bytes.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "filetools/CVmFileArchive.h"
#include "filetools/CVmMemArchive.h"
#include "fuzz/FuzzScratch.h"
#include "fuzz/FuzzTarget.h"

namespace {

using namespace quillon::filetools;

// Members claiming a huge size would only measure the allocator.
constexpr std::uint32_t kLargestExtracted = 1u << 24;

bool SameRecord(const CVmArchiveEntry& a, const CVmArchiveEntry& b) {
  return a.name == b.name && a.secondText == b.secondText && a.thirdText == b.thirdText && a.time == b.time &&
         a.size == b.size && a.compressed == b.compressed && a.minorVersion == b.minorVersion &&
         a.majorVersion == b.majorVersion && a.origin == b.origin && a.storedSize == b.storedSize;
}

const quillon::fuzz::ScratchFile& Scratch() {
  static const quillon::fuzz::ScratchFile file("quillon-archive-fuzz-", ".pkg");
  return file;
}

}  // namespace

QUILLON_FUZZ_TARGET(archive) {
  CVmMemArchive archive;
  const bool loaded = archive.Load(data, size);
  const auto& entries = archive.Entries();
  // Each member as the memory engine extracts it (unread: too large).
  std::vector<bool> readable(entries.size(), false);
  std::vector<std::vector<std::uint8_t>> members(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].size > kLargestExtracted) continue;
    readable[i] = archive.Extract(static_cast<int>(i), members[i]);
    if (readable[i]) QUILLON_FUZZ_CHECK(members[i].size() == entries[i].size);
    QUILLON_FUZZ_CHECK(archive.Find(entries[i].name) >= 0);
  }

  // The file engine reads the same bytes as an archive file. (An empty input
  // is no file of this test: the engine would take it for a new archive.)
  if (size > 0 && Scratch().Write(data, size)) {
    CVmFileArchive file;
    const bool opened = file.Open(Scratch().Path());
    if (loaded) QUILLON_FUZZ_CHECK(opened);
    if (opened && !loaded) {
      bool pastTheEnd = false;
      for (const CVmArchiveEntry& e : file.Entries())
        pastTheEnd = pastTheEnd || std::uint64_t{e.dataOffset} + e.storedSize > size;
      QUILLON_FUZZ_CHECK(pastTheEnd);
    }
    if (loaded && opened) {
      QUILLON_FUZZ_CHECK(file.Entries().size() == entries.size());
      QUILLON_FUZZ_CHECK(file.Notes() == archive.Notes());
      QUILLON_FUZZ_CHECK(file.Major() == archive.Major() && file.Minor() == archive.Minor() &&
                         file.Origin() == archive.Origin());
      for (std::size_t i = 0; i < entries.size(); ++i) {
        QUILLON_FUZZ_CHECK(SameRecord(file.Entries()[i], entries[i]));
        QUILLON_FUZZ_CHECK(file.Find(entries[i].name) == archive.Find(entries[i].name));
        if (entries[i].size > kLargestExtracted) continue;
        std::vector<std::uint8_t> fromFile;
        QUILLON_FUZZ_CHECK(file.Extract(static_cast<int>(i), fromFile) == readable[i]);
        QUILLON_FUZZ_CHECK(fromFile == members[i]);
      }
    }
    file.Abort();
  }
  if (!loaded) return 0;

  // Saved, the image holds every member's stored bytes unchanged, so each
  // extracts as before.
  std::vector<std::uint8_t> image;
  if (!archive.Save(image)) return 0;
  CVmMemArchive again;
  QUILLON_FUZZ_CHECK(again.Load(image.data(), image.size()));
  QUILLON_FUZZ_CHECK(again.Entries().size() == entries.size());
  QUILLON_FUZZ_CHECK(again.Notes() == archive.Notes());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    QUILLON_FUZZ_CHECK(SameRecord(again.Entries()[i], entries[i]));
    QUILLON_FUZZ_CHECK(again.Entries()[i].block == entries[i].block);
  }
  return 0;
}
