#include "ui/LearnDlgView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTimer>

#include "capture/CLearnDlg.h"
#include "platform/SafeFile.h"
#include "ui/CaptureAnimation.h"
#include "ui/DriverText.h"
#include "ui/FileDialog.h"
#include "ui/FileFilter.h"
#include "ui/QtPrompt.h"
#include "ui/TextTableModel.h"
#include "ui/WaveformView.h"
#include "ui_LearnDlgView.h"

namespace quillon::ui {
namespace {

constexpr int kNameWidth = 96;
constexpr int kStatusWidth = 64;
constexpr int kFlashMs = 700;
// A raw capture file is a few kilobytes; anything past this is not one.
constexpr std::size_t kMaxBinFile = std::size_t(16) << 20;

const QColor kCapturedColour(0x1f, 0x5f, 0xbf);
const QColor kLearnedColour(0x27, 0x8e, 0x45);
const QColor kStoredColour(0x8e, 0x44, 0xad);

void Show(QWidget* widget, const CLearnDlg::Control& control) {
  widget->setEnabled(control.enabled);
  widget->setVisible(control.visible);
}

}  // namespace

template <typename Action>
void CLearnDlgView::Forward(Action action) {
  if (m_rendering || m_finished) return;
  action();
  Render();
  FinishIfEnded();
}

CLearnDlgView::CLearnDlgView(CLearnDlg& core, QWidget* parent)
    : QDialog(parent),
      m_core(core),
      m_ui(std::make_unique<Ui::CLearnDlgView>()),
      m_model(new TextTableModel({tr("Name"), tr("Status")}, this)),
      m_timer(new QTimer(this)),
      m_flashTimer(new QTimer(this)) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("learnDialog"));
  setWindowTitle(QString::fromLatin1(CLearnDlg::kTitle));

  m_ui->list->setModel(m_model);
  m_ui->list->header()->setStretchLastSection(true);
  m_ui->list->setColumnWidth(0, kNameWidth);
  m_ui->list->setColumnWidth(1, kStatusWidth);
  // The name of the function being learned, in the message font at 24 pixels.
  QFont nameFont = QApplication::font("QMessageBox");
  nameFont.setPixelSize(24);
  m_ui->currentName->setFont(nameFont);
  m_ui->verifyReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_ui->verifyReport->setMaximumHeight(QFontMetrics(m_ui->verifyReport->font()).lineSpacing() * 5 + 12);
  m_ui->verifyReport->setVisible(false);
  m_ui->waveformView->setMinimumHeight(m_ui->waveformView->sizeHint().height());

  connect(m_ui->learnButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.Learn(); }); });
  connect(m_ui->verifyButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.Verify(); }); });
  connect(m_ui->skipButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.Skip(); }); });
  connect(m_ui->abortButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.Abort(); }); });
  connect(m_ui->reLearnButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.ReLearn(); }); });
  connect(m_ui->acceptButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.Accept(); }); });
  connect(m_ui->okButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.Ok(); }); });
  connect(m_ui->cancelButton, &QPushButton::clicked, this, [this] { Forward([this] { m_core.Cancel(); }); });
  connect(m_ui->autoSelectBox, &QCheckBox::clicked, this,
          [this](bool on) { Forward([this, on] { m_core.SetAutoSelect(on); }); });
  connect(m_ui->briefBox, &QCheckBox::clicked, this, [this](bool on) { Forward([this, on] { m_core.ToggleBrief(on); }); });
  connect(m_ui->enhancedAnalysisBox, &QCheckBox::clicked, this,
          [this](bool on) { Forward([this, on] { m_core.SetEnhancedAnalysis(on); }); });
  connect(m_ui->binButton, &QPushButton::clicked, this, &CLearnDlgView::OnBin);
  // The "Bin" button stays hidden; Ctrl+B presses it (while it is enabled).
  auto* loadBin = new QAction(tr("Analyse a Capture File..."), this);
  loadBin->setObjectName(QStringLiteral("actionLoadBin"));
  loadBin->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  loadBin->setShortcutContext(Qt::WindowShortcut);
  addAction(loadBin);
  connect(loadBin, &QAction::triggered, m_ui->binButton, &QPushButton::click);
  connect(m_ui->list->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CLearnDlgView::OnRowChosen);
  connect(m_ui->list, &QAbstractItemView::clicked, this, &CLearnDlgView::OnRowChosen);

  m_flashTimer->setSingleShot(true);
  m_flashTimer->setInterval(kFlashMs);
  connect(m_flashTimer, &QTimer::timeout, this, [this] { m_ui->statusText->setStyleSheet(QString()); });

  m_timer->setInterval(CLearnDlg::kTimerIntervalMs);
  connect(m_timer, &QTimer::timeout, this, &CLearnDlgView::OnTick);
  if (m_core.IsTimerRunning()) m_timer->start();
  Render();
}

