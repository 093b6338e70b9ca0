#pragma once
// One member of a resource package: its FAT fields, its name and folder, and
// where its bytes come from (a file on disk, the package file, or an image in
// memory).
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

class CResFATEntry {
 public:
  enum class Source { DiskFile, PackageFile, Memory };

  static constexpr size_t kFixedSize = 40;

  // Name and folder compare without regard to case; an empty or null FOLDER
  // in a lookup matches any folder.
  bool Matches(const char* name, const char* folder) const;

  // The FAT record: 40-byte fixed part, name, folder.
  void AppendRecord(std::vector<uint8_t>& fat) const;

  // Parses one record at DATA[POS..SIZE); advances POS. False when the record
  // does not fit.
  bool ParseRecord(const uint8_t* data, size_t size, size_t& pos);

  const std::string& GetName() const { return m_name; }
  const std::string& GetFolder() const { return m_folder; }
  bool HasFolder() const { return m_hasFolder; }
  void SetName(const std::string& name) { m_name = name; }
  void SetFolder(const std::string& folder) {
    m_folder = folder;
    m_hasFolder = !folder.empty();
  }

  uint32_t GetUncompressedSize() const { return m_uncompressedSize; }
  uint32_t GetStoredSize() const { return m_storedSize; }
  uint32_t GetCompressionFlag() const { return m_compressionFlag; }
  uint32_t GetDataOffset() const { return m_dataOffset; }
  uint32_t GetStringLengths() const;
  // Last-write time of the source file as a FILETIME (100 ns since 1601); 0
  // when not recorded.
  uint64_t GetFileTime() const { return (static_cast<uint64_t>(m_timeHigh) << 32) | m_timeLow; }
  void SetFileTime(uint64_t t) {
    m_timeLow = static_cast<uint32_t>(t);
    m_timeHigh = static_cast<uint32_t>(t >> 32);
  }

  Source GetSource() const { return m_source; }
  const std::string& GetSourcePath() const { return m_sourcePath; }
  bool IsLoaded() const { return m_loaded; }
  const std::vector<uint8_t>& GetData() const { return m_data; }

  // The member's bytes come from a file on disk (added, not yet saved).
  void SetDiskSource(const std::string& path, uint32_t size);
  // The member's bytes are given (added from a buffer, or decoded from an image).
  void SetData(std::vector<uint8_t> bytes);
  // The member's stored bytes lie in the package file (read on demand).
  void SetPackageSource() { m_source = Source::PackageFile; }
  // Keeps the member's uncompressed bytes without changing where they come from.
  void CacheData(std::vector<uint8_t> bytes) {
    m_data = std::move(bytes);
    m_loaded = true;
  }
  void Unload() {
    m_data.clear();
    m_data.shrink_to_fit();
    m_loaded = false;
  }

  // After saving: where the member now lies in the package.
  void SetStoredLayout(uint32_t storedSize, uint32_t flag, uint32_t dataOffset) {
    m_storedSize = storedSize;
    m_compressionFlag = flag;
    m_dataOffset = dataOffset;
  }

  uint32_t m_reserved8 = 0;   // FAT offset 8, carried unchanged
  uint32_t m_reserved16 = 0;  // FAT offset 16, carried unchanged
  uint32_t m_reserved28 = 0;  // FAT offset 28, carried unchanged

 private:
  std::string m_name;
  std::string m_folder;
  bool m_hasFolder = false;
  uint32_t m_uncompressedSize = 0;
  uint32_t m_storedSize = 0;
  uint32_t m_compressionFlag = 0;
  uint32_t m_dataOffset = 0;
  uint32_t m_timeLow = 0;
  uint32_t m_timeHigh = 0;
  Source m_source = Source::Memory;
  std::string m_sourcePath;
  std::vector<uint8_t> m_data;
  bool m_loaded = false;
};

}  // namespace quillon
