#pragma once
// "Upload Driver": the name the driver gets on the device. Three choices:
// the next free number, a number of the user's choice (0 ... 99, ".VIR"
// added) or the driver's own file name. The choices' enabling, the number
// field's enabling and its limits are CUploadNameChoice's; the dialog shows
// them and forwards the clicks.
#include <QDialog>
#include <memory>

class QRadioButton;

namespace Ui {
class CUploadNameDlg;
}

namespace quillon {
class CUploadNameChoice;
}

namespace quillon::ui {

class CUploadNameDlg : public QDialog {
  Q_OBJECT

 public:
  // CHOICE is edited in place and must outlive the dialog.
  explicit CUploadNameDlg(CUploadNameChoice& choice, QWidget* parent = nullptr);
  ~CUploadNameDlg() override;

  // Shows the dialog over CHOICE; false on Cancel.
  static bool Ask(QWidget* parent, CUploadNameChoice& choice);

 private:
  void Render();

  CUploadNameChoice& m_choice;
  std::unique_ptr<Ui::CUploadNameDlg> m_ui;
  QRadioButton* m_choices[3] = {nullptr, nullptr, nullptr};
};

}  // namespace quillon::ui
