#include "ui/CopyConflictDlg.h"

#include <QRadioButton>

#include "irmodel/CDriverDocText.h"
#include "ui/DriverText.h"
#include "ui/QtPrompt.h"
#include "ui_CopyConflictDlg.h"

namespace quillon::ui {

CCopyConflictDlg::CCopyConflictDlg(const QString& text, const std::vector<std::string>& options, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CCopyConflictDlg>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("copyConflictDialog"));
  setWindowTitle(QString::fromUtf8(CDriverDocText::kConflictTitle));
  m_ui->conflictText->setText(text);
  m_choices = {m_ui->choiceRenameNew, m_ui->choiceRenameExisting,  m_ui->choiceReplace,
               m_ui->choiceAddSubFunctions, m_ui->choiceSkip, m_ui->choiceSkipAll};
  for (std::size_t i = 0; i < m_choices.size(); ++i) {
    if (i < options.size()) m_choices[i]->setText(QString::fromStdString(options[i]));
    else m_choices[i]->hide();
  }
}

CCopyConflictDlg::~CCopyConflictDlg() = default;

int CCopyConflictDlg::Choice() const {
  for (std::size_t i = 0; i < m_choices.size(); ++i) {
    if (m_choices[i]->isChecked()) return static_cast<int>(i);
  }
  return 0;
}

void CCopyConflictDlg::SetChoice(int index) {
  if (index >= 0 && index < static_cast<int>(m_choices.size())) m_choices[static_cast<std::size_t>(index)]->setChecked(true);
}

int CCopyConflictDlg::Ask(QWidget* parent, const std::string& text, const std::vector<std::string>& options) {
  CCopyConflictDlg dialog(FromDriverText(text), options, parent);
  if (dialog.exec() != QDialog::Accepted) return -1;
  return dialog.Choice();
}

void CCopyConflictDlg::Register() {
  QtPrompt::RegisterChoiceDialog(CDriverDocText::kConflictTitle, &CCopyConflictDlg::Ask);
}

}  // namespace quillon::ui
