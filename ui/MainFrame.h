#pragma once
// The main window: a multi-document area holding one window per open driver
// (a driver may have several), the menus of the program, the standard and
// connect toolbars, the device bar and the status bar. It owns the device link
// and the current connection, and carries out the start-up's requests
// (IQuillonShell). Every command is a named QAction; the menus show only the
// commands that apply while a driver is open or not.
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <cstdint>
#include <vector>

#include "app/IQuillonShell.h"
#include "devicelink/CQVXConnectionTypeList.h"

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace Ui {
class CMainFrame;
}

namespace quillon {
class CDlgOpenDriver;
class CQuillonApp;
class CQVX;
class CVelmorPackageReader;
class IPrompt;
}  // namespace quillon

namespace quillon::ui {

class CDriverFrame;
class COldPkgWarningDlg;
class DriverDocument;
class InstanceServer;
class QtPrompt;

class CMainFrame : public QMainWindow, public IQuillonShell {
  Q_OBJECT

 public:
  // APP holds the run's state; PROMPT shows every message box. Both must
  // outlive the window.
  CMainFrame(CQuillonApp& app, QtPrompt& prompt, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // --- IQuillonShell -----------------------------------------------------
  bool CreateMainFrame() override;
  CQVXConnectionTypeList& RecentConnections() override { return m_recentConnections; }
  void SetCurrentConnection(std::unique_ptr<CQVXConnectionType> description,
                            const std::string& serialDevicePath) override;
  void RegisterClipboardFormat(const std::string& name) override;
  bool NewDriver() override;
  bool OpenDriver(const std::string& path) override;
  // Opens a driver image received from a device or read out of a package as
  // a new driver window titled TITLE (no file yet: saving asks for a name).
  // False when the window cannot be made.
  bool OpenDriverBytes(const std::vector<std::uint8_t>& bytes, const QString& title);
  void ShowMainFrame() override;
  IOldPkgWarningView* OldPkgWarningView() override;

  // --- What tests and the device side read -------------------------------
  QMdiArea* MdiArea() const;
  // The driver window that has the focus, or null.
  CDriverFrame* ActiveFrame() const;
  // The open drivers, oldest first.
  std::vector<DriverDocument*> Documents() const;
  // The driver windows of DOCUMENT, oldest first.
  std::vector<QMdiSubWindow*> FramesOf(const DriverDocument* document) const;
  const CQVXConnectionType* CurrentConnection() const { return m_currentConnection.get(); }
  const std::string& SerialDevicePath() const { return m_serialDevicePath; }
  CQVX& Link() { return *m_link; }
  InstanceServer* Instances() const { return m_instances; }

 public slots:
  // Opens each file as a driver (dropped files, open requests of a second
  // start), after any open dialog has closed.
  void OpenFiles(const QStringList& paths);
  // Shows the connection state in the status bar.
  void UpdateConnectionStatus();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Commands.
  void OnFileNew();
  void OnFileOpen();
  void OnFileOpenDatabase();
  void OnFileClose();
  bool OnFileSave();
  bool OnFileSaveAs();
  void OnRecentFile(int index);
  void OnWindowNew();
  void OnWindowArrange();
  void OnHelpContents();
  void OnHelpAbout();
  void OnLearnSelected();
  void OnDeviceCommand();
  void OnConnectionCommand();

  // Documents and their windows.
  DriverDocument* ActiveDocument() const;
  DriverDocument* FindDocument(const QString& path) const;
  // Takes DOCUMENT into the list of open drivers with its first window;
  // false (document deleted) when the window cannot be made.
  bool AddDocument(DriverDocument* document);
  QMdiSubWindow* CreateFrame(DriverDocument* document);
  bool SaveDocument(DriverDocument* document, bool askForName);
  bool SaveModified(DriverDocument* document);
  void CloseDocument(DriverDocument* document);
  void OnFrameDestroyed(DriverDocument* document);

  // What the window shows.
  void BuildBars();
  void RebuildMenus();
  void RebuildRecentFiles();
  void RebuildWindowList();
  void UpdateTitles(DriverDocument* document);
  void UpdateMainTitle();
  void UpdateCommandState();
  void UpdateConnectionPanes();
  void Message(const QString& text);

  CQuillonApp& m_app;
  QtPrompt& m_prompt;
  std::unique_ptr<Ui::CMainFrame> m_ui;
  std::unique_ptr<CQVX> m_link;
  CQVXConnectionTypeList m_recentConnections;
  std::unique_ptr<CQVXConnectionType> m_currentConnection;
  std::string m_serialDevicePath;
  InstanceServer* m_instances = nullptr;
  std::vector<DriverDocument*> m_documents;
  // Every driver window with the driver it shows, oldest first.
  std::vector<std::pair<QMdiSubWindow*, DriverDocument*>> m_frames;
  QStringList m_pendingOpens;
  bool m_closingAll = false;
  bool m_menusWithDriver = false;
  bool m_menusBuilt = false;

  QMenu* m_menuFile = nullptr;
  QMenu* m_menuEdit = nullptr;
  QMenu* m_menuView = nullptr;
  QMenu* m_menuConnection = nullptr;
  QMenu* m_menuLearn = nullptr;
  QMenu* m_menuWindow = nullptr;
  QMenu* m_menuHelp = nullptr;
  QAction* m_recentActions[4] = {nullptr, nullptr, nullptr, nullptr};
  QAction* m_recentSeparator = nullptr;
  QComboBox* m_connectionCombo = nullptr;
  QLabel* m_panes[5] = {nullptr, nullptr, nullptr, nullptr, nullptr};
  QPointer<CDriverFrame> m_watchedFrame;

  // File -> Open From Database...: the package reader and the "Open Driver"
  // dialog's core, made at the first use and kept for the run; the
  // old-package warning of the library folder choice.
  std::unique_ptr<CVelmorPackageReader> m_packageReader;
  std::unique_ptr<CDlgOpenDriver> m_openDriver;
  COldPkgWarningDlg* m_oldPkgWarning = nullptr;
};

}  // namespace quillon::ui
