#pragma once
// A number field with a spin control whose reading of typed text and whose
// steps follow a core rule (the driver version: first run of digits, 1..255;
// the minimum repeat count: low 4 bits of the number typed). Any text may be
// typed; it is read by the rule when the field is confirmed.
#include <QSpinBox>
#include <functional>

namespace quillon::ui {

class CRuleSpinBox : public QSpinBox {
  Q_OBJECT

 public:
  using ReadRule = std::function<int(const QString& text)>;
  using StepRule = std::function<int(int value, int delta)>;

  explicit CRuleSpinBox(QWidget* parent = nullptr);

  void SetRules(ReadRule read, StepRule step);
  // The value without emitting Committed (a redraw).
  void ShowValue(int value);
  // The spin control: the step rule, then Committed.
  void stepBy(int steps) override;

 signals:
  // The user confirmed a typed value or pressed the spin control.
  void Committed(int value);

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  int valueFromText(const QString& text) const override;
  QString textFromValue(int value) const override;

 private:
  ReadRule m_read;
  StepRule m_step;
  bool m_showing = false;
  bool m_typed = false;
};

}  // namespace quillon::ui
