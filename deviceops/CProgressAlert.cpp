#include "deviceops/CProgressAlert.h"

namespace quillon {

void CProgressAlert::Prepare(std::string text, std::string completionText, std::string fileName) {
  m_text = std::move(text);
  m_completion = std::move(completionText);
  m_fileName = std::move(fileName);
  m_finished = false;
}

}  // namespace quillon
