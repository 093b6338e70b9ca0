#include "ui/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CDocManagerEx.h"
#include "app/CQuillonApp.h"
#include "devicelink/CQVX.h"
#include "devicelink/CQVXConnectionType.h"
#include "devicelink/CQVXDownloadable.h"
#include "devicelink/CQVXIrFinder.h"
#include "ui/ConnectionParamsDlg.h"
#include "library/CDlgOpenDriver.h"
#include "library/CLibraryFolder.h"
#include "library/CVelmorPackageReader.h"
#include "deviceops/CLearnCommand.h"
#include "deviceops/CTransfers.h"
#include "ui/AboutDlg.h"
#include "ui/ConfirmFileReplaceDlg.h"
#include "ui/CopyConflictDlg.h"
#include "ui/DeviceBar.h"
#include "ui/DriverClipboard.h"
#include "ui/DriverDocument.h"
#include "ui/DriverFrame.h"
#include "ui/DriverText.h"
#include "ui/FileDialog.h"
#include "ui/ImportErrorDlg.h"
#include "ui/InstanceServer.h"
#include "ui/InterchangeCommands.h"
#include "ui/LearnDlgView.h"
#include "ui/OldPkgWarningDlg.h"
#include "ui/OpenDriverDlg.h"
#include "ui/ModalAlertDlg.h"
#include "ui/QtPrompt.h"
#include "ui/ToolIcons.h"
#include "ui/UploadNameDlg.h"
#include "ui/UrlOpener.h"
#include "ui_MainFrame.h"

