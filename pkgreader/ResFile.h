#pragma once
// One resource package: a 20-byte header ("VlmrPkg", header word, compression
// level, entry count), a 272-byte user block, the members' bytes and a file
// allocation table. User block, FAT and members may be compressed with the
// package block codec. Opened from a file, members are read on demand; from
// a memory image, all members are decoded at once.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pkgreader/ResFATEntry.h"

namespace quillon {

class CResFile {
 public:
  static constexpr size_t kHeaderSize = 20;
  static constexpr size_t kUserBlockSize = 272;
  static constexpr size_t kResNameSize = 256;
  static constexpr int kMaxLevel = 5;

  // Results of GetFileBuffer.
  static constexpr int kFailed = 0;
  static constexpr int kSuccess = 1;
  static constexpr int kNotFound = 5;

  enum Origin_t { OriginNone = 0, OriginMaker = 1, OriginUser = 2 };
  enum PkgType_t { PkgTypeNone = 0, PkgTypeDrivers = 1, PkgTypePackages = 2 };

  CResFile();
  virtual ~CResFile();
  CResFile(const CResFile&) = delete;
  CResFile& operator=(const CResFile&) = delete;

  // True when the file or image is at least 21 bytes and starts with
  // "VlmrPkg" and its zero byte.
  static bool IsValidFormat(const std::string& path);
  static bool IsValidFormat(const void* image, size_t size);

  // Reads a package file; fails only when the file cannot be opened for
  // reading (a damaged layout leaves the parts that could not be read empty).
  bool Open(const std::string& path);
  // Reads a package image and decodes every member at once; fails for a null
  // image, succeeds without reading anything for size 0.
  bool Open(const void* image, size_t size);
  // Forgets everything: an empty package at level 0.
  void Close();

  // Header and user block.
  uint32_t GetHeaderWord() const;
  int GetCompressionLevel() const;
  // Rejects levels outside 0..5 with -1; otherwise returns the previous level.
  int SetCompressionLevel(int level);
  uint32_t GetHeaderEntryCount() const;
  const std::array<uint8_t, kHeaderSize>& GetHeader() const { return m_header; }
  const std::array<uint8_t, kUserBlockSize>& GetUserBlock() const { return m_userBlock; }
  int GetMajorVer() const;
  int GetMinorVer() const;
  int GetBuildVer() const;
  void SetVersion(int major, int minor, int build);
  int GetOrigin() const;
  bool SetOrigin(int origin);  // 1 and 2 only
  int GetPkgType() const;
  bool SetPkgType(int type);  // 1 and 2 only
  uint32_t GetUserId() const;
  void SetUserId(uint32_t id);
  std::string GetResName() const;
  void SetResName(const std::string& name);

  const std::string& GetPath() const { return m_path; }
  void SetPath(const std::string& path) { m_path = path; }

  // Members.
  size_t GetFileCount() const { return m_entries.size(); }
  const CResFATEntry* GetEntry(size_t index) const;
  // The member NAME (in FOLDER when one is given), or null.
  const CResFATEntry* FindEntry(const char* name, const char* folder = nullptr) const;
  // Uncompressed size of a member, -1 when it is not in the package.
  long GetFileSize(const char* name, const char* folder = nullptr) const;
  // Copies the member into BUFFER (BUFFER_SIZE bytes available): kSuccess,
  // kNotFound, or kFailed for a null or too small buffer or unloadable bytes.
  int GetFileBuffer(const char* name, void* buffer, size_t bufferSize, const char* folder = nullptr);
  // The member's uncompressed bytes, loading them when needed.
  bool GetFileBytes(const char* name, std::vector<uint8_t>& out, const char* folder = nullptr);

  // Writes one member (or all) into DIR, created when missing; the file's
  // last-write time is set from the FAT time when that is recorded.
  bool DumpFile(const char* name, const std::string& dir, const char* folder = nullptr);
  bool DumpAllFile(const std::string& dir);

  // Writing side. AddFile takes the bytes from PATH when the package is saved.
  bool AddFile(const std::string& path, const char* name = nullptr, const char* folder = nullptr);
  bool AddBuffer(const void* buffer, size_t size, const char* name, const char* folder = nullptr);
  bool RemoveFile(const char* name, const char* folder = nullptr);
  // Writes the package to PATH (its own path when empty) through a temporary
  // file beside it; the previous file survives any failure.
  bool Save(const std::string& path = std::string());

  // Paths may use backslashes as separators; on this system they are slashes.
  static std::string NativePath(const std::string& path);
  // FOLDER joined with NAME, a separator between them when FOLDER has none.
  static std::string JoinPath(const std::string& folder, const std::string& name);
  // A member name that can be written into a folder without leaving it.
  static bool IsSafeFileName(const std::string& name);

 protected:
  bool LoadEntry(CResFATEntry& entry);
  CResFATEntry* FindMutable(const char* name, const char* folder);
  CResFATEntry* FindExact(const char* name, const char* folder);
  bool DumpEntry(CResFATEntry& entry, const std::string& dir);
  bool ReadLayout(const uint8_t* data, size_t size, const std::string* file, bool fromMemory);

  std::array<uint8_t, kHeaderSize> m_header{};
  std::array<uint8_t, kUserBlockSize> m_userBlock{};
  std::string m_path;
  std::vector<std::unique_ptr<CResFATEntry>> m_entries;
  std::string m_tempName;
  // Where the data region's contents start in the package file and how long
  // the region is; members are read from there on demand.
  uint64_t m_dataStart = 0;
  uint64_t m_dataLength = 0;
  bool m_hasPackageFile = false;
};

}  // namespace quillon
