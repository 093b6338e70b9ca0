#pragma once
// The "Summary" tab: the driver's name after its kind, and its type,
// manufacturer, model, date, comments, file format, learner and version.
#include <memory>

#include "ui/DetailPane.h"

namespace Ui {
class CDetailSummary;
}

namespace quillon::ui {

class CDetailSummary : public CDetailPane {
  Q_OBJECT

 public:
  CDetailSummary(DriverDocument& document, QWidget* parent = nullptr);
  ~CDetailSummary() override;
  void Render() override;

 private:
  std::unique_ptr<Ui::CDetailSummary> m_ui;
};

}  // namespace quillon::ui