CLearnDlgView::~CLearnDlgView() = default;

void CLearnDlgView::OnTick() {
  // A message box the tick shows runs its own event loop, in which this
  // timer fires again: the core is in the middle of its tick then.
  if (m_ticking || m_finished) return;
  m_ticking = true;
  m_core.Tick();
  m_ticking = false;
  if (!m_core.IsTimerRunning()) m_timer->stop();
  Render();
  FinishIfEnded();
}

void CLearnDlgView::OnRowChosen() {
  if (m_rendering) return;
  const QModelIndexList rows = m_ui->list->selectionModel()->selectedRows();
  if (rows.isEmpty()) {
    Render();  // the core keeps its row selected
    return;
  }
  const int row = rows.front().row();
  Forward([this, row] { m_core.ClickRow(row); });
}

void CLearnDlgView::OnBin() {
  if (m_finished || !m_core.GetBinButton().enabled) return;
  FileDialog::Options options;
  options.caption = tr("Open");
  options.filter = QtFileFilter(QString::fromLatin1(CLearnDlg::kBinFilter));
  options.defaultSuffix = QString::fromLatin1(CLearnDlg::kBinExtension).mid(1);
  const QString path = FileDialog::GetOpenFileName(this, options);
  if (path.isEmpty()) return;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadFileSafely(QFile::encodeName(path).toStdString(), kMaxBinFile);
  } catch (const SafeFileError& error) {
    QtPrompt prompt(this);
    prompt.MessageBox(error.what(), QtPrompt::DefaultCaption().toStdString(), PromptButtons::Ok, PromptIcon::Warning);
    return;
  }
  Forward([this, &bytes] { m_core.LoadBin(bytes); });
}

void CLearnDlgView::Render() {
  m_rendering = true;
  QVector<QStringList> rows;
  for (const CLearnDlg::Row& row : m_core.GetRows()) {
    rows.push_back({FromDriverText(row.name), QString::fromStdString(row.status)});
  }
  m_model->SetRows(rows);
  QItemSelectionModel* selection = m_ui->list->selectionModel();
  const int selected = m_core.GetSelectedRow();
  if (selected >= 0 && selected < rows.size()) {
    const QModelIndex index = m_model->index(selected, 0);
    if (!selection->isRowSelected(selected, QModelIndex()) || selection->selectedRows().size() != 1 ||
        selection->currentIndex().row() != selected) {
      selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      m_ui->list->scrollTo(index);
    }
  } else {
    selection->clearSelection();
  }
  m_ui->list->setEnabled(m_core.GetList().enabled);

  Show(m_ui->learnButton, m_core.GetLearnButton());
  Show(m_ui->verifyButton, m_core.GetVerifyButton());
  Show(m_ui->skipButton, m_core.GetSkipButton());
  Show(m_ui->abortButton, m_core.GetAbortButton());
  Show(m_ui->reLearnButton, m_core.GetReLearnButton());
  Show(m_ui->acceptButton, m_core.GetAcceptButton());
  Show(m_ui->okButton, m_core.GetOkButton());
  Show(m_ui->cancelButton, m_core.GetCancelButton());
  m_ui->reLearnButton->setText(QString::fromStdString(m_core.GetReLearnLabel()));

  m_ui->autoSelectBox->setChecked(m_core.GetAutoSelect());
  Show(m_ui->autoSelectBox, m_core.GetAutoSelectBox());
  m_ui->briefBox->setChecked(m_core.IsBrief());
  Show(m_ui->briefBox, m_core.GetBriefBox());
  Show(m_ui->binButton, m_core.GetBinButton());
  m_ui->enhancedAnalysisBox->setChecked(m_core.IsEnhancedAnalysis());
  Show(m_ui->enhancedAnalysisBox, m_core.GetEnhancedAnalysisBox());

  m_ui->currentName->setText(FromDriverText(m_core.GetCurrentName()));
  m_ui->statusText->setText(QString::fromStdString(m_core.GetStatusText()));
  m_ui->animation->SetState(m_core.GetAnimation());
  m_ui->progressLabel->setText(QString::fromStdString(TIrCaptureOverview::Progress(m_core)));
  if (m_core.GetLastCapture().sequence != m_shownCapture) RenderCapture();
  m_rendering = false;
}

