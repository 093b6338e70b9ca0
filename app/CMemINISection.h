#pragma once
// A named, ordered list of key/value pairs; keys are unique without regard to
// letter case and keep the spelling of their first occurrence.
#include <deque>
#include <memory>
#include <string>

#include "app/CMemINIValue.h"

namespace quillon {

class CMemINISection {
 public:
  explicit CMemINISection(std::string name = std::string()) : m_name(std::move(name)) {}
  virtual ~CMemINISection() = default;
  CMemINISection(const CMemINISection& other);
  CMemINISection& operator=(const CMemINISection& other);

  const std::string& GetName() const { return m_name; }
  int GetCount() const { return static_cast<int>(m_values.size()); }
  // The pair at POSITION, or null when out of range.
  CMemINIValue* GetAt(int position) const;

  CMemINIValue* FindValue(const std::string& key) const;
  // The integer of KEY, or DEFAULT when the key is absent (an existing empty
  // value gives 0).
  int GetInt(const std::string& key, int defaultValue) const;
  // The text of KEY, or DEFAULT when the key is absent.
  std::string GetString(const std::string& key, const std::string& defaultValue) const;
  // The existing pair, or a new pair (KEY, "") appended at the end.
  CMemINIValue* GetOrAddValue(const std::string& key);
  CMemINIValue* SetString(const std::string& key, const std::string& value);
  // Removes KEY; true when it existed.
  bool RemoveValue(const std::string& key);

 private:
  std::string m_name;
  std::deque<std::unique_ptr<CMemINIValue>> m_values;
};

}  // namespace quillon
