#pragma once
// The toolbar pictures: the desktop's icon theme where it has one, otherwise
// small drawings of our own, so the toolbars read the same on a bare desktop.
#include <QIcon>
#include <QString>

namespace quillon::ui {

class ToolIcons {
 public:
  // NAME is a theme icon name: "document-new", "document-open",
  // "document-save", "edit-cut", "edit-copy", "edit-paste", "help-about",
  // "network-connect", "network-disconnect", "network-server".
  static QIcon Get(const QString& name);
  // The drawing used when the theme has no icon of that name.
  static QIcon Drawn(const QString& name);
};

}  // namespace quillon::ui
