#pragma once
// The "Functions" tab: the settings of the functions selected in the list.
// "Minimum Repeat Count" (a number with a spin control) and "Function Data
// Is Modulated" change every sub-function of the selection; the "Key" /
// "Value" list describes it.
#include <memory>

#include "ui/DetailPane.h"

namespace Ui {
class CDetailFunctionNames;
}

namespace quillon::ui {

class TextTableModel;

class CDetailFunctionNames : public CDetailPane {
  Q_OBJECT

 public:
  CDetailFunctionNames(DriverDocument& document, QWidget* parent = nullptr);
  ~CDetailFunctionNames() override;
  void Render() override;

 private:
  void OnRepeatCommitted(int value);
  void OnModulatedClicked(bool checked);

  std::unique_ptr<Ui::CDetailFunctionNames> m_ui;
  TextTableModel* m_settings;
};

}  // namespace quillon::ui
