#include "pkgreader/ResFile.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "pkgreader/PkgBlockCodec.h"
#include "platform/SafeFile.h"

namespace quillon {

namespace {

constexpr uint8_t kMagic[8] = {'V', 'l', 'm', 'r', 'P', 'k', 'g', 0};
// Ceiling for what the user block and the FAT may claim to decode to.
constexpr uint32_t kMaxTableSize = 64u << 20;
// FILETIME of 1970-01-01 (100 ns units since 1601-01-01).
constexpr uint64_t kUnixEpochFileTime = 116444736000000000ull;

uint32_t ReadLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

void AppendLE32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t b[4];
  PutLE32(b, v);
  out.insert(out.end(), b, b + 4);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<uint64_t>(size) > 0xFFFFFFFFull) return false;
  in.seekg(0, std::ios::beg);
  out.resize(static_cast<size_t>(size));
  if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) return false;
  return true;
}

uint64_t FileTimeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return 0;
  return kUnixEpochFileTime + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ull +
         static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
}

void SetFileTimeOf(const std::string& path, uint64_t fileTime) {
  if (fileTime == 0) return;
  struct timespec times[2];
  const int64_t since = static_cast<int64_t>(fileTime) - static_cast<int64_t>(kUnixEpochFileTime);
  int64_t sec = since / 10000000;
  int64_t rem = since % 10000000;
  if (rem < 0) {
    rem += 10000000;
    --sec;
  }
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(sec);
  times[1].tv_nsec = static_cast<long>(rem * 100);
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  try {
    WriteFileSafely(path, bytes);
  } catch (const SafeFileError&) {
    return false;
  }
  return true;
}

bool EnsureFolder(const std::string& dir) {
  std::error_code ec;
  const std::filesystem::path p(CResFile::NativePath(dir));
  if (std::filesystem::is_directory(p, ec)) return true;
  std::filesystem::create_directories(p, ec);
  return std::filesystem::is_directory(p, ec);
}

// Reads LENGTH bytes at OFFSET of the source (a file or a memory image).
using RangeReader = std::function<bool(uint64_t offset, size_t length, uint8_t* to)>;

}  // namespace

CResFile::CResFile() { Close(); }

CResFile::~CResFile() = default;

void CResFile::Close() {
  m_header.fill(0);
  std::memcpy(m_header.data(), kMagic, 8);
  PutLE32(m_header.data() + 8, 1);
  m_userBlock.fill(0);
  m_path.clear();
  m_entries.clear();
  m_tempName.clear();
  m_dataStart = 0;
  m_dataLength = 0;
  m_hasPackageFile = false;
}

std::string CResFile::NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

std::string CResFile::JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder + name;
  return folder + "/" + name;
}

bool CResFile::IsSafeFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\") == std::string::npos;
}

bool CResFile::IsValidFormat(const std::string& path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  if (!in) return false;
  uint8_t head[21];
  if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
  return std::memcmp(head, kMagic, 8) == 0;
}

bool CResFile::IsValidFormat(const void* image, size_t size) {
  if (image == nullptr || size < 21) return false;
  return std::memcmp(image, kMagic, 8) == 0;
}

bool CResFile::Open(const std::string& path) {
  const std::string native = NativePath(path);
  std::ifstream in(native, std::ios::binary);
  if (!in) return false;
  Close();
  m_path = path;
  // The layout walk needs header, user block, the data region's length word
  // and the FAT; the members stay on disk until they are asked for.
  in.seekg(0, std::ios::end);
  const std::streamoff fileSize = in.tellg();
  in.seekg(0, std::ios::beg);
  RangeReader read = [&](uint64_t offset, size_t length, uint8_t* to) {
    if (fileSize < 0 || offset > static_cast<uint64_t>(fileSize) ||
        length > static_cast<uint64_t>(fileSize) - offset)
      return false;
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(in.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(length)));
  };
  const uint64_t total = fileSize < 0 ? 0 : static_cast<uint64_t>(fileSize);
  uint8_t header[kHeaderSize];
  if (!read(0, kHeaderSize, header)) return true;
  std::memcpy(m_header.data(), header, kHeaderSize);
  uint64_t pos = kHeaderSize;
  auto word = [&](uint32_t& v) {
    uint8_t b[4];
    if (!read(pos, 4, b)) return false;
    v = ReadLE32(b);
    pos += 4;
    return true;
  };
  uint32_t userLength = 0;
  if (!word(userLength) || userLength > total - pos) return true;
  std::vector<uint8_t> user(userLength);
  if (userLength && !read(pos, userLength, user.data())) return true;
  pos += userLength;
  // The tables go through the memory walk: an image of header, user block,
  // an empty data region and the FAT, as far as the file holds them, so a
  // damaged data region or FAT leaves the user block read as from memory.
  std::vector<uint8_t> tables(m_header.begin(), m_header.end());
  AppendLE32(tables, userLength);
  tables.insert(tables.end(), user.begin(), user.end());
  uint32_t dataLength = 0;
  if (word(dataLength) && dataLength <= total - pos) {
    const uint64_t dataStart = pos;
    pos += dataLength;
    uint32_t fatLength = 0;
    if (word(fatLength) && fatLength <= total - pos) {
      std::vector<uint8_t> fat(fatLength);
      if (!fatLength || read(pos, fatLength, fat.data())) {
        m_dataStart = dataStart;
        m_dataLength = dataLength;
        m_hasPackageFile = true;
        AppendLE32(tables, 0);
        AppendLE32(tables, fatLength);
        tables.insert(tables.end(), fat.begin(), fat.end());
      }
    }
  }
  ReadLayout(tables.data(), tables.size(), &native, false);
  return true;
}

