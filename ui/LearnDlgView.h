#pragma once
// "Learn/Verify IR Functions": the window of the learn dialog. It shows the
// state of its CLearnDlg core and forwards every click to it; its 100 ms
// timer only calls the core's tick. Every control a test touches is named
// after the core accessor it shows (learnButton for GetLearnButton, list for
// GetList, statusText for GetStatusText, ...).
//
// Beside the core's own controls it shows, for people with a remote in
// hand, how many functions are learned, the carrier of the last capture, a
// picture of the capture with the function it gave drawn on the same time
// axis, and after a verify every duration compared; each capture that
// arrives flashes the status line, sounds the bell and asks the desktop for
// attention.
#include <QDialog>
#include <memory>

#include "signals/TIrCaptureOverview.h"

class QTimer;
class QCloseEvent;

namespace Ui {
class CLearnDlgView;
}

namespace quillon {
class CLearnDlg;
}

namespace quillon::ui {

class TextTableModel;

class CLearnDlgView : public QDialog {
  Q_OBJECT

 public:
  // CORE has been opened; it must outlive the window.
  explicit CLearnDlgView(CLearnDlg& core, QWidget* parent = nullptr);
  ~CLearnDlgView() override;

  const CLearnDlg& Core() const { return m_core; }
  // What the capture picture shows now.
  const TIrCaptureOverview& Overview() const { return m_overview; }
  // How many arriving captures were signalled (flash, bell, attention).
  int CapturesSignalled() const { return m_signalled; }

  // Shows the core's state.
  void Render();

 public slots:
  // Escape: as Cancel, while Cancel can be pressed.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnTick();
  // Runs a click on the core, shows the outcome and closes the window when
  // the core has ended.
  template <typename Action>
  void Forward(Action action);
  void OnRowChosen();
  void OnBin();
  void RenderCapture();
  void Signal(bool analysed);
  void FinishIfEnded();

  CLearnDlg& m_core;
  std::unique_ptr<Ui::CLearnDlgView> m_ui;
  TextTableModel* m_model;
  QTimer* m_timer;
  QTimer* m_flashTimer;
  TIrCaptureOverview m_overview;
  int m_shownCapture = -1;
  int m_signalled = 0;
  bool m_rendering = false;
  bool m_ticking = false;
  bool m_finished = false;
};

}  // namespace quillon::ui
