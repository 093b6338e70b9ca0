#pragma once
// One member of an archive: its directory record plus where its stored
// bytes are while the archive is open (archive file, pending temporary file
// or, in an archive image, a heap block).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quillon::filetools {

struct CVmArchiveEntry {
  std::string name;        // code-page text: file name with extension
  std::string baseName;    // name without extension
  std::string extension;   // with its dot, or empty
  std::string secondText;  // carried unchanged; empty for new members
  std::string thirdText;
  // second, minute, hour, day (1..31), month (1..12), year - 1900,
  // day of week (0 = Sunday), two words 0.
  std::array<uint32_t, 9> time{};
  uint32_t size = 0;
  uint8_t compressed = 0;
  uint8_t minorVersion = 0;
  uint8_t majorVersion = 0;
  uint8_t origin = 0;
  uint32_t storedSize = 0;
  uint32_t dataOffset = 0;
  std::string pendingPath;     // temporary file holding the stored bytes (file engine)
  std::vector<uint8_t> block;  // stored bytes (memory engine)
};

}  // namespace quillon::filetools