bool CResFile::Open(const void* image, size_t size) {
  if (image == nullptr) return false;
  Close();
  if (size == 0) return true;
  ReadLayout(static_cast<const uint8_t*>(image), size, nullptr, true);
  return true;
}

// Walks the length words of an image: header, user block, data region, FAT.
// FROM_MEMORY decodes every member out of the image's data region.
bool CResFile::ReadLayout(const uint8_t* data, size_t size, const std::string* file, bool fromMemory) {
  (void)file;
  if (size < kHeaderSize) return false;
  std::memcpy(m_header.data(), data, kHeaderSize);
  const int level = GetCompressionLevel();
  size_t pos = kHeaderSize;
  auto word = [&](uint32_t& v) {
    if (size - pos < 4) return false;
    v = ReadLE32(data + pos);
    pos += 4;
    return true;
  };
  uint32_t userLength;
  if (!word(userLength) || userLength > size - pos) return false;
  const uint8_t* user = data + pos;
  pos += userLength;
  if (level == 0) {
    if (userLength == kUserBlockSize) std::memcpy(m_userBlock.data(), user, kUserBlockSize);
  } else {
    uint32_t claimed;
    std::vector<uint8_t> decoded;
    if (CPkgBlockCodec::PeekTotalSize(user, userLength, claimed) && claimed <= kMaxTableSize &&
        CPkgBlockCodec::Decode(user, userLength, decoded) && decoded.size() >= kUserBlockSize)
      std::memcpy(m_userBlock.data(), decoded.data(), kUserBlockSize);
  }
  uint32_t dataLength;
  if (!word(dataLength) || dataLength > size - pos) return false;
  const uint8_t* region = data + pos;
  pos += dataLength;
  uint32_t fatLength;
  if (!word(fatLength) || fatLength > size - pos) return false;
  std::vector<uint8_t> fat;
  if (level == 0) {
    fat.assign(data + pos, data + pos + fatLength);
  } else {
    uint32_t claimed;
    if (!CPkgBlockCodec::PeekTotalSize(data + pos, fatLength, claimed) || claimed > kMaxTableSize ||
        !CPkgBlockCodec::Decode(data + pos, fatLength, fat))
      return false;
  }
  const uint32_t count = GetHeaderEntryCount();
  size_t fatPos = 0;
  for (uint32_t i = 0; i < count; ++i) {
    auto entry = std::make_unique<CResFATEntry>();
    if (!entry->ParseRecord(fat.data(), fat.size(), fatPos)) break;
    m_entries.push_back(std::move(entry));
  }
  if (!fromMemory) return true;
  m_dataLength = dataLength;
  for (auto& entry : m_entries) {
    const uint64_t offset = entry->GetDataOffset();
    const uint64_t length = entry->GetCompressionFlag() == 0 ? entry->GetUncompressedSize() : entry->GetStoredSize();
    if (offset > dataLength || length > dataLength - offset) continue;
    const uint8_t* stored = region + offset;
    if (entry->GetCompressionFlag() == 0) {
      entry->SetData(std::vector<uint8_t>(stored, stored + length));
      continue;
    }
    uint32_t claimed;
    std::vector<uint8_t> decoded;
    if (!CPkgBlockCodec::PeekTotalSize(stored, length, claimed) || claimed != entry->GetUncompressedSize()) continue;
    if (!CPkgBlockCodec::Decode(stored, length, decoded) || decoded.size() != entry->GetUncompressedSize()) continue;
    entry->SetData(std::move(decoded));
  }
  return true;
}

