#include "ui/FunctionView.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

#include "ui/DriverClipboard.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"
#include "ui/FunctionListModel.h"
#include "ui/ListViewEdit.h"

namespace quillon::ui {
namespace {

// Names are edited in place with CListViewEdit.
class CFunctionNameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    return new CListViewEdit(parent);
  }
};

constexpr int kNoDrop = -2;
constexpr int kDropAtEnd = -1;

}  // namespace

QString CFunctionView::DragSourceMimeType() { return QStringLiteral("application/x-quillon-drag-source"); }

CFunctionView::CFunctionView(DriverDocument& document, QWidget* parent)
    : QTableView(parent),
      m_document(document),
      m_model(new CFunctionListModel(document, this)),
      m_proxy(new QSortFilterProxyModel(this)) {
  setObjectName(QStringLiteral("functionList"));
  m_proxy->setSourceModel(m_model);
  m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
  m_proxy->setSortRole(Qt::DisplayRole);
  setModel(m_proxy);

  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setShowGrid(false);
  setWordWrap(false);
  setAlternatingRowColors(true);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->resizeSection(CFunctionListModel::kIndexColumn, 48);
  horizontalHeader()->resizeSection(CFunctionListModel::kNameColumn, 112);
  // The list starts in driver order; a click on a column title sorts by it.
  horizontalHeader()->setSortIndicator(CFunctionListModel::kIndexColumn, Qt::AscendingOrder);
  setSortingEnabled(true);

  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
  setItemDelegateForColumn(CFunctionListModel::kNameColumn, new CFunctionNameDelegate(this));

  setDragEnabled(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDropIndicatorShown(false);  // the list paints its own: drops land between rows

  // Renaming waits until the edit field has closed, so a refusal's message
  // box never interrupts the field's own closing.
  connect(m_model, &CFunctionListModel::RenameRequested, this, &CFunctionView::OnRenameRequested,
          Qt::QueuedConnection);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CFunctionView::OnSelectionChanged);
}

CFunctionView::~CFunctionView() = default;

int CFunctionView::FunctionCount() const { return m_model->rowCount(); }

std::vector<int> CFunctionView::SelectedPositions() const {
  std::vector<int> positions;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    positions.push_back(m_proxy->mapToSource(index).row());
  }
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  return positions;
}

void CFunctionView::SelectPositions(const std::vector<int>& positions) {
  m_selected.clear();
  for (int position : positions) {
    if (const quintptr identity = m_model->IdentityAt(position)) m_selected.push_back(identity);
  }
  m_rendering = true;
  RestoreSelection();
  m_rendering = false;
  emit SelectionChanged();
}

