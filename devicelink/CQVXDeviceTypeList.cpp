#include "devicelink/CQVXDeviceTypeList.h"

#include <cctype>
#include <string>

#include "app/CMemINI.h"

namespace quillon {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

int CQVXDeviceTypeList::Load(const CMemINI& ini) {
  Clear();
  const CMemINISection* learners = ini.FindSection("supported_learners");
  if (!learners) return 0;
  const int count = learners->GetInt("learner_count", 0);
  for (int i = 0; i < count; ++i) {
    const std::string sectionName = learners->GetString("learner" + std::to_string(i), "");
    if (sectionName.empty()) continue;
    const CMemINISection* section = ini.FindSection(sectionName);
    if (!section) continue;
    auto type = std::make_unique<CQVXDeviceType>();
    type->ReadFromSection(*section);
    if (!type->GetPartNumber().empty() && (type->IsLearner() || type->HasPorts())) Add(std::move(type));
  }
  return GetCount();
}

const CQVXDeviceType* CQVXDeviceTypeList::Find(std::string_view partNumber) const {
  if (partNumber.empty()) return nullptr;
  for (const auto& type : m_Types) {
    if (EqualNoCase(type->GetPartNumber(), partNumber)) return type.get();
  }
  for (const auto& type : m_Types) {
    const std::string& family = type->GetFamilyNumber();
    if (!family.empty() && family.size() <= partNumber.size() &&
        EqualNoCase(family, partNumber.substr(0, family.size())))
      return type.get();
  }
  return nullptr;
}

bool CQVXDeviceTypeList::IsLearner(std::string_view partNumber) const {
  const CQVXDeviceType* type = Find(partNumber);
  return type && type->IsLearner();
}

const CQVXDeviceType* CQVXDeviceTypeList::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_Types[static_cast<size_t>(index)].get();
}

void CQVXDeviceTypeList::Add(std::unique_ptr<CQVXDeviceType> type) {
  if (type) m_Types.push_back(std::move(type));
}

CQVXDeviceTypeList& CQVXDeviceTypeList::Program() {
  static CQVXDeviceTypeList table;
  return table;
}

}  // namespace quillon
