#pragma once
// The memory engine: an archive image held in memory. Every member's
// stored bytes live in a heap block owned by its entry; the image is saved
// by serialising it in the file layout.
#include <cstdint>
#include <vector>

#include "filetools/CVmArchive.h"

namespace quillon::filetools {

class CVmMemArchive final : public CVmArchive {
 public:
  // An empty image.
  CVmMemArchive() = default;
  // Parses an image; false when it is not a readable archive.
  bool Load(const uint8_t* data, size_t length);
  // The image in the file layout; entries' offsets then refer to it.
  bool Save(std::vector<uint8_t>& image);

  bool IsMemoryResident() const override { return true; }
  bool IsOpen() const override { return true; }
  std::string Path() const override { return {}; }
  void Abort() override { ResetState(); }

 protected:
  bool ReadStored(const CVmArchiveEntry& entry, uint32_t count, std::vector<uint8_t>& out) override;
  bool KeepStored(CVmArchiveEntry& entry, std::vector<uint8_t>& stored) override;
};

}  // namespace quillon::filetools