uint32_t CResFile::GetHeaderWord() const { return ReadLE32(m_header.data() + 8); }
int CResFile::GetCompressionLevel() const { return static_cast<int>(ReadLE32(m_header.data() + 12)); }
uint32_t CResFile::GetHeaderEntryCount() const { return ReadLE32(m_header.data() + 16); }

int CResFile::SetCompressionLevel(int level) {
  if (level < 0 || level > kMaxLevel) return -1;
  const int previous = GetCompressionLevel();
  PutLE32(m_header.data() + 12, static_cast<uint32_t>(level));
  return previous;
}

int CResFile::GetMajorVer() const { return m_userBlock[0]; }
int CResFile::GetMinorVer() const { return m_userBlock[1]; }
int CResFile::GetBuildVer() const { return m_userBlock[2] | (m_userBlock[3] << 8); }

void CResFile::SetVersion(int major, int minor, int build) {
  m_userBlock[0] = static_cast<uint8_t>(major);
  m_userBlock[1] = static_cast<uint8_t>(minor);
  m_userBlock[2] = static_cast<uint8_t>(build);
  m_userBlock[3] = static_cast<uint8_t>(build >> 8);
}

int CResFile::GetOrigin() const { return static_cast<int>(ReadLE32(m_userBlock.data() + 4)); }

bool CResFile::SetOrigin(int origin) {
  if (origin != OriginMaker && origin != OriginUser) return false;
  PutLE32(m_userBlock.data() + 4, static_cast<uint32_t>(origin));
  return true;
}

int CResFile::GetPkgType() const { return static_cast<int>(ReadLE32(m_userBlock.data() + 8)); }

bool CResFile::SetPkgType(int type) {
  if (type != PkgTypeDrivers && type != PkgTypePackages) return false;
  PutLE32(m_userBlock.data() + 8, static_cast<uint32_t>(type));
  return true;
}

uint32_t CResFile::GetUserId() const { return ReadLE32(m_userBlock.data() + 12); }
void CResFile::SetUserId(uint32_t id) { PutLE32(m_userBlock.data() + 12, id); }

std::string CResFile::GetResName() const {
  const char* p = reinterpret_cast<const char*>(m_userBlock.data() + 16);
  size_t n = 0;
  while (n < kResNameSize && p[n] != 0) ++n;
  return std::string(p, n);
}

void CResFile::SetResName(const std::string& name) {
  std::memset(m_userBlock.data() + 16, 0, kResNameSize);
  std::memcpy(m_userBlock.data() + 16, name.data(), std::min(name.size(), kResNameSize - 1));
}

const CResFATEntry* CResFile::GetEntry(size_t index) const {
  return index < m_entries.size() ? m_entries[index].get() : nullptr;
}

const CResFATEntry* CResFile::FindEntry(const char* name, const char* folder) const {
  for (const auto& entry : m_entries)
    if (entry->Matches(name, folder)) return entry.get();
  return nullptr;
}

// The member with exactly this name and folder (none when FOLDER is null or
// empty), both compared without regard to case.
CResFATEntry* CResFile::FindExact(const char* name, const char* folder) {
  const std::string wanted = folder ? folder : "";
  for (auto& entry : m_entries)
    if (entry->Matches(name, nullptr) && strcasecmp(entry->GetFolder().c_str(), wanted.c_str()) == 0)
      return entry.get();
  return nullptr;
}

CResFATEntry* CResFile::FindMutable(const char* name, const char* folder) {
  for (auto& entry : m_entries)
    if (entry->Matches(name, folder)) return entry.get();
  return nullptr;
}

long CResFile::GetFileSize(const char* name, const char* folder) const {
  const CResFATEntry* entry = FindEntry(name, folder);
  return entry ? static_cast<long>(entry->GetUncompressedSize()) : -1;
}

