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

// The archive file of this process: made once and rewritten for every input
// (creating and deleting a file per input costs more than the run itself),
// removed when the process ends.
const std::string& ScratchPath() {
  static const std::string path = [] {
    std::string made =
        (std::filesystem::temp_directory_path() / ("quillon-archive-fuzz-" + std::to_string(getpid()) + ".pkg"))
            .string();
    std::atexit([] { std::remove(ScratchPath().c_str()); });
    return made;
  }();
  return path;
}

// Puts DATA into the scratch file: written over the old contents and then
// cut to size (no truncation to zero first, which some file systems answer
// with a flush of the file on close).
bool WriteScratch(const std::uint8_t* data, std::size_t size) {
  const int fd = ::open(ScratchPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const bool written = done == size && ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  return ::close(fd) == 0 && written;
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
  if (size > 0 && WriteScratch(data, size)) {
    CVmFileArchive file;
    const bool opened = file.Open(ScratchPath());
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
