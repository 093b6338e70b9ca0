#pragma once
// Builders of generated driver libraries, shared by the browser's tests and
// the window tests: archive packages, resource packages, drivers naming their
// device, and the lines of the packages' support files.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "filetools/CVmArchiveFormat.h"
#include "filetools/CVmMemArchive.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "pkgreader/ResFile.h"
#include "tests/irmodel/VirTestUtil.h"

namespace quillon::testing {

using Members = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

inline std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An archive package (.pkg of the archive format) holding MEMBERS.
inline void WriteArchivePackage(const std::string& path, const Members& members) {
  filetools::CVmMemArchive archive;
  for (const auto& [name, bytes] : members)
    ASSERT_TRUE(archive.AddBytes(name, bytes.data(), static_cast<uint32_t>(bytes.size()),
                                 filetools::CVmArchiveFormat::TimeFields(1700000000)))
        << name;
  std::vector<std::uint8_t> image;
  ASSERT_TRUE(archive.Save(image));
  WriteFile(path, image);
}

// A resource package holding MEMBERS, compressed at LEVEL.
inline void WriteResourcePackage(const std::string& path, const Members& members, int level = 3) {
  CResFile package;
  package.SetCompressionLevel(level);
  for (const auto& [name, bytes] : members) ASSERT_TRUE(package.AddBuffer(bytes.data(), bytes.size(), name.c_str()));
  ASSERT_TRUE(package.Save(path));
}

// A driver naming its device type, manufacturer, model and version, with
// FUNCTIONS functions.
inline std::vector<std::uint8_t> DriverBytes(const std::string& type, const std::string& manufacturer,
                                             const std::string& model, const std::string& version, int functions = 2) {
  TQVXIr ir;
  auto& header = ir.GetHeader();
  if (!manufacturer.empty()) header.AddText(TQVXIrHeaderEntry::kDeviceManufacturer, manufacturer.c_str());
  if (!model.empty()) header.AddText(TQVXIrHeaderEntry::kDeviceModel, model.c_str());
  if (!type.empty()) header.AddText(TQVXIrHeaderEntry::kDeviceType, type.c_str());
  if (!version.empty()) header.AddText(TQVXIrHeaderEntry::kDriverVersion, version.c_str());
  for (int i = 0; i < functions; ++i)
    ir.Append(MakeFunction(("F" + std::to_string(i)).c_str(), 1, 0x20DF0000u + static_cast<std::uint32_t>(i)));
  return SaveToBytes(ir);
}

// One [model_N] section of irsupport.ini.
inline std::string ModelSection(int n, int type, int brand, const std::string& model, const std::string& drvpkg,
                                const std::string& version) {
  return "[model_" + std::to_string(n) + "]\r\nTypeId=" + std::to_string(type) + "\r\nBrandId=" +
         std::to_string(brand) + "\r\nModelName=" + model + "\r\nDrvpkg=" + drvpkg + "\r\nVersion=" + version + "\r\n";
}

// A keyed list section: [SECTION] COUNTKEY=n, PREFIX0..: "key,name".
inline std::string KeyedSection(const std::string& section, const std::string& countKey, const std::string& prefix,
                                const std::vector<std::pair<int, std::string>>& items) {
  std::string text = "[" + section + "]\r\n" + countKey + "=" + std::to_string(items.size()) + "\r\n";
  for (std::size_t i = 0; i < items.size(); ++i)
    text += prefix + std::to_string(i) + "=" + std::to_string(items[i].first) + "," + items[i].second + "\r\n";
  return text;
}

}  // namespace quillon::testing
