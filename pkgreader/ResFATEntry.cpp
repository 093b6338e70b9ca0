#include "pkgreader/ResFATEntry.h"

#include <strings.h>

namespace quillon {

namespace {

uint32_t ReadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void WriteLE32(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 24));
}

// A zero-terminated string stored in a field of LENGTH bytes; text past the
// first zero byte is ignored, a field without one is taken whole.
std::string FieldString(const uint8_t* p, size_t length) {
  size_t n = 0;
  while (n < length && p[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace

bool CResFATEntry::Matches(const char* name, const char* folder) const {
  if (name == nullptr || strcasecmp(m_name.c_str(), name) != 0) return false;
  if (folder == nullptr || *folder == 0) return true;
  return strcasecmp(m_folder.c_str(), folder) == 0;
}

uint32_t CResFATEntry::GetStringLengths() const {
  const uint32_t nameLength = static_cast<uint32_t>(m_name.size() + 1) & 0xFFFF;
  const uint32_t folderLength = m_hasFolder ? static_cast<uint32_t>(m_folder.size() + 1) & 0xFFFF : 0;
  return nameLength | (folderLength << 16);
}

void CResFATEntry::AppendRecord(std::vector<uint8_t>& fat) const {
  WriteLE32(fat, m_uncompressedSize);
  WriteLE32(fat, m_storedSize);
  WriteLE32(fat, m_reserved8);
  WriteLE32(fat, GetStringLengths());
  WriteLE32(fat, m_reserved16);
  WriteLE32(fat, m_compressionFlag);
  WriteLE32(fat, m_dataOffset);
  WriteLE32(fat, m_reserved28);
  WriteLE32(fat, m_timeLow);
  WriteLE32(fat, m_timeHigh);
  fat.insert(fat.end(), m_name.begin(), m_name.end());
  fat.push_back(0);
  if (m_hasFolder) {
    fat.insert(fat.end(), m_folder.begin(), m_folder.end());
    fat.push_back(0);
  }
}

bool CResFATEntry::ParseRecord(const uint8_t* data, size_t size, size_t& pos) {
  if (pos > size || size - pos < kFixedSize) return false;
  const uint8_t* p = data + pos;
  const uint32_t lengths = ReadLE32(p + 12);
  const size_t nameLength = lengths & 0xFFFF;
  const size_t folderLength = lengths >> 16;
  if (size - pos - kFixedSize < nameLength + folderLength) return false;
  m_uncompressedSize = ReadLE32(p);
  m_storedSize = ReadLE32(p + 4);
  m_reserved8 = ReadLE32(p + 8);
  m_reserved16 = ReadLE32(p + 16);
  m_compressionFlag = ReadLE32(p + 20);
  m_dataOffset = ReadLE32(p + 24);
  m_reserved28 = ReadLE32(p + 28);
  m_timeLow = ReadLE32(p + 32);
  m_timeHigh = ReadLE32(p + 36);
  m_name = FieldString(p + kFixedSize, nameLength);
  m_hasFolder = folderLength != 0;
  m_folder = m_hasFolder ? FieldString(p + kFixedSize + nameLength, folderLength) : std::string();
  pos += kFixedSize + nameLength + folderLength;
  m_source = Source::PackageFile;
  return true;
}

void CResFATEntry::SetDiskSource(const std::string& path, uint32_t size) {
  m_source = Source::DiskFile;
  m_sourcePath = path;
  m_uncompressedSize = size;
  m_storedSize = size;
  m_compressionFlag = 0;
  Unload();
}

void CResFATEntry::SetData(std::vector<uint8_t> bytes) {
  m_source = Source::Memory;
  m_uncompressedSize = static_cast<uint32_t>(bytes.size());
  m_data = std::move(bytes);
  m_loaded = true;
}

}  // namespace quillon
