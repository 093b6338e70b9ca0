#pragma once
// Shows the old-package warning through the prompt interface, for hosts
// without a window of their own for it: a choice between the two states of
// the check box (cancelling leaves it unchecked).
#include "library/CDlgOldPkgWarning.h"

namespace quillon {

class IPrompt;

class CPromptOldPkgWarningView : public IOldPkgWarningView {
 public:
  static constexpr const char* kRemindOption = "Show this warning next time";

  explicit CPromptOldPkgWarningView(IPrompt& prompt) : m_prompt(prompt) {}
  void ShowModal(CDlgOldPkgWarning& dialog) override;

 private:
  IPrompt& m_prompt;
};

}  // namespace quillon
