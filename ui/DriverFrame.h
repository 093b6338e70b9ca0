#pragma once
// One driver window: the function list beside the tabbed detail view, both
// showing one DriverDocument (which the window does not own; "New Window"
// puts a second frame on the same document and both stay in step). The Edit
// commands of the main window act on the frame that is active.
#include <QWidget>
#include <vector>

class QSplitter;

namespace quillon::ui {

class CDetailView;
class CFunctionView;
class DriverDocument;

class CDriverFrame : public QWidget {
  Q_OBJECT

 public:
  // Throws CViewCreationError ("Could not create view window") when a pane
  // of the detail view cannot be created; Create reports that instead.
  explicit CDriverFrame(DriverDocument& document, QWidget* parent = nullptr);
  ~CDriverFrame() override;

  // A new frame, or null after showing "Could not create view window" when
  // it could not be created (the window is then not opened).
  static CDriverFrame* Create(DriverDocument& document, QWidget* parent = nullptr);

  DriverDocument& Document() { return m_document; }
  CFunctionView* FunctionView() const { return m_list; }
  CDetailView* DetailView() const { return m_detail; }

  bool CanCut() const;
  bool CanCopy() const;
  bool CanPaste() const;
  bool CanSelectAll() const;
  bool CanNewFunction() const;
  // The functions selected in the list, in driver order (what Learn Selected
  // Functions takes).
  std::vector<int> SelectedPositions() const;

 public slots:
  void Cut();
  void Copy();
  void Paste();
  void SelectAll();
  void NewFunction();

 signals:
  // The selection, the clipboard or the driver changed: the Edit commands
  // may have to be enabled or disabled.
  void CommandStateChanged();

 private:
  void Render();
  void OnSelectionChanged();

  DriverDocument& m_document;
  QSplitter* m_splitter;
  CFunctionView* m_list;
  CDetailView* m_detail;
};

}  // namespace quillon::ui
