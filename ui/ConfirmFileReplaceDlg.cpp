#include "ui/ConfirmFileReplaceDlg.h"

#include <QLocale>
#include <QPushButton>

#include "ui/DriverText.h"
#include "ui_ConfirmFileReplaceDlg.h"

namespace quillon::ui {

CDialogConfirmFileReplace::CDialogConfirmFileReplace(const Details& details, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDialogConfirmFileReplace>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("confirmReplaceDialog"));
  setWindowTitle(QString::fromLatin1(kTitle));
  m_ui->replaceHeading->setText(
      tr("The device already holds a file named %1.").arg(FromDriverText(details.name)));
  m_ui->deviceFileText->setText(FileText(details.deviceSize, details.deviceTime));
  m_ui->localFileText->setText(FileText(details.localSize, details.localTime));
  connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // Replacing loses the device's file: No is the default answer.
  QPushButton* no = m_ui->buttonBox->button(QDialogButtonBox::No);
  no->setDefault(true);
  no->setFocus();
}

CDialogConfirmFileReplace::~CDialogConfirmFileReplace() = default;

QString CDialogConfirmFileReplace::FileText(std::int64_t size, const std::string& time) {
  const QString sizeText = size >= 0 ? tr("%1 bytes").arg(QLocale().toString(static_cast<qlonglong>(size)))
                                     : tr("size not known");
  const QString timeText = time.empty() ? tr("no file time (not saved)")
                                        : tr("modified %1").arg(QString::fromLocal8Bit(time.c_str()));
  return sizeText + QLatin1Char('\n') + timeText;
}

bool CDialogConfirmFileReplace::Ask(QWidget* parent, const Details& details) {
  CDialogConfirmFileReplace dialog(details, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace quillon::ui
