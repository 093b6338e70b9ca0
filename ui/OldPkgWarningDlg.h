#pragma once
// The old-package warning: shown once per run, while the library folder is
// chosen, when both the newer and the older driver library are installed.
// Its message names the two folders; its check box ("Do not show this
// warning again") is left in the core when the dialog closes, however it is
// closed, and the library folder choice stores it.
#include <QDialog>
#include <memory>

#include "library/CDlgOldPkgWarning.h"

namespace Ui {
class COldPkgWarningDlg;
}

namespace quillon::ui {

class COldPkgWarningDlg : public QDialog, public IOldPkgWarningView {
  Q_OBJECT

 public:
  explicit COldPkgWarningDlg(QWidget* parent = nullptr);
  ~COldPkgWarningDlg() override;

  // Shows DIALOG's message and check box modally; the box's state goes back
  // into DIALOG when the window closes.
  void ShowModal(CDlgOldPkgWarning& dialog) override;

  // What the window shows (tests).
  QString MessageText() const;
  bool IsDontShowAgainChecked() const;

 private:
  std::unique_ptr<Ui::COldPkgWarningDlg> m_ui;
};

}  // namespace quillon::ui
