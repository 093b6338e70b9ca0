#include "app/CCommandList.h"

#include "app/CMemINISection.h"
#include "app/CQuillonException.h"

namespace quillon {

void CCommandList::BuildFrom(const CMemINISection& section) {
  m_typeName = section.GetName();
  m_commands.clear();
  const CMemINIValue* count = section.FindValue("count");
  if (!count) return;
  const int n = count->GetInt();
  for (int j = 0; j < n; ++j) {
    const CMemINIValue* cmd = section.FindValue("cmd" + std::to_string(j));
    if (!cmd) {
      m_commands.clear();
      throw CQuillonException("Error while loading Device Command List");
    }
    if (cmd->GetValue().empty()) {
      m_commands.clear();
      throw CQuillonException("Invalid entry in Device Command List");
    }
    m_commands.push_back(cmd->GetValue());
  }
}

std::string CCommandList::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return std::string();
  return m_commands[static_cast<std::size_t>(index)];
}

int CCommandList::IndexOf(const std::string& name) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (EqualsNoCase(m_commands[static_cast<std::size_t>(i)], name)) return i;
  }
  return -1;
}

}  // namespace quillon