bool CResFile::LoadEntry(CResFATEntry& entry) {
  if (entry.IsLoaded()) return true;
  switch (entry.GetSource()) {
    case CResFATEntry::Source::Memory:
      return false;
    case CResFATEntry::Source::DiskFile: {
      std::vector<uint8_t> bytes;
      if (!ReadWholeFile(NativePath(entry.GetSourcePath()), bytes)) return false;
      entry.SetDiskSource(entry.GetSourcePath(), static_cast<uint32_t>(bytes.size()));
      entry.CacheData(std::move(bytes));
      return true;
    }
    case CResFATEntry::Source::PackageFile:
      break;
  }
  if (!m_hasPackageFile) return false;
  const bool compressed = entry.GetCompressionFlag() != 0;
  const uint64_t offset = entry.GetDataOffset();
  const uint64_t length = compressed ? entry.GetStoredSize() : entry.GetUncompressedSize();
  if (offset > m_dataLength || length > m_dataLength - offset) return false;
  std::ifstream in(NativePath(m_path), std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> stored(static_cast<size_t>(length));
  in.seekg(static_cast<std::streamoff>(m_dataStart + offset));
  if (length && !in.read(reinterpret_cast<char*>(stored.data()), static_cast<std::streamsize>(length))) return false;
  if (!compressed) {
    entry.CacheData(std::move(stored));
    return true;
  }
  uint32_t claimed;
  std::vector<uint8_t> decoded;
  if (!CPkgBlockCodec::PeekTotalSize(stored.data(), stored.size(), claimed) ||
      claimed != entry.GetUncompressedSize())
    return false;
  if (!CPkgBlockCodec::Decode(stored.data(), stored.size(), decoded) ||
      decoded.size() != entry.GetUncompressedSize())
    return false;
  entry.CacheData(std::move(decoded));
  return true;
}

bool CResFile::GetFileBytes(const char* name, std::vector<uint8_t>& out, const char* folder) {
  out.clear();
  CResFATEntry* entry = FindMutable(name, folder);
  if (entry == nullptr || !LoadEntry(*entry)) return false;
  out = entry->GetData();
  return true;
}

int CResFile::GetFileBuffer(const char* name, void* buffer, size_t bufferSize, const char* folder) {
  CResFATEntry* entry = FindMutable(name, folder);
  if (entry == nullptr) return kNotFound;
  if (buffer == nullptr || !LoadEntry(*entry)) return kFailed;
  const auto& data = entry->GetData();
  if (bufferSize < data.size()) return kFailed;
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return kSuccess;
}

bool CResFile::DumpFile(const char* name, const std::string& dir, const char* folder) {
  CResFATEntry* entry = FindMutable(name, folder);
  return entry != nullptr && DumpEntry(*entry, dir);
}

// A member name holding a separator or naming "." or ".." would leave the
// target folder; such members are not written.
bool CResFile::DumpEntry(CResFATEntry& entry, const std::string& dir) {
  if (!IsSafeFileName(entry.GetName())) return false;
  if (!LoadEntry(entry)) return false;
  if (!EnsureFolder(dir)) return false;
  const std::string target = NativePath(JoinPath(dir, entry.GetName()));
  if (!WriteFile(target, entry.GetData())) return false;
  if (OutputExists(target)) SetFileTimeOf(target, entry.GetFileTime());
  return true;
}

bool CResFile::DumpAllFile(const std::string& dir) {
  if (!EnsureFolder(dir)) return false;
  bool ok = true;
  for (auto& entry : m_entries)
    if (!DumpEntry(*entry, dir)) ok = false;
  return ok;
}

bool CResFile::AddFile(const std::string& path, const char* name, const char* folder) {
  const std::string native = NativePath(path);
  struct stat st {};
  if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (static_cast<uint64_t>(st.st_size) > 0xFFFFFFFFull) return false;
  std::string memberName = name ? std::string(name) : std::filesystem::path(native).filename().string();
  if (memberName.empty() || memberName.size() >= 0xFFFF) return false;
  if (folder && std::strlen(folder) >= 0xFFFF) return false;
  CResFATEntry* entry = FindExact(memberName.c_str(), folder);
  if (entry == nullptr) {
    m_entries.push_back(std::make_unique<CResFATEntry>());
    entry = m_entries.back().get();
  }
  entry->SetName(memberName);
  entry->SetFolder(folder ? folder : "");
  entry->SetDiskSource(path, static_cast<uint32_t>(st.st_size));
  entry->SetFileTime(FileTimeOf(native));
  return true;
}

bool CResFile::AddBuffer(const void* buffer, size_t size, const char* name, const char* folder) {
  if ((buffer == nullptr && size != 0) || name == nullptr || *name == 0) return false;
  if (size > 0xFFFFFFFFull || std::strlen(name) >= 0xFFFF) return false;
  if (folder && std::strlen(folder) >= 0xFFFF) return false;
  CResFATEntry* entry = FindExact(name, folder);
  if (entry == nullptr) {
    m_entries.push_back(std::make_unique<CResFATEntry>());
    entry = m_entries.back().get();
  }
  entry->SetName(name);
  entry->SetFolder(folder ? folder : "");
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  entry->SetData(std::vector<uint8_t>(bytes, bytes + size));
  entry->SetFileTime(0);
  return true;
}

bool CResFile::RemoveFile(const char* name, const char* folder) {
  for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
    if ((*it)->Matches(name, folder)) {
      m_entries.erase(it);
      return true;
    }
  }
  return false;
}

