#include "library/CDlgOldPkgWarning.h"

#include <utility>

#include "app/CRegistry.h"
#include "library/CLibraryFolder.h"

namespace quillon {

namespace {

std::string Html(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

CDlgOldPkgWarning::CDlgOldPkgWarning(std::string olderFolder, std::string newerFolder)
    : m_olderFolder(std::move(olderFolder)), m_newerFolder(std::move(newerFolder)) {}

std::string CDlgOldPkgWarning::GetMessageText() const {
  return std::string(kOlderPackageText) + "\n\n" + m_olderFolder + "\n\n" + kCopyLooseText + "\n\n" +
         m_newerFolder + "\n\n" + kNotFoundText;
}

std::string CDlgOldPkgWarning::GetMessageRichText() const {
  return "<p>" + Html(kOlderPackageText) + "</p><p><b>" + Html(m_olderFolder) + "</b></p><p>" +
         Html(kCopyLooseText) + "</p><p><b>" + Html(m_newerFolder) + "</b></p><p>" + Html(kNotFoundText) +
         "</p>";
}

bool CDlgOldPkgWarning::OnClose() {
  return CRegistry::SetDword(RegistryRoot::Machine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue,
                             m_dontShowAgain ? 1u : 0u);
}

}  // namespace quillon
