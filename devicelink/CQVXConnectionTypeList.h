#pragma once
// An owning list of connection descriptions: the program's recently used
// connections, most recent first. Saved to and restored from the per-user
// profile, section "RecentConnections".
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "devicelink/CQVXConnectionType.h"

namespace quillon {

class CQVXConnectionTypeList {
 public:
  // Reads a profile value by name ("" when absent) / writes one.
  using ProfileReader = std::function<std::string(const std::string& name)>;
  using ProfileWriter = std::function<void(const std::string& name, const std::string& value)>;

  static constexpr int kMaxSaved = 4;

  CQVXConnectionTypeList() = default;
  CQVXConnectionTypeList(const CQVXConnectionTypeList&) = delete;
  CQVXConnectionTypeList& operator=(const CQVXConnectionTypeList&) = delete;

  // Creates a description from TEXT (-1 when none), deletes every element of
  // the same endpoint and appends the new one at the tail; 0 on success.
  int AddFromText(std::string_view text);
  // Copies DESCRIPTION (-1 when none), deletes every equal element and inserts
  // the copy at the head; 0 on success.
  int AddCopyAtHead(const CQVXConnectionType* description);
  // The element at INDEX, or null when INDEX is out of range.
  CQVXConnectionType* GetAt(int index) const;
  int GetCount() const { return static_cast<int>(m_Items.size()); }
  void Clear() { m_Items.clear(); }

  // Writes "pendingConnection" (the selected connection's text, or " " when
  // none), then the first four elements under "recentConnection_0".. and a
  // blank " " under the next counter to mark the end.
  void SaveRecent(const CQVXConnectionType* selected, const ProfileWriter& write) const;
  // Replaces the list by the saved one and returns the saved selected
  // connection (none when it does not parse). Reading stops at an empty value,
  // a value beginning with a blank, or after four keys.
  std::unique_ptr<CQVXConnectionType> LoadRecent(const ProfileReader& read);

  // The same, through the per-user registry profile.
  void SaveRecentToProfile(const CQVXConnectionType* selected) const;
  std::unique_ptr<CQVXConnectionType> LoadRecentFromProfile();

 private:
  void RemoveEqual(const CQVXConnectionType& description);

  std::vector<std::unique_ptr<CQVXConnectionType>> m_Items;
};

}  // namespace quillon
