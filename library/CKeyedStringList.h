#pragma once
// A keyed list of the "Open Driver" dialog (device types or manufacturers):
// the entries in the order they became known, the INI section, count key and
// item key pattern they are read from, and the next synthetic key handed to
// names that no package lists (starting at -1 and counting down).
//
// An item value is a number, a comma and a name: the number (C atoi rules)
// is the key, the text after the first comma, trimmed at both ends, the name.
// Items are read for 0 .. count-1 of the count key; a key that is already
// known is not added twice.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/CKeyedString.h"

namespace quillon {
class CMemINI;
}

namespace quillon::library {

class CKeyedStringList {
 public:
  CKeyedStringList(std::string section, std::string countKey, std::string itemPrefix);
  // Device types: section "main", count key "type_count", items "type%d".
  static CKeyedStringList DeviceTypes();
  // Manufacturers: section "mfg", count key "mfg_count", items "mfg%d".
  static CKeyedStringList Manufacturers();

  const std::string& GetSection() const { return m_section; }
  const std::string& GetCountKey() const { return m_countKey; }
  const std::string& GetItemPrefix() const { return m_itemPrefix; }

  // Empties the list; the next synthetic key goes back to -1.
  void Clear();
  // Adds the items of INI's section; returns how many were new. Items
  // without a comma are left out and described in REJECTED.
  int Merge(const CMemINI& ini, std::vector<std::string>* rejected = nullptr);
  // Adds KEY with NAME unless the key is known; true when added.
  bool Add(int key, const std::string& name);
  // The key of NAME (letter case ignored); an unknown name is added with the
  // next synthetic key.
  int KeyOfName(const std::string& name);

  const std::vector<CKeyedString>& GetItems() const { return m_items; }
  std::size_t GetCount() const { return m_items.size(); }
  // The entry with KEY, or null.
  const CKeyedString* FindKey(int key) const;
  // The first entry named NAME (letter case ignored), or null.
  const CKeyedString* FindName(const std::string& name) const;
  int GetNextSyntheticKey() const { return m_nextSynthetic; }

 private:
  std::string m_section;
  std::string m_countKey;
  std::string m_itemPrefix;
  std::vector<CKeyedString> m_items;
  std::unordered_map<int, std::size_t> m_byKey;
  std::unordered_map<std::string, std::size_t> m_byName;  // lower-cased name -> first entry
  int m_nextSynthetic = -1;
};

}  // namespace quillon::library
