#include "ui/FunctionListModel.h"

#include <QApplication>
#include <QPalette>

#include "irmodel/CFunctionSettings.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"

namespace quillon::ui {

CFunctionListModel::CFunctionListModel(DriverDocument& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document) {
  Reload();
}

void CFunctionListModel::Reload() {
  const TQVXIr& driver = m_document.Doc().GetDriver();
  QVector<Row> rows;
  rows.reserve(driver.GetFunctionCount());
  for (int i = 0; i < driver.GetFunctionCount(); ++i) {
    const TQVXIrFunction* function = driver.GetFunction(i);
    Row row;
    row.identity = reinterpret_cast<quintptr>(function);
    if (function != nullptr) {
      row.name = FromDriverText(function->GetName());
      row.empty = function->IsEmpty();
      row.status = QString::fromStdString(CFunctionSettings::StatusText(function->GetFlags()));
    }
    rows.push_back(row);
  }
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

quintptr CFunctionListModel::IdentityAt(int row) const {
  return row >= 0 && row < m_rows.size() ? m_rows[row].identity : 0;
}

int CFunctionListModel::RowOf(quintptr identity) const {
  for (int i = 0; i < m_rows.size(); ++i) {
    if (m_rows[i].identity == identity) return i;
  }
  return -1;
}

int CFunctionListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CFunctionListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant CFunctionListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_rows.size()) return {};
  const Row& row = m_rows[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      // The index as a number, so sorting by it is numeric.
      return index.column() == kIndexColumn ? QVariant(index.row()) : QVariant(row.name);
    case Qt::EditRole:
      return index.column() == kNameColumn ? QVariant(row.name) : QVariant(index.row());
    case Qt::ToolTipRole:
      return row.empty ? tr("%1 (no IR data)").arg(row.status) : row.status;
    case Qt::ForegroundRole:
      // Placeholders keep a slot but hold no signal: shown dimmed.
      if (row.empty) return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == kIndexColumn) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case kIdentityRole:
      return QVariant::fromValue(row.identity);
    default:
      return {};
  }
}

QVariant CFunctionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section == kIndexColumn) return QStringLiteral("Index");
  if (section == kNameColumn) return QStringLiteral("Name");
  return {};
}

Qt::ItemFlags CFunctionListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
  if (index.column() == kNameColumn) flags |= Qt::ItemIsEditable;
  return flags;
}

bool CFunctionListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() != kNameColumn || index.row() >= m_rows.size())
    return false;
  const QString name = value.toString();
  if (name == m_rows[index.row()].name) return false;
  emit RenameRequested(index.row(), name, m_rows[index.row()].identity);
  return true;
}

}  // namespace quillon::ui
