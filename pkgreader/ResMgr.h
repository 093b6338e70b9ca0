#pragma once
// A package whose members are themselves complete package images (".pke"
// members): sizes and bytes of the inner packages, an inner package opened as
// its own CResFile, and files inside an inner package.
#include <memory>
#include <string>

#include "pkgreader/ResFile.h"

namespace quillon {

class CResMgr : public CResFile {
 public:
  // Opens the outer package; false when it cannot be read.
  bool LoadRes(const std::string& path);
  bool IsLoaded() const { return m_loaded; }

  // Uncompressed size of the member package NAME, -1 when absent.
  long GetPkgSize(const char* name) const;
  long GetPKE_FileSize(const char* name) const { return GetPkgSize(name); }
  // Copies the member package into BUFFER when BUFFER_SIZE is large enough;
  // always returns its size (-1 when absent, 0 when its bytes cannot be read).
  long GetPkgBuffer(const char* name, void* buffer, size_t bufferSize);
  // The member package NAME opened from its image and named after it; null
  // when the member is absent, unreadable or not a package.
  std::unique_ptr<CResFile> GetPkgResFile(const char* name);
  // Size of FILE inside the member package PKG, -1 when either is missing.
  long GetPkgFileSize(const char* pkg, const char* file);
  // Copies FILE of member package PKG into BUFFER (results as GetFileBuffer).
  int GetPkgFileBuffer(const char* pkg, const char* file, void* buffer, size_t bufferSize);
  // Writes the member package NAME into DIR.
  bool DumpPkg(const char* name, const std::string& dir);
  // Writes every file of the member package PKG into DIR.
  bool DumpPkgFiles(const char* pkg, const std::string& dir);

 private:
  bool m_loaded = false;
};

}  // namespace quillon
