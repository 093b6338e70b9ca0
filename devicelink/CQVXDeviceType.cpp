#include "devicelink/CQVXDeviceType.h"

#include <cctype>

#include "app/CMemINISection.h"

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

// The value of KEY, else of FALLBACK, else empty.
std::string ReadEither(const CMemINISection& section, const char* key, const char* fallback) {
  if (section.FindValue(key)) return section.GetString(key, "");
  return section.GetString(fallback, "");
}

}  // namespace

int32_t CQVXDeviceType::LearnKindFromText(std::string_view learnType) {
  if (EqualNoCase(learnType, "qvx")) return kQVXLearner;
  for (const char* word : {"hlvr", "hlvrip", "halvar", "halvarip"}) {
    if (EqualNoCase(learnType, word)) return kHalvarLearner;
  }
  return kNotLearner;
}

void CQVXDeviceType::ReadFromSection(const CMemINISection& section) {
  *this = CQVXDeviceType();
  m_Name = section.GetName();
  m_LearnKind = LearnKindFromText(section.GetString("learntype", ""));
  m_PartNumber = ReadEither(section, "partnumber", "partnum");
  m_FamilyNumber = ReadEither(section, "familynumber", "familynum");
  m_FirstPort = section.GetInt("firstport", 0);
  m_LastPort = section.GetInt("lastport", 0);
  m_FirstSharedPort = section.GetInt("firstsiport", 0);
  m_LastSharedPort = section.GetInt("lastsiport", 0);

  if (m_FirstPort < 1 || m_LastPort < m_FirstPort) {
    m_PartNumber.clear();
    m_LearnKind = kNotLearner;
    m_FirstPort = m_LastPort = m_FirstSharedPort = m_LastSharedPort = 0;
    return;
  }
  if (m_FirstSharedPort < 1 || m_LastSharedPort < 1 || m_LastSharedPort < m_FirstSharedPort) {
    m_FirstSharedPort = m_LastSharedPort = 0;
  }
}

int CQVXDeviceType::GetPortCount() const {
  if (m_FirstPort >= 1 && m_LastPort >= m_FirstPort) return m_LastPort - m_FirstPort + 1;
  return 0;
}

bool CQVXDeviceType::IsSharedPort(int n) const {
  return m_FirstSharedPort >= 1 && m_LastSharedPort >= m_FirstSharedPort && n >= m_FirstSharedPort &&
         n <= m_LastSharedPort;
}

bool CQVXDeviceType::NeedsPortOffset() const {
  return m_LearnKind == kQVXLearner && (EqualNoCase(m_PartNumber, "71-2204-01") || EqualNoCase(m_PartNumber, "71-2204-02"));
}

}  // namespace quillon
