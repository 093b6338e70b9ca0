#include "ui/DeviceBar.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>

#include "deviceops/CMainFrameLink.h"
#include "ui/DeviceFileModel.h"
#include "ui/DriverText.h"
#include "ui/TextTableModel.h"
#include "ui_DeviceBar.h"

namespace quillon::ui {
namespace {

// Device files are named by number: 2.vir comes before 10.vir. Runs of
// digits compare by their value, the rest without regard to case.
int CompareNames(const QString& a, const QString& b) {
  int i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].isDigit() && b[j].isDigit()) {
      int ei = i, ej = j;
      while (ei < a.size() && a[ei].isDigit()) ++ei;
      while (ej < b.size() && b[ej].isDigit()) ++ej;
      // Leading zeros do not count; then the longer run is the larger value.
      while (i < ei - 1 && a[i] == QLatin1Char('0')) ++i;
      while (j < ej - 1 && b[j] == QLatin1Char('0')) ++j;
      if (ei - i != ej - j) return (ei - i) < (ej - j) ? -1 : 1;
      const int digits = QStringView(a).mid(i, ei - i).compare(QStringView(b).mid(j, ej - j));
      if (digits != 0) return digits;
      i = ei;
      j = ej;
      continue;
    }
    const int c = QString::compare(QString(a[i]), QString(b[j]), Qt::CaseInsensitive);
    if (c != 0) return c;
    ++i;
    ++j;
  }
  return (a.size() - i) - (b.size() - j);
}

class FileSortModel : public QSortFilterProxyModel {
 public:
  explicit FileSortModel(QObject* parent) : QSortFilterProxyModel(parent) { setSortRole(DeviceFileModel::kSortRole); }

 protected:
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
    if (left.column() == DeviceFileModel::kFile) {
      return CompareNames(left.data(sortRole()).toString(), right.data(sortRole()).toString()) < 0;
    }
    return QSortFilterProxyModel::lessThan(left, right);
  }
};

QString Shown(const std::string& text) { return FromDriverText(text).trimmed(); }

}  // namespace

CDlgToolBarQVX::CDlgToolBarQVX(CMainFrameLink& link, QWidget* parent)
    : QDockWidget(tr("Device"), parent), m_link(link), m_ui(std::make_unique<Ui::CDlgToolBarQVX>()) {
  setObjectName(QStringLiteral("deviceBar"));
  setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  auto* contents = new QWidget(this);
  m_ui->setupUi(contents);
  contents->setObjectName(QStringLiteral("deviceBarContents"));
  setWidget(contents);
  setMinimumWidth(260);

  m_files = new DeviceFileModel(&CMainFrameLink::FileDateText, this);
  m_sortedFiles = new FileSortModel(this);
  m_sortedFiles->setSourceModel(m_files);
  m_ui->deviceFiles->setModel(m_sortedFiles);
  m_ui->deviceFiles->setColumnWidth(DeviceFileModel::kFile, 128);
  m_ui->deviceFiles->setColumnWidth(DeviceFileModel::kSize, 64);
  m_ui->deviceFiles->setColumnWidth(DeviceFileModel::kDate, 64);
  m_ui->deviceFiles->header()->setSortIndicatorShown(true);
  m_ui->deviceFiles->sortByColumn(DeviceFileModel::kFile, Qt::AscendingOrder);
  m_ui->deviceFiles->setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(m_ui->deviceFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CDlgToolBarQVX::OnFilesSelected);

  m_functions = new TextTableModel({QStringLiteral("Id"), QStringLiteral("Name")}, this);
  m_ui->deviceFunctions->setModel(m_functions);
  m_ui->deviceFunctions->setColumnWidth(0, 64);
  m_ui->deviceFunctions->setColumnWidth(1, 128);
  connect(m_ui->deviceFunctions->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { m_ui->playButton->setEnabled(SelectedFunctionRow() >= 0); });
  // A double-click plays the function, as Play does.
  connect(m_ui->deviceFunctions, &QAbstractItemView::doubleClicked, this, &CDlgToolBarQVX::OnPlay);

  m_menu = new QMenu(tr("Device Files"), this);
  m_menu->setObjectName(QStringLiteral("deviceBarMenu"));
  m_ui->deviceMenuButton->setMenu(m_menu);
  connect(m_ui->playButton, &QPushButton::clicked, this, &CDlgToolBarQVX::OnPlay);
  connect(m_ui->stopButton, &QPushButton::clicked, this, &CDlgToolBarQVX::OnStop);
  Render();
}

CDlgToolBarQVX::~CDlgToolBarQVX() = default;

void CDlgToolBarQVX::SetFileActions(const QList<QAction*>& actions) {
  m_menu->clear();
  for (QAction* action : m_ui->deviceFiles->actions()) m_ui->deviceFiles->removeAction(action);
  for (QAction* action : actions) {
    m_menu->addAction(action);
    m_ui->deviceFiles->addAction(action);
  }
}

// --- Entry points ---------------------------------------------------------------

void CDlgToolBarQVX::OnDeviceInfoChanged() {
  RenderDevice();
  RenderFunctions();
}

void CDlgToolBarQVX::OnDeviceBarChanged() { RenderFunctions(); }

void CDlgToolBarQVX::Clear() {
  m_ui->deviceName->setText(tr("No device connected"));
  m_ui->deviceVersion->clear();
  m_ui->deviceMemory->clear();
  m_files->SetFiles({});
  m_functions->SetRows({});
  m_ui->playbackControls->hide();
  emit FileSelectionChanged();
}

