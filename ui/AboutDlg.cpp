#include "ui/AboutDlg.h"

#include <QKeyEvent>
#include <QPushButton>

#include "app/CAccessCodes.h"
#include "app/CQuillonApp.h"
#include "app/CTCharDeque.h"
#include "quillon/Version.h"
#include "ui/UrlOpener.h"
#include "ui_AboutDlg.h"

namespace quillon::ui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAboutDlg>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("aboutDlg"));
  m_ui->versionLabel->setText(QString::fromStdString(CQuillonApp::AboutVersionText()));
  QFont big = m_ui->versionLabel->font();
  big.setPointSizeF(big.pointSizeF() * 1.35);
  big.setBold(true);
  m_ui->versionLabel->setFont(big);
  m_ui->buildLabel->setText(tr("Program version %1").arg(QStringLiteral(QUILLON_VERSION_TEXT)));
  m_ui->webLabel->setText(tr("Click the logo to visit %1").arg(QString::fromStdString(CQuillonApp::GetMakerWebAddress())));
  m_ui->logo->setToolTip(QString::fromStdString(CQuillonApp::GetMakerWebAddress()));
  connect(m_ui->logo, &CAboutLogo::clicked, this, &CAboutDlg::OnLogoClicked);
  connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);

  // Every key goes to the box itself, so each character typed reaches the
  // keystroke buffer exactly once; Enter and Escape still close it.
  setFocusPolicy(Qt::StrongFocus);
  for (QWidget* child : findChildren<QWidget*>()) child->setFocusPolicy(Qt::NoFocus);
  if (QPushButton* ok = m_ui->buttonBox->button(QDialogButtonBox::Ok)) {
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
  }
  setFocus();
  setMinimumWidth(460);
  adjustSize();
  setFixedSize(size());
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
  for (const QChar c : event->text()) {
    if (c.unicode() >= 0x20 && c.unicode() < 0x7f) CAccessCodes::Keystrokes().Add(static_cast<char>(c.unicode()));
  }
  QDialog::keyPressEvent(event);
}

void CAboutDlg::done(int result) {
  CAccessCodes::OnAboutBoxClosed();
  QDialog::done(result);
}

void CAboutDlg::OnLogoClicked() { UrlOpener::Open(QUrl(QString::fromStdString(CQuillonApp::GetMakerWebAddress()))); }

}  // namespace quillon::ui