bool CResFile::Save(const std::string& path) {
  const std::string target = path.empty() ? m_path : path;
  if (target.empty()) return false;
  const int level = GetCompressionLevel();
  if (level < 0 || level > kMaxLevel) return false;

  // Every member's uncompressed bytes first: members still in the old package
  // file must be read before that file is replaced.
  for (auto& entry : m_entries)
    if (!LoadEntry(*entry)) return false;

  std::vector<uint8_t> image;
  PutLE32(m_header.data() + 16, static_cast<uint32_t>(m_entries.size()));
  image.insert(image.end(), m_header.begin(), m_header.end());
  if (level == 0) {
    AppendLE32(image, kUserBlockSize);
    image.insert(image.end(), m_userBlock.begin(), m_userBlock.end());
  } else {
    const auto user = CPkgBlockCodec::Encode(m_userBlock.data(), m_userBlock.size(), level);
    AppendLE32(image, static_cast<uint32_t>(user.size()));
    image.insert(image.end(), user.begin(), user.end());
  }
  const size_t dataWordAt = image.size();
  AppendLE32(image, 0);  // patched after the members
  const size_t dataStart = image.size();
  struct Layout {
    uint32_t stored, flag, offset;
  };
  std::vector<Layout> layouts;
  for (auto& entry : m_entries) {
    const auto& data = entry->GetData();
    std::vector<uint8_t> packed;
    uint32_t flag = 0;
    if (level != 0) {
      packed = CPkgBlockCodec::Encode(data.data(), data.size(), level);
      flag = static_cast<uint32_t>(level);
      if (packed.size() > data.size() + 64) flag = 0;  // stored raw
    }
    const std::vector<uint8_t>& stored = flag ? packed : data;
    if (image.size() - dataStart + 4 + stored.size() > 0xFFFFFFFFull) return false;
    AppendLE32(image, static_cast<uint32_t>(stored.size()));
    layouts.push_back({static_cast<uint32_t>(stored.size()), flag, static_cast<uint32_t>(image.size() - dataStart)});
    image.insert(image.end(), stored.begin(), stored.end());
  }
  const uint64_t dataLength = image.size() - dataStart;
  PutLE32(image.data() + dataWordAt, static_cast<uint32_t>(dataLength));

  // The FAT describes the new layout; the entries take it over only once the
  // file is written.
  std::vector<uint8_t> fat;
  for (size_t i = 0; i < m_entries.size(); ++i) {
    CResFATEntry& entry = *m_entries[i];
    const Layout old{entry.GetStoredSize(), entry.GetCompressionFlag(), entry.GetDataOffset()};
    entry.SetStoredLayout(layouts[i].stored, layouts[i].flag, layouts[i].offset);
    entry.AppendRecord(fat);
    entry.SetStoredLayout(old.stored, old.flag, old.offset);
  }
  if (level != 0) fat = CPkgBlockCodec::Encode(fat.data(), fat.size(), level);
  AppendLE32(image, static_cast<uint32_t>(fat.size()));
  image.insert(image.end(), fat.begin(), fat.end());

  // The shared safe writer: a temporary file beside the package that is
  // renamed over it, so a failure leaves the old package whole; a symbolic
  // link keeps pointing at the new package.
  if (!WriteFile(NativePath(target), image)) return false;
  m_tempName.clear();
  for (size_t i = 0; i < m_entries.size(); ++i) {
    m_entries[i]->SetStoredLayout(layouts[i].stored, layouts[i].flag, layouts[i].offset);
    m_entries[i]->SetPackageSource();
  }
  m_path = target;
  m_dataStart = 28 + ReadLE32(image.data() + 20);
  m_dataLength = dataLength;
  m_hasPackageFile = true;
  return true;
}

}  // namespace quillon
