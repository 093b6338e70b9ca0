#include "ui/UrlOpener.h"

#include <QDesktopServices>

namespace quillon::ui {
namespace {

UrlOpener::Handler& CurrentHandler() {
  static UrlOpener::Handler handler;
  return handler;
}

}  // namespace

bool UrlOpener::Open(const QUrl& url) {
  if (CurrentHandler()) return CurrentHandler()(url);
  return QDesktopServices::openUrl(url);
}

void UrlOpener::SetHandler(Handler handler) { CurrentHandler() = std::move(handler); }

}  // namespace quillon::ui
