#pragma once
// The in-place edit field of a list: renaming a function where its name is
// shown. It takes only characters a driver can store; Enter or leaving the
// field commits, Escape cancels (the list's delegate handles both).
#include <QLineEdit>

namespace quillon::ui {

class CListViewEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CListViewEdit(QWidget* parent = nullptr);
};

}  // namespace quillon::ui
