#include "deviceops/CUploadNameChoice.h"

#include <algorithm>

namespace quillon {

CUploadNameChoice::CUploadNameChoice(int nextFree, std::string localName)
    : m_autoEnabled(nextFree >= 0),
      m_localName(std::move(localName)),
      m_choice(nextFree >= 0 ? kAutoNumber : kNumber),
      m_number(nextFree >= 0 ? std::min(nextFree, 99) : 99) {}

bool CUploadNameChoice::IsChoiceEnabled(int choice) const {
  switch (choice) {
    case kAutoNumber: return m_autoEnabled;
    case kNumber: return true;
    case kLocalName: return !m_localName.empty();
    default: return false;
  }
}

bool CUploadNameChoice::SetChoice(int choice) {
  if (!IsChoiceEnabled(choice)) return false;
  m_choice = choice;
  return true;
}

void CUploadNameChoice::SetNumber(int number) { m_number = std::clamp(number, 0, 99); }

std::string CUploadNameChoice::TargetName(int nextFreeNow) const {
  switch (m_choice) {
    case kAutoNumber:
      return nextFreeNow >= 0 ? std::to_string(nextFreeNow) + ".vir" : std::string();
    case kNumber: return std::to_string(m_number) + ".vir";
    default: return m_localName;
  }
}

}  // namespace quillon
