#include "ui/DetailPane.h"

#include "ui/DriverDocument.h"

namespace quillon::ui {

CDetailPane::CDetailPane(DriverDocument& document, QWidget* parent) : QWidget(parent), m_document(document) {}

CDriverDoc& CDetailPane::Doc() { return m_document.Doc(); }
const CDriverDoc& CDetailPane::Doc() const { return m_document.Doc(); }

void CDetailPane::HandSelectionToDocument() { m_document.Doc().SetSelection(m_selection); }

}  // namespace quillon::ui
