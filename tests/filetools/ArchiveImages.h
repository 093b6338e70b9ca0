#pragma once
// Builds archive images byte by byte, so tests can make headers, versions
// and directories the component itself never writes (and corrupt ones).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "filetools/CVmArchiveFormat.h"
#include "filetools/LzssOperations.h"

namespace quillon::filetools {

struct ImageMember {
  ImageMember(std::string n, std::string b, uint8_t ma = 0, uint8_t mi = 0, uint8_t o = 0, std::string s = {},
              std::string t = {})
      : name(std::move(n)), bytes(std::move(b)), major(ma), minor(mi), origin(o), second(std::move(s)),
        third(std::move(t)) {}
  std::string name;
  std::string bytes;
  uint8_t major;
  uint8_t minor;
  uint8_t origin;
  std::string second;
  std::string third;
};

inline std::string Lzss(const std::string& in) {
  const auto* data = reinterpret_cast<const uint8_t*>(in.data());
  const int32_t size = BufferCompressedSize(data, static_cast<int32_t>(in.size()));
  std::string out(static_cast<size_t>(size), '\0');
  int32_t length = size;
  EncodeMemToMem(data, static_cast<int32_t>(in.size()), reinterpret_cast<uint8_t*>(out.data()), &length);
  return out;
}

inline void Patch32(std::string& image, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) image[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}

// Members stored uncompressed; major/minor go into the header.
inline std::string BuildImage(const std::vector<ImageMember>& members, const std::string& notes, uint16_t major = 5,
                              uint16_t minor = 0, uint8_t origin = 0) {
  CVmArchiveHeader header;
  header.major = major;
  header.minor = minor;
  header.origin = origin;
  const auto head = header.Serialize();
  std::string image(head.begin(), head.end());
  std::vector<CVmArchiveEntry> entries;
  for (const auto& m : members) {
    CVmArchiveEntry e;
    CVmArchiveFormat::SetName(e, m.name);
    e.secondText = m.second;
    e.thirdText = m.third;
    e.time = CVmArchiveFormat::TimeFields(1700000000);
    e.size = static_cast<uint32_t>(m.bytes.size());
    e.majorVersion = m.major;
    e.minorVersion = m.minor;
    e.origin = m.origin;
    e.storedSize = e.size;
    e.dataOffset = static_cast<uint32_t>(image.size());
    image += m.bytes;
    entries.push_back(e);
  }
  const auto directory = CVmArchiveFormat::SerializeDirectory(entries, notes);
  const uint32_t dirOffset = static_cast<uint32_t>(image.size());
  Patch32(image, 28, dirOffset);
  image.append(4, '\0');
  Patch32(image, dirOffset, static_cast<uint32_t>(directory.size()));
  image += Lzss(std::string(directory.begin(), directory.end()));
  return image;
}

// The directory offset stored in an image.
inline uint32_t DirectoryOffset(const std::string& image) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(image[28 + static_cast<size_t>(i)]);
  return v;
}

// The decoded directory of an image (empty when it does not decode).
inline std::string DecodedDirectory(const std::string& image) {
  const uint32_t at = DirectoryOffset(image);
  if (image.size() < at + 4u) return {};
  std::string out(1 << 20, '\0');
  int32_t length = 1 << 20;
  if (!DecodeMemToMem(reinterpret_cast<const uint8_t*>(image.data()) + at + 4, static_cast<int32_t>(image.size() - at - 4),
                      reinterpret_cast<uint8_t*>(out.data()), &length))
    return {};
  out.resize(static_cast<size_t>(length));
  return out;
}

}  // namespace quillon::filetools
