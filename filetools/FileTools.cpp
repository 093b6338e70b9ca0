#include "filetools/FileTools.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "filetools/VelmorFileToolsIds.h"
#include "filetools/XdgFolders.h"
#include "platform/ComLiteDispatch.h"
#include "platform/SafeFile.h"

namespace quillon::filetools {

using namespace com;
namespace fs = std::filesystem;

namespace {

constexpr const char* kMemberNames[] = {
    "FileExists",   "FileSize",     "FileIsReadOnly", "SetFileIsReadOnly", "RenameFile",        "CompareFiles",
    "RemoveFile",   "FolderExists", "RenameFolder",   "CopyFolder",        "MoveFolder",        "EmptyFolder",
    "RemoveFolder", "ForcePath",    "IsSystemFolder", "GetWindowsTempPath", "GetWindowsDocumentsPath"};

bool IsEmpty(BSTR s) { return !s || SysStringLen(s) == 0; }

bool StatPath(const std::string& path, struct stat* st) { return ::stat(path.c_str(), st) == 0; }

bool IsExistingFile(const std::string& path) {
  struct stat st{};
  return StatPath(path, &st) && !S_ISDIR(st.st_mode);
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

bool IsExistingFolder(const std::string& path) {
  struct stat st{};
  return StatPath(WithoutTrailingSeparators(path), &st) && S_ISDIR(st.st_mode);
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

bool IsReadOnly(const std::string& path) {
  struct stat st{};
  return StatPath(path, &st) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void ClearReadOnly(const std::string& path) {
  struct stat st{};
  if (StatPath(path, &st)) ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
}

// Copies FROM to the new file TO through the shared safe writer (the copy
// appears whole or not at all) and gives it FROM's permission bits.
bool CopyFileContents(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st{};
  bool ok = ::fstat(in, &st) == 0 && S_ISREG(st.st_mode);
  try {
    if (ok) {
      SafeFileWriter out(to);
      unsigned char block[65536];
      for (;;) {
        const ssize_t n = ::read(in, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
          ok = false;
          break;
        }
        if (n == 0) break;
        out.Write(block, static_cast<size_t>(n));
      }
      if (ok) out.Commit();
    }
  } catch (const SafeFileError&) {
    ok = false;
  }
  ::close(in);
  if (ok) ::chmod(to.c_str(), st.st_mode & 07777);
  return ok;
}

// A move that, like the system's file move, never replaces an existing
// target; across file systems the file is copied and the original removed.
bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  struct stat st{};
  if (::lstat(to.c_str(), &st) == 0) return false;
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) return false;
  if (!CopyFileContents(from, to)) return false;
  if (::unlink(from.c_str()) != 0) {
    ::unlink(to.c_str());
    return false;
  }
  return true;
}

bool MoveFolderPath(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EXDEV) return false;
  std::error_code ec;
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  if (ec) return false;
  fs::remove_all(from, ec);
  return !ec;
}

template <class Fn>
HRESULT Guard(Fn&& fn) {
  try {
    return fn();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

FileTools::FileTools(ComModuleCounter& module) : ComDispatchObject(module, IID_IFileTools) {}

HRESULT FileTools::GetIDsOfNames(const IID&, OLECHAR** names, uint32_t count, LCID, DISPID* ids) {
  return LookupDispatchNames(kMemberNames, std::size(kMemberNames), names, count, ids);
}

HRESULT FileTools::Invoke(DISPID id, const IID&, LCID, uint16_t, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                          uint32_t* argError) {
  DispatchArgs args(params, argError);
  BSTR a = nullptr;
  BSTR b = nullptr;
  int32_t n = 0;
  HRESULT hr = S_OK;
  auto one = [&] { return FAILED(hr = args.Expect(1)) || FAILED(hr = args.Bstr(0, &a)); };
  auto two = [&] { return FAILED(hr = args.Expect(2)) || FAILED(hr = args.Bstr(0, &a)) || FAILED(hr = args.Bstr(1, &b)); };
  auto stringAndInt = [&] {
    return FAILED(hr = args.Expect(2)) || FAILED(hr = args.Bstr(0, &a)) || FAILED(hr = args.Int(1, &n));
  };
  switch (id) {
    case 1: return one() ? hr : FileExists(a);
    case 2: {
      if (one()) return hr;
      int32_t size = 0;
      hr = FileSize(a, &size);
      SetDispatchResult(result, size);
      return hr;
    }
    case 3: return one() ? hr : FileIsReadOnly(a);
    case 4: return stringAndInt() ? hr : SetFileIsReadOnly(a, n);
    case 5: return two() ? hr : RenameFile(a, b);
    case 6: {
      if (two()) return hr;
      int32_t compare = 0;
      hr = CompareFiles(a, b, &compare);
      SetDispatchResult(result, compare);
      return hr;
    }
    case 7: return one() ? hr : RemoveFile(a);
    case 8: return one() ? hr : FolderExists(a);
    case 9: return two() ? hr : RenameFolder(a, b);
    case 10:
      if (FAILED(hr = args.Expect(3)) || FAILED(hr = args.Bstr(0, &a)) || FAILED(hr = args.Bstr(1, &b)) ||
          FAILED(hr = args.Int(2, &n)))
        return hr;
      return CopyFolder(a, b, n);
    case 11: return two() ? hr : MoveFolder(a, b);
    case 12: return stringAndInt() ? hr : EmptyFolder(a, n);
    case 13: return one() ? hr : RemoveFolder(a);
    case 14: return one() ? hr : ForcePath(a);
    case 15: return one() ? hr : IsSystemFolder(a);
    case 16:
    case 17: {
      if (FAILED(hr = args.Expect(0))) return hr;
      BSTR path = nullptr;
      hr = id == 16 ? GetWindowsTempPath(&path) : GetWindowsDocumentsPath(&path);
      SetDispatchResultBstr(result, path);
      return hr;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

// --- UTF-8 forms ---------------------------------------------------------

HRESULT FileTools::FileExistsUtf8(const std::string& path) {
  if (path.empty()) return E_INVALIDARG;
  return IsExistingFile(path) ? S_OK : S_FALSE;
}

HRESULT FileTools::FileSizeUtf8(const std::string& path, int32_t* size) {
  if (path.empty() || !size) return E_INVALIDARG;
  *size = 0;
  if (FileExistsUtf8(path) != S_OK) return STG_E_FILENOTFOUND;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return STG_E_ACCESSDENIED;
  struct stat st{};
  const bool ok = ::fstat(fd, &st) == 0;
  ::close(fd);
  if (!ok) return STG_E_ACCESSDENIED;
  if (st.st_size > INT32_MAX) return E_FAIL;
  *size = static_cast<int32_t>(st.st_size);
  return S_OK;
}

HRESULT FileTools::RenameFileUtf8(const std::string& oldPath, const std::string& newPath) {
  if (oldPath.empty() || newPath.empty()) return E_INVALIDARG;
  if (SameTextIgnoringCase(oldPath, newPath)) return E_INVALIDARG;
  if (MoveFileNoReplace(oldPath, newPath)) return S_OK;
  if (FileExistsUtf8(newPath) == S_OK && IsReadOnly(oldPath)) {
    ClearReadOnly(oldPath);
    if (MoveFileNoReplace(oldPath, newPath)) {
      ::chmod(newPath.c_str(), 0666 & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
      }());
      return S_OK;
    }
  }
  return E_FAIL;
}

HRESULT FileTools::RemoveFileUtf8(const std::string& path) {
  if (path.empty()) return E_INVALIDARG;
  if (FileExistsUtf8(path) != S_OK) return E_FAIL;
  if (::unlink(path.c_str()) != 0 && IsReadOnly(path)) {
    ClearReadOnly(path);
    ::unlink(path.c_str());
  }
  struct stat st{};
  return ::lstat(path.c_str(), &st) != 0 ? S_OK : E_FAIL;
}

HRESULT FileTools::FolderExistsUtf8(const std::string& path) {
  if (path.empty()) return E_INVALIDARG;
  return IsExistingFolder(path) ? S_OK : S_FALSE;
}

HRESULT FileTools::RemoveFolderUtf8(const std::string& path) {
  if (path.empty()) return E_INVALIDARG;
  const std::string folder = WithoutTrailingSeparators(path);
  if (IsExistingFolder(folder)) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      std::error_code ignored;
      const std::string child = entry.path().string();
      if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
        RemoveFolderUtf8(child);
      else if (RemoveFileUtf8(child) != S_OK)
        ::unlink(child.c_str());  // dangling links and special files
    }
    ::rmdir(folder.c_str());
  }
  return IsExistingFolder(folder) ? E_FAIL : S_OK;
}

// --- interface methods ------------------------------------------------------

HRESULT FileTools::FileExists(BSTR Path) {
  return Guard([&] { return IsEmpty(Path) ? E_INVALIDARG : FileExistsUtf8(Utf8FromBstr(Path)); });
}

HRESULT FileTools::FileSize(BSTR Path, int32_t* pSize) {
  return Guard([&] {
    if (!pSize) return E_INVALIDARG;
    *pSize = 0;
    if (IsEmpty(Path)) return E_INVALIDARG;
    return FileSizeUtf8(Utf8FromBstr(Path), pSize);
  });
}

HRESULT FileTools::FileIsReadOnly(BSTR) { return E_NOTIMPL; }

HRESULT FileTools::SetFileIsReadOnly(BSTR, int32_t) { return E_NOTIMPL; }

HRESULT FileTools::RenameFile(BSTR OldPath, BSTR NewPath) {
  return Guard([&] {
    if (IsEmpty(OldPath) || IsEmpty(NewPath)) return E_INVALIDARG;
    return RenameFileUtf8(Utf8FromBstr(OldPath), Utf8FromBstr(NewPath));
  });
}

HRESULT FileTools::CompareFiles(BSTR PathOne, BSTR PathTwo, int32_t* pCompareResult) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(PathOne) || IsEmpty(PathTwo) || !pCompareResult) return E_INVALIDARG;
    const std::string one = Utf8FromBstr(PathOne);
    const std::string two = Utf8FromBstr(PathTwo);
    if (SameTextIgnoringCase(one, two)) return E_INVALIDARG;
    int32_t sizeOne = 0;
    int32_t sizeTwo = 0;
    if (FAILED(FileSizeUtf8(one, &sizeOne)) || FAILED(FileSizeUtf8(two, &sizeTwo))) return STG_E_FILENOTFOUND;
    if (sizeOne != sizeTwo) {
      *pCompareResult = sizeOne > sizeTwo ? 1 : -1;
      return S_FALSE;
    }
    const int fdOne = ::open(one.c_str(), O_RDONLY | O_CLOEXEC);
    const int fdTwo = fdOne < 0 ? -1 : ::open(two.c_str(), O_RDONLY | O_CLOEXEC);
    if (fdOne < 0 || fdTwo < 0) {
      if (fdOne >= 0) ::close(fdOne);
      return STG_E_ACCESSDENIED;
    }
    HRESULT hr = S_OK;
    int32_t compare = 0;
    unsigned char a[1024];
    unsigned char b[1024];
    for (int32_t left = sizeOne; left > 0 && compare == 0;) {
      const size_t want = static_cast<size_t>(left < 1024 ? left : 1024);
      if (::read(fdOne, a, want) != static_cast<ssize_t>(want) || ::read(fdTwo, b, want) != static_cast<ssize_t>(want)) {
        hr = STG_E_READFAULT;
        break;
      }
      const int c = std::memcmp(a, b, want);
      compare = c < 0 ? -1 : c > 0 ? 1 : 0;
      left -= static_cast<int32_t>(want);
    }
    ::close(fdOne);
    ::close(fdTwo);
    if (FAILED(hr)) return hr;
    *pCompareResult = compare;
    return compare == 0 ? S_OK : S_FALSE;
  });
}

