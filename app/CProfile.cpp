#include "app/CProfile.h"

#include <cstdio>

#include "app/CRegistry.h"

namespace quillon {
namespace {

std::string SectionKey(const std::string& section) { return std::string(CProfile::kProfileKey) + "\\" + section; }

std::string Numbered(const char* prefix, int n) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%d", prefix, n);
  return text;
}

}  // namespace

std::string CProfile::GetProfileString(const std::string& section, const std::string& entry,
                                       const std::string& defaultValue) {
  return CRegistry::GetString(RegistryRoot::User, SectionKey(section), entry).value_or(defaultValue);
}

bool CProfile::WriteProfileString(const std::string& section, const std::string& entry, const std::string& value) {
  return CRegistry::SetString(RegistryRoot::User, SectionKey(section), entry, value);
}

int CProfile::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) {
  auto value = CRegistry::GetDword(RegistryRoot::User, SectionKey(section), entry);
  return value ? static_cast<int>(*value) : defaultValue;
}

bool CProfile::WriteProfileInt(const std::string& section, const std::string& entry, int value) {
  return CRegistry::SetDword(RegistryRoot::User, SectionKey(section), entry, static_cast<uint32_t>(value));
}

std::vector<std::string> CProfile::LoadRecentFiles() {
  std::vector<std::string> files;
  for (int i = 1; i <= kRecentFileCount; ++i) {
    std::string file = GetProfileString(kRecentFileSection, Numbered("File", i), "");
    if (!file.empty()) files.push_back(file);
  }
  return files;
}

bool CProfile::SaveRecentFiles(const std::vector<std::string>& files) {
  CRegistry::DeleteKey(RegistryRoot::User, SectionKey(kRecentFileSection));
  bool ok = CRegistry::CreateKey(RegistryRoot::User, SectionKey(kRecentFileSection));
  int n = 0;
  for (const auto& file : files) {
    if (file.empty()) continue;
    if (n == kRecentFileCount) break;
    ok = WriteProfileString(kRecentFileSection, Numbered("File", ++n), file) && ok;
  }
  return ok;
}

void CProfile::AddRecentFile(std::vector<std::string>& list, const std::string& path) {
  if (path.empty()) return;
  for (auto it = list.begin(); it != list.end();) it = (*it == path) ? list.erase(it) : it + 1;
  list.insert(list.begin(), path);
  if (list.size() > static_cast<std::size_t>(kRecentFileCount)) list.resize(kRecentFileCount);
}

bool CProfile::SaveRecentConnections(const std::string& pending, const std::vector<std::string>& recent) {
  bool ok = WriteProfileString(kRecentConnectionsSection, kPendingConnection, pending.empty() ? " " : pending);
  int counter = 0;
  for (std::size_t i = 0; i < recent.size() && i < static_cast<std::size_t>(kRecentConnectionCount); ++i) {
    if (recent[i].empty()) continue;
    ok = WriteProfileString(kRecentConnectionsSection, Numbered(kRecentConnectionPrefix, counter++), recent[i]) && ok;
  }
  return WriteProfileString(kRecentConnectionsSection, Numbered(kRecentConnectionPrefix, counter), " ") && ok;
}

void CProfile::LoadRecentConnections(std::string& pending, std::vector<std::string>& recent) {
  pending = GetProfileString(kRecentConnectionsSection, kPendingConnection, "");
  recent.clear();
  for (int i = 0; i < kRecentConnectionCount; ++i) {
    std::string text = GetProfileString(kRecentConnectionsSection, Numbered(kRecentConnectionPrefix, i), "");
    if (text.empty() || text[0] == ' ') break;
    recent.push_back(text);
  }
}

int CProfile::GetLearnAutoSelect() { return GetProfileInt(kProgramSettingsSection, kLearnAutoSelect, 1); }

bool CProfile::SetLearnAutoSelect(int value) {
  return WriteProfileInt(kProgramSettingsSection, kLearnAutoSelect, value);
}

int CProfile::GetLearnEnhancedAnalysis() {
  const int value = GetProfileInt(kProgramSettingsSection, kLearnEnhancedAnalysis, -1);
  return value < 0 ? -1 : (value != 0 ? 1 : 0);
}

bool CProfile::SetLearnEnhancedAnalysis(int value) {
  return WriteProfileInt(kProgramSettingsSection, kLearnEnhancedAnalysis, value);
}

}  // namespace quillon
