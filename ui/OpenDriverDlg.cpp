#include "ui/OpenDriverDlg.h"

#include <QAbstractListModel>
#include <QComboBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <functional>
#include <vector>

#include "ui_OpenDriverDlg.h"

namespace quillon::ui {

namespace {

using ComboItem = CDlgOpenDriver::ComboItem;

// How often the window looks at the loading thread's progress.
constexpr int kProgressIntervalMs = 100;
// Reasons listed in the tool tip of the status line at most.
constexpr std::size_t kMaxSkippedShown = 40;

// The items of one of the core's lists, for a combo box: the text, and the
// item data under Qt::UserRole.
class ItemModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  const std::vector<ComboItem>& Items() const { return m_items; }
  void SetItems(const std::vector<ComboItem>& items) {
    beginResetModel();
    m_items = items;
    m_texts.clear();
    m_texts.reserve(static_cast<qsizetype>(items.size()));
    for (const ComboItem& item : items) m_texts.push_back(QString::fromStdString(item.m_text));
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_texts.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= static_cast<int>(m_texts.size())) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole) return m_texts[index.row()];
    if (role == Qt::UserRole) return m_items[static_cast<std::size_t>(index.row())].m_data;
    return {};
  }

 private:
  std::vector<ComboItem> m_items;
  QStringList m_texts;
};

void SetRetainSizeWhenHidden(QWidget* widget) {
  QSizePolicy policy = widget->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  widget->setSizePolicy(policy);
}

void ShowField(QLineEdit* field, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (field->text() == shown) return;
  field->setText(shown);
  field->setCursorPosition(0);
  field->setToolTip(shown);
}

}  // namespace

// One drop-down list: the core's items in a model, shown sorted by name
// (the type, manufacturer and model lists) or in the core's order (the
// versions). The core speaks of positions in its own list; the combo box of
// rows in what it shows, so the two are mapped here.
class COpenDriverDlg::ListAdapter {
 public:
  ListAdapter(QComboBox* combo, bool sorted, std::function<void(int)> select)
      : m_combo(combo), m_model(new ItemModel(combo)), m_select(std::move(select)) {
    if (sorted) {
      m_proxy = new QSortFilterProxyModel(combo);
      m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
      m_proxy->setSourceModel(m_model);
      m_proxy->sort(0);
      combo->setModel(m_proxy);
    } else {
      combo->setModel(m_model);
    }
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(20);
    combo->setMaxVisibleItems(20);
    // Long lists (thousands of models) open at once: every row is one line.
    if (auto* view = qobject_cast<QListView*>(combo->view())) view->setUniformItemSizes(true);
  }

  QComboBox* Combo() const { return m_combo; }
  const std::vector<ComboItem>& Items() const { return m_model->Items(); }

  // Shows ITEMS (refilled only when they changed) with the core's position
  // SELECTED as the current item (-1: none).
  void Show(const std::vector<ComboItem>& items, int selected) {
    if (items != m_model->Items()) m_model->SetItems(items);
    const int row = RowOf(selected);
    if (m_combo->currentIndex() != row) m_combo->setCurrentIndex(row);
  }
  // The user chose ROW: the core is told the position it stands for.
  void Chosen(int row) const { m_select(PositionOf(row)); }

 private:
  int RowOf(int position) const {
    if (position < 0 || position >= m_model->rowCount(QModelIndex())) return -1;
    const QModelIndex source = m_model->index(position);
    return m_proxy ? m_proxy->mapFromSource(source).row() : source.row();
  }
  int PositionOf(int row) const {
    if (row < 0) return -1;
    if (!m_proxy) return row;
    return m_proxy->mapToSource(m_proxy->index(row, 0)).row();
  }

  QComboBox* m_combo;
  ItemModel* m_model;
  QSortFilterProxyModel* m_proxy = nullptr;
  std::function<void(int)> m_select;
};

