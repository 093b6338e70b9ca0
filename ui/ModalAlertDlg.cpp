#include "ui/ModalAlertDlg.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>

#include "deviceops/CProgressAlert.h"
#include "ui/DriverText.h"
#include "ui_ModalAlertDlg.h"

namespace quillon::ui {

CModalAlertDlg::CModalAlertDlg(const CProgressAlert& alert, ProgressQuery progress, QWidget* parent)
    : QDialog(parent), m_alert(alert), m_progress(std::move(progress)), m_ui(std::make_unique<Ui::CModalAlertDlg>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("progressDialog"));
  connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
  m_poll.setInterval(100);
  connect(&m_poll, &QTimer::timeout, this, &CModalAlertDlg::Render);
  m_poll.start();
  Render();
}

CModalAlertDlg::~CModalAlertDlg() = default;

void CModalAlertDlg::Render() {
  const bool finished = m_alert.IsFinished();
  setWindowTitle(QString::fromLatin1(finished ? kDoneTitle : kWaitTitle));
  m_ui->alertText->setText(FromDriverText(m_alert.GetShownText()));
  QPushButton* ok = m_ui->buttonBox->button(QDialogButtonBox::Ok);
  ok->setEnabled(finished);
  if (finished) {
    m_poll.stop();
    m_ui->alertProgress->hide();
    ok->setDefault(true);
    ok->setFocus();
    return;
  }
  std::int64_t done = 0, total = 0;
  if (m_progress) m_progress(&done, &total);
  if (total > 0) {
    // The bar counts in kilobytes so that large drivers stay in an int.
    m_ui->alertProgress->setRange(0, static_cast<int>((total + 1023) / 1024));
    m_ui->alertProgress->setValue(static_cast<int>(std::min(done, total) / 1024));
  } else {
    m_ui->alertProgress->setRange(0, 0);  // busy until the worker starts sending
  }
}

void CModalAlertDlg::reject() {
  // The worker finishes or fails every upload it took; until it reports,
  // the alert stays open (Escape and the close button wait as well).
  if (m_alert.IsFinished()) QDialog::reject();
}

void CModalAlertDlg::closeEvent(QCloseEvent* event) {
  if (m_alert.IsFinished()) {
    QDialog::closeEvent(event);
  } else {
    event->ignore();
  }
}

}  // namespace quillon::ui
