#pragma once
// What an import or export of an interchange file did, when there is more to
// say than a line in the status bar: a heading ("10 functions imported from
// remotes.ir. 1 name changed.") over a list of every entry left out or
// altered (warning icon) and every note (information icon), in that order,
// each naming the file and line it concerns.
#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class CInterchangeReportDlg;
}

namespace quillon::ui {

class CInterchangeReportDlg : public QDialog {
  Q_OBJECT

 public:
  CInterchangeReportDlg(const QString& title, const QString& heading, const QStringList& warnings,
                        const QStringList& notes, QWidget* parent = nullptr);
  ~CInterchangeReportDlg() override;

  QString Heading() const;
  // The list's texts, warnings first.
  QStringList Messages() const;
  int WarningCount() const { return m_warnings; }

 private:
  std::unique_ptr<Ui::CInterchangeReportDlg> m_ui;
  int m_warnings;
};

}  // namespace quillon::ui
