#include "pkgreader/ResMgr.h"

#include <cstring>
#include <vector>

namespace quillon {

bool CResMgr::LoadRes(const std::string& path) {
  m_loaded = IsValidFormat(path) && Open(path);
  return m_loaded;
}

long CResMgr::GetPkgSize(const char* name) const { return GetFileSize(name); }

long CResMgr::GetPkgBuffer(const char* name, void* buffer, size_t bufferSize) {
  const long size = GetPkgSize(name);
  if (size < 0) return size;
  if (buffer == nullptr || bufferSize < static_cast<size_t>(size)) return size;
  std::vector<uint8_t> bytes;
  if (!GetFileBytes(name, bytes)) return 0;
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
  return size;
}

std::unique_ptr<CResFile> CResMgr::GetPkgResFile(const char* name) {
  std::vector<uint8_t> bytes;
  if (!GetFileBytes(name, bytes)) return nullptr;
  if (!IsValidFormat(bytes.data(), bytes.size())) return nullptr;
  auto inner = std::make_unique<CResFile>();
  if (!inner->Open(bytes.data(), bytes.size())) return nullptr;
  inner->SetPath(name);
  return inner;
}

long CResMgr::GetPkgFileSize(const char* pkg, const char* file) {
  auto inner = GetPkgResFile(pkg);
  return inner ? inner->GetFileSize(file) : -1;
}

int CResMgr::GetPkgFileBuffer(const char* pkg, const char* file, void* buffer, size_t bufferSize) {
  auto inner = GetPkgResFile(pkg);
  if (!inner) return kNotFound;
  return inner->GetFileBuffer(file, buffer, bufferSize);
}

bool CResMgr::DumpPkg(const char* name, const std::string& dir) { return DumpFile(name, dir); }

bool CResMgr::DumpPkgFiles(const char* pkg, const std::string& dir) {
  auto inner = GetPkgResFile(pkg);
  return inner && inner->DumpAllFile(dir);
}

}  // namespace quillon
