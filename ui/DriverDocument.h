#pragma once
// One open driver as the windows see it: owns the UI-free document and turns
// its single update listener into a Qt signal, so every window showing the
// driver (a "New Window" adds a second one) redraws from the same state. It
// also holds the driver's undo history, shared by all its windows: every
// edit the document records becomes one command of a QUndoStack, and the
// stack's clean state is the last save.
#include <QObject>
#include <QString>
#include <memory>

#include "irmodel/CDriverDoc.h"
#include "signals/TIrCodeCache.h"

class QUndoStack;

namespace quillon::ui {

class DriverDocument : public QObject {
  Q_OBJECT

 public:
  // Edits kept for Undo; older ones are forgotten.
  static constexpr int kUndoLimit = 100;

  // PROMPT answers the document's message boxes and must outlive it.
  explicit DriverDocument(IPrompt& prompt, QObject* parent = nullptr);
  ~DriverDocument() override;

  CDriverDoc& Doc() { return *m_doc; }
  const CDriverDoc& Doc() const { return *m_doc; }

  // The file name shown in titles: the file's name, the title given by
  // SetTitle (a driver downloaded from a device), or "VIR<n>" for a new
  // driver, as numbered by the program.
  QString Title() const;
  void SetTitle(const QString& title);
  // The title with the modified mark ("tv.vir*") when there are unsaved
  // changes.
  QString DecoratedTitle() const;

  // Tell every view that the driver changed (the document calls this
  // through its listener; windows call it after edits made around it, which
  // it then records as an edit of their own).
  void NotifyChanged();

  // --- Undo and redo -------------------------------------------------------
  QUndoStack* UndoStack() const { return m_undo; }
  // Goes back over the last edit (or forward again). Changes made around the
  // document's operations are recorded first, so going back never drops
  // them: they are what is undone first.
  void Undo();
  void Redo();

  // The protocol codes of the driver's functions, decoded once per signal.
  TIrCodeCache& Codes() { return m_codes; }

 signals:
  void Changed();
  void TitleChanged(const QString& decoratedTitle);
  // What Undo and Redo would do has changed.
  void HistoryChanged();

 private:
  void OnHistoryMoved();

  std::unique_ptr<CDriverDoc> m_doc;
  QUndoStack* m_undo;
  TIrCodeCache m_codes;
  QString m_title;
  QString m_lastDecorated;
  bool m_notifying = false;
};

}  // namespace quillon::ui
