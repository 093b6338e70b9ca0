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
#include "library/CDlgOpenDriver.h"
#include "library/CLibraryFolder.h"
#include "library/CVelmorPackageReader.h"
#include "ui/AboutDlg.h"
#include "ui/CopyConflictDlg.h"
#include "ui/DriverClipboard.h"
#include "ui/DriverDocument.h"
#include "ui/DriverFrame.h"
#include "ui/FileDialog.h"
#include "ui/ImportErrorDlg.h"
#include "ui/InstanceServer.h"
#include "ui/OldPkgWarningDlg.h"
#include "ui/OpenDriverDlg.h"
#include "ui/QtPrompt.h"
#include "ui/ToolIcons.h"
#include "ui/UrlOpener.h"
#include "ui_MainFrame.h"

namespace quillon::ui {
namespace {

constexpr const char* kNotConnected = "Not connected to an Velmor IR Learning device.";
constexpr const char* kNoDrivers = "No Open Drivers or No Drivers Selected";
constexpr const char* kNoFunctionsSelected = "No Functions Selected for Learning";
constexpr const char* kNoConnectionDialog =
    "Connecting to a device from this window is not available in this version of Quillon.\n"
    "quillon-cli reaches a device today, for example: quillon-cli device info --ip ADDR";
constexpr const char* kWindowListProperty = "quillonWindowList";

QString FromPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
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

}  // namespace

CMainFrame::CMainFrame(CQuillonApp& app, QtPrompt& prompt, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_prompt(prompt), m_ui(std::make_unique<Ui::CMainFrame>()),
      m_link(std::make_unique<CQVX>()) {
  m_ui->setupUi(this);
  m_link->SetDeviceTable(&app.GetDeviceTypes());
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
  for (int i = 0; i < 4; ++i) {
    m_recentActions[i] = new QAction(this);
    m_recentActions[i]->setObjectName(QStringLiteral("actionFileRecent%1").arg(i + 1));
    m_recentActions[i]->setStatusTip(tr("Open this driver"));
    connect(m_recentActions[i], &QAction::triggered, this, [this, i] { OnRecentFile(i); });
  }
  for (QAction* action : {m_ui->actionFileDownload, m_ui->actionFileDelete, m_ui->actionFileUpload,
                          m_ui->actionViewDevice, m_ui->actionDisconnect}) {
    connect(action, &QAction::triggered, this, &CMainFrame::OnDeviceCommand);
  }

  // Edit: the active driver window does the work.
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
  connect(m_ui->actionConnectionParameters, &QAction::triggered, this, &CMainFrame::OnConnectionCommand);
  connect(m_ui->actionConnect, &QAction::triggered, this, &CMainFrame::OnConnectionCommand);
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
}

CMainFrame::~CMainFrame() {
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
  connect(m_connectionCombo, qOverload<int>(&QComboBox::activated), this, [this](int index) {
    const int item = m_connectionCombo->itemData(index).toInt();
    if (const CQVXConnectionType* chosen = m_recentConnections.GetAt(item)) {
      m_currentConnection = CQVXConnectionType::CreateCopy(chosen);
      m_serialDevicePath.clear();
      UpdateConnectionPanes();
    }
  });

  // The device bar: the connected device, its files and the functions of the
  // file chosen for playback.
  auto* deviceBar = new QDockWidget(tr("Device"), this);
  deviceBar->setObjectName(QStringLiteral("deviceBar"));
  deviceBar->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  auto* contents = new QWidget(deviceBar);
  auto* layout = new QVBoxLayout(contents);
  layout->setContentsMargins(6, 4, 6, 6);
  auto* deviceName = new QLabel(tr("No device connected"), contents);
  deviceName->setObjectName(QStringLiteral("deviceName"));
  auto* deviceDetails = new QLabel(contents);
  deviceDetails->setObjectName(QStringLiteral("deviceDetails"));
  layout->addWidget(deviceName);
  layout->addWidget(deviceDetails);
  auto* files = new QTreeWidget(contents);
  files->setObjectName(QStringLiteral("deviceFiles"));
  files->setHeaderLabels({tr("File"), tr("Size"), tr("Date")});
  files->setRootIsDecorated(false);
  files->setSelectionMode(QAbstractItemView::ExtendedSelection);
  files->setColumnWidth(0, 128);
  files->setColumnWidth(1, 64);
  files->setColumnWidth(2, 64);
  files->setContextMenuPolicy(Qt::ActionsContextMenu);
  files->addAction(m_ui->actionFileDownload);
  files->addAction(m_ui->actionFileDelete);
  auto* functions = new QTreeWidget(contents);
  functions->setObjectName(QStringLiteral("deviceFunctions"));
  functions->setHeaderLabels({tr("Id"), tr("Name")});
  functions->setRootIsDecorated(false);
  functions->setColumnWidth(0, 64);
  functions->setColumnWidth(1, 128);
  layout->addWidget(files, 3);
  layout->addWidget(functions, 2);
  deviceBar->setWidget(contents);
  deviceBar->setMinimumWidth(240);
  addDockWidget(Qt::LeftDockWidgetArea, deviceBar);

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
  m_recentSeparator = m_menuFile->addSeparator();
  for (QAction* action : m_recentActions) m_menuFile->addAction(action);
  m_menuFile->addSeparator();
  m_menuFile->addAction(m_ui->actionFileDownload);
  m_menuFile->addAction(m_ui->actionFileDelete);
  if (withDriver) m_menuFile->addAction(m_ui->actionFileUpload);
  m_menuFile->addSeparator();
  m_menuFile->addAction(m_ui->actionFileExit);
  RebuildRecentFiles();

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
  m_currentConnection = std::move(description);
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
    const CDocManagerEx::DialogSpec spec =
        CDocManagerEx::SaveDialog(m_app.GetDriverFolder(), document->Title().toStdString(), path);
    FileDialog::Options options;
    options.caption = QString::fromStdString(spec.caption);
    options.folder = FromPath(spec.folder);
    options.fileName = FromPath(spec.fileName);
    options.filter = QString::fromStdString(spec.filters);
    options.note = FromPath(spec.note);
    options.defaultSuffix = QString::fromStdString(spec.defaultSuffix);
    const QString chosen = FileDialog::GetSaveFileName(this, options);
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
  m_panes[1]->setText(QStringLiteral("Connection Status: ") + QString::fromLatin1(CQVX::StateText(m_link->GetState())));
  const int state = m_link->GetState();
  m_ui->actionConnect->setChecked(state == CQVX::kConnecting || state == CQVX::kConnected);
  UpdateConnectionPanes();
}

void CMainFrame::UpdateConnectionPanes() {
  m_panes[2]->setText(m_currentConnection ? QString::fromStdString(m_currentConnection->GetDisplayText()).trimmed()
                                          : tr("No device chosen"));
  m_connectionCombo->clear();
  int currentIndex = -1;
  for (int i = 0; i < m_recentConnections.GetCount(); ++i) {
    const CQVXConnectionType* item = m_recentConnections.GetAt(i);
    m_connectionCombo->addItem(QString::fromStdString(item->GetDisplayText()).trimmed(), i);
    if (m_currentConnection && item->IsSameEndpoint(*m_currentConnection)) currentIndex = i;
  }
  if (m_currentConnection && currentIndex < 0) {
    m_connectionCombo->insertItem(0, QString::fromStdString(m_currentConnection->GetDisplayText()).trimmed(), -1);
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
  const CDocManagerEx::DialogSpec spec = CDocManagerEx::OpenDialog(m_app.GetDriverFolder());
  FileDialog::Options options;
  options.caption = QString::fromStdString(spec.caption);
  options.folder = FromPath(spec.folder);
  options.filter = QString::fromStdString(spec.filters);
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
  CDriverFrame* frame = ActiveFrame();
  if (!frame) {
    Message(QString::fromLatin1(kNoDrivers));
  } else if (frame->SelectedPositions().empty()) {
    Message(QString::fromLatin1(kNoFunctionsSelected));
  } else if (m_link->GetState() != CQVX::kConnected) {
    Message(QString::fromLatin1(kNotConnected));
  }
}

void CMainFrame::OnDeviceCommand() {
  if (m_link->GetState() != CQVX::kConnected) Message(QString::fromLatin1(kNotConnected));
}

void CMainFrame::OnConnectionCommand() {
  Message(QString::fromLatin1(kNoConnectionDialog));
  UpdateConnectionStatus();
}

// --- Closing and dropping ---------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event) {
  for (DriverDocument* document : m_documents) {
    if (!SaveModified(document)) {
      event->ignore();
      return;
    }
  }
  CQuillonApp::SaveRecentConnections(m_recentConnections, m_currentConnection.get());
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
