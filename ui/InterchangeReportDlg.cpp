#include "ui/InterchangeReportDlg.h"

#include <QStyle>

#include "ui_InterchangeReportDlg.h"

namespace quillon::ui {

CInterchangeReportDlg::CInterchangeReportDlg(const QString& title, const QString& heading,
                                             const QStringList& warnings, const QStringList& notes,
                                             QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::CInterchangeReportDlg>()),
      m_warnings(warnings.size()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("interchangeReportDialog"));
  setWindowTitle(title);
  const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  const QIcon note = style()->standardIcon(QStyle::SP_MessageBoxInformation);
  const QStyle::StandardPixmap headingIcon =
      warnings.isEmpty() ? QStyle::SP_MessageBoxInformation : QStyle::SP_MessageBoxWarning;
  m_ui->reportIcon->setPixmap(style()->standardIcon(headingIcon).pixmap(32, 32));
  m_ui->reportHeading->setText(heading);
  for (const QString& text : warnings) new QListWidgetItem(warning, text, m_ui->reportList);
  for (const QString& text : notes) new QListWidgetItem(note, text, m_ui->reportList);
  m_ui->reportList->setVisible(m_ui->reportList->count() > 0);
  resize(std::max(sizeHint().width(), 640),
         m_ui->reportList->count() > 0 ? 340 : sizeHint().height());
}

CInterchangeReportDlg::~CInterchangeReportDlg() = default;

QString CInterchangeReportDlg::Heading() const { return m_ui->reportHeading->text(); }

QStringList CInterchangeReportDlg::Messages() const {
  QStringList messages;
  for (int i = 0; i < m_ui->reportList->count(); ++i) messages << m_ui->reportList->item(i)->text();
  return messages;
}

}  // namespace quillon::ui