namespace quillon::ui {
namespace {

constexpr const char* kWindowListProperty = "quillonWindowList";

QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// The file dialog's options for a driver open or save request.
FileDialog::Options DialogOptions(const CDocManagerEx::FileDialogRequest& request) {
  FileDialog::Options options;
  options.caption = QString::fromStdString(request.caption);
  options.folder = FromPath(request.folder);
  options.fileName = FromPath(request.fileName);
  options.filter = QString::fromStdString(request.filters);
  options.note = FromPath(request.note);
  options.defaultSuffix = QString::fromStdString(request.defaultSuffix);
  return options;
}
std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A recent-file entry as the File menu shows it: "&1 ~/drivers/tv.vir".
QString RecentFileText(int index, const QString& path) {
  QString shown = QDir::toNativeSeparators(path);
  const QString home = QDir::homePath();
  if (!home.isEmpty() && shown.startsWith(home + QLatin1Char('/'))) shown = QLatin1Char('~') + shown.mid(home.size());
  if (shown.size() > 60) shown = shown.left(18) + QStringLiteral("...") + shown.right(39);
  shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

QStringList LocalFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

// The upload's dialogs, shown over the main window: the name choice, the
// replace question with both files' sizes and times, and the progress alert.
class UploadDialogs : public IUploadUi {
 public:
  UploadDialogs(QWidget* parent, CQVX& link, const CDriverDoc& doc, QPointer<CModalAlertDlg>& shown)
      : m_parent(parent), m_link(link), m_doc(doc), m_shown(shown) {}

  bool ChooseName(CUploadNameChoice& choice) override { return CUploadNameDlg::Ask(m_parent, choice); }

  bool ConfirmReplace(const std::string& name, const std::string& deviceTime, const std::string& localTime) override {
    CDialogConfirmFileReplace::Details details;
    details.name = name;
    details.deviceTime = deviceTime;
    details.localTime = localTime;
    m_link.WithFileList([&](const CQVXFileList& list) {
      const int at = list.Find(name, false);
      if (at >= 0) details.deviceSize = list.GetAt(static_cast<std::size_t>(at))->GetSize();
    });
    // The size the device will hold: the driver as it is sent.
    details.localSize = static_cast<std::int64_t>(CTransfers::UploadImage(m_doc).size());
    return CDialogConfirmFileReplace::Ask(m_parent, details);
  }

  void ShowProgress(CProgressAlert& alert) override {
    CQVX& link = m_link;
    CModalAlertDlg dialog(alert, [&link](std::int64_t* done, std::int64_t* total) {
      link.GetTransferProgress(done, total);
    }, m_parent);
    m_shown = &dialog;
    dialog.exec();
    m_shown = nullptr;
  }

 private:
  QWidget* m_parent;
  CQVX& m_link;
  const CDriverDoc& m_doc;
  QPointer<CModalAlertDlg>& m_shown;
};

}  // namespace

CMainFrame::CMainFrame(CQuillonApp& app, QtPrompt& prompt, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_prompt(prompt), m_ui(std::make_unique<Ui::CMainFrame>()),
      m_link(std::make_unique<CQVX>()),
      m_learn(std::make_unique<CLearnCommand>(m_link.get(), prompt, std::string())) {
  m_ui->setupUi(this);
  m_link->SetDeviceTable(&app.GetDeviceTypes());
  // A link that cannot be opened says why in a "Socket Error" box.
  m_link->SetShowSocketErrors(true);
  m_linkCore = std::make_unique<CMainFrameLink>(*m_link, m_prompt);
  m_linkCore->SetListener(this);
  // A connection given on the command line is made at the first tick.
  m_linkCore->SetCommandLineConnection([&app] { return app.IsCommandLineConnection(); },
                                       [&app] { app.ClearCommandLineConnection(); });
  m_finder = std::make_unique<CQVXIrFinder>(&app.GetDeviceTypes());
  // A learn dialog takes the worker's events itself while it runs, and
  // learning does not start while a tick is handling them.
  m_linkCore->SetLearnActiveQuery([this] { return m_learn->IsLearnActive(); });
  m_linkCore->SetHandlingListener([this](bool on) { m_learn->SetHandlingEvents(on); });
  // The document's conflict question and import report appear as the
  // program's own dialogs.
  CCopyConflictDlg::Register();
  CDlgImportError::Register();
  m_ui->mdiArea->setObjectName(QStringLiteral("mdiArea"));
  m_ui->mdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  m_ui->mdiArea->setBackground(QColor(0x8d, 0x99, 0xa6));
  connect(m_ui->mdiArea, &QMdiArea::subWindowActivated, this, [this] {
    UpdateMainTitle();
    UpdateCommandState();
  });

  // File.
  connect(m_ui->actionFileNew, &QAction::triggered, this, &CMainFrame::OnFileNew);
  connect(m_ui->actionFileOpen, &QAction::triggered, this, &CMainFrame::OnFileOpen);
  connect(m_ui->actionFileOpenDatabase, &QAction::triggered, this, &CMainFrame::OnFileOpenDatabase);
  connect(m_ui->actionFileClose, &QAction::triggered, this, &CMainFrame::OnFileClose);
  connect(m_ui->actionFileSave, &QAction::triggered, this, &CMainFrame::OnFileSave);
  connect(m_ui->actionFileSaveAs, &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
  connect(m_ui->actionFileExit, &QAction::triggered, this, &QWidget::close);
  connect(m_ui->actionFileImport, &QAction::triggered, this, [this] {
    const QString done = CInterchangeCommands::Import(this, m_prompt, ActiveDocument(), [this]() -> DriverDocument* {
      return NewDriver() ? ActiveDocument() : nullptr;
    });
    if (!done.isEmpty()) statusBar()->showMessage(done, 10000);
    UpdateCommandState();
  });
  connect(m_ui->actionFileExport, &QAction::triggered, this, [this] {
    CDriverFrame* frame = ActiveFrame();
    if (!frame) return;
    const QString done = CInterchangeCommands::Export(this, m_prompt, frame->Document(), frame->SelectedPositions());
    if (!done.isEmpty()) statusBar()->showMessage(done, 10000);
  });
  for (int i = 0; i < 4; ++i) {
    m_recentActions[i] = new QAction(this);
    m_recentActions[i]->setObjectName(QStringLiteral("actionFileRecent%1").arg(i + 1));
    m_recentActions[i]->setStatusTip(tr("Open this driver"));
    connect(m_recentActions[i], &QAction::triggered, this, [this, i] { OnRecentFile(i); });
  }
  connect(m_ui->actionFileUpload, &QAction::triggered, this, &CMainFrame::OnFileUpload);
  connect(m_ui->actionFileDownload, &QAction::triggered, this, &CMainFrame::OnFileDownload);
  connect(m_ui->actionFileDelete, &QAction::triggered, this, &CMainFrame::OnFileDelete);

  // Edit: the active driver window does the work.
  connect(m_ui->actionEditUndo, &QAction::triggered, this, [this] {
    if (CDriverFrame* frame = ActiveFrame()) frame->Undo();
  });
  connect(m_ui->actionEditRedo, &QAction::triggered, this, [this] {
    if (CDriverFrame* frame = ActiveFrame()) frame->Redo();
  });
  connect(m_ui->actionEditCut, &QAction::triggered, this, [this] {
    if (CDriverFrame* frame = ActiveFrame()) frame->Cut();
  });
  connect(m_ui->actionEditCopy, &QAction::triggered, this, [this] {
    if (CDriverFrame* frame = ActiveFrame()) frame->Copy();
  });
  connect(m_ui->actionEditPaste, &QAction::triggered, this, [this] {
    if (CDriverFrame* frame = ActiveFrame()) frame->Paste();
  });
  connect(m_ui->actionEditSelectAll, &QAction::triggered, this, [this] {
    if (CDriverFrame* frame = ActiveFrame()) frame->SelectAll();
  });
  connect(m_ui->actionEditNewFunction, &QAction::triggered, this, [this] {
    if (CDriverFrame* frame = ActiveFrame()) frame->NewFunction();
  });

  // Connection and Learn.
  connect(m_ui->actionConnectionParameters, &QAction::triggered, this, &CMainFrame::OnConnectionParameters);
  connect(m_ui->actionConnect, &QAction::triggered, this, &CMainFrame::OnConnect);
  connect(m_ui->actionDisconnect, &QAction::triggered, this, &CMainFrame::OnDisconnect);
  connect(m_ui->actionViewDevice, &QAction::triggered, this, &CMainFrame::OnViewDevice);
  connect(m_ui->actionLearnSelected, &QAction::triggered, this, &CMainFrame::OnLearnSelected);

  // Window and Help.
  connect(m_ui->actionWindowNew, &QAction::triggered, this, &CMainFrame::OnWindowNew);
  connect(m_ui->actionWindowCascade, &QAction::triggered, m_ui->mdiArea, &QMdiArea::cascadeSubWindows);
  connect(m_ui->actionWindowTile, &QAction::triggered, m_ui->mdiArea, &QMdiArea::tileSubWindows);
  connect(m_ui->actionWindowArrange, &QAction::triggered, this, &CMainFrame::OnWindowArrange);
  connect(m_ui->actionHelpContents, &QAction::triggered, this, &CMainFrame::OnHelpContents);
  connect(m_ui->actionHelpAbout, &QAction::triggered, this, &CMainFrame::OnHelpAbout);

  BuildBars();
  RebuildMenus();
  UpdateCommandState();
  UpdateConnectionStatus();

  // The periodic status work: the worker's events and the state shown.
  m_linkTimer = new QTimer(this);
  m_linkTimer->setObjectName(QStringLiteral("linkTimer"));
  m_linkTimer->setInterval(CMainFrameLink::kTimerInterval);
  connect(m_linkTimer, &QTimer::timeout, this, [this] { m_linkCore->Tick(); });
  m_linkTimer->start();
}

CMainFrame::~CMainFrame() {
  m_linkTimer->stop();
  m_linkCore->SetListener(nullptr);
  // The bar works on the link core, which goes before the window's children.
  delete m_deviceBar;
  m_deviceBar = nullptr;
  // Windows go before the documents they show.
  m_closingAll = true;
  for (auto& [sub, document] : m_frames) {
    (void)document;
    sub->disconnect(this);
  }
  m_frames.clear();
  delete m_ui->mdiArea;
  for (DriverDocument* document : m_documents) delete document;
  m_documents.clear();
}

// --- Bars --------------------------------------------------------------------

void CMainFrame::BuildBars() {
  // The standard toolbar.
  QToolBar* standard = m_ui->standardToolBar;
  m_ui->actionFileNew->setIcon(ToolIcons::Get(QStringLiteral("document-new")));
  m_ui->actionFileOpen->setIcon(ToolIcons::Get(QStringLiteral("document-open")));
  m_ui->actionFileSave->setIcon(ToolIcons::Get(QStringLiteral("document-save")));
  m_ui->actionEditCut->setIcon(ToolIcons::Get(QStringLiteral("edit-cut")));
  m_ui->actionEditCopy->setIcon(ToolIcons::Get(QStringLiteral("edit-copy")));
  m_ui->actionEditPaste->setIcon(ToolIcons::Get(QStringLiteral("edit-paste")));
  m_ui->actionHelpAbout->setIcon(ToolIcons::Get(QStringLiteral("help-about")));
  standard->addAction(m_ui->actionFileNew);
  standard->addAction(m_ui->actionFileOpen);
  standard->addAction(m_ui->actionFileSave);
  standard->addSeparator();
  standard->addAction(m_ui->actionEditCut);
  standard->addAction(m_ui->actionEditCopy);
  standard->addAction(m_ui->actionEditPaste);
  standard->addSeparator();
  standard->addAction(m_ui->actionHelpAbout);

  // The connect toolbar: the connection to use and the connect commands.
  QToolBar* connectBar = m_ui->connectToolBar;
  m_ui->actionConnect->setIcon(ToolIcons::Get(QStringLiteral("network-connect")));
  m_ui->actionDisconnect->setIcon(ToolIcons::Get(QStringLiteral("network-disconnect")));
  m_ui->actionViewDevice->setIcon(ToolIcons::Get(QStringLiteral("network-server")));
  m_connectionCombo = new QComboBox(connectBar);
  m_connectionCombo->setObjectName(QStringLiteral("connectionCombo"));
  m_connectionCombo->setMinimumContentsLength(24);
  m_connectionCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  m_connectionCombo->setToolTip(tr("The device Connect to Device connects to"));
  connectBar->addWidget(m_connectionCombo);
  connectBar->addAction(m_ui->actionConnect);
  connectBar->addAction(m_ui->actionDisconnect);
  connectBar->addAction(m_ui->actionViewDevice);
  // What the connected device says of itself.
  m_deviceInfoLabel = new QLabel(connectBar);
  m_deviceInfoLabel->setObjectName(QStringLiteral("deviceInfo"));
  m_deviceInfoLabel->setContentsMargins(8, 0, 8, 0);
  connectBar->addWidget(m_deviceInfoLabel);
  connect(m_connectionCombo, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    const int item = m_connectionCombo->itemData(index).toInt();
    if (const CQVXConnectionType* chosen = m_linkCore->RecentConnections().GetAt(item)) {
      m_linkCore->SetCurrentConnection(CQVXConnectionType::CreateCopy(chosen));
      m_serialDevicePath.clear();
      m_link->SetSerialDevicePath(std::string());
      UpdateConnectionPanes();
    }
  });

  // The device bar: the connected device, its files and the functions of the
  // file chosen for playback, with its own menu of the file commands.
  m_deviceBar = new CDlgToolBarQVX(*m_linkCore, this);
  m_deviceBar->SetFileActions({m_ui->actionFileDownload, m_ui->actionFileDelete});
  addDockWidget(Qt::LeftDockWidgetArea, m_deviceBar);

  // The status bar's five panes: messages, the connection state, the
  // connection chosen, the active driver and the advanced mode.
  const char* names[5] = {"statusMessage", "connectionStatus", "connectionPane", "driverPane", "modePane"};
  for (int i = 0; i < 5; ++i) {
    m_panes[i] = new QLabel(this);
    m_panes[i]->setObjectName(QString::fromLatin1(names[i]));
    if (i == 0) {
      m_panes[i]->setText(tr("Ready"));
      statusBar()->addWidget(m_panes[i], 1);
    } else {
      m_panes[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
      statusBar()->addPermanentWidget(m_panes[i]);
    }
  }
  m_panes[1]->setToolTip(tr("Connection Status"));
  m_panes[4]->setToolTip(tr("Advanced mode"));

  // View.
  connect(m_ui->actionViewToolbar, &QAction::toggled, this, [this](bool on) {
    m_ui->standardToolBar->setVisible(on);
    m_ui->connectToolBar->setVisible(on);
  });
  connect(m_ui->actionViewStatusBar, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void CMainFrame::RebuildMenus() {
  const bool withDriver = !m_documents.empty();
  if (m_menusBuilt && withDriver == m_menusWithDriver) return;
  m_menusBuilt = true;
  m_menusWithDriver = withDriver;

  auto makeMenu = [this](QMenu*& menu, const char* name, const QString& title) {
    if (!menu) {
      menu = new QMenu(title, this);
      menu->setObjectName(QString::fromLatin1(name));
    }
    menu->clear();
  };
  makeMenu(m_menuFile, "menuFile", tr("&File"));
  makeMenu(m_menuEdit, "menuEdit", tr("&Edit"));
  makeMenu(m_menuView, "menuView", tr("&View"));
  makeMenu(m_menuConnection, "menuConnection", tr("&Connection"));
  makeMenu(m_menuLearn, "menuLearn", tr("&Learn"));
  makeMenu(m_menuWindow, "menuWindow", tr("&Window"));
  makeMenu(m_menuHelp, "menuHelp", tr("&Help"));

  m_menuFile->addAction(m_ui->actionFileNew);
  m_menuFile->addAction(m_ui->actionFileOpen);
  m_menuFile->addAction(m_ui->actionFileOpenDatabase);
  if (withDriver) {
    m_menuFile->addAction(m_ui->actionFileClose);
    m_menuFile->addAction(m_ui->actionFileSave);
    m_menuFile->addAction(m_ui->actionFileSaveAs);
  }
  m_menuFile->addSeparator();
  m_menuFile->addAction(m_ui->actionFileImport);
  if (withDriver) m_menuFile->addAction(m_ui->actionFileExport);
  m_recentSeparator = m_menuFile->addSeparator();
  for (QAction* action : m_recentActions) m_menuFile->addAction(action);
  m_menuFile->addSeparator();
  m_menuFile->addAction(m_ui->actionFileDownload);
  m_menuFile->addAction(m_ui->actionFileDelete);
  if (withDriver) m_menuFile->addAction(m_ui->actionFileUpload);
  m_menuFile->addSeparator();
  m_menuFile->addAction(m_ui->actionFileExit);
  RebuildRecentFiles();

  m_menuEdit->addAction(m_ui->actionEditUndo);
  m_menuEdit->addAction(m_ui->actionEditRedo);
  m_menuEdit->addSeparator();
  m_menuEdit->addAction(m_ui->actionEditCut);
  m_menuEdit->addAction(m_ui->actionEditCopy);
  m_menuEdit->addAction(m_ui->actionEditPaste);
  m_menuEdit->addSeparator();
  m_menuEdit->addAction(m_ui->actionEditSelectAll);
  m_menuEdit->addAction(m_ui->actionEditNewFunction);

  m_menuView->addAction(m_ui->actionViewToolbar);
  m_menuView->addAction(m_ui->actionViewStatusBar);

  m_menuConnection->addAction(m_ui->actionConnectionParameters);
  m_menuConnection->addAction(m_ui->actionConnect);
  m_menuConnection->addAction(m_ui->actionViewDevice);
  m_menuConnection->addAction(m_ui->actionDisconnect);

  m_menuLearn->addAction(m_ui->actionLearnSelected);

  m_menuWindow->addAction(m_ui->actionWindowNew);
  m_menuWindow->addAction(m_ui->actionWindowCascade);
  m_menuWindow->addAction(m_ui->actionWindowTile);
  m_menuWindow->addAction(m_ui->actionWindowArrange);
  connect(m_menuWindow, &QMenu::aboutToShow, this, &CMainFrame::RebuildWindowList, Qt::UniqueConnection);

  m_menuHelp->addAction(m_ui->actionHelpContents);
  m_menuHelp->addSeparator();
  m_menuHelp->addAction(m_ui->actionHelpAbout);

  QMenuBar* bar = menuBar();
  bar->clear();
  bar->addMenu(m_menuFile);
  if (withDriver) bar->addMenu(m_menuEdit);
  bar->addMenu(m_menuView);
  bar->addMenu(m_menuConnection);
  if (withDriver) bar->addMenu(m_menuLearn);
  if (withDriver) bar->addMenu(m_menuWindow);
  bar->addMenu(m_menuHelp);
}

void CMainFrame::RebuildRecentFiles() {
  const std::vector<std::string>& recent = m_app.GetRecentFiles();
  for (int i = 0; i < 4; ++i) {
    QAction* action = m_recentActions[i];
    const bool used = i < static_cast<int>(recent.size());
    action->setVisible(used);
    if (used) {
      const QString path = FromPath(recent[static_cast<std::size_t>(i)]);
      action->setText(RecentFileText(i, path));
      action->setData(path);
    }
  }
  if (m_recentSeparator) m_recentSeparator->setVisible(!recent.empty());
}

void CMainFrame::RebuildWindowList() {
  for (QAction* action : m_menuWindow->actions()) {
    if (action->property(kWindowListProperty).toBool()) {
      m_menuWindow->removeAction(action);
      action->deleteLater();
    }
  }
  const QList<QMdiSubWindow*> windows = m_ui->mdiArea->subWindowList(QMdiArea::CreationOrder);
  if (windows.isEmpty()) return;
  QAction* separator = m_menuWindow->addSeparator();
  separator->setProperty(kWindowListProperty, true);
  int number = 0;
  for (QMdiSubWindow* window : windows) {
    QString title = window->windowTitle();
    title.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* action = m_menuWindow->addAction(QStringLiteral("&%1 %2").arg(++number).arg(title));
    action->setProperty(kWindowListProperty, true);
    action->setCheckable(true);
    action->setChecked(window == m_ui->mdiArea->currentSubWindow());
    connect(action, &QAction::triggered, this, [this, window = QPointer<QMdiSubWindow>(window)] {
      if (window) m_ui->mdiArea->setActiveSubWindow(window);
    });
  }
}

// --- Start-up requests ----------------------------------------------------

bool CMainFrame::CreateMainFrame() {
  setAcceptDrops(true);
  m_instances = new InstanceServer(this);
  connect(m_instances, &InstanceServer::OpenRequested, this, &CMainFrame::OpenFiles);
  // Without the socket a second start opens its own window; that is all.
  m_instances->Listen();
  return true;
}

void CMainFrame::SetCurrentConnection(std::unique_ptr<CQVXConnectionType> description,
                                      const std::string& serialDevicePath) {
  m_linkCore->SetCurrentConnection(std::move(description));
  m_serialDevicePath = serialDevicePath;
  m_link->SetSerialDevicePath(serialDevicePath);
  UpdateConnectionPanes();
}

void CMainFrame::RegisterClipboardFormat(const std::string& name) {
  DriverClipboard::SetMimeType(QString::fromStdString(name));
}

bool CMainFrame::NewDriver() {
  auto* document = new DriverDocument(m_prompt, this);
  if (!document->Doc().OnNewDocument()) {
    delete document;
    return false;
  }
  document->SetTitle(QString::fromStdString(m_app.NextUntitledTitle()));
  return AddDocument(document);
}

bool CMainFrame::OpenDriver(const std::string& path) {
  const QString absolute = QFileInfo(FromPath(path)).absoluteFilePath();
  if (DriverDocument* open = FindDocument(absolute)) {
    const std::vector<QMdiSubWindow*> frames = FramesOf(open);
    if (!frames.empty()) m_ui->mdiArea->setActiveSubWindow(frames.front());
    return true;
  }
  auto* document = new DriverDocument(m_prompt, this);
  if (!document->Doc().OnOpenDocument(ToPath(absolute))) {
    delete document;
    m_app.RemoveRecentFile(ToPath(absolute));
    RebuildRecentFiles();
    return false;
  }
  if (!AddDocument(document)) return false;
  m_app.AddRecentFile(ToPath(absolute));
  RebuildRecentFiles();
  return true;
}

bool CMainFrame::OpenDriverBytes(const std::vector<std::uint8_t>& bytes, const QString& title) {
  auto* document = new DriverDocument(m_prompt, this);
  document->SetTitle(title);
  document->Doc().OnOpenBytes(bytes, title.toStdString());
  return AddDocument(document);
}

bool CMainFrame::AddDocument(DriverDocument* document) {
  m_documents.push_back(document);
  connect(document, &DriverDocument::TitleChanged, this, [this, document] { UpdateTitles(document); });
  connect(document, &DriverDocument::Changed, this, &CMainFrame::UpdateCommandState);
  if (CreateFrame(document)) return true;
  m_documents.pop_back();
  delete document;
  return false;
}

void CMainFrame::ShowMainFrame() {
  show();
  raise();
  activateWindow();
}

// --- Documents and windows ------------------------------------------------

QMdiArea* CMainFrame::MdiArea() const { return m_ui->mdiArea; }

CDriverFrame* CMainFrame::ActiveFrame() const {
  QMdiSubWindow* sub = m_ui->mdiArea->currentSubWindow();
  if (!sub) sub = m_ui->mdiArea->activeSubWindow();
  return sub ? qobject_cast<CDriverFrame*>(sub->widget()) : nullptr;
}

DriverDocument* CMainFrame::ActiveDocument() const {
  QMdiSubWindow* sub = m_ui->mdiArea->currentSubWindow();
  if (!sub) sub = m_ui->mdiArea->activeSubWindow();
  for (const auto& [frame, document] : m_frames) {
    if (frame == sub) return document;
  }
  return nullptr;
}

std::vector<DriverDocument*> CMainFrame::Documents() const { return m_documents; }

std::vector<QMdiSubWindow*> CMainFrame::FramesOf(const DriverDocument* document) const {
  std::vector<QMdiSubWindow*> frames;
  for (const auto& [frame, owner] : m_frames) {
    if (owner == document) frames.push_back(frame);
  }
  return frames;
}

DriverDocument* CMainFrame::FindDocument(const QString& path) const {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  for (DriverDocument* document : m_documents) {
    const QString open = FromPath(document->Doc().GetPathName());
    if (open.isEmpty()) continue;
    if (open == path || (!canonical.isEmpty() && QFileInfo(open).canonicalFilePath() == canonical)) return document;
  }
  return nullptr;
}

QMdiSubWindow* CMainFrame::CreateFrame(DriverDocument* document) {
  // A pane that cannot be made has been reported; the window stays closed.
  CDriverFrame* frame = CDriverFrame::Create(*document);
  if (!frame) return nullptr;
  QMdiSubWindow* sub = m_ui->mdiArea->addSubWindow(frame);
  sub->setObjectName(QStringLiteral("driverWindow"));
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->installEventFilter(this);
  m_frames.emplace_back(sub, document);
  connect(sub, &QObject::destroyed, this, [this, sub] {
    auto it = std::find_if(m_frames.begin(), m_frames.end(), [sub](const auto& entry) { return entry.first == sub; });
    if (it == m_frames.end()) return;
    DriverDocument* document = it->second;
    m_frames.erase(it);
    OnFrameDestroyed(document);
  });
  connect(frame, &CDriverFrame::CommandStateChanged, this, &CMainFrame::UpdateCommandState);

  const QSize area = m_ui->mdiArea->viewport()->size();
  const QSize wanted(720, 480);
  sub->resize(area.isValid() && area.width() > 200 ? wanted.boundedTo(area) : wanted);
  sub->show();
  m_ui->mdiArea->setActiveSubWindow(sub);
  RebuildMenus();
  UpdateTitles(document);
  UpdateCommandState();
  return sub;
}

void CMainFrame::OnFrameDestroyed(DriverDocument* document) {
  if (!FramesOf(document).empty()) {
    UpdateTitles(document);
  } else {
    m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), document), m_documents.end());
    document->deleteLater();
  }
  RebuildMenus();
  UpdateMainTitle();
  UpdateCommandState();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && !m_closingAll) {
    // Closing the last window of a changed driver asks to save it first.
    auto* sub = qobject_cast<QMdiSubWindow*>(watched);
    auto it = std::find_if(m_frames.begin(), m_frames.end(), [sub](const auto& entry) { return entry.first == sub; });
    if (it != m_frames.end() && FramesOf(it->second).size() == 1 && !SaveModified(it->second)) {
      event->ignore();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::SaveModified(DriverDocument* document) {
  if (!document->Doc().IsModified()) return true;
  const std::string text = "Save changes to " + document->Title().toStdString() + "?";
  switch (m_prompt.MessageBox(text, CQuillonApp::kCaption, PromptButtons::YesNoCancel, PromptIcon::Question)) {
    case PromptAnswer::Yes: return SaveDocument(document, false);
    case PromptAnswer::No: return true;
    default: return false;
  }
}

bool CMainFrame::SaveDocument(DriverDocument* document, bool askForName) {
  std::string path = document->Doc().GetPathName();
  if (askForName || path.empty()) {
    const CDocManagerEx::FileDialogRequest request =
        CDocManagerEx::SaveDialog(m_app.GetDriverFolder(), document->Title().toStdString(), path);
    const QString chosen = FileDialog::GetSaveFileName(this, DialogOptions(request));
    if (chosen.isEmpty()) return false;
    path = CDocManagerEx::WithDriverExtension(ToPath(QFileInfo(chosen).absoluteFilePath()));
  }
  if (!document->Doc().OnSaveDocument(path)) return false;
  m_app.AddRecentFile(path);
  RebuildRecentFiles();
  document->NotifyChanged();
  UpdateTitles(document);
  return true;
}

void CMainFrame::CloseDocument(DriverDocument* document) {
  if (!SaveModified(document)) return;
  const bool was = m_closingAll;
  m_closingAll = true;
  for (QMdiSubWindow* frame : FramesOf(document)) frame->close();
  m_closingAll = was;
}

void CMainFrame::OpenFiles(const QStringList& paths) {
  // An open dialog or message box keeps the request until it closes.
  if (QApplication::activeModalWidget()) {
    m_pendingOpens += paths;
    if (m_pendingOpens.size() == paths.size()) {
      QTimer::singleShot(250, this, [this] {
        const QStringList pending = m_pendingOpens;
        m_pendingOpens.clear();
        OpenFiles(pending);
      });
    }
    return;
  }
  for (const QString& path : paths) OpenDriver(ToPath(path));
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

// --- Titles and command state ------------------------------------------------

void CMainFrame::UpdateTitles(DriverDocument* document) {
  const std::vector<QMdiSubWindow*> frames = FramesOf(document);
  const bool modified = document->Doc().IsModified();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    QString title = document->Title();
    if (frames.size() > 1) title += QStringLiteral(":%1").arg(i + 1);
    if (modified) title += QLatin1Char('*');
    frames[i]->setWindowTitle(title);
  }
  UpdateMainTitle();
}

void CMainFrame::UpdateMainTitle() {
  QMdiSubWindow* sub = m_ui->mdiArea->currentSubWindow();
  if (!sub) sub = m_ui->mdiArea->activeSubWindow();
  const bool known = sub && std::any_of(m_frames.begin(), m_frames.end(),
                                        [sub](const auto& entry) { return entry.first == sub; });
  setWindowTitle(known ? QStringLiteral("Quillon - [%1]").arg(sub->windowTitle()) : QStringLiteral("Quillon"));
}

void CMainFrame::UpdateCommandState() {
  CDriverFrame* frame = ActiveFrame();
  const bool withDriver = frame != nullptr;
  m_ui->actionEditCut->setEnabled(frame && frame->CanCut());
  m_ui->actionEditCopy->setEnabled(frame && frame->CanCopy());
  m_ui->actionEditPaste->setEnabled(frame && frame->CanPaste());
  m_ui->actionEditSelectAll->setEnabled(frame && frame->CanSelectAll());
  m_ui->actionEditNewFunction->setEnabled(frame && frame->CanNewFunction());
  // "Undo Rename POWER": the texts name the edit.
  const auto named = [](const QString& verb, const QString& edit) {
    return edit.isEmpty() ? verb : verb + QLatin1Char(' ') + QString(edit).replace(QLatin1Char('&'), QStringLiteral("&&"));
  };
  m_ui->actionEditUndo->setEnabled(frame && frame->CanUndo());
  m_ui->actionEditUndo->setText(named(tr("&Undo"), frame ? frame->UndoText() : QString()));
  m_ui->actionEditRedo->setEnabled(frame && frame->CanRedo());
  m_ui->actionEditRedo->setText(named(tr("&Redo"), frame ? frame->RedoText() : QString()));
  m_ui->actionFileExport->setEnabled(frame && frame->Document().Doc().GetDriver().GetFunctionCount() > 0);
  for (QAction* action : {m_ui->actionFileClose, m_ui->actionFileSave, m_ui->actionFileSaveAs,
                          m_ui->actionWindowNew}) {
    action->setEnabled(withDriver);
  }
  if (frame) {
    const int count = frame->Document().Doc().GetDriver().GetFunctionCount();
    const int selected = static_cast<int>(frame->SelectedPositions().size());
    m_panes[3]->setText(selected > 0 ? tr("%1 of %2 functions selected").arg(selected).arg(count)
                                     : tr("%n function(s)", nullptr, count));
  } else {
    m_panes[3]->setText(tr("No driver"));
  }
  m_panes[4]->setText(CQuillonApp::IsAdvancedMode() ? tr("ADV") : QString());
  m_panes[4]->setVisible(CQuillonApp::IsAdvancedMode());
}

void CMainFrame::UpdateConnectionStatus() {
  const CMainFrameLink& core = *m_linkCore;
  m_panes[1]->setText(QString::fromStdString(core.GetStatusText()));
  // "Connect to Device" stays pressed while connecting and connected.
  m_ui->actionConnect->setChecked(core.IsConnectPressed());
  m_ui->actionConnect->setEnabled(core.CanConnect());
  m_ui->actionDisconnect->setEnabled(core.CanDisconnect());
  m_ui->actionViewDevice->setEnabled(core.IsConnected());
  m_connectionCombo->setEnabled(core.CanConnect());
  UpdateConnectionPanes();
  UpdateDeviceInfo();
}

void CMainFrame::UpdateDeviceInfo() {
  const CMainFrameLink::DeviceInfo& info = m_linkCore->GetDeviceInfo();
  QStringList parts;
  for (const std::string* text : {&info.name, &info.version}) {
    if (!text->empty()) parts << QString::fromStdString(*text);
  }
  m_deviceInfoLabel->setText(parts.join(QStringLiteral(" - ")));
  m_deviceInfoLabel->setToolTip(
      info.name.empty() ? QString()
                        : tr("Part number %1, firmware %2, memory %3")
                              .arg(QString::fromStdString(info.partNumber), QString::fromStdString(info.firmware),
                                   QString::fromStdString(info.memory)));
}

void CMainFrame::UpdateConnectionPanes() {
  const CQVXConnectionType* current = m_linkCore->CurrentConnection();
  const CQVXConnectionTypeList& recent = m_linkCore->RecentConnections();
  m_panes[2]->setText(current ? QString::fromStdString(current->GetDisplayText()).trimmed() : tr("No device chosen"));
  m_connectionCombo->clear();
  int currentIndex = -1;
  for (int i = 0; i < recent.GetCount(); ++i) {
    const CQVXConnectionType* item = recent.GetAt(i);
    m_connectionCombo->addItem(QString::fromStdString(item->GetDisplayText()).trimmed(), i);
    if (current && currentIndex < 0 && item->IsSameEndpoint(*current)) currentIndex = i;
  }
  if (current && currentIndex < 0) {
    m_connectionCombo->insertItem(0, QString::fromStdString(current->GetDisplayText()).trimmed(), -1);
    currentIndex = 0;
  }
  m_connectionCombo->setCurrentIndex(currentIndex);
  m_connectionCombo->setPlaceholderText(tr("No device chosen"));
}

void CMainFrame::Message(const QString& text) {
  m_prompt.MessageBox(text.toStdString(), CQuillonApp::kCaption, PromptButtons::Ok, PromptIcon::Warning);
}

// --- Commands -------------------------------------------------------------

void CMainFrame::OnFileNew() { NewDriver(); }

void CMainFrame::OnFileOpen() {
  const CDocManagerEx::FileDialogRequest request = CDocManagerEx::OpenDialog(m_app.GetDriverFolder());
  // Several drivers can be chosen at once; no suffix is added to a name typed.
  FileDialog::Options options = DialogOptions(request);
  options.defaultSuffix.clear();
  const QStringList files = FileDialog::GetOpenFileNames(this, options);
  for (const QString& file : files) OpenDriver(ToPath(file));
}

IOldPkgWarningView* CMainFrame::OldPkgWarningView() {
  if (!m_oldPkgWarning) m_oldPkgWarning = new COldPkgWarningDlg(this);
  return m_oldPkgWarning;
}

void CMainFrame::OnFileOpenDatabase() {
  if (!m_openDriver) {
    // The library folder of the run (the start-up chose it already, unless
    // its check was replaced).
    const std::string folder = CLibraryFolder::Get(OldPkgWarningView());
    m_packageReader = std::make_unique<CVelmorPackageReader>();
    if (!folder.empty() && !m_packageReader->IsCreated()) {
      Message(tr("The drivers inside packages cannot be listed: %1.")
                  .arg(QString::fromStdString(m_packageReader->CreateError())));
    }
    CDlgOpenDriver::Host host;
    // The standard File Open; it loaded a driver when a driver window was
    // added.
    host.m_fileOpen = [this] {
      const std::size_t before = m_documents.size();
      OnFileOpen();
      return m_documents.size() > before;
    };
    host.m_openLooseDriver = [this](const std::string& path) { OpenDriver(path); };
    host.m_openPackagedDriver = [this](const std::string& fileName, std::vector<std::uint8_t> bytes) {
      OpenDriverBytes(bytes, QString::fromStdString(fileName));
    };
    host.m_prompt = &m_prompt;
    m_openDriver = std::make_unique<CDlgOpenDriver>(*m_packageReader, folder, std::move(host));
  }
  // Without a driver library the dialog is not shown: the ordinary open
  // dialog takes over.
  COpenDriverDlg dialog(*m_openDriver, this);
  dialog.Run();
}

void CMainFrame::OnFileClose() {
  if (DriverDocument* document = ActiveDocument()) CloseDocument(document);
}

bool CMainFrame::OnFileSave() {
  DriverDocument* document = ActiveDocument();
  return document && SaveDocument(document, false);
}

bool CMainFrame::OnFileSaveAs() {
  DriverDocument* document = ActiveDocument();
  return document && SaveDocument(document, true);
}

void CMainFrame::OnRecentFile(int index) {
  const QString path = m_recentActions[index]->data().toString();
  if (!path.isEmpty()) OpenDriver(ToPath(path));
}

void CMainFrame::OnWindowNew() {
  if (DriverDocument* document = ActiveDocument()) CreateFrame(document);
}

void CMainFrame::OnWindowArrange() {
  // Minimized windows in a row along the bottom of the area.
  const int bottom = m_ui->mdiArea->viewport()->height();
  int x = 0;
  for (QMdiSubWindow* window : m_ui->mdiArea->subWindowList(QMdiArea::CreationOrder)) {
    if (!window->isMinimized()) continue;
    window->move(x, bottom - window->height());
    x += window->width();
  }
}

void CMainFrame::OnHelpContents() {
  if (!m_app.IsHelpFound()) {
    Message(tr("The user manual (%1) was not found in the current folder, the program's folder or the "
               "install folder.")
                .arg(QString::fromLatin1(CQuillonApp::kHelpFileName)));
    return;
  }
  const QString path = FromPath(m_app.GetHelpPath());
  if (!UrlOpener::Open(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()))) {
    Message(tr("The desktop could not open the user manual %1.").arg(path));
  }
}

void CMainFrame::OnHelpAbout() {
  CAboutDlg about(this);
  about.exec();
  UpdateCommandState();
}

void CMainFrame::OnLearnSelected() {
  // The command learns the functions selected in the active window's list.
  DriverDocument* document = ActiveDocument();
  if (CDriverFrame* frame = ActiveFrame(); document && frame) document->Doc().SetSelection(frame->SelectedPositions());
  m_learn->SetSettingsPath(m_app.GetSettingsPath());
  // The timer leaves the events alone from the running-events question on.
  m_linkCore->Suspend();
  struct ResumeOnExit {
    CMainFrameLink& core;
    ~ResumeOnExit() { core.Resume(); }
  } resume{*m_linkCore};
  m_learn->Run(document ? &document->Doc() : nullptr, std::string(), [this](CLearnDlg& dlg) {
    CLearnDlgView view(dlg, this);
    view.exec();
  });
  UpdateCommandState();
}

void CMainFrame::OnFileUpload() {
  DriverDocument* document = ActiveDocument();
  if (!document) return;
  UploadDialogs dialogs(this, *m_link, document->Doc(), m_alertDialog);
  m_linkCore->Upload(document->Doc(), dialogs);
}

void CMainFrame::OnFileDownload() { m_linkCore->Download(m_deviceBar->SelectedFileNames()); }

void CMainFrame::OnFileDelete() { m_linkCore->Delete(m_deviceBar->SelectedFileNames()); }

void CMainFrame::OnConnectionParameters() {
  CDeviceConnectionDialog dialog(m_prompt, m_app.GetDeviceTypes(), *m_finder, m_linkCore->RecentConnections(),
                                 m_linkCore->CurrentConnection(),
                                 [this] { return m_link->GetState() == CQVX::kConnected; }, this);
  const int result = dialog.exec();
  if (result == QDialog::Rejected) return;
  if (auto chosen = dialog.TakeSelected()) {
    m_linkCore->SetCurrentConnection(std::move(chosen));
    // A connection chosen here is reached through its own port, not a
    // device path given on the command line.
    m_serialDevicePath.clear();
    m_link->SetSerialDevicePath(std::string());
    UpdateConnectionPanes();
  }
  if (result == CDeviceConnectionDialog::kConnectResult) OnConnect();
}

void CMainFrame::OnConnect() {
  const CQVXConnectionType* current = m_linkCore->CurrentConnection();
  if (!current || !current->IsValid()) {
    // Nothing to connect to yet: the user chooses a device first.
    UpdateConnectionStatus();
    OnConnectionParameters();
    return;
  }
  m_linkCore->Connect();
  UpdateConnectionStatus();
}

void CMainFrame::OnDisconnect() {
  m_linkCore->Disconnect();
  UpdateConnectionStatus();
}

void CMainFrame::OnViewDevice() {
  if (!m_linkCore->CheckConnected()) return;
  m_deviceBar->show();
  m_deviceBar->raise();
}

void CMainFrame::StateChanged() { UpdateConnectionStatus(); }

void CMainFrame::DeviceInfoChanged() {
  UpdateDeviceInfo();
  if (m_deviceBar) m_deviceBar->OnDeviceInfoChanged();
}

void CMainFrame::DeviceBarChanged() {
  if (m_deviceBar) m_deviceBar->OnDeviceBarChanged();
}

void CMainFrame::AlertChanged() {
  if (m_alertDialog) m_alertDialog->Render();
}

void CMainFrame::DocumentReceived(const CQVXDownloadable& item) {
  // Named on the device in the driver files' own single-byte code page.
  OpenDriverBytes(item.GetData(), FromDriverText(item.GetRemoteName()));
}

// --- Closing and dropping ---------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
  for (DriverDocument* document : m_documents) {
    if (!SaveModified(document)) {
      event->ignore();
      return;
    }
  }
  CQuillonApp::SaveRecentConnections(m_linkCore->RecentConnections(), m_linkCore->CurrentConnection());
  m_closingAll = true;
  m_ui->mdiArea->closeAllSubWindows();
  m_closingAll = false;
  event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QStringList files = LocalFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  // Opened once the drop has finished, so a message box of a bad file does
  // not hold the dragging program.
  QTimer::singleShot(0, this, [this, files] { OpenFiles(files); });
}

}  // namespace quillon::ui
