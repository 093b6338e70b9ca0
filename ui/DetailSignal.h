#pragma once
// The "Signal" tab: the function selected in the list (the first of several)
// as the signal it plays, drawn on a time axis with its header once and its
// body repeated as often as one press sends it (zoom with the wheel, pan by
// dragging), with its protocol, address and command and its carrier. After a
// verification in the learn dialog, the capture is drawn beneath it and every
// stored time value is listed beside its captured counterpart with the
// deviation, those outside the verification's tolerance in red.
#include <memory>
#include <vector>

#include "signals/TIrSignal.h"
#include "ui/DetailPane.h"

namespace Ui {
class CDetailSignal;
}

namespace quillon {
class TQVXIrFunction;
class TQVXIrSubFunction;
}  // namespace quillon

namespace quillon::ui {

class TextTableModel;

class CDetailSignal : public CDetailPane {
  Q_OBJECT

 public:
  CDetailSignal(DriverDocument& document, QWidget* parent = nullptr);
  ~CDetailSignal() override;
  void Render() override;

  // The column titles of the verification list.
  static QStringList ReportColumns();

 private:
  void ShowNothing(const QString& why);
  void ShowSignal(const TQVXIrFunction& function);
  void ShowReport(const TQVXIrFunction& function, const TQVXIrSubFunction* captured);
  // Draws STORED (and CAPTURED when it has durations), keeping the zoom when
  // the picture is the one already shown.
  void ShowTraces(const TIrSignal& stored, const TIrSignal& captured);

  std::unique_ptr<Ui::CDetailSignal> m_ui;
  TextTableModel* m_report;
  std::vector<TIrSignal> m_shown;
};

}  // namespace quillon::ui
