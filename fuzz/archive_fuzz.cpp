// Archive images: any bytes are either refused or read into a member list.
// Every member extracts or is reported unreadable, and a loaded image saves
// into an image that loads again with the same members.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "filetools/CVmMemArchive.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(archive) {
  using namespace quillon::filetools;
  CVmMemArchive archive;
  if (!archive.Load(data, size)) return 0;
  const auto& entries = archive.Entries();
  std::vector<bool> readable(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    // Members claiming a huge size would only measure the allocator.
    if (entries[i].size > (1u << 24)) continue;
    std::vector<std::uint8_t> bytes;
    readable[i] = archive.Extract(static_cast<int>(i), bytes);
    if (readable[i]) QUILLON_FUZZ_CHECK(bytes.size() == entries[i].size);
    (void)archive.Find(entries[i].name);
  }

  std::vector<std::uint8_t> image;
  if (!archive.Save(image)) return 0;
  CVmMemArchive again;
  QUILLON_FUZZ_CHECK(again.Load(image.data(), image.size()));
  QUILLON_FUZZ_CHECK(again.Entries().size() == entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    QUILLON_FUZZ_CHECK(again.Entries()[i].name == entries[i].name);
    QUILLON_FUZZ_CHECK(again.Entries()[i].size == entries[i].size);
  }
  QUILLON_FUZZ_CHECK(again.Notes() == archive.Notes());
  return 0;
}
