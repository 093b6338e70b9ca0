#pragma once
// "Connection Parameters": how to reach the device, on a "TCP" page (address,
// port, administrator password, the devices that answered on the network)
// and a "Serial" page (port and line settings), with the recent connections
// to start from. The rules are CConnectionDialogCore's; this window shows its
// state and forwards what the user does. Discovery listens while the dialog
// is open; "Scan / Refresh" asks the network again.
#include <QDialog>
#include <functional>
#include <memory>

#include "devicelink/CConnectionDialogCore.h"

class QComboBox;
class QTimer;

namespace Ui {
class CDeviceConnectionDialog;
}

namespace quillon {
class CQVXConnectionTypeList;
class CQVXDeviceTypeList;
class CQVXIrFinder;
class IPrompt;
}  // namespace quillon

namespace quillon::ui {

class CDeviceConnectionDialog : public QDialog {
  Q_OBJECT

 public:
  // The result of exec() when "Connect" closed the dialog (OK gives Accepted).
  static constexpr int kConnectResult = 2;

  // CURRENT is the connection chosen now (may be null); RECENT fills the
  // recent connections; FINDER is listened to while the dialog is open;
  // LINK_CONNECTED tells, when the dialog closes, whether the device link is
  // connected (then the choice is left as it was).
  CDeviceConnectionDialog(IPrompt& prompt, const CQVXDeviceTypeList& types, CQVXIrFinder& finder,
                          const CQVXConnectionTypeList& recent, const CQVXConnectionType* current,
                          std::function<bool()> linkConnected, QWidget* parent = nullptr);
  ~CDeviceConnectionDialog() override;

  // The description filled in by OK or Connect; null when the dialog was
  // cancelled or the choice is to stay as it was.
  std::unique_ptr<CQVXConnectionType> TakeSelected() { return std::move(m_selected); }
  const CConnectionDialogCore& Core() const { return m_core; }

  void done(int result) override;

 private:
  void Render();
  void RenderDevices();
  void OnClose(bool connect);
  void OnDeviceChosen();
  void FillParamCombo(QComboBox* combo, SerialParam table);

  CConnectionDialogCore m_core;
  std::unique_ptr<Ui::CDeviceConnectionDialog> m_ui;
  const CQVXConnectionTypeList& m_recent;
  std::function<bool()> m_linkConnected;
  std::unique_ptr<CQVXConnectionType> m_selected;
  QTimer* m_timer = nullptr;
  bool m_rendering = false;
};

}  // namespace quillon::ui
