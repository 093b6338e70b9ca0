#pragma once
// The device bar's list of the device's files: "File", "Size", "Date", one
// row per file as the device listed it. The sort role gives each column's
// order: the name, the size as a number and the date by the file's sort key.
#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "devicelink/CQVXFile.h"

namespace quillon::ui {

class DeviceFileModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kFile = 0, kSize = 1, kDate = 2 };
  static constexpr int kSortRole = Qt::UserRole + 1;

  // DATETEXT turns a file's time stamp into the date column's text.
  explicit DeviceFileModel(std::function<std::string(const CQVXFile&)> dateText, QObject* parent = nullptr);

  // Replaces the files (a reset only when they differ, so a redraw keeps
  // the selection and scroll position).
  void SetFiles(const std::vector<CQVXFile>& files);
  const std::vector<CQVXFile>& Files() const { return m_files; }
  // The name of the file in ROW ("" outside the list).
  std::string NameAt(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::function<std::string(const CQVXFile&)> m_dateText;
  std::vector<CQVXFile> m_files;
};

}  // namespace quillon::ui
