#include "ui/DriverDocument.h"

#include <QFileInfo>

#include "app/CReferenceLists.h"

namespace quillon::ui {

DriverDocument::DriverDocument(IPrompt& prompt, QObject* parent)
    : QObject(parent), m_doc(std::make_unique<CDriverDoc>(prompt, &CReferenceLists::Library())) {
  m_doc->SetUpdateListener([this] { NotifyChanged(); });
}

DriverDocument::~DriverDocument() { m_doc->SetUpdateListener(nullptr); }

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
  emit Changed();
  const QString decorated = DecoratedTitle();
  if (decorated != m_lastDecorated) {
    m_lastDecorated = decorated;
    emit TitleChanged(decorated);
  }
}

}  // namespace quillon::ui
