// Recent connections kept in the per-user registry profile.
#include "app/CRegistry.h"
#include "devicelink/CQVXConnectionTypeList.h"

namespace quillon {

void CQVXConnectionTypeList::SaveRecentToProfile(const CQVXConnectionType* selected) const {
  SaveRecent(selected, [](const std::string& name, const std::string& value) {
    CRegistry::SetString(RegistryRoot::User, kProfileKey, name, value);
  });
}

std::unique_ptr<CQVXConnectionType> CQVXConnectionTypeList::LoadRecentFromProfile() {
  return LoadRecent([](const std::string& name) {
    return CRegistry::GetString(RegistryRoot::User, kProfileKey, name).value_or(std::string());
  });
}

}  // namespace quillon
