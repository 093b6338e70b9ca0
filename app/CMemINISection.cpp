#include "app/CMemINISection.h"

namespace quillon {

CMemINISection::CMemINISection(const CMemINISection& other) : m_name(other.m_name) {
  for (const auto& value : other.m_values) m_values.push_back(std::make_unique<CMemINIValue>(*value));
}

CMemINISection& CMemINISection::operator=(const CMemINISection& other) {
  if (this != &other) {
    CMemINISection copy(other);
    m_name = std::move(copy.m_name);
    m_values = std::move(copy.m_values);
  }
  return *this;
}

CMemINIValue* CMemINISection::GetAt(int position) const {
  if (position < 0 || position >= GetCount()) return nullptr;
  return m_values[static_cast<std::size_t>(position)].get();
}

CMemINIValue* CMemINISection::FindValue(const std::string& key) const {
  for (const auto& value : m_values) {
    if (EqualsNoCase(value->GetKey(), key)) return value.get();
  }
  return nullptr;
}

int CMemINISection::GetInt(const std::string& key, int defaultValue) const {
  const CMemINIValue* value = FindValue(key);
  return value ? value->GetInt() : defaultValue;
}

std::string CMemINISection::GetString(const std::string& key, const std::string& defaultValue) const {
  const CMemINIValue* value = FindValue(key);
  return value ? value->GetValue() : defaultValue;
}

CMemINIValue* CMemINISection::GetOrAddValue(const std::string& key) {
  if (CMemINIValue* existing = FindValue(key)) return existing;
  m_values.push_back(std::make_unique<CMemINIValue>(key, std::string()));
  return m_values.back().get();
}

CMemINIValue* CMemINISection::SetString(const std::string& key, const std::string& value) {
  CMemINIValue* pair = GetOrAddValue(key);
  pair->SetValue(value);
  return pair;
}

bool CMemINISection::RemoveValue(const std::string& key) {
  for (auto it = m_values.begin(); it != m_values.end(); ++it) {
    if (EqualsNoCase((*it)->GetKey(), key)) {
      m_values.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace quillon
