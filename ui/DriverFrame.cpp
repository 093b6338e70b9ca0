#include "ui/DriverFrame.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSplitter>
#include <QVBoxLayout>

#include "irmodel/CDriverDoc.h"
#include "ui/CopyConflictDlg.h"
#include "ui/DetailView.h"
#include "ui/DriverClipboard.h"
#include "ui/DriverDocument.h"
#include "ui/FunctionView.h"
#include "ui/ImportErrorDlg.h"
#include "ui/QtPrompt.h"

namespace quillon::ui {

CDriverFrame::CDriverFrame(DriverDocument& document, QWidget* parent)
    : QWidget(parent), m_document(document), m_splitter(new QSplitter(Qt::Horizontal, this)), m_list(nullptr),
      m_detail(nullptr) {
  setObjectName(QStringLiteral("driverFrame"));
  // The document's conflict question and import report appear as the
  // program's own dialogs.
  CCopyConflictDlg::Register();
  CDlgImportError::Register();

  m_splitter->setObjectName(QStringLiteral("driverSplitter"));
  m_splitter->setChildrenCollapsible(false);
  m_list = new CFunctionView(document, m_splitter);
  m_detail = new CDetailView(document, m_splitter);  // may throw: the frame is then not made
  m_splitter->addWidget(m_list);
  m_splitter->addWidget(m_detail);
  m_splitter->setStretchFactor(0, 0);
  m_splitter->setStretchFactor(1, 1);
  const int listWidth = 48 + 112 + m_list->frameWidth() * 2 + 20;
  m_splitter->setSizes({listWidth, 460});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_splitter);
  setWindowTitle(document.DecoratedTitle());

  connect(&document, &DriverDocument::Changed, this, &CDriverFrame::Render);
  connect(&document, &DriverDocument::TitleChanged, this, &QWidget::setWindowTitle);
  connect(m_list, &CFunctionView::SelectionChanged, this, &CDriverFrame::OnSelectionChanged);
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CDriverFrame::CommandStateChanged);
  setFocusProxy(m_list);
  Render();
}

CDriverFrame::~CDriverFrame() = default;

CDriverFrame* CDriverFrame::Create(DriverDocument& document, QWidget* parent) {
  try {
    return new CDriverFrame(document, parent);
  } catch (const CViewCreationError& error) {
    QtPrompt(parent).MessageBox(error.what(), "", PromptButtons::Ok, PromptIcon::Error);
    return nullptr;
  }
}

void CDriverFrame::Render() {
  // The list first: its selection decides what the panes show.
  m_list->Render();
}

void CDriverFrame::OnSelectionChanged() {
  m_detail->SetSelection(m_list->SelectedPositions());
  m_detail->Render();
  emit CommandStateChanged();
}

bool CDriverFrame::CanCut() const { return !m_list->SelectedPositions().empty(); }
bool CDriverFrame::CanCopy() const { return !m_list->SelectedPositions().empty(); }
bool CDriverFrame::CanPaste() const { return DriverClipboard::HasBlock(); }
bool CDriverFrame::CanSelectAll() const { return m_list->FunctionCount() > 0; }
bool CDriverFrame::CanNewFunction() const { return m_document.Doc().CanNewFunction(); }
std::vector<int> CDriverFrame::SelectedPositions() const { return m_list->SelectedPositions(); }

void CDriverFrame::Cut() {
  m_list->CutSelected();
  emit CommandStateChanged();
}

void CDriverFrame::Copy() {
  m_list->CopySelected();
  emit CommandStateChanged();
}

void CDriverFrame::Paste() {
  m_list->Paste();
  emit CommandStateChanged();
}

void CDriverFrame::SelectAll() {
  m_list->SelectAllFunctions();
  m_list->setFocus();
}

void CDriverFrame::NewFunction() {
  m_list->NewFunction();
  emit CommandStateChanged();
}

}  // namespace quillon::ui
