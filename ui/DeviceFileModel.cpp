#include "ui/DeviceFileModel.h"

#include "ui/DriverText.h"

namespace quillon::ui {
namespace {

bool SameFile(const CQVXFile& a, const CQVXFile& b) {
  return a.GetName() == b.GetName() && a.GetSize() == b.GetSize() && a.GetSortKey() == b.GetSortKey();
}

}  // namespace

DeviceFileModel::DeviceFileModel(std::function<std::string(const CQVXFile&)> dateText, QObject* parent)
    : QAbstractTableModel(parent), m_dateText(std::move(dateText)) {}

void DeviceFileModel::SetFiles(const std::vector<CQVXFile>& files) {
  if (files.size() == m_files.size() && std::equal(files.begin(), files.end(), m_files.begin(), SameFile)) return;
  beginResetModel();
  m_files = files;
  endResetModel();
}

std::string DeviceFileModel::NameAt(int row) const {
  return row >= 0 && row < static_cast<int>(m_files.size()) ? m_files[static_cast<std::size_t>(row)].GetName()
                                                            : std::string();
}

int DeviceFileModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_files.size());
}

int DeviceFileModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant DeviceFileModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(m_files.size())) return {};
  const CQVXFile& file = m_files[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kFile: return FromDriverText(file.GetName());
        case kSize: return QString::number(file.GetSize());
        case kDate: return QString::fromStdString(m_dateText ? m_dateText(file) : file.GetDateText());
        default: return {};
      }
    case kSortRole:
      switch (index.column()) {
        case kFile: return FromDriverText(file.GetName());
        case kSize: return static_cast<qlonglong>(file.GetSize());
        case kDate: return static_cast<qulonglong>(file.GetSortKey());
        default: return {};
      }
    case Qt::TextAlignmentRole:
      return index.column() == kSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ToolTipRole:
      return file.IsDriver() == 1 ? QVariant() : QVariant(tr("Not a driver: it cannot be downloaded or played"));
    default: return {};
  }
}

QVariant DeviceFileModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kFile: return QStringLiteral("File");
    case kSize: return QStringLiteral("Size");
    case kDate: return QStringLiteral("Date");
    default: return {};
  }
}

}  // namespace quillon::ui
