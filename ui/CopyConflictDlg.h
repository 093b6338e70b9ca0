#pragma once
// "Conflicting Function Names": asked for each copied or dropped function
// whose name the driver already holds. Six choices, in the document's order:
// rename the new function, rename the existing one, replace it, add the new
// sub-functions to it, skip this function, skip all remaining ones. Cancel
// (or closing the dialog) skips all remaining functions.
#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QRadioButton;

namespace Ui {
class CCopyConflictDlg;
}

namespace quillon::ui {

class CCopyConflictDlg : public QDialog {
  Q_OBJECT

 public:
  // TEXT names the conflict; OPTIONS label the six choices.
  CCopyConflictDlg(const QString& text, const std::vector<std::string>& options, QWidget* parent = nullptr);
  ~CCopyConflictDlg() override;

  // The index of the checked choice.
  int Choice() const;
  void SetChoice(int index);

  // Shows the dialog; the index chosen, or -1 when cancelled.
  static int Ask(QWidget* parent, const std::string& text, const std::vector<std::string>& options);
  // Makes QtPrompt show this dialog for the document's conflict question.
  static void Register();

 private:
  std::unique_ptr<Ui::CCopyConflictDlg> m_ui;
  std::vector<QRadioButton*> m_choices;
};

}  // namespace quillon::ui
