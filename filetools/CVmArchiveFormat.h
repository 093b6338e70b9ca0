#pragma once
// The archive layout: a 32-byte header ("RMLV", kind, version, reserved,
// origin block, directory offset), the stored member bytes, then the
// directory size and the LZSS-compressed directory. All integers are
// little-endian.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "filetools/CVmArchiveEntry.h"

namespace quillon::filetools {

struct CVmArchiveHeader {
  static constexpr uint32_t kMagic = 0x564C4D52;  // "RMLV" on disk
  static constexpr uint32_t kKindPkg = 0x56504B47;
  static constexpr uint32_t kKindPke = 0x56504B45;
  static constexpr uint32_t kKindPki = 0x56504B49;
  static constexpr uint32_t kKindPku = 0x56504B55;
  static constexpr size_t kSize = 32;

  uint32_t magic = kMagic;
  uint32_t kind = kKindPkg;
  uint16_t major = 5;
  uint16_t minor = 0;
  uint8_t origin = 0;
  uint32_t directoryOffset = 0;

  bool HasValidMagicAndKind() const;
  // A stored 0.5 means 5.0.
  void ApplyVersionRule();
  static CVmArchiveHeader Parse(const uint8_t* bytes);  // kSize bytes
  std::vector<uint8_t> Serialize() const;
};

class CVmArchiveFormat {
 public:
  // The uncompressed directory: count, entry records, notes.
  static std::vector<uint8_t> SerializeDirectory(const std::vector<CVmArchiveEntry>& entries,
                                                 const std::string& notes);
  // Parses a decoded directory; false when a count, string or record runs
  // past the data.
  static bool ParseDirectory(const uint8_t* data, size_t length, std::vector<CVmArchiveEntry>& entries,
                             std::string& notes);
  // The largest directory (or member) an LZSS stream of `stored` bytes can
  // decode to: larger stated sizes are corrupt.
  static uint64_t MaxDecodedSize(uint64_t stored);
  // Reduces a member name to file name and extension (directory and drive
  // dropped, each part at most 256 characters) and fills the name fields.
  static std::u16string NormalizeName(std::u16string_view name);
  static void SetName(CVmArchiveEntry& entry, const std::string& ansiName);
  // The broken-down UTC time of a moment.
  static std::array<uint32_t, 9> TimeFields(int64_t unixSeconds);
};

}  // namespace quillon::filetools
