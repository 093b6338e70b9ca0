#include "ui/DetailView.h"

#include <QTabWidget>
#include <QVBoxLayout>
#include <functional>
#include <new>

#include "app/CAccessCodes.h"
#include "ui/DetailDriver.h"
#include "ui/DetailEditHeader.h"
#include "ui/DetailFunctionNames.h"
#include "ui/DetailSummary.h"
#include "ui/DetailVelmor.h"

namespace quillon::ui {
namespace {

QString& FailingPane() {
  static QString label;
  return label;
}

}  // namespace

void CDetailView::FailNextPaneForTest(const QString& label) { FailingPane() = label; }

CDetailView::CDetailView(DriverDocument& document, QWidget* parent)
    : QWidget(parent),
      m_document(document),
      m_tabs(new QTabWidget(this)),
      // Decided once, now: the About box may unlock advanced mode later, for
      // windows opened after it.
      m_advanced(CAccessCodes::IsAdvancedMode()) {
  setObjectName(QStringLiteral("detailView"));
  m_tabs->setObjectName(QStringLiteral("detailTabs"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_tabs);

  using Factory = std::function<CDetailPane*()>;
  std::vector<std::pair<QString, Factory>> panes;
  panes.emplace_back(QStringLiteral("Summary"), [&] { return new CDetailSummary(document, m_tabs); });
  panes.emplace_back(QStringLiteral("Header"), [&] { return new CDetailEditHeader(document, m_tabs); });
  if (m_advanced) panes.emplace_back(QStringLiteral("Driver"), [&] { return new CDetailDriver(document, m_tabs); });
  panes.emplace_back(QStringLiteral("Functions"), [&] { return new CDetailFunctionNames(document, m_tabs); });
  if (m_advanced)
    panes.emplace_back(QStringLiteral("SubFunctions"), [&] { return new CDetailVelmor(document, m_tabs); });

  for (const auto& [label, make] : panes) {
    CDetailPane* pane = nullptr;
    try {
      if (!FailingPane().isEmpty() && FailingPane() == label) {
        FailingPane().clear();
        throw std::bad_alloc();
      }
      pane = make();
    } catch (const std::bad_alloc&) {
      throw CViewCreationError();
    }
    m_tabs->addTab(pane, label);
    m_panes.push_back(pane);
  }
  Render();
}

QStringList CDetailView::TabLabels() const {
  QStringList labels;
  for (int i = 0; i < m_tabs->count(); ++i) labels << m_tabs->tabText(i);
  return labels;
}

void CDetailView::SetSelection(const std::vector<int>& positions) {
  for (CDetailPane* pane : m_panes) pane->SetSelection(positions);
}

void CDetailView::Render() {
  for (CDetailPane* pane : m_panes) pane->Render();
}

}  // namespace quillon::ui
