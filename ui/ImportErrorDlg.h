#pragma once
// "Errors": the messages an INI import recorded, in the order recorded, in a
// list under the heading "The following errors were encountered during the
// import process.  The driver may not be usable.".
#include <QDialog>
#include <QStringList>
#include <memory>
#include <string>

namespace Ui {
class CDlgImportError;
}

namespace quillon::ui {

class CDlgImportError : public QDialog {
  Q_OBJECT

 public:
  CDlgImportError(const QString& heading, const QStringList& messages, QWidget* parent = nullptr);
  ~CDlgImportError() override;

  QString Heading() const;
  QStringList Messages() const;

  // Shows the report the document gives as one text: the heading on the
  // first line, then one message per line.
  static void Show(QWidget* parent, const std::string& report);
  // Makes QtPrompt show this dialog for the document's import report.
  static void Register();

 private:
  std::unique_ptr<Ui::CDlgImportError> m_ui;
};

}  // namespace quillon::ui
