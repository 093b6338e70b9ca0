#include "ui/ImportErrorDlg.h"

#include "irmodel/TQVXIrIni.h"
#include "ui/DriverText.h"
#include "ui/QtPrompt.h"
#include "ui_ImportErrorDlg.h"

namespace quillon::ui {

CDlgImportError::CDlgImportError(const QString& heading, const QStringList& messages, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgImportError>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("importErrorDialog"));
  setWindowTitle(QString::fromUtf8(TQVXIrIni::kErrorDialogCaption));
  m_ui->errorHeading->setText(heading);
  m_ui->errorList->addItems(messages);
  resize(std::max(sizeHint().width(), 520), 320);
}

CDlgImportError::~CDlgImportError() = default;

QString CDlgImportError::Heading() const { return m_ui->errorHeading->text(); }

QStringList CDlgImportError::Messages() const {
  QStringList messages;
  for (int i = 0; i < m_ui->errorList->count(); ++i) messages << m_ui->errorList->item(i)->text();
  return messages;
}

void CDlgImportError::Show(QWidget* parent, const std::string& report) {
  QStringList lines = FromDriverText(report).split(QLatin1Char('\n'));
  const QString heading = lines.isEmpty() ? QString() : lines.takeFirst();
  CDlgImportError dialog(heading, lines, parent);
  dialog.exec();
}

void CDlgImportError::Register() {
  QtPrompt::RegisterMessageDialog(TQVXIrIni::kErrorDialogCaption,
                                  [](QWidget* parent, const std::string& report, PromptButtons, PromptIcon) {
                                    Show(parent, report);
                                    return PromptAnswer::Ok;
                                  });
}

}  // namespace quillon::ui
