#include "ui/FunctionListModel.h"

#include <QApplication>
#include <QPalette>

#include "irmodel/CFunctionSettings.h"
#include "signals/TIrCode.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"

namespace quillon::ui {
namespace {

bool HasIrData(const TQVXIrFunction& function) {
  for (int i = 0; i < function.GetSubFunctionCount(); ++i) {
    if (function.GetSubFunction(i) != nullptr) return true;
  }
  return false;
}

QString CodeDetails(const TIrCode& code) {
  if (!code.Known())
    return CFunctionListModel::tr("unknown: the signal matches none of the protocols Quillon recognises");
  return CFunctionListModel::tr("%1: address %2 (0x%3), command %4 (0x%5)")
      .arg(QString::fromStdString(code.protocol))
      .arg(code.address)
      .arg(code.address, 2, 16, QLatin1Char('0'))
      .arg(code.command)
      .arg(code.command, 2, 16, QLatin1Char('0'));
}

}  // namespace

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
      if (HasIrData(*function)) {
        const TIrCode& code = m_document.Codes().Of(*function);
        row.known = code.Known();
        row.protocol = QString::fromStdString(code.protocol);
        row.protocolDetails = CodeDetails(code);
      }
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

int CFunctionListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant CFunctionListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_rows.size()) return {};
  const Row& row = m_rows[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      // The index as a number, so sorting by it is numeric.
      if (index.column() == kIndexColumn) return QVariant(index.row());
      return index.column() == kNameColumn ? QVariant(row.name) : QVariant(row.protocol);
    case Qt::EditRole:
      return index.column() == kNameColumn ? QVariant(row.name) : QVariant(index.row());
    case Qt::ToolTipRole:
      if (index.column() == kProtocolColumn && !row.protocol.isEmpty()) return row.protocolDetails;
      return row.empty ? tr("%1 (no IR data)").arg(row.status) : row.status;
    case Qt::ForegroundRole:
      // Placeholders keep a slot but hold no signal, and an unknown protocol
      // is no name: both shown dimmed.
      if (row.empty || (index.column() == kProtocolColumn && !row.known))
        return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
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
  if (section == kProtocolColumn) return QStringLiteral("Protocol");
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
