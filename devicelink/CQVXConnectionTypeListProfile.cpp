// Recent connections kept in the user's profile, section "RecentConnections".
#include "app/CProfile.h"
#include "devicelink/CQVXConnectionTypeList.h"

namespace quillon {

void CQVXConnectionTypeList::SaveRecentToProfile(const CQVXConnectionType* selected) const {
  SaveRecent(selected, [](const std::string& name, const std::string& value) {
    CProfile::WriteProfileString(CProfile::kRecentConnectionsSection, name, value);
  });
}

std::unique_ptr<CQVXConnectionType> CQVXConnectionTypeList::LoadRecentFromProfile() {
  return LoadRecent([](const std::string& name) {
    return CProfile::GetProfileString(CProfile::kRecentConnectionsSection, name, std::string());
  });
}

}  // namespace quillon