void CDlgToolBarQVX::Render() {
  RenderDevice();
  RenderFunctions();
}

void CDlgToolBarQVX::RenderDevice() {
  const CMainFrameLink::DeviceInfo& info = m_link.GetDeviceInfo();
  const bool known = !info.name.empty() || !info.version.empty() || !info.memory.empty();
  m_ui->deviceName->setText(known ? Shown(info.name) : tr("No device connected"));
  QString version = Shown(info.version);
  if (!info.firmware.empty()) {
    const QString firmware = tr("firmware %1").arg(Shown(info.firmware));
    version = version.isEmpty() ? firmware : tr("%1 (%2)").arg(version, firmware);
  }
  m_ui->deviceVersion->setText(version);
  m_ui->deviceMemory->setText(Shown(info.memory));

  // A new list keeps the files the user had selected. The driver of a
  // single selected file is asked for again only when the file changed on
  // the device (or went), not at every refresh of the list.
  const std::vector<std::string> selected = SelectedFileNames();
  const CQVXFile* single = selected.size() == 1 ? FileNamed(selected.front()) : nullptr;
  const CQVXFile before = single ? *single : CQVXFile();
  m_restoring = true;
  m_files->SetFiles(m_link.GetFiles());
  if (!selected.empty()) SelectFiles(selected);
  m_restoring = false;
  if (SelectedFileNames() != selected) {
    OnFilesSelected();
  } else if (selected.size() == 1) {
    const CQVXFile* now = FileNamed(selected.front());
    if (now && (now->GetSize() != before.GetSize() || now->GetSortKey() != before.GetSortKey())) OnFilesSelected();
  }

  const int ports = m_link.GetPortCount();
  m_ui->portSpin->setMaximum(ports > 0 ? ports : 99);
}

void CDlgToolBarQVX::RenderFunctions() {
  const std::vector<std::string> names = m_link.GetDeviceBar().GetFunctionNames();
  QVector<QStringList> rows;
  rows.reserve(static_cast<int>(names.size()));
  for (std::size_t i = 0; i < names.size(); ++i) {
    rows.push_back({QString::number(i + 1), FromDriverText(names[i])});
  }
  m_functions->SetRows(rows);
  m_ui->playbackControls->setVisible(m_link.GetDeviceBar().ArePlaybackControlsVisible());
  m_ui->playButton->setEnabled(SelectedFunctionRow() >= 0);
}

// --- Selection and playback ------------------------------------------------------

void CDlgToolBarQVX::OnFilesSelected() {
  if (m_restoring) return;
  const std::vector<std::string> names = SelectedFileNames();
  // One driver file selected: the core fetches its functions (unless they
  // are those already loaded); anything else leaves nothing to fetch.
  m_link.SelectDeviceFile(names.size() == 1 ? names.front() : std::string());
  RenderFunctions();
  emit FileSelectionChanged();
}

void CDlgToolBarQVX::OnPlay() {
  m_link.Play(m_ui->portSpin->value(), SelectedFunctionRow(), m_ui->repeatCheck->isChecked());
}

void CDlgToolBarQVX::OnStop() { m_link.StopPlayback(); }

std::vector<std::string> CDlgToolBarQVX::SelectedFileNames() const {
  std::vector<std::string> names;
  QModelIndexList rows = m_ui->deviceFiles->selectionModel()->selectedRows(DeviceFileModel::kFile);
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& index : rows) names.push_back(m_files->NameAt(m_sortedFiles->mapToSource(index).row()));
  return names;
}

void CDlgToolBarQVX::SelectFiles(const std::vector<std::string>& names) {
  QItemSelection selection;
  for (int row = 0; row < m_sortedFiles->rowCount(); ++row) {
    const QModelIndex index = m_sortedFiles->index(row, 0);
    const std::string name = m_files->NameAt(m_sortedFiles->mapToSource(index).row());
    if (std::find(names.begin(), names.end(), name) != names.end()) selection.select(index, index);
  }
  QItemSelectionModel* model = m_ui->deviceFiles->selectionModel();
  model->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (!selection.isEmpty()) model->setCurrentIndex(selection.indexes().front(), QItemSelectionModel::NoUpdate);
}

const CQVXFile* CDlgToolBarQVX::FileNamed(const std::string& name) const {
  for (const CQVXFile& file : m_files->Files()) {
    if (file.GetName() == name) return &file;
  }
  return nullptr;
}

std::vector<std::string> CDlgToolBarQVX::ListedFileNames() const {
  std::vector<std::string> names;
  for (int row = 0; row < m_sortedFiles->rowCount(); ++row) {
    names.push_back(m_files->NameAt(m_sortedFiles->mapToSource(m_sortedFiles->index(row, 0)).row()));
  }
  return names;
}

int CDlgToolBarQVX::SelectedFunctionRow() const {
  const QModelIndexList rows = m_ui->deviceFunctions->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void CDlgToolBarQVX::SelectFunctionRow(int row) {
  QItemSelectionModel* model = m_ui->deviceFunctions->selectionModel();
  if (row < 0 || row >= m_functions->rowCount()) {
    model->clearSelection();
    return;
  }
  const QModelIndex index = m_functions->index(row, 0);
  model->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::vector<std::pair<std::string, std::string>> CDlgToolBarQVX::ListedFunctions() const {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const QStringList& row : m_functions->Rows()) rows.emplace_back(row.value(0).toStdString(), ToDriverText(row.value(1)));
  return rows;
}

}  // namespace quillon::ui
