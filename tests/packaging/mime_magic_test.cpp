// The content rule of the driver file type (packaging/mime/quillon.xml):
// every driver the writer can produce is recognised, and no other file we
// know of is.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "tests/irmodel/VirTestUtil.h"

namespace quillon {
namespace {

using testing::MakeFunction;
using testing::SaveToBytes;

std::set<std::uint32_t> MagicValues() {
  std::ifstream in(std::string(QUILLON_PACKAGING_DIR) + "/mime/quillon.xml");
  const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::set<std::uint32_t> values;
  const std::regex match("<match type=\"big32\" offset=\"0\" value=\"0x([0-9a-f]{8})\"/>");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), match); it != std::sregex_iterator(); ++it)
    values.insert(static_cast<std::uint32_t>(std::stoul((*it)[1].str(), nullptr, 16)));
  return values;
}

std::uint32_t Leading32(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < 4) return 0xFFFFFFFF;  // no 4-byte rule can match
  return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8 | bytes[3];
}

TEST(DriverFileType, MagicCoversEveryKindAndSlotCount) {
  const std::set<std::uint32_t> magic = MagicValues();
  ASSERT_EQ(magic.size(), 3u * 256u);
  for (std::uint8_t kind : {TQVXIr::kIrDriver, TQVXIr::kX10Driver, TQVXIr::kMultiFunctionDriver}) {
    for (int slots = kind == TQVXIr::kMultiFunctionDriver ? 1 : 0; slots <= 255; ++slots) {
      TQVXIr ir;
      ir.SetKind(kind == TQVXIr::kX10Driver ? kind : TQVXIr::kIrDriver);
      // The first slot holds a real function (two sub-functions make the
      // writer choose kind 2); the others stay empty.
      if (slots > 0) ir.Append(MakeFunction("POWER", kind == TQVXIr::kMultiFunctionDriver ? 2 : 1));
      while (ir.GetFunctionCount() < slots) ir.Append(std::make_unique<TQVXIrFunction>());
      ir.GetHeader().AddText(131, "DVD");
      const auto bytes = SaveToBytes(ir);
      ASSERT_EQ(bytes[0], kind);
      EXPECT_TRUE(magic.count(Leading32(bytes))) << "kind " << int(kind) << ", " << slots << " slots";
    }
  }
}

TEST(DriverFileType, MagicMatchesNoOtherKnownFile) {
  const std::set<std::uint32_t> magic = MagicValues();
  // Formats that, like drivers, start with a byte of 0, 1 or 2.
  const std::vector<std::vector<std::uint8_t>> signatures = {
      {0x00, 0x00, 0x01, 0x00},  // Windows icon
      {0x00, 0x00, 0x02, 0x00},  // Windows cursor
      {0x00, 0x01, 0x00, 0x00},  // TrueType font, Jet database
      {0x00, 0x00, 0x00, 0x18},  // MP4 / QuickTime box sizes
      {0x00, 0x00, 0x00, 0x1C}, {0x00, 0x00, 0x00, 0x20}, {0x00, 0x00, 0x00, 0x0C},  // JPEG 2000
      {0x00, 0x61, 0x73, 0x6D},  // WebAssembly
      {0x00, 0x3C, 0x00, 0x3F},  // UTF-16BE "<?"
      {0x00, 0x00, 0xFE, 0xFF},  // UTF-32BE byte-order mark
      {0x00, 0x00, 0x01, 0xBA}, {0x00, 0x00, 0x01, 0xB3},  // MPEG program stream, video
      {0x01, 0x00, 0x00, 0x00},  // EMF, little-endian counts
      {0x02, 0x00, 0x00, 0x00},  // dBase II and little-endian headers
      {0x00, 0x00, 0x00, 0x00},  // zero-filled files
  };
  for (const auto& signature : signatures)
    EXPECT_FALSE(magic.count(Leading32(signature))) << std::hex << Leading32(signature);

  // Every test input that is not a driver: captures, archives, packages,
  // LZSS streams, INI and interchange texts, device replies.
  int checked = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(QUILLON_TEST_DATA_DIR)) {
    if (!entry.is_regular_file()) continue;
    const auto& path = entry.path();
    if (path.extension() == ".vir" || path.parent_path().filename() == "vir") continue;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> head(4);
    in.read(reinterpret_cast<char*>(head.data()), 4);
    head.resize(static_cast<std::size_t>(in.gcount()));
    EXPECT_FALSE(magic.count(Leading32(head))) << path;
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace quillon
