#include "filetools/CVmMemArchive.h"

#include <climits>

#include "filetools/CVmArchiveFormat.h"
#include "filetools/LzssOperations.h"

namespace quillon::filetools {

bool CVmMemArchive::Load(const uint8_t* data, size_t length) {
  ResetState();
  if (!data || length < CVmArchiveHeader::kSize || length > INT32_MAX) return false;
  CVmArchiveHeader header = CVmArchiveHeader::Parse(data);
  header.ApplyVersionRule();
  if (!header.HasValidMagicAndKind() || header.directoryOffset == 0 || header.directoryOffset >= length ||
      length - header.directoryOffset < 4)
    return false;
  const uint8_t* sizeWord = data + header.directoryOffset;
  const uint32_t dirSize = uint32_t{sizeWord[0]} | (uint32_t{sizeWord[1]} << 8) | (uint32_t{sizeWord[2]} << 16) |
                           (uint32_t{sizeWord[3]} << 24);
  const size_t packed = length - header.directoryOffset - 4;
  if (dirSize == 0 || dirSize > INT32_MAX || packed == 0 || dirSize > CVmArchiveFormat::MaxDecodedSize(packed))
    return false;
  std::vector<uint8_t> directory(dirSize);
  int32_t decoded = static_cast<int32_t>(dirSize);
  if (!DecodeMemToMem(sizeWord + 4, static_cast<int32_t>(packed), directory.data(), &decoded)) return false;
  std::vector<CVmArchiveEntry> entries;
  std::string notes;
  if (!CVmArchiveFormat::ParseDirectory(directory.data(), static_cast<size_t>(decoded), entries, notes)) return false;
  for (CVmArchiveEntry& e : entries) {
    if (uint64_t{e.dataOffset} + e.storedSize > length) return false;
    e.block.assign(data + e.dataOffset, data + e.dataOffset + e.storedSize);
  }
  entries_ = std::move(entries);
  notes_ = std::move(notes);
  major_ = header.major;
  minor_ = header.minor;
  origin_ = header.origin;
  return true;
}

bool CVmMemArchive::Save(std::vector<uint8_t>& image) {
  std::vector<uint32_t> offsets;
  if (!SerializeImage(image, &offsets)) return false;
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i].dataOffset = offsets[i];
  return true;
}

bool CVmMemArchive::ReadStored(const CVmArchiveEntry& entry, uint32_t count, std::vector<uint8_t>& out) {
  if (count > entry.block.size()) return false;
  out.assign(entry.block.begin(), entry.block.begin() + count);
  return true;
}

bool CVmMemArchive::KeepStored(CVmArchiveEntry& entry, std::vector<uint8_t>& stored) {
  entry.block = std::move(stored);
  return true;
}

}  // namespace quillon::filetools
