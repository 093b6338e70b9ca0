#include "library/CKeyedStringList.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "app/CMemINI.h"
#include "library/LibraryText.h"

namespace quillon::library {

CKeyedStringList::CKeyedStringList(std::string section, std::string countKey, std::string itemPrefix)
    : m_section(std::move(section)), m_countKey(std::move(countKey)), m_itemPrefix(std::move(itemPrefix)) {}

CKeyedStringList CKeyedStringList::DeviceTypes() { return CKeyedStringList("main", "type_count", "type"); }

CKeyedStringList CKeyedStringList::Manufacturers() { return CKeyedStringList("mfg", "mfg_count", "mfg"); }

void CKeyedStringList::Clear() {
  m_items.clear();
  m_byKey.clear();
  m_byName.clear();
  m_nextSynthetic = -1;
}

bool CKeyedStringList::Add(int key, const std::string& name) {
  if (m_byKey.count(key)) return false;
  m_byKey.emplace(key, m_items.size());
  m_byName.emplace(LowerAscii(name), m_items.size());
  m_items.push_back(CKeyedString{key, name});
  return true;
}

int CKeyedStringList::Merge(const CMemINI& ini, std::vector<std::string>* rejected) {
  const CMemINISection* section = ini.FindSection(m_section);
  if (!section) return 0;
  const int count = section->GetInt(m_countKey, 0);
  if (count <= 0) return 0;
  // The items type0 .. type(count-1), in number order. Walking the section's
  // own keys keeps an absurd count from costing anything.
  std::vector<std::pair<int, const CMemINIValue*>> items;
  for (int i = 0; i < section->GetCount(); ++i) {
    const CMemINIValue* value = section->GetAt(i);
    const auto number = NumberedName(value->GetKey(), m_itemPrefix);
    if (number && *number < count) items.emplace_back(*number, value);
  }
  std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  int added = 0;
  for (const auto& [number, value] : items) {
    const std::string& text = value->GetValue();
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
      if (rejected)
        rejected->push_back("[" + m_section + "] " + value->GetKey() + "=" + text + ": no comma between key and name");
      continue;
    }
    if (Add(std::atoi(text.c_str()), Trim(std::string_view(text).substr(comma + 1)))) ++added;
  }
  return added;
}

int CKeyedStringList::KeyOfName(const std::string& name) {
  if (const CKeyedString* known = FindName(name)) return known->m_key;
  // A synthetic key never collides with a listed one.
  while (m_byKey.count(m_nextSynthetic)) --m_nextSynthetic;
  const int key = m_nextSynthetic--;
  Add(key, name);
  return key;
}

const CKeyedString* CKeyedStringList::FindKey(int key) const {
  const auto it = m_byKey.find(key);
  return it == m_byKey.end() ? nullptr : &m_items[it->second];
}

const CKeyedString* CKeyedStringList::FindName(const std::string& name) const {
  const auto it = m_byName.find(LowerAscii(name));
  return it == m_byName.end() ? nullptr : &m_items[it->second];
}

}  // namespace quillon::library