COpenDriverDlg::COpenDriverDlg(CDlgOpenDriver& core, QWidget* parent)
    : QDialog(parent), m_core(core), m_ui(std::make_unique<Ui::COpenDriverDlg>()) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("openDriverDialog"));
  setWindowTitle(QString::fromUtf8(CDlgOpenDriver::kTitle));
  m_ui->typeLabel->setText(QString::fromUtf8(CDlgOpenDriver::kTypeLabel));
  m_ui->manufacturerLabel->setText(QString::fromUtf8(CDlgOpenDriver::kManufacturerLabel));
  m_ui->modelLabel->setText(QString::fromUtf8(CDlgOpenDriver::kModelLabel));
  m_ui->versionLabel->setText(QString::fromUtf8(CDlgOpenDriver::kVersionLabel));
  m_ui->filenameLabel->setText(QString::fromUtf8(CDlgOpenDriver::kFilenameLabel));
  m_ui->locationLabel->setText(QString::fromUtf8(CDlgOpenDriver::kLocationLabel));
  m_ui->browseButton->setText(QString::fromUtf8(CDlgOpenDriver::kBrowseLabel));
  m_ui->dialogLayout->setColumnStretch(1, 1);

  m_types = std::make_unique<ListAdapter>(m_ui->typeList, true, [this](int i) { m_core.SelectType(i); });
  m_manufacturers =
      std::make_unique<ListAdapter>(m_ui->manufacturerList, true, [this](int i) { m_core.SelectManufacturer(i); });
  m_models = std::make_unique<ListAdapter>(m_ui->modelList, true, [this](int i) { m_core.SelectModel(i); });
  m_versions = std::make_unique<ListAdapter>(m_ui->versionList, false, [this](int i) { m_core.SelectVersion(i); });
  m_ui->typeList->setPlaceholderText(tr("(all types)"));
  m_ui->manufacturerList->setPlaceholderText(tr("(all manufacturers)"));
  m_ui->versionList->setPlaceholderText(tr("(choose a version)"));
  for (ListAdapter* list : {m_types.get(), m_manufacturers.get(), m_models.get(), m_versions.get()}) {
    connect(list->Combo(), &QComboBox::currentIndexChanged, this, [this, list](int row) {
      if (!m_rendering) list->Chosen(row);
    });
  }
  // The two fields read as text of the window (selectable, and scrolled
  // when a path is longer than the field).
  for (QLineEdit* field : {m_ui->filenameText, m_ui->locationText}) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
  }
  // The version row keeps its place while hidden, so the window does not
  // jump as models with one and with several versions are chosen.
  SetRetainSizeWhenHidden(m_ui->versionLabel);
  SetRetainSizeWhenHidden(m_ui->versionList);

  connect(m_ui->okButton, &QPushButton::clicked, this, &COpenDriverDlg::OnOK);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &COpenDriverDlg::reject);
  connect(m_ui->browseButton, &QPushButton::clicked, this, &COpenDriverDlg::OnBrowse);

  m_progressTimer = new QTimer(this);
  m_progressTimer->setInterval(kProgressIntervalMs);
  connect(m_progressTimer, &QTimer::timeout, this, &COpenDriverDlg::RenderStatus);

  m_core.SetChangeListener([this] { Render(); });
  Render();
  resize(DialogUnitSize().expandedTo(sizeHint()));
}

COpenDriverDlg::~COpenDriverDlg() {
  m_core.SetChangeListener(nullptr);
  if (m_core.IsLoading()) m_core.OnCancel();
}

