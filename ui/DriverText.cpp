#include "ui/DriverText.h"

#include "platform/Cp1252.h"

namespace quillon::ui {

QString FromDriverText(const std::string& bytes) { return QString::fromStdString(Cp1252ToUtf8(bytes)); }

QString FromDriverText(const char* bytes) { return bytes ? FromDriverText(std::string(bytes)) : QString(); }

std::string ToDriverText(const QString& text) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (const QChar c : text) {
    if (c.isSurrogate()) {
      // Half of a character outside the basic plane: never in the code page.
      if (c.isHighSurrogate()) bytes += '?';
      continue;
    }
    const std::optional<std::string> byte = Utf8ToCp1252(QString(c).toStdString());
    bytes += byte ? *byte : std::string("?");
  }
  return bytes;
}

bool IsDriverText(const QString& text) { return Utf8ToCp1252(text.toStdString()).has_value(); }

QValidator::State DriverTextValidator::validate(QString& input, int& /*pos*/) const {
  return IsDriverText(input) ? Acceptable : Invalid;
}

}  // namespace quillon::ui