HRESULT FileTools::RemoveFile(BSTR Path) {
  return Guard([&] { return IsEmpty(Path) ? E_INVALIDARG : RemoveFileUtf8(Utf8FromBstr(Path)); });
}

HRESULT FileTools::FolderExists(BSTR Path) {
  return Guard([&] { return IsEmpty(Path) ? E_INVALIDARG : FolderExistsUtf8(Utf8FromBstr(Path)); });
}

HRESULT FileTools::RenameFolder(BSTR OldPath, BSTR NewPath) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(OldPath) || IsEmpty(NewPath)) return E_INVALIDARG;
    const std::string from = WithoutTrailingSeparators(Utf8FromBstr(OldPath));
    const std::string to = WithoutTrailingSeparators(Utf8FromBstr(NewPath));
    if (SameTextIgnoringCase(from, to)) return STG_E_INVALIDNAME;
    struct stat st{};
    if (!IsExistingFolder(from) || ::lstat(to.c_str(), &st) == 0) return STG_E_FILEALREADYEXISTS;
    MoveFolderPath(from, to);
    return IsExistingFolder(to) ? S_OK : E_FAIL;
  });
}

HRESULT FileTools::CopyFolder(BSTR Path, BSTR DestPath, int32_t ExistingDestOK) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path)) return E_INVALIDARG;
    if (IsEmpty(DestPath)) return STG_E_INVALIDNAME;
    const std::string from = WithoutTrailingSeparators(Utf8FromBstr(Path));
    const std::string to = WithoutTrailingSeparators(Utf8FromBstr(DestPath));
    if (SameTextIgnoringCase(from, to)) return STG_E_INVALIDNAME;
    const HRESULT destExists = FolderExistsUtf8(to);
    if (FAILED(destExists)) return destExists;
    if (!IsExistingFolder(from) || (destExists == S_OK && !ExistingDestOK)) return STG_E_FILEALREADYEXISTS;
    // Like the shell's folder copy: into an existing destination the folder
    // goes as a sub-folder of the same name; otherwise it becomes the
    // destination.
    const std::string target = destExists == S_OK ? to + "/" + fs::path(from).filename().string() : to;
    std::error_code ec;
    fs::copy(from, target,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing | fs::copy_options::copy_symlinks, ec);
    return ec ? E_FAIL : S_OK;
  });
}

