#include "ui/OldPkgWarningDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QStyle>

#include "ui_OldPkgWarningDlg.h"

namespace quillon::ui {

COldPkgWarningDlg::COldPkgWarningDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::COldPkgWarningDlg>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("oldPkgWarningDialog"));
  setWindowTitle(QString::fromUtf8(CDlgOldPkgWarning::kTitle));
  m_ui->dontShowAgain->setText(QString::fromUtf8(CDlgOldPkgWarning::kCheckBoxText));
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  m_ui->warningIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize));
}

COldPkgWarningDlg::~COldPkgWarningDlg() = default;

void COldPkgWarningDlg::ShowModal(CDlgOldPkgWarning& dialog) {
  m_ui->messageText->setText(QString::fromStdString(dialog.GetMessageRichText()));
  m_ui->dontShowAgain->setChecked(dialog.GetDontShowAgain());
  m_ui->buttonBox->setFocus();
  adjustSize();
  exec();
  dialog.SetDontShowAgain(m_ui->dontShowAgain->isChecked());
}

QString COldPkgWarningDlg::MessageText() const { return m_ui->messageText->text(); }

bool COldPkgWarningDlg::IsDontShowAgainChecked() const { return m_ui->dontShowAgain->isChecked(); }

}  // namespace quillon::ui
