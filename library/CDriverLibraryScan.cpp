#include "library/CDriverLibraryScan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "library/LibraryText.h"

namespace quillon::library {

namespace {

// Name order with letter case ignored, then byte order for names that
// differ only in case.
bool NameLess(const std::string& a, const std::string& b) {
  const std::string la = LowerAscii(a), lb = LowerAscii(b);
  return la != lb ? la < lb : a < b;
}

std::string Extension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : LowerAscii(name.substr(dot));
}

}  // namespace

bool CDriverLibraryScan::List(const std::string& folder, CDriverLibraryScan& out, std::string* error) {
  out = CDriverLibraryScan();
  if (folder.empty()) {
    if (error) *error = "no driver library folder is set";
    return false;
  }
  out.m_folder = folder;
  if (out.m_folder.back() != '/' && out.m_folder.back() != '\\') out.m_folder += '/';
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    if (error) *error = folder + ": " + std::strerror(errno);
    return false;
  }
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // Folders are left out, and so are pipes and devices, which would block
    // a reader; links are followed to what they name.
    struct stat info {};
    if (::stat((out.m_folder + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const std::string ext = Extension(name);
    if (ext == ".pkg")
      out.m_packages.push_back(name);
    else if (ext == ".pki")
      out.m_indexFiles.push_back(name);
    else if (ext == ".vir")
      out.m_looseDrivers.push_back(name);
    errno = 0;
  }
  const int readError = errno;
  ::closedir(dir);
  if (readError != 0) {
    if (error) *error = folder + ": " + std::strerror(readError);
    out = CDriverLibraryScan();
    return false;
  }
  std::sort(out.m_packages.begin(), out.m_packages.end(), NameLess);
  std::sort(out.m_indexFiles.begin(), out.m_indexFiles.end(), NameLess);
  std::sort(out.m_looseDrivers.begin(), out.m_looseDrivers.end(), NameLess);
  return true;
}

bool CDriverLibraryScan::CheckLibrary(const std::string& folder) {
  CDriverLibraryScan scan;
  return List(folder, scan) && !scan.IsEmpty();
}

}  // namespace quillon::library
