#include "ui/DriverDocument.h"

#include <QFileInfo>
#include <QUndoCommand>
#include <QUndoStack>

#include "app/CReferenceLists.h"
#include "ui/DriverText.h"

namespace quillon::ui {
namespace {

// One recorded edit: undoing restores the driver and selection before it,
// redoing those after it. The edit has already been made when it is pushed.
class DriverEditCommand : public QUndoCommand {
 public:
  DriverEditCommand(CDriverDoc& doc, const CDriverEdit& edit)
      : QUndoCommand(FromDriverText(edit.label)), m_doc(doc), m_before(edit.before), m_after(edit.after) {}

  void undo() override { m_doc.RestoreState(m_before); }
  void redo() override {
    if (m_justMade) {
      m_justMade = false;
      return;
    }
    m_doc.RestoreState(m_after);
  }

 private:
  CDriverDoc& m_doc;
  CDriverState m_before;
  CDriverState m_after;
  bool m_justMade = true;
};

}  // namespace

DriverDocument::DriverDocument(IPrompt& prompt, QObject* parent)
    : QObject(parent),
      m_doc(std::make_unique<CDriverDoc>(prompt, &CReferenceLists::Library())),
      m_undo(new QUndoStack(this)) {
  m_undo->setObjectName(QStringLiteral("undoStack"));
  m_undo->setUndoLimit(kUndoLimit);
  m_doc->SetUpdateListener([this] { NotifyChanged(); });
  m_doc->SetEditRecorder([this](const CDriverEdit& edit) { m_undo->push(new DriverEditCommand(*m_doc, edit)); });
  m_doc->SetSavedListener([this] { m_undo->setClean(); });
  connect(m_undo, &QUndoStack::indexChanged, this, &DriverDocument::OnHistoryMoved);
  connect(m_undo, &QUndoStack::cleanChanged, this, &DriverDocument::OnHistoryMoved);
}

DriverDocument::~DriverDocument() {
  m_doc->SetUpdateListener(nullptr);
  m_doc->SetEditRecorder(nullptr);
  m_doc->SetSavedListener(nullptr);
  m_undo->disconnect(this);
}

QString DriverDocument::Title() const {
  if (!m_doc->GetPathName().empty()) return QFileInfo(QString::fromStdString(m_doc->GetPathName())).fileName();
  return m_title;
}

void DriverDocument::SetTitle(const QString& title) {
  m_title = title;
  NotifyChanged();
}

QString DriverDocument::DecoratedTitle() const { return m_doc->IsModified() ? Title() + QLatin1Char('*') : Title(); }

void DriverDocument::NotifyChanged() {
  // Edits made straight into the driver by a window become an edit of their
  // own (never while the document is inside an operation of its own).
  if (!m_notifying) {
    m_notifying = true;
    m_doc->RecordOutsideChanges();
    m_notifying = false;
  }
  emit Changed();
  const QString decorated = DecoratedTitle();
  if (decorated != m_lastDecorated) {
    m_lastDecorated = decorated;
    emit TitleChanged(decorated);
  }
}

void DriverDocument::Undo() {
  m_doc->RecordOutsideChanges();
  m_undo->undo();
}

void DriverDocument::Redo() {
  // A change made after going back starts a new line of edits: the redo
  // steps are dropped with it, as with any new edit.
  m_doc->RecordOutsideChanges();
  m_undo->redo();
}

void DriverDocument::OnHistoryMoved() {
  // The modified mark follows the history: back at the last save, the
  // driver is what the file holds.
  const bool modified = !m_undo->isClean();
  if (modified != m_doc->IsModified()) {
    m_doc->SetModifiedFlag(modified);
    NotifyChanged();
  }
  emit HistoryChanged();
}

}  // namespace quillon::ui
