#pragma once
// "About Quillon": the program's version and the maker's logo, which opens
// the maker's web site. Every character typed while the box is open goes to
// the keystroke buffer; closing the box runs the advanced-mode test.
#include <QDialog>
#include <memory>

namespace Ui {
class CAboutDlg;
}

namespace quillon::ui {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  ~CAboutDlg() override;

  // Closing the box in any way (OK, Escape, the window's close button).
  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnLogoClicked();

  std::unique_ptr<Ui::CAboutDlg> m_ui;
};

}  // namespace quillon::ui