HRESULT FileTools::MoveFolder(BSTR OldPath, BSTR NewPath) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(OldPath)) return E_INVALIDARG;
    if (IsEmpty(NewPath)) return STG_E_INVALIDNAME;
    const std::string from = WithoutTrailingSeparators(Utf8FromBstr(OldPath));
    const std::string to = WithoutTrailingSeparators(Utf8FromBstr(NewPath));
    if (SameTextIgnoringCase(from, to)) return STG_E_INVALIDNAME;
    const HRESULT destExists = FolderExistsUtf8(to);
    if (FAILED(destExists)) return destExists;
    struct stat st{};
    if (!IsExistingFolder(from) || destExists == S_OK || ::lstat(to.c_str(), &st) == 0) return STG_E_FILEALREADYEXISTS;
    return MoveFolderPath(from, to) ? S_OK : E_FAIL;
  });
}

HRESULT FileTools::EmptyFolder(BSTR Path, int32_t Recursive) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path)) return E_INVALIDARG;
    const std::string folder = WithoutTrailingSeparators(Utf8FromBstr(Path));
    if (!IsExistingFolder(folder)) return E_FAIL;
    HRESULT hr = S_OK;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      std::error_code ignored;
      const std::string child = entry.path().string();
      if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
        if (Recursive && RemoveFolderUtf8(child) != S_OK) hr = E_FAIL;
      } else if (RemoveFileUtf8(child) != S_OK) {
        hr = E_FAIL;
      }
    }
    return ec ? E_FAIL : hr;
  });
}