QSize COpenDriverDlg::DialogUnitSize() const {
  // A dialog unit is a quarter of the font's average character width across
  // and an eighth of its height down.
  const QFontMetrics metrics(font());
  const int average =
      (metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
  return {(CDlgOpenDriver::kWidthDlu * average + 2) / 4, (CDlgOpenDriver::kHeightDlu * metrics.height() + 4) / 8};
}

int COpenDriverDlg::Run() {
  if (m_core.OnInitDialog() == CDlgOpenDriver::InitResult::kCancel) return QDialog::Rejected;
  StartLoading();
  return exec();
}

void COpenDriverDlg::StartLoading() {
  // DONE runs on the loading thread: it only posts the finish to this
  // window's thread. The window outlives the thread, since closing or
  // destroying it stops the load first.
  m_core.StartBackgroundLoad([this] {
    QMetaObject::invokeMethod(this, [this] { OnLoadFinished(); }, Qt::QueuedConnection);
  });
  m_progressTimer->start();
  Render();
}

void COpenDriverDlg::OnLoadFinished() {
  m_progressTimer->stop();
  m_core.FinishBackgroundLoad();
  Render();
  if (m_ui->typeList->isEnabled()) m_ui->typeList->setFocus();
}

void COpenDriverDlg::Render() {
  m_rendering = true;
  const bool loading = m_core.IsLoading();
  m_types->Show(m_core.GetTypeItems(), m_core.GetTypeSelection());
  m_manufacturers->Show(m_core.GetManufacturerItems(), m_core.GetManufacturerSelection());
  m_models->Show(m_core.GetModelItems(), m_core.GetModelSelection());
  m_versions->Show(m_core.GetVersionItems(), m_core.GetVersionSelection());
  m_ui->typeList->setEnabled(!loading && !m_core.GetTypeItems().empty());
  m_ui->manufacturerList->setEnabled(!loading && !m_core.GetManufacturerItems().empty());
  m_ui->modelList->setEnabled(m_core.IsModelListEnabled());
  m_ui->modelList->setPlaceholderText(loading                              ? tr("(reading the library)")
                                      : m_core.GetModelItems().empty() ? tr("(no models)")
                                                                        : tr("(choose a model)"));
  const bool versions = m_core.IsVersionListVisible();
  m_ui->versionLabel->setVisible(versions);
  m_ui->versionList->setVisible(versions);
  ShowField(m_ui->filenameText, m_core.GetFilenameText());
  ShowField(m_ui->locationText, m_core.GetLocationText());
  m_ui->okButton->setEnabled(m_core.GetChosenInstance() != nullptr);
  m_rendering = false;
  RenderStatus();
}

void COpenDriverDlg::RenderStatus() {
  if (m_core.IsLoading()) {
    const auto total = static_cast<int>(m_core.GetLoadTotal());
    m_ui->loadStatus->setText(tr("Reading the driver library..."));
    m_ui->loadStatus->setToolTip(QString());
    m_ui->loadProgress->setRange(0, total);
    m_ui->loadProgress->setValue(static_cast<int>(m_core.GetLoadDone()));
    m_ui->loadProgress->setFormat(tr("%v of %m files"));
    m_ui->loadProgress->show();
    return;
  }
  m_ui->loadProgress->hide();
  const std::size_t models = m_core.GetModels().GetCount();
  const auto& skipped = m_core.GetSkipped();
  QString status = models == 1 ? tr("1 model") : tr("%L1 models").arg(models);
  QString reasons;
  if (!skipped.empty()) {
    status += tr("; %L1 left out (point here for the reasons)").arg(skipped.size());
    for (std::size_t i = 0; i < skipped.size() && i < kMaxSkippedShown; ++i) {
      if (i) reasons += QLatin1Char('\n');
      reasons += QFileInfo(QString::fromStdString(skipped[i].m_path)).fileName() + QStringLiteral(": ") +
                 QString::fromStdString(skipped[i].m_reason);
    }
    if (skipped.size() > kMaxSkippedShown) reasons += tr("\n... and %L1 more").arg(skipped.size() - kMaxSkippedShown);
  }
  m_ui->loadStatus->setText(status);
  m_ui->loadStatus->setToolTip(reasons);
}

void COpenDriverDlg::OnOK() { Close(m_core.OnOK()); }

void COpenDriverDlg::OnBrowse() { Close(m_core.OnBrowse()); }

void COpenDriverDlg::Close(CDlgOpenDriver::EndResult result) {
  switch (result) {
    case CDlgOpenDriver::EndResult::kStayOpen: break;
    case CDlgOpenDriver::EndResult::kOk: accept(); break;
    case CDlgOpenDriver::EndResult::kCancel: QDialog::reject(); break;
  }
}

void COpenDriverDlg::reject() { Close(m_core.OnCancel()); }

void COpenDriverDlg::done(int result) {
  m_progressTimer->stop();
  if (m_core.IsLoading()) m_core.OnCancel();
  QDialog::done(result);
}

}  // namespace quillon::ui
