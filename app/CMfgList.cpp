#include "app/CMfgList.h"

#include <new>

#include "app/CMemINI.h"
#include "app/CQuillonException.h"

namespace quillon {
namespace {

constexpr const char* kInvalidFile = "Invalid IR Command INI file";

}  // namespace

void CMfgList::Load(const CMemINI& ini) {
  Clear();
  try {
    const CMemINIValue* countValue = ini.GetValue("mfg", "mfg_count");
    if (!countValue) throw CQuillonException(kInvalidFile);
    const int count = countValue->GetInt();
    for (int i = 0; i < count; ++i) {
      const CMemINIValue* entry = ini.GetValue("mfg", "mfg" + std::to_string(i));
      if (!entry || entry->GetValue().empty()) throw CQuillonException(kInvalidFile);
      const std::string& value = entry->GetValue();
      const std::size_t comma = value.find(',');
      const bool numbered = value[0] >= '0' && value[0] <= '9' && comma != std::string::npos &&
                            comma + 1 < value.size();
      m_names.push_back(numbered ? value.substr(comma + 1) : value);
    }
  } catch (const std::bad_alloc&) {
    Clear();
    throw CQuillonException("Out of memory");
  } catch (...) {
    Clear();
    throw;
  }
}

void CMfgList::LoadFile(const std::string& path) {
  if (path.empty()) throw CQuillonException("Invalid IR Command INI filename");
  CMemINI ini;
  if (!ini.LoadFile(path) || ini.GetCount() == 0) throw CQuillonException(kInvalidFile);
  Load(ini);
}

std::string CMfgList::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return std::string();
  return m_names[static_cast<std::size_t>(index)];
}

std::vector<std::string> CMfgList::GetComboBoxEntries() const {
  std::vector<std::string> entries;
  for (const auto& name : m_names) {
    if (name.empty()) continue;
    entries.push_back(name == "???" ? "Other" : name);
  }
  return entries;
}

}  // namespace quillon
