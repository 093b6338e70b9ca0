#pragma once
// "Open Driver": the installed driver library by device type, manufacturer,
// model and driver version, over the UI-free CDlgOpenDriver. The window
// forwards every choice and button to the core and redraws from its getters;
// the library is read on a loading thread while the window shows how far it
// has got, and Cancel (or closing the window) stops it.
#include <QDialog>
#include <memory>

#include "library/CDlgOpenDriver.h"

class QComboBox;
class QTimer;

namespace Ui {
class COpenDriverDlg;
}

namespace quillon::ui {

class COpenDriverDlg : public QDialog {
  Q_OBJECT

 public:
  // CORE must outlive the window.
  explicit COpenDriverDlg(CDlgOpenDriver& core, QWidget* parent = nullptr);
  ~COpenDriverDlg() override;

  // Opens the dialog: when the core finds no library its standard file-open
  // command has run and the window is never shown (Rejected); otherwise the
  // library is loaded in the background while the window runs modally.
  int Run();

  CDlgOpenDriver& Core() { return m_core; }
  // The dialog's size in pixels of its font: 248 x 122 dialog units.
  QSize DialogUnitSize() const;

  // Closing in any way stops a load still running.
  void done(int result) override;
  void reject() override;

 private:
  class ListAdapter;

  void StartLoading();
  void OnLoadFinished();
  void Render();
  void RenderStatus();
  void OnOK();
  void OnBrowse();
  void Close(CDlgOpenDriver::EndResult result);

  CDlgOpenDriver& m_core;
  std::unique_ptr<Ui::COpenDriverDlg> m_ui;
  std::unique_ptr<ListAdapter> m_types;
  std::unique_ptr<ListAdapter> m_manufacturers;
  std::unique_ptr<ListAdapter> m_models;
  std::unique_ptr<ListAdapter> m_versions;
  QTimer* m_progressTimer = nullptr;
  bool m_rendering = false;
};

}  // namespace quillon::ui