HRESULT FileTools::RemoveFolder(BSTR Path) {
  return Guard([&] { return IsEmpty(Path) ? E_INVALIDARG : RemoveFolderUtf8(Utf8FromBstr(Path)); });
}

HRESULT FileTools::ForcePath(BSTR Path) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path)) return E_INVALIDARG;
    const std::string text = Utf8FromBstr(Path);
    // Both separators split levels; an absolute path starts at the root, a
    // relative one at the current folder.
    std::string current = text.front() == '/' || text.front() == '\\' ? "" : ".";
    size_t at = 0;
    bool any = false;
    while (at < text.size()) {
      const size_t next = text.find_first_of("/\\", at);
      const std::string level = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
      at = next == std::string::npos ? text.size() : next + 1;
      if (level.empty()) continue;
      current += "/" + level;
      any = true;
      if (!IsExistingFolder(current)) ::mkdir(current.c_str(), 0777);
    }
    if (!any) return IsExistingFolder("/") ? S_OK : E_FAIL;
    return IsExistingFolder(current) ? S_OK : E_FAIL;
  });
}

HRESULT FileTools::IsSystemFolder(BSTR Path) {
  return Guard([&]() -> HRESULT {
    if (IsEmpty(Path)) return E_INVALIDARG;
    const std::string path = Utf8FromBstr(Path);
    const bool trailing = path.size() > 1 && path.back() == '/';
    for (std::string folder : XdgFolders::All()) {
      if (trailing && folder.back() != '/') folder += '/';
      if (folder == path) return S_OK;
    }
    return S_FALSE;
  });
}

HRESULT FileTools::GetWindowsTempPath(BSTR* pPath) {
  return Guard([&]() -> HRESULT {
    if (!pPath) return E_INVALIDARG;
    *pPath = nullptr;
    const auto documents = XdgFolders::Documents();
    if (!documents) return E_FAIL;
    const std::string temp = *documents + (documents->back() == '/' ? "Temp" : "/Temp");
    *pPath = BstrFromUtf8(temp);
    return *pPath ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT FileTools::GetWindowsDocumentsPath(BSTR* pPath) {
  return Guard([&]() -> HRESULT {
    if (!pPath) return E_INVALIDARG;
    *pPath = nullptr;
    const auto documents = XdgFolders::Documents();
    if (!documents) return E_FAIL;
    *pPath = BstrFromUtf8(*documents);
    return *pPath ? S_OK : E_OUTOFMEMORY;
  });
}

}  // namespace quillon::filetools
