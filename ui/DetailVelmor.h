#pragma once
// The "SubFunctions" tab (advanced mode only): the sub-functions of the
// function selected in the list, one row each, and for the sub-function
// selected there its "Modulated" and "X10" flags and six rows of raw data.
// The data is shown only while the supported-driver code matches.
#include <memory>

#include "ui/DetailPane.h"

namespace Ui {
class CDetailVelmor;
}

namespace quillon::ui {

class TextTableModel;

class CDetailVelmor : public CDetailPane {
  Q_OBJECT

 public:
  CDetailVelmor(DriverDocument& document, QWidget* parent = nullptr);
  ~CDetailVelmor() override;
  void Render() override;

 private:
  void RenderSubFunction();

  std::unique_ptr<Ui::CDetailVelmor> m_ui;
  TextTableModel* m_subFunctions;
  TextTableModel* m_data;
  std::vector<int> m_subIndices;  // the sub-function of each list row
  bool m_rendering = false;
};

}  // namespace quillon::ui
