#pragma once
// The "Driver" tab (advanced mode only): the INI interchange of the driver
// ("Load" an INI file named in the path field, chosen with the browse
// button; "Export" the selected functions or the whole driver), the "Is
// Velmor Driver" mark and the learn "Auto Select" preference.
#include <memory>

#include "ui/DetailPane.h"

namespace Ui {
class CDetailDriver;
}

namespace quillon::ui {

class CDetailDriver : public CDetailPane {
  Q_OBJECT

 public:
  CDetailDriver(DriverDocument& document, QWidget* parent = nullptr);
  ~CDetailDriver() override;
  void Render() override;

  // The Qt form of the INI filter and the extension of INI files.
  static QString IniFilter();

 private:
  void Browse();
  void Load();
  void Export();
  void OnVelmorClicked(bool checked);
  void OnAutoSelectClicked(bool checked);
  // The folder file dialogs of the pane start in.
  QString StartFolder() const;

  std::unique_ptr<Ui::CDetailDriver> m_ui;
};

}  // namespace quillon::ui