void CFunctionView::RestoreSelection() {
  QItemSelection selection;
  QModelIndex first;
  for (quintptr identity : m_selected) {
    const int row = m_model->RowOf(identity);
    if (row < 0) continue;
    const QModelIndex index = m_proxy->mapFromSource(m_model->index(row, CFunctionListModel::kNameColumn));
    selection.select(index.siblingAtColumn(CFunctionListModel::kIndexColumn), index);
    if (!first.isValid()) first = index;
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (first.isValid()) selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
}

void CFunctionView::OnSelectionChanged() {
  if (m_rendering) return;
  m_selected.clear();
  for (int position : SelectedPositions()) m_selected.push_back(m_model->IdentityAt(position));
  emit SelectionChanged();
}

void CFunctionView::Render() {
  const int scroll = verticalScrollBar()->value();
  m_rendering = true;
  m_model->Reload();
  if (m_acting) {
    // An edit made through this list: the document says what is selected.
    m_selected.clear();
    for (int position : m_document.Doc().GetSelection()) m_selected.push_back(m_model->IdentityAt(position));
  } else {
    // Another window changed the driver: keep what is still there.
    m_selected.erase(std::remove_if(m_selected.begin(), m_selected.end(),
                                    [this](quintptr identity) { return m_model->RowOf(identity) < 0; }),
                     m_selected.end());
  }
  RestoreSelection();
  verticalScrollBar()->setValue(scroll);
  m_rendering = false;
  if (m_acting && currentIndex().isValid() && !m_selected.empty()) scrollTo(currentIndex());
  emit SelectionChanged();
}

namespace {

// Marks the list as the one making an edit, for as long as the edit runs.
class ActingScope {
 public:
  explicit ActingScope(bool& flag) : m_flag(flag) { m_flag = true; }
  ~ActingScope() { m_flag = false; }
  ActingScope(const ActingScope&) = delete;
  ActingScope& operator=(const ActingScope&) = delete;

 private:
  bool& m_flag;
};

}  // namespace

template <typename Edit>
auto CFunctionView::RunEdit(Edit edit) {
  CDriverDoc& doc = m_document.Doc();
  doc.SetSelection(SelectedPositions());
  const ActingScope acting(m_acting);
  return edit(doc);
}

bool CFunctionView::CopySelected() {
  return RunEdit([](CDriverDoc& doc) {
    std::vector<std::uint8_t> block;
    if (!doc.CopySelected(&block)) return false;
    DriverClipboard::Put(block);
    return true;
  });
}

bool CFunctionView::CutSelected() {
  return RunEdit([](CDriverDoc& doc) {
    std::vector<std::uint8_t> block;
    if (!doc.CutSelected(&block)) return false;
    DriverClipboard::Put(block);
    return true;
  });
}

bool CFunctionView::Paste() {
  const std::optional<std::vector<std::uint8_t>> block = DriverClipboard::Get();
  if (!block) return false;
  return RunEdit([&block](CDriverDoc& doc) { return doc.PasteBlock(*block) >= 0; });
}

int CFunctionView::DeleteSelected() {
  return RunEdit([](CDriverDoc& doc) { return doc.DeleteSelected(); });
}

int CFunctionView::NewFunction() {
  return RunEdit([](CDriverDoc& doc) { return doc.NewFunction(); });
}

void CFunctionView::SelectAllFunctions() { selectAll(); }

void CFunctionView::OnRenameRequested(int position, const QString& name, quintptr identity) {
  RunEdit([&](CDriverDoc& doc) {
    return doc.RenameFunction(position, ToDriverText(name), reinterpret_cast<const TQVXIrFunction*>(identity));
  });
}

void CFunctionView::keyPressEvent(QKeyEvent* event) {
  // The main window's Edit commands take these keys first; a list without
  // them still answers them the same way.
  if (state() != QAbstractItemView::EditingState) {
    bool handled = true;
    if (event->key() == Qt::Key_Delete) DeleteSelected();
    else if (event->matches(QKeySequence::Copy)) CopySelected();
    else if (event->matches(QKeySequence::Cut)) CutSelected();
    else if (event->matches(QKeySequence::Paste)) Paste();
    else handled = false;
    if (handled) {
      event->accept();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

QMenu* CFunctionView::MakeContextMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("functionListMenu"));
  const bool selected = !SelectedPositions().empty();
  const auto add = [menu](const char* name, const QString& text, const QKeySequence& keys, bool enabled,
                          std::function<void()> run) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, menu, std::move(run));
  };
  add("menuCut", tr("Cu&t"), QKeySequence::Cut, selected, [this] { CutSelected(); });
  add("menuCopy", tr("&Copy"), QKeySequence::Copy, selected, [this] { CopySelected(); });
  add("menuPaste", tr("&Paste"), QKeySequence::Paste, DriverClipboard::HasBlock(), [this] { Paste(); });
  add("menuDelete", tr("&Delete"), QKeySequence::Delete, selected, [this] { DeleteSelected(); });
  menu->addSeparator();
  const QModelIndex current = currentIndex();
  add("menuRename", tr("&Rename"), QKeySequence(Qt::Key_F2), current.isValid() && selected,
      [this, current] { edit(current.siblingAtColumn(CFunctionListModel::kNameColumn)); });
  add("menuNewFunction", tr("&New Function"), QKeySequence(), m_document.Doc().CanNewFunction(),
      [this] { NewFunction(); });
  add("menuSelectAll", tr("Select &All"), QKeySequence::SelectAll, FunctionCount() > 0,
      [this] { SelectAllFunctions(); });
  return menu;
}

