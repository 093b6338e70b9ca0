#pragma once
// Opens a web address or a local document (the user manual) with the
// desktop's browser. Tests replace the handler to see what would be opened.
#include <QUrl>
#include <functional>

namespace quillon::ui {

class UrlOpener {
 public:
  using Handler = std::function<bool(const QUrl&)>;

  // Opens URL; false when the desktop could not.
  static bool Open(const QUrl& url);
  // Replaces the desktop (null: the desktop again).
  static void SetHandler(Handler handler);
};

}  // namespace quillon::ui
