#pragma once
// One open driver as the windows see it: owns the UI-free document and turns
// its single update listener into a Qt signal, so every window showing the
// driver (a "New Window" adds a second one) redraws from the same state.
#include <QObject>
#include <QString>
#include <memory>

#include "irmodel/CDriverDoc.h"

namespace quillon::ui {

class DriverDocument : public QObject {
  Q_OBJECT

 public:
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
  // through its listener; windows call it after edits made around it).
  void NotifyChanged();

 signals:
  void Changed();
  void TitleChanged(const QString& decoratedTitle);

 private:
  std::unique_ptr<CDriverDoc> m_doc;
  QString m_title;
  QString m_lastDecorated;
};

}  // namespace quillon::ui
