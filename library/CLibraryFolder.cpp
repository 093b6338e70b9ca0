#include "library/CLibraryFolder.h"

#include <mutex>
#include <optional>

#include "app/CRegistry.h"
#include "library/CDlgOldPkgWarning.h"

namespace quillon {

namespace {

std::mutex g_lock;
std::optional<std::string> g_folder;

std::string ReadString(const char* name) {
  return CRegistry::GetString(RegistryRoot::Machine, CLibraryFolder::kCommonKey, name).value_or(std::string());
}

void StoreSkipWarning(uint32_t value) {
  CRegistry::SetDword(RegistryRoot::Machine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue, value);
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string CLibraryFolder::Choose(IOldPkgWarningView* view) {
  const uint32_t skipWarning =
      CRegistry::GetDword(RegistryRoot::Machine, kProgramKey, kSkipWarningValue).value_or(0);
  const std::string newer = ReadString(kNewerValue);
  const std::string older = ReadString(kOlderValue);
  if (newer.empty() || older.empty()) {
    StoreSkipWarning(0);
    return WithSeparator(newer.empty() ? older : newer);
  }
  if (skipWarning == 0 && view) {
    CDlgOldPkgWarning warning(older, newer);
    view->ShowModal(warning);
    warning.OnClose();
  }
  return WithSeparator(newer);
}

std::string CLibraryFolder::Get(IOldPkgWarningView* view) {
  std::lock_guard<std::mutex> lock(g_lock);
  if (!g_folder) g_folder = Choose(view);
  return *g_folder;
}

void CLibraryFolder::Reset() {
  std::lock_guard<std::mutex> lock(g_lock);
  g_folder.reset();
}

}  // namespace quillon
