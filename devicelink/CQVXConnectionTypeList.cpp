#include "devicelink/CQVXConnectionTypeList.h"

#include <algorithm>

namespace quillon {
namespace {

std::string RecentKey(int counter) { return "recentConnection_" + std::to_string(counter); }

}  // namespace

void CQVXConnectionTypeList::RemoveEqual(const CQVXConnectionType& description) {
  m_Items.erase(std::remove_if(m_Items.begin(), m_Items.end(),
                               [&](const std::unique_ptr<CQVXConnectionType>& item) {
                                 return item && item->IsSameEndpoint(description);
                               }),
                m_Items.end());
}

int CQVXConnectionTypeList::AddFromText(std::string_view text) {
  std::unique_ptr<CQVXConnectionType> description = CQVXConnectionType::CreateFromText(text);
  if (!description) return -1;
  RemoveEqual(*description);
  m_Items.push_back(std::move(description));
  return 0;
}

int CQVXConnectionTypeList::AddCopyAtHead(const CQVXConnectionType* description) {
  std::unique_ptr<CQVXConnectionType> copy = CQVXConnectionType::CreateCopy(description);
  if (!copy) return -1;
  RemoveEqual(*copy);
  m_Items.insert(m_Items.begin(), std::move(copy));
  return 0;
}

CQVXConnectionType* CQVXConnectionTypeList::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_Items[static_cast<size_t>(index)].get();
}

void CQVXConnectionTypeList::SaveRecent(const CQVXConnectionType* selected, const ProfileWriter& write) const {
  write("pendingConnection", selected ? selected->GetConnectionText() : std::string(" "));
  int counter = 0;
  const int limit = std::min(GetCount(), kMaxSaved);
  for (int i = 0; i < limit; ++i) {
    const CQVXConnectionType* item = GetAt(i);
    if (!item) continue;
    write(RecentKey(counter), item->GetConnectionText());
    ++counter;
  }
  write(RecentKey(counter), " ");
}

std::unique_ptr<CQVXConnectionType> CQVXConnectionTypeList::LoadRecent(const ProfileReader& read) {
  Clear();
  std::unique_ptr<CQVXConnectionType> selected = CQVXConnectionType::CreateFromText(read("pendingConnection"));
  for (int counter = 0; counter < kMaxSaved; ++counter) {
    const std::string value = read(RecentKey(counter));
    if (value.empty() || value[0] == ' ') break;
    AddFromText(value);
  }
  return selected;
}

}  // namespace quillon
