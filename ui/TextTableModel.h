#pragma once
// A read-only table of texts with column titles: the adapter the detail panes
// put over the rows a core computes (settings, sub-functions, data rows).
#include <QAbstractTableModel>
#include <QFont>
#include <QMap>
#include <QStringList>
#include <QVector>

namespace quillon::ui {

class TextTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TextTableModel(QStringList columns, QObject* parent = nullptr);

  // Replaces the rows (a reset only when they differ, so a redraw keeps the
  // current row and scroll position).
  void SetRows(QVector<QStringList> rows);
  const QVector<QStringList>& Rows() const { return m_rows; }
  // Shows COLUMN in FONT (raw data in a fixed-pitch font).
  void SetColumnFont(int column, const QFont& font);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  QStringList m_columns;
  QVector<QStringList> m_rows;
  QMap<int, QFont> m_fonts;
};

}  // namespace quillon::ui
