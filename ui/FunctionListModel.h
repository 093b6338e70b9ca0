#pragma once
// The driver's functions as a table ("Index", "Name") for the function list.
// The model keeps a snapshot taken at each Reload, so a list painted while a
// dialog is open in the middle of an edit never reads a driver in flux;
// function identities are compared, never followed.
#include <QAbstractTableModel>
#include <QString>
#include <QVector>

namespace quillon::ui {

class DriverDocument;

class CFunctionListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kIndexColumn = 0, kNameColumn = 1 };
  // The identity of the function of a row (quintptr), for selections.
  static constexpr int kIdentityRole = Qt::UserRole + 1;

  explicit CFunctionListModel(DriverDocument& document, QObject* parent = nullptr);

  // Takes a new snapshot of the document's functions.
  void Reload();
  // The identity of the function at ROW (0 when out of range) and the row
  // of an identity (-1 when absent).
  quintptr IdentityAt(int row) const;
  int RowOf(quintptr identity) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // A name typed in place: RenameRequested is sent for the view to carry
  // out once the edit field has closed.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 signals:
  void RenameRequested(int position, const QString& name, quintptr identity);

 private:
  struct Row {
    quintptr identity = 0;
    QString name;
    QString status;
    bool empty = true;
  };
  DriverDocument& m_document;
  QVector<Row> m_rows;
};

}  // namespace quillon::ui
