#include "ui/TextTableModel.h"

namespace quillon::ui {

TextTableModel::TextTableModel(QStringList columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)) {}

void TextTableModel::SetRows(QVector<QStringList> rows) {
  if (rows == m_rows) return;
  beginResetModel();
  m_rows = std::move(rows);
  endResetModel();
}

void TextTableModel::SetColumnFont(int column, const QFont& font) { m_fonts.insert(column, font); }

int TextTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_rows.size()) return {};
  if (role == Qt::FontRole) {
    const auto found = m_fonts.find(index.column());
    return found != m_fonts.end() ? QVariant(*found) : QVariant();
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const QStringList& row = m_rows[index.row()];
  return index.column() < row.size() ? row[index.column()] : QString();
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
    return m_columns[section];
  return {};
}

}  // namespace quillon::ui
