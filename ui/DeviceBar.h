#pragma once
// The device bar: what the main window knows of the connected device (name,
// version, user RAM), the device's files ("File", "Size", "Date", sortable)
// and the functions of the driver file selected among them ("Id", "Name"),
// with the playback controls (IR port, repeat, Play, Stop) shown while such
// a driver is loaded. The rules are the main-frame link core's: selecting a
// file asks it for the driver, Play and Stop go to its playback, and the
// window redraws from its getters. The main window calls the entry points
// below when its handling of the worker's events changed something.
#include <QDockWidget>
#include <QList>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QSortFilterProxyModel;

namespace Ui {
class CDlgToolBarQVX;
}

namespace quillon {
class CMainFrameLink;
class CQVXFile;
}

namespace quillon::ui {

class DeviceFileModel;
class TextTableModel;

class CDlgToolBarQVX : public QDockWidget {
  Q_OBJECT

 public:
  // LINK must outlive the bar.
  explicit CDlgToolBarQVX(CMainFrameLink& link, QWidget* parent = nullptr);
  ~CDlgToolBarQVX() override;

  // The bar's own menu ("Download Selected File(s)", "Delete Selected
  // Files"): on its menu button and as the file list's context menu.
  void SetFileActions(const QList<QAction*>& actions);
  QMenu* Menu() const { return m_menu; }

  // --- Entry points for the main window ----------------------------------
  // The device information or the file list changed (the device reported
  // them, or the connection ended and the core emptied them).
  void OnDeviceInfoChanged();
  // The driver the bar plays from was loaded or forgotten.
  void OnDeviceBarChanged();
  // Shows no device at once (the connection was lost); the next redraw
  // shows what the core holds then.
  void Clear();
  // Redraws everything from the core.
  void Render();

  // --- What the window's commands and tests read and do ------------------
  // The names of the selected files, in the order the list shows them.
  std::vector<std::string> SelectedFileNames() const;
  // Selects the files named (others are deselected), as a click would.
  void SelectFiles(const std::vector<std::string>& names);
  // The names of the files listed, in the order shown.
  std::vector<std::string> ListedFileNames() const;
  // The selected row of the function list (0-based, the function's index in
  // the driver), or -1.
  int SelectedFunctionRow() const;
  void SelectFunctionRow(int row);
  // The function list's rows as shown ("Id", "Name").
  std::vector<std::pair<std::string, std::string>> ListedFunctions() const;

 signals:
  // The file selection changed (the window's Download and Delete follow it).
  void FileSelectionChanged();

 private:
  void OnFilesSelected();
  void OnPlay();
  void OnStop();
  void RenderDevice();
  void RenderFunctions();
  // The listed file NAME, or null.
  const CQVXFile* FileNamed(const std::string& name) const;

  CMainFrameLink& m_link;
  std::unique_ptr<Ui::CDlgToolBarQVX> m_ui;
  DeviceFileModel* m_files = nullptr;
  QSortFilterProxyModel* m_sortedFiles = nullptr;
  TextTableModel* m_functions = nullptr;
  QMenu* m_menu = nullptr;
  bool m_restoring = false;
};

}  // namespace quillon::ui
