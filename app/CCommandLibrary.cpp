#include "app/CCommandLibrary.h"

#include <new>

#include "app/CMemINI.h"
#include "app/CQuillonException.h"

namespace quillon {
namespace {

constexpr const char* kInvalidFile = "Invalid IR Command INI file";

}  // namespace

void CCommandLibrary::Load(CMemINI& ini) {
  Clear();
  try {
    const CMemINISection* main = ini.FindSection("main");
    if (!main) throw CQuillonException(kInvalidFile);
    const CMemINIValue* typeCount = main->FindValue("type_count");
    if (!typeCount) throw CQuillonException(kInvalidFile);
    const int count = typeCount->GetInt();
    for (int i = 0; i < count; ++i) {
      const CMemINIValue* entry = main->FindValue("type" + std::to_string(i));
      if (!entry || entry->GetValue().empty()) throw CQuillonException(kInvalidFile);
      const std::string& value = entry->GetValue();
      const std::size_t comma = value.find(',');
      const std::string typeName = comma == std::string::npos ? value : value.substr(comma + 1);
      const CMemINISection* section = ini.FindSection(typeName);
      if (!section) {
        CMemINISection* added = ini.GetOrAddSection(typeName);
        added->SetString("count", "0");
        section = added;
      }
      auto list = std::make_unique<CCommandList>();
      list->BuildFrom(*section);
      m_lists.push_back(std::move(list));
    }
  } catch (const std::bad_alloc&) {
    Clear();
    throw CQuillonException("Out of memory");
  } catch (...) {
    Clear();
    throw;
  }
}

void CCommandLibrary::LoadFile(const std::string& path) {
  if (path.empty()) throw CQuillonException("Invalid IR Command INI filename");
  CMemINI ini;
  if (!ini.LoadFile(path) || ini.GetCount() == 0) throw CQuillonException(kInvalidFile);
  Load(ini);
}

const CCommandList* CCommandLibrary::Find(const std::string& typeName) const {
  for (const auto& list : m_lists) {
    if (!list->GetTypeName().empty() && EqualsNoCase(list->GetTypeName(), typeName)) return list.get();
  }
  return nullptr;
}

const CCommandList* CCommandLibrary::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_lists[static_cast<std::size_t>(index)].get();
}

}  // namespace quillon
