#include "ui/ListViewEdit.h"

#include "ui/DriverText.h"

namespace quillon::ui {

CListViewEdit::CListViewEdit(QWidget* parent) : QLineEdit(parent) {
  setObjectName(QStringLiteral("listViewEdit"));
  setValidator(new DriverTextValidator(this));
  setFrame(false);
}

}  // namespace quillon::ui