void CFunctionView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = MakeContextMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
  event->accept();
}

// --- Drag and drop -------------------------------------------------------------

QMimeData* CFunctionView::MakeDragData() {
  const std::vector<int> positions = SelectedPositions();
  if (positions.empty()) return nullptr;
  CDriverDoc& doc = m_document.Doc();
  doc.SetSelection(positions);
  std::vector<std::uint8_t> block;
  if (!doc.CopySelected(&block)) return nullptr;
  QMimeData* data = DriverClipboard::MakeMimeData(block);
  const QString source = QStringLiteral("%1:%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(reinterpret_cast<quintptr>(&m_document));
  data->setData(DragSourceMimeType(), source.toUtf8());
  return data;
}

bool CFunctionView::IsOwnDrag(const QMimeData* data) const {
  const QString own = QStringLiteral("%1:%2")
                          .arg(QCoreApplication::applicationPid())
                          .arg(reinterpret_cast<quintptr>(&m_document));
  return data != nullptr && QString::fromUtf8(data->data(DragSourceMimeType())) == own;
}

int CFunctionView::DropPosition(const QPoint& pos) const {
  const QModelIndex index = indexAt(pos);
  return index.isValid() ? m_proxy->mapToSource(index).row() : kDropAtEnd;
}

void CFunctionView::startDrag(Qt::DropActions /*supportedActions*/) {
  QMimeData* data = MakeDragData();
  if (data == nullptr) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  // What happens is decided by the list it lands on: a move within this
  // driver, a copy into another one. Nothing is removed here afterwards.
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

void CFunctionView::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasFormat(DriverClipboard::MimeType())) {
    event->ignore();
    return;
  }
  event->setDropAction(IsOwnDrag(event->mimeData()) ? Qt::MoveAction : Qt::CopyAction);
  event->accept();
}

void CFunctionView::dragMoveEvent(QDragMoveEvent* event) {
  if (!event->mimeData()->hasFormat(DriverClipboard::MimeType())) {
    event->ignore();
    return;
  }
  const QModelIndex index = indexAt(event->position().toPoint());
  m_dropRow = index.isValid() ? index.row() : kDropAtEnd;
  viewport()->update();
  event->setDropAction(IsOwnDrag(event->mimeData()) ? Qt::MoveAction : Qt::CopyAction);
  event->accept();
}

void CFunctionView::dragLeaveEvent(QDragLeaveEvent* event) {
  m_dropRow = kNoDrop;
  viewport()->update();
  QTableView::dragLeaveEvent(event);
}

void CFunctionView::dropEvent(QDropEvent* event) {
  m_dropRow = kNoDrop;
  viewport()->update();
  const QMimeData* data = event->mimeData();
  const std::optional<std::vector<std::uint8_t>> block = DriverClipboard::BlockOf(data);
  if (!block) {
    event->ignore();
    return;
  }
  const int position = DropPosition(event->position().toPoint());
  if (IsOwnDrag(data)) {
    // The document still holds the selection the drag started with (this
    // list's, or that of another window on the same driver).
    const ActingScope acting(m_acting);
    m_document.Doc().MoveSelected(position);
    event->setDropAction(Qt::MoveAction);
  } else {
    // The merge may ask about conflicting names; it runs once the drag is
    // over, so the dialog never holds up the other window's drag.
    QTimer::singleShot(0, this, [this, copied = *block] {
      RunEdit([&copied](CDriverDoc& doc) { return doc.PasteBlock(copied); });
    });
    event->setDropAction(Qt::CopyAction);
  }
  event->accept();
}

void CFunctionView::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  if (m_dropRow == kNoDrop) return;
  const int rows = m_proxy->rowCount();
  int y = 0;
  if (m_dropRow >= 0 && m_dropRow < rows) y = rowViewportPosition(m_dropRow);
  else if (rows > 0) y = rowViewportPosition(rows - 1) + rowHeight(rows - 1);
  QPainter painter(viewport());
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.drawLine(0, y, viewport()->width(), y);
}

}  // namespace quillon::ui
