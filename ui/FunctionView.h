#pragma once
// The function list of a driver window: one row per function ("Index" 48,
// "Name" 112), sortable by either column, names renamed in place, selected
// functions dragged within the list to move them or onto another driver
// window to copy them. Every change goes through the document; the list
// redraws from it in Render().
#include <QTableView>
#include <cstdint>
#include <functional>
#include <vector>

class QMenu;
class QSortFilterProxyModel;

namespace quillon::ui {

class CFunctionListModel;
class DriverDocument;

class CFunctionView : public QTableView {
  Q_OBJECT

 public:
  // The private type naming where a drag started (process and document),
  // so a drop on a window of the same driver moves instead of copying.
  static QString DragSourceMimeType();

  explicit CFunctionView(DriverDocument& document, QWidget* parent = nullptr);
  ~CFunctionView() override;

  DriverDocument& Document() { return m_document; }

  // Redraws from the document, keeping the list's own selection (or taking
  // the document's after an edit made through this list).
  void Render();

  // Positions of the selected functions, in driver order.
  std::vector<int> SelectedPositions() const;
  void SelectPositions(const std::vector<int>& positions);
  int FunctionCount() const;

  // --- List operations (the frame's Edit commands) -----------------------
  // Each hands the list's selection to the document first; the selection the
  // document leaves becomes the list's.
  bool CopySelected();
  bool CutSelected();
  bool Paste();
  int DeleteSelected();
  int NewFunction();
  void SelectAllFunctions();

  // The list's own menu (right click): the Edit commands and Rename.
  QMenu* MakeContextMenu(QWidget* parent);

  // The drag data of the current selection (null when nothing is selected or
  // the copy failed): the functions' clipboard block and the drag source.
  QMimeData* MakeDragData();

 signals:
  // The selection changed (by the user or after a redraw).
  void SelectionChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Runs EDIT on the document with the list's selection handed over, then
  // takes the document's selection.
  template <typename Edit>
  auto RunEdit(Edit edit);
  void OnRenameRequested(int position, const QString& name, quintptr identity);
  void OnSelectionChanged();
  void RestoreSelection();
  bool IsOwnDrag(const QMimeData* data) const;
  // The driver position a drop at POS lands before (-1: at the end).
  int DropPosition(const QPoint& pos) const;

  DriverDocument& m_document;
  CFunctionListModel* m_model;
  QSortFilterProxyModel* m_proxy;
  std::vector<quintptr> m_selected;  // identities, in driver order
  bool m_rendering = false;
  bool m_acting = false;
  int m_dropRow = -2;  // proxy row of the drop indicator; -1: below the last row; -2: none
};

}  // namespace quillon::ui
