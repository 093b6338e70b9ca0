#include "app/CConfigFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>

#include "app/CEmbeddedResources.h"
#include "app/CQuillonException.h"
#include "app/CRegistry.h"
#include "app/IPrompt.h"
#include "platform/SafeFile.h"

namespace quillon {
namespace {

std::mutex g_driverFolderLock;
std::optional<std::string> g_driverFolder;

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// A string value under KEY of the machine store, the key being created when
// absent; "" when missing.
std::string ReadMachineString(const char* key, const char* name) {
  CRegistry::CreateKey(RegistryRoot::Machine, key);
  return CRegistry::GetString(RegistryRoot::Machine, key, name).value_or(std::string());
}

bool IsNonEmptyFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Writes BYTES to PATH through the shared safe writer; the first failure's
// reason goes to ERROR.
bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string* error) {
  try {
    WriteFileSafely(path, bytes);
    return true;
  } catch (const SafeFileError& e) {
    if (error && error->empty()) *error = e.what();
    return false;
  }
}

}  // namespace

std::string CConfigFiles::ResolveFolder(int kind) {
  switch (kind) {
    case kLibraryFolder:
      return WithSeparator(ReadMachineString(kCommonKey, "libpath"));
    case kDriverFolder: {
      std::string folder = ReadMachineString(kCommonKey, "driverpath2");
      if (folder.empty()) folder = ReadMachineString(kCommonKey, "driverpath");
      return WithSeparator(folder);
    }
    case kCommonFolder:
      return WithSeparator(ReadMachineString(kCommonKey, "path"));
    default:
      return std::string();
  }
}

std::string CConfigFiles::GetFolder(int kind) {
  if (kind != kDriverFolder) return ResolveFolder(kind);
  std::lock_guard<std::mutex> lock(g_driverFolderLock);
  if (!g_driverFolder) g_driverFolder = ResolveFolder(kDriverFolder);
  return *g_driverFolder;
}

void CConfigFiles::ResetDriverFolderCache() {
  std::lock_guard<std::mutex> lock(g_driverFolderLock);
  g_driverFolder.reset();
}

std::string CConfigFiles::GetInstallFolder() { return WithSeparator(ReadMachineString(kProgramKey, "path")); }

std::string CConfigFiles::LocateIniFile(const std::string& fileName) {
  const std::string folder = GetFolder(kCommonFolder);
  if (!folder.empty()) {
    const std::string path = folder + fileName;
    if (IsNonEmptyFile(path)) return path;
  }
  if (IsNonEmptyFile(fileName)) return fileName;
  return std::string();
}

void CConfigFiles::LoadEmbeddedIni(int id, CMemINI& ini) {
  const std::string text = CEmbeddedResources::IniText(id);
  ini.LoadBuffer(text);
}

std::string CConfigFiles::LoadSettingsIni(CMemINI& ini) {
  const std::string path = LocateIniFile(kSettingsFile);
  if (!path.empty() && ini.LoadFile(path)) return path;
  LoadEmbeddedIni(CEmbeddedResources::kQuillonIni, ini);
  return std::string();
}

bool CConfigFiles::CreateFolderLevels(const std::string& folder) {
  if (folder.empty()) return false;
  if (IsDirectory(folder)) return true;
  std::string path;
  std::size_t pos = 0;
  if (folder[0] == '/') {
    path = "/";
    pos = 1;
  }
  while (pos <= folder.size()) {
    std::size_t slash = folder.find('/', pos);
    std::string component = folder.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
    pos = slash == std::string::npos ? folder.size() + 1 : slash + 1;
    if (component.empty()) continue;
    if (!path.empty() && path.back() != '/') path += '/';
    path += component;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      if (!S_ISDIR(info.st_mode)) {  // a plain file stands in the way
        errno = ENOTDIR;
        return false;
      }
      continue;
    }
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (!IsDirectory(path)) return false;
  }
  return true;
}

bool CConfigFiles::WriteDefaultIniFiles(const std::string& folder, std::string* error) {
  if (error) error->clear();
  errno = 0;
  if (!CreateFolderLevels(folder)) {
    if (error) *error = folder + ": " + std::strerror(errno != 0 ? errno : ENOTDIR);
    return false;
  }
  const std::string base = WithSeparator(folder);
  bool ok = true;
  for (int id : {CEmbeddedResources::kIrFunctionsIni, CEmbeddedResources::kQuillonIni}) {
    auto bytes = CEmbeddedResources::Find(id);
    const char* name = id == CEmbeddedResources::kIrFunctionsIni ? kIrFunctionsFile : kSettingsFile;
    if (!bytes) {
      if (error && error->empty()) *error = std::string(name) + ": missing from the program";
      ok = false;
    } else if (!WriteWholeFile(base + name, *bytes, error)) {
      ok = false;
    }
  }
  return ok;
}

bool CConfigFiles::WriteDefaultIniFiles(IPrompt* prompt) {
  const std::string folder = GetFolder(kCommonFolder);
  // Without a common folder there is nowhere sensible to write to.
  bool ok = !folder.empty() && WriteDefaultIniFiles(folder);
  if (!ok && prompt) prompt->MessageBox(kSaveFailedMessage, "Quillon", PromptButtons::Ok, PromptIcon::Warning);
  return ok;
}

}  // namespace quillon
