#include "ui/RuleSpinBox.h"

#include <QLineEdit>

namespace quillon::ui {

CRuleSpinBox::CRuleSpinBox(QWidget* parent) : QSpinBox(parent) {
  setKeyboardTracking(false);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  // Only text the user typed is committed: leaving the field untouched
  // changes nothing.
  connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_typed = true; });
  connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
    if (m_showing || !m_typed) return;
    m_typed = false;
    emit Committed(value());
  });
}

void CRuleSpinBox::SetRules(ReadRule read, StepRule step) {
  m_read = std::move(read);
  m_step = std::move(step);
}

void CRuleSpinBox::ShowValue(int value) {
  m_showing = true;
  m_typed = false;
  setValue(value);
  // A value equal to the current one leaves typed text standing; show the
  // stored one.
  lineEdit()->setText(textFromValue(this->value()));
  m_showing = false;
}

QValidator::State CRuleSpinBox::validate(QString& /*input*/, int& /*pos*/) const {
  // Whatever is typed is read by the rule on confirmation.
  return QValidator::Acceptable;
}

int CRuleSpinBox::valueFromText(const QString& text) const {
  return m_read ? m_read(text) : QSpinBox::valueFromText(text);
}

QString CRuleSpinBox::textFromValue(int value) const { return QString::number(value); }

void CRuleSpinBox::stepBy(int steps) {
  // Text typed but not yet confirmed is read first, so a step starts from it.
  m_showing = true;
  interpretText();
  m_showing = false;
  const int next = m_step ? m_step(value(), steps) : value() + steps;
  m_typed = false;
  setValue(next);
  lineEdit()->setText(textFromValue(value()));
  emit Committed(value());
}

}  // namespace quillon::ui
