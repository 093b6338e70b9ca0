#include "ui/DetailSignal.h"

#include <QHeaderView>
#include <numeric>

#include "capture/TIrCaptureStatus.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "signals/TIrCodeCache.h"
#include "signals/TIrSignalRender.h"
#include "signals/TIrVerifyReport.h"
#include "signals/TIrWaveform.h"
#include "ui/DriverDocument.h"
#include "ui/DriverText.h"
#include "ui/TextTableModel.h"
#include "ui/WaveformView.h"
#include "ui_DetailSignal.h"

namespace quillon::ui {
namespace {

const TQVXIrSubFunction* FirstSubFunction(const TQVXIrFunction& function) {
  for (int i = 0; i < function.GetSubFunctionCount(); ++i) {
    if (const TQVXIrSubFunction* sub = function.GetSubFunction(i)) return sub;
  }
  return nullptr;
}

double Milliseconds(const std::vector<std::uint32_t>& durations) {
  return std::accumulate(durations.begin(), durations.end(), 0.0) / 1000.0;
}

QString Kilohertz(double hz) { return QStringLiteral("%1 kHz").arg(hz / 1000.0, 0, 'f', 1); }

QString Percent(double percent) {
  return QStringLiteral("%1%2 %")
      .arg(percent > 0.0 ? QStringLiteral("+") : QString())
      .arg(percent, 0, 'f', 1);
}

// The captured carrier against the stored one (the carrier is 66 MHz over
// the divider, so a larger divider is a lower carrier).
QString CarrierDeviation(std::uint16_t stored, std::uint16_t captured) {
  if (stored == 0 || captured == 0) return QString();
  return Percent((static_cast<double>(stored) / captured - 1.0) * 100.0);
}

TIrSignal NoSignal() {
  TIrSignal none;
  none.repeats = 0;
  return none;
}

QString Carrier(std::uint16_t divider) {
  if (divider == 0) return CDetailSignal::tr("no divider");
  return CDetailSignal::tr("%1 (divider %2)").arg(Kilohertz(66000000.0 / divider)).arg(divider);
}

QString CodeText(const TIrCode& code) {
  if (!code.Known())
    return CDetailSignal::tr("unknown (matches none of the protocols Quillon recognises)");
  return CDetailSignal::tr("%1, address %2 (0x%3), command %4 (0x%5)")
      .arg(QString::fromStdString(code.protocol))
      .arg(code.address)
      .arg(code.address, 2, 16, QLatin1Char('0'))
      .arg(code.command)
      .arg(code.command, 2, 16, QLatin1Char('0'));
}

// What one press sends: "Header 13.5 ms once, then the body (54.0 ms) 4 times:
// 229.5 ms in all."
QString PressText(const TIrSignal& signal) {
  const double once = Milliseconds(signal.once), body = Milliseconds(signal.repeat);
  QString text;
  if (!signal.once.empty())
    text = CDetailSignal::tr("Header %1 ms once, then ").arg(once, 0, 'f', 1);
  if (signal.repeat.empty()) {
    text = CDetailSignal::tr("Header %1 ms once, no body.").arg(once, 0, 'f', 1);
  } else if (signal.repeats < 1) {
    text +=
        CDetailSignal::tr("the body (%1 ms) only while the button is held.").arg(body, 0, 'f', 1);
  } else {
    const QString times = signal.repeats == 1 ? CDetailSignal::tr("once")
                                              : CDetailSignal::tr("%1 times").arg(signal.repeats);
    text += CDetailSignal::tr("the body (%1 ms) %2: %3 ms in all.")
                .arg(body, 0, 'f', 1)
                .arg(times)
                .arg(once + body * signal.repeats, 0, 'f', 1);
  }
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

bool SameSignal(const TIrSignal& a, const TIrSignal& b) {
  return a.carrier_hz == b.carrier_hz && a.once == b.once && a.repeat == b.repeat &&
         a.repeats == b.repeats;
}

}  // namespace

QStringList CDetailSignal::ReportColumns() {
  return {tr("Time value"), tr("Stored"), tr("Captured"), tr("Deviation")};
}

CDetailSignal::CDetailSignal(DriverDocument& document, QWidget* parent)
    : CDetailPane(document, parent),
      m_ui(std::make_unique<Ui::CDetailSignal>()),
      m_report(new TextTableModel(ReportColumns(), this)) {
  m_ui->setupUi(this);
  setObjectName(QStringLiteral("signalPane"));
  QFont bold = m_ui->signalTitle->font();
  bold.setBold(true);
  m_ui->signalTitle->setFont(bold);
  m_ui->verifyList->setModel(m_report);
  m_ui->verifyList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView* header = m_ui->verifyList->horizontalHeader();
  header->resizeSection(0,
                        fontMetrics().horizontalAdvance(QStringLiteral("Time value 15 / 15")) + 12);
  header->resizeSection(
      1, fontMetrics().horizontalAdvance(QStringLiteral("38.0 kHz (divider 1736)")) + 16);
  header->resizeSection(
      2, fontMetrics().horizontalAdvance(QStringLiteral("38.0 kHz (divider 1736)")) + 16);
  m_ui->signalSplitter->setStretchFactor(0, 3);
  m_ui->signalSplitter->setStretchFactor(1, 2);
}

CDetailSignal::~CDetailSignal() = default;

void CDetailSignal::Render() {
  const TQVXIrFunction* function =
      Selection().empty() ? nullptr : Doc().GetDriver().GetFunction(Selection().front());
  if (function == nullptr) {
    ShowNothing(tr("Select a function in the list to see its signal."));
    return;
  }
  QString title = FromDriverText(function->GetName());
  if (Selection().size() > 1)
    title += tr("  (the first of %1 selected functions)").arg(Selection().size());
  m_ui->signalTitle->setText(title);
  if (FirstSubFunction(*function) == nullptr) {
    ShowNothing(tr("%1 holds no IR data yet: learn it, import it or paste it.")
                    .arg(FromDriverText(function->GetName())));
    return;
  }
  ShowSignal(*function);
}

void CDetailSignal::ShowNothing(const QString& why) {
  m_ui->signalTitle->setText(why);
  for (QLabel* value : {m_ui->protocolValue, m_ui->carrierValue, m_ui->pressValue}) value->clear();
  for (QWidget* part :
       {static_cast<QWidget*>(m_ui->protocolLabel), static_cast<QWidget*>(m_ui->carrierLabel),
        static_cast<QWidget*>(m_ui->pressLabel), static_cast<QWidget*>(m_ui->verifyGroup)})
    part->setVisible(false);
  ShowTraces(NoSignal(), NoSignal());
  m_report->SetRows({});
}

void CDetailSignal::ShowSignal(const TQVXIrFunction& function) {
  for (QWidget* part :
       {static_cast<QWidget*>(m_ui->protocolLabel), static_cast<QWidget*>(m_ui->carrierLabel),
        static_cast<QWidget*>(m_ui->pressLabel), static_cast<QWidget*>(m_ui->verifyGroup)})
    part->setVisible(true);
  const TQVXIrSubFunction& sub = *FirstSubFunction(function);
  const TIrSignal stored = TIrSignalRender::FromSubFunction(sub);
  m_ui->protocolValue->setText(CodeText(Document().Codes().Of(function)));
  m_ui->carrierValue->setText(
      sub.IsModulated()
          ? Carrier(sub.GetDivider())
          : tr("none: sent unmodulated (time base %1)").arg(Carrier(sub.GetDivider())));
  QString press = PressText(stored);
  const std::string problem = stored.Problem();
  if (!problem.empty())
    press += tr(" It cannot be played as it is: %1.").arg(QString::fromStdString(problem));
  if (function.CountNonNullSubFunctions() > 1)
    press += tr(" Sub-function 1 of %1 is shown.").arg(function.CountNonNullSubFunctions());
  m_ui->pressValue->setText(press);

  const TQVXIrSubFunction* captured = Doc().GetVerifyCapture(function);
  ShowTraces(stored, captured ? TIrSignalRender::FromSubFunction(*captured) : NoSignal());
  ShowReport(function, captured);
}

void CDetailSignal::ShowReport(const TQVXIrFunction& function, const TQVXIrSubFunction* captured) {
  if (captured == nullptr) {
    m_ui->verifyVerdict->setText(
        tr("No verification of this function yet. Verify it in the learn dialog "
           "(Learn > Learn Selected Functions) to compare every time value with a new "
           "capture."));
    m_ui->verifyList->setVisible(false);
    m_report->SetRows({});
    return;
  }
  const TIrVerifyReport report = TIrVerifyReport::CompareFunction(function, *captured);
  const QColor outside(0xc0, 0x39, 0x2b);
  QVector<QStringList> rows;
  QVector<QColor> colours;
  rows.push_back({tr("Carrier"), Carrier(report.stored_divider), Carrier(report.captured_divider),
                  CarrierDeviation(report.stored_divider, report.captured_divider)});
  colours.push_back(report.divider_within ? QColor() : outside);
  int outsideCount = 0;
  for (const TIrTimeComparison& time : report.times) {
    const QString which = time.stored_index == time.captured_index
                              ? tr("T%1").arg(time.stored_index)
                              : tr("T%1 / T%2").arg(time.stored_index).arg(time.captured_index);
    rows.push_back({which, tr("%1 µs (%2 cycles)").arg(time.stored_us).arg(time.stored),
                    tr("%1 µs (%2 cycles)").arg(time.captured_us).arg(time.captured),
                    Percent(time.deviation_percent)});
    colours.push_back(time.within ? QColor() : outside);
    if (!time.within) ++outsideCount;
  }
  QString verdict;
  if (!report.problem.empty()) {
    verdict = tr("%1: the capture has another shape (%2), so its time values cannot be paired.")
                  .arg(QString::fromLatin1(TIrCaptureStatus::kNoMatchText),
                       QString::fromStdString(report.problem));
  } else if (report.matches) {
    verdict = tr("%1: every time value lies within %2 % and the carrier within %3 %.")
                  .arg(QString::fromLatin1(TIrCaptureStatus::kVerifiedText))
                  .arg(TIrVerifyReport::kTimeTolerance)
                  .arg(TIrVerifyReport::kDividerTolerance);
  } else {
    verdict = tr("%1: %2 of %3 time values lie outside %4 %")
                  .arg(QString::fromLatin1(TIrCaptureStatus::kNoMatchText))
                  .arg(outsideCount)
                  .arg(report.times.size())
                  .arg(TIrVerifyReport::kTimeTolerance);
    verdict += report.divider_within
                   ? tr(".")
                   : tr(", and the carrier outside %1 %.").arg(TIrVerifyReport::kDividerTolerance);
  }
  m_ui->verifyVerdict->setText(verdict);
  m_report->SetRows(std::move(rows));
  m_report->SetRowColours(std::move(colours));
  m_ui->verifyList->setVisible(true);
}

void CDetailSignal::ShowTraces(const TIrSignal& stored, const TIrSignal& captured) {
  std::vector<TIrSignal> shown;
  if (!stored.Empty()) shown.push_back(stored);
  if (!captured.Empty()) shown.push_back(captured);
  if (shown.size() == m_shown.size() &&
      std::equal(shown.begin(), shown.end(), m_shown.begin(), SameSignal))
    return;  // the same picture: the user's zoom stays
  m_shown = shown;
  std::vector<WaveformView::Trace> traces;
  const QString labels[] = {tr("Stored"), tr("Captured")};
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const int repeats = std::max(1, shown[i].repeats);
    traces.push_back({labels[i], TIrWaveform::Segments(shown[i], repeats), QColor()});
  }
  m_ui->waveformView->SetTraces(std::move(traces));
}

}  // namespace quillon::ui