void CLearnDlgView::RenderCapture() {
  const bool arrived = m_shownCapture >= 0;
  m_overview = TIrCaptureOverview::Of(m_core);
  m_shownCapture = m_overview.sequence;

  QString title = QString::fromStdString(m_overview.caption);
  if (!m_overview.function_name.empty()) title += QStringLiteral(": ") + FromDriverText(m_overview.function_name);
  m_ui->captureGroup->setTitle(title);
  m_ui->carrierLabel->setText(QString::fromStdString(m_overview.carrier_text));

  std::vector<WaveformView::Trace> traces;
  for (const TIrCaptureOverview::Lane& lane : m_overview.lanes) {
    const QColor colour = lane.label == "Captured" ? kCapturedColour
                          : lane.label == "Stored" ? kStoredColour
                                                   : kLearnedColour;
    traces.push_back({QString::fromStdString(lane.label), lane.segments, colour});
  }
  m_ui->waveformView->SetTraces(std::move(traces));

  QStringList lines;
  for (const std::string& line : m_overview.comparison) lines << QString::fromStdString(line);
  m_ui->verifyReport->setPlainText(lines.join(QLatin1Char('\n')));
  m_ui->verifyReport->setVisible(!lines.isEmpty());
  if (arrived && m_overview.sequence > 0) Signal(m_overview.analysed);
}

// A capture arrived: the status line lights up green (analysed) or orange
// (not), the bell sounds and the desktop is asked to draw attention to the
// window, so the user holding the remote need not watch the screen.
void CLearnDlgView::Signal(bool analysed) {
  ++m_signalled;
  m_ui->statusText->setStyleSheet(analysed ? QStringLiteral("QLineEdit { background: #c9efd2; }")
                                           : QStringLiteral("QLineEdit { background: #f9d9b8; }"));
  m_flashTimer->start();
  QApplication::beep();
  QApplication::alert(this, 1500);
}

void CLearnDlgView::FinishIfEnded() {
  if (m_finished || m_core.GetEndResult() == CLearnDlg::EndResult::Running) return;
  m_finished = true;
  m_timer->stop();
  QDialog::done(m_core.GetEndResult() == CLearnDlg::EndResult::Ok ? QDialog::Accepted : QDialog::Rejected);
}

void CLearnDlgView::reject() {
  if (m_finished) {
    QDialog::reject();
    return;
  }
  if (m_core.GetCancelButton().enabled && m_core.GetCancelButton().visible) {
    Forward([this] { m_core.Cancel(); });
  }
}

void CLearnDlgView::closeEvent(QCloseEvent* event) {
  if (m_finished) {
    event->accept();
    return;
  }
  // The title bar's Close is refused while a capture is under way.
  if (!m_core.IsCloseEnabled()) {
    event->ignore();
    return;
  }
  event->accept();
  Forward([this] { m_core.Close(); });
}

}  // namespace quillon::ui
