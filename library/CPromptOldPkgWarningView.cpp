#include "library/CPromptOldPkgWarningView.h"

#include "app/IPrompt.h"

namespace quillon {

void CPromptOldPkgWarningView::ShowModal(CDlgOldPkgWarning& dialog) {
  const int choice = m_prompt.Choose(CDlgOldPkgWarning::kTitle, dialog.GetMessageText(),
                                     {kRemindOption, CDlgOldPkgWarning::kCheckBoxText});
  dialog.SetDontShowAgain(choice == 1);
}

}  // namespace quillon
