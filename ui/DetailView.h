#pragma once
// The detail half of a driver window: a tab control with "Summary",
// "Header", then "Driver" only in advanced mode, "Functions", then
// "SubFunctions" only in advanced mode. Whether the view is in advanced mode
// is read once, when it is created. A pane that cannot be created makes the
// view fail with "Could not create view window".
#include <QString>
#include <QWidget>
#include <stdexcept>
#include <vector>

class QTabWidget;

namespace quillon::ui {

class CDetailPane;
class DriverDocument;

// The view (and so the driver window) could not be created.
class CViewCreationError : public std::runtime_error {
 public:
  CViewCreationError() : std::runtime_error(kMessage) {}
  static constexpr const char* kMessage = "Could not create view window";
};

class CDetailView : public QWidget {
  Q_OBJECT

 public:
  // Throws CViewCreationError when a pane cannot be created.
  explicit CDetailView(DriverDocument& document, QWidget* parent = nullptr);

  bool IsAdvancedMode() const { return m_advanced; }
  QTabWidget* Tabs() const { return m_tabs; }
  // The tab labels, in order.
  QStringList TabLabels() const;

  // The functions selected in the window's list, in driver order.
  void SetSelection(const std::vector<int>& positions);
  // Redraws every pane from the document.
  void Render();

  // --- Test seam -----------------------------------------------------------
  // The next pane with this label fails to be created (once).
  static void FailNextPaneForTest(const QString& label);

 private:
  DriverDocument& m_document;
  QTabWidget* m_tabs;
  std::vector<CDetailPane*> m_panes;
  bool m_advanced;
};

}  // namespace quillon::ui
