#pragma once
// One tab of a driver window's detail view. A pane shows the document (and
// the functions selected in the window's list) and forwards the user's
// edits to it; it redraws everything in Render().
#include <QWidget>
#include <vector>

namespace quillon {
class CDriverDoc;
}

namespace quillon::ui {

class DriverDocument;

class CDetailPane : public QWidget {
  Q_OBJECT

 public:
  CDetailPane(DriverDocument& document, QWidget* parent);

  // The functions selected in the window's list, in driver order.
  void SetSelection(const std::vector<int>& positions) { m_selection = positions; }
  virtual void Render() = 0;

 protected:
  DriverDocument& Document() { return m_document; }
  CDriverDoc& Doc();
  const CDriverDoc& Doc() const;
  const std::vector<int>& Selection() const { return m_selection; }
  // Gives the document this window's selection before an edit of it.
  void HandSelectionToDocument();

 private:
  DriverDocument& m_document;
  std::vector<int> m_selection;
};

}  // namespace quillon::ui
