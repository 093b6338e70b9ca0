#include "ui/DriverClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "irmodel/CFunctionClipboard.h"

namespace quillon::ui {
namespace {

QString& Type() {
  static QString type = QStringLiteral("application/x-") + QLatin1String(CFunctionClipboard::kFormatName);
  return type;
}

}  // namespace

void DriverClipboard::SetMimeType(const QString& name) {
  if (name.isEmpty()) return;
  Type() = name.contains(QLatin1Char('/')) ? name : QStringLiteral("application/x-") + name;
}

QString DriverClipboard::MimeType() { return Type(); }

QMimeData* DriverClipboard::MakeMimeData(const std::vector<std::uint8_t>& block) {
  auto* data = new QMimeData;
  data->setData(Type(), QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size())));
  return data;
}

std::optional<std::vector<std::uint8_t>> DriverClipboard::BlockOf(const QMimeData* data) {
  if (data == nullptr || !data->hasFormat(Type())) return std::nullopt;
  const QByteArray bytes = data->data(Type());
  std::vector<std::uint8_t> block(bytes.begin(), bytes.end());
  // Only a block whose length word fits what arrived is handed on.
  if (!CFunctionClipboard::ImageOf(block)) return std::nullopt;
  return block;
}

void DriverClipboard::Put(const std::vector<std::uint8_t>& block) {
  QGuiApplication::clipboard()->setMimeData(MakeMimeData(block));
}

std::optional<std::vector<std::uint8_t>> DriverClipboard::Get() {
  return BlockOf(QGuiApplication::clipboard()->mimeData());
}

bool DriverClipboard::HasBlock() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data != nullptr && data->hasFormat(Type());
}

}  // namespace quillon::ui
