#pragma once
// The progress alert of an upload: "Please Wait..." with the alert's text and
// the bytes sent so far while the worker transfers the driver, then "Done."
// with the completion text ("Driver uploaded as 5.vir", or the error) and an
// OK button. The alert (CProgressAlert) is finished by the main window's
// handling of the worker's events; the dialog only watches it.
#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

namespace Ui {
class CModalAlertDlg;
}

namespace quillon {
class CProgressAlert;
}

namespace quillon::ui {

class CModalAlertDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kWaitTitle = "Please Wait...";
  static constexpr const char* kDoneTitle = "Done.";

  // Bytes moved so far and the size of the transfer (both 0 when unknown).
  using ProgressQuery = std::function<void(std::int64_t* done, std::int64_t* total)>;

  // ALERT must outlive the dialog; PROGRESS may be empty.
  CModalAlertDlg(const CProgressAlert& alert, ProgressQuery progress, QWidget* parent = nullptr);
  ~CModalAlertDlg() override;

  // Redraws from the alert: its shown text, the title and whether OK can
  // close the dialog. Called by the dialog's own timer, and by the main
  // window when it finished the alert.
  void Render();

  // Closes only once the alert has finished.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  const CProgressAlert& m_alert;
  ProgressQuery m_progress;
  std::unique_ptr<Ui::CModalAlertDlg> m_ui;
  QTimer m_poll;
};

}  // namespace quillon::ui
