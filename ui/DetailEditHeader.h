#pragma once
// The "Header" tab: the driver's device type and manufacturer (combo boxes
// offering the reference lists), model, comments and version (with a spin
// control). An edited field is written back with the other four when it is
// confirmed; choosing a type from its list re-lays the functions along the
// type's command list. The line under the fields shows what the document
// said about the last edit ("Illegal Characters removed.").
#include <memory>

#include "ui/DetailPane.h"

class QComboBox;
class QLineEdit;

namespace Ui {
class CDetailEditHeader;
}

namespace quillon::ui {

class CDetailEditHeader : public CDetailPane {
  Q_OBJECT

 public:
  CDetailEditHeader(DriverDocument& document, QWidget* parent = nullptr);
  ~CDetailEditHeader() override;
  void Render() override;

 private:
  void ApplyEdits();
  void OnTypeChosen(int index);
  void FillLists();

  std::unique_ptr<Ui::CDetailEditHeader> m_ui;
  QString m_status;
  bool m_rendering = false;
};

}  // namespace quillon::ui
