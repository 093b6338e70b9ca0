#pragma once
// Texts stored in drivers are single Windows-1252 bytes; the windows show and
// take Unicode. These convert between the two, and a validator keeps an edit
// field to characters a driver can store.
#include <QString>
#include <QValidator>
#include <string>

namespace quillon::ui {

// Driver bytes shown as text (a null pointer is the empty text).
QString FromDriverText(const std::string& bytes);
QString FromDriverText(const char* bytes);
// Text typed by the user as driver bytes; a character the code page cannot
// hold becomes '?' (the validator below stops it from being typed at all).
std::string ToDriverText(const QString& text);
// Whether every character of TEXT can be stored in a driver.
bool IsDriverText(const QString& text);

// Refuses input holding characters that a driver cannot store.
class DriverTextValidator : public QValidator {
  Q_OBJECT

 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

}  // namespace quillon::ui
