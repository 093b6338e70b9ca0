#include "ui/WaveformView.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace quillon::ui {
namespace {

constexpr int kLaneHeight = 46;
constexpr int kLaneGap = 6;
constexpr int kAxisHeight = 22;
constexpr int kMargin = 6;

const QColor kLaneColours[] = {QColor(0x1f, 0x5f, 0xbf), QColor(0xc0, 0x39, 0x2b), QColor(0x27, 0x8e, 0x45),
                               QColor(0x8e, 0x44, 0xad)};

// A round step of the time axis: 1, 2 or 5 times a power of ten, at least
// MINIMUM microseconds.
double NiceStep(double minimum) {
  const double power = std::pow(10.0, std::floor(std::log10(std::max(minimum, 1e-3))));
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (factor * power >= minimum) return factor * power;
  }
  return 10.0 * power;
}

QString TimeText(double us, double step) {
  if (step >= 1000.0) return QStringLiteral("%1 ms").arg(us / 1000.0, 0, 'f', step >= 10000.0 ? 0 : 1);
  return QStringLiteral("%1 µs").arg(us, 0, 'f', 0);
}

}  // namespace

WaveformView::WaveformView(QWidget* parent) : QWidget(parent), m_scroll(new QScrollBar(Qt::Horizontal, this)) {
  setObjectName(QStringLiteral("waveformView"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  m_scroll->setObjectName(QStringLiteral("waveformScroll"));
  connect(m_scroll, &QScrollBar::valueChanged, this, [this](int value) {
    if (m_syncing) return;
    ScrollToUs(static_cast<double>(value) * m_usPerPixel);
  });
  SyncScrollBar();
}

void WaveformView::SetTraces(std::vector<Trace> traces) {
  m_traces = std::move(traces);
  m_length = 0;
  for (const Trace& trace : m_traces) m_length = std::max(m_length, TIrWaveform::Length(trace.segments));
  updateGeometry();
  FitAll();
}

int WaveformView::PlotLeft() const {
  int widest = 0;
  const QFontMetrics metrics(font());
  for (const Trace& trace : m_traces) widest = std::max(widest, metrics.horizontalAdvance(trace.label));
  return kMargin + (widest > 0 ? widest + 8 : 0);
}

int WaveformView::PlotWidth() const { return std::max(1, width() - PlotLeft() - kMargin); }

double WaveformView::MaxUsPerPixel() const {
  return std::max(MinUsPerPixel(), static_cast<double>(std::max<uint64_t>(m_length, 1)) / PlotWidth());
}

void WaveformView::FitAll() {
  m_usPerPixel = MaxUsPerPixel();
  m_offset = 0.0;
  Clamp();
  SyncScrollBar();
  update();
  emit ViewChanged();
}

void WaveformView::ZoomBy(double factor, int x) {
  if (factor <= 0.0) return;
  const double anchor = m_offset + (x - PlotLeft()) * m_usPerPixel;
  m_usPerPixel = std::clamp(m_usPerPixel / factor, MinUsPerPixel(), MaxUsPerPixel());
  m_offset = anchor - (x - PlotLeft()) * m_usPerPixel;
  Clamp();
  SyncScrollBar();
  update();
  emit ViewChanged();
}

void WaveformView::ScrollToUs(double offset) {
  m_offset = offset;
  Clamp();
  SyncScrollBar();
  update();
  emit ViewChanged();
}

void WaveformView::Clamp() {
  const double visible = PlotWidth() * m_usPerPixel;
  const double furthest = std::max(0.0, static_cast<double>(m_length) - visible);
  m_offset = std::clamp(m_offset, 0.0, furthest);
}

void WaveformView::SyncScrollBar() {
  m_syncing = true;
  const double totalPixels = static_cast<double>(m_length) / m_usPerPixel;
  const int hidden = static_cast<int>(std::ceil(std::max(0.0, totalPixels - PlotWidth())));
  m_scroll->setRange(0, hidden);
  m_scroll->setPageStep(PlotWidth());
  m_scroll->setSingleStep(std::max(1, PlotWidth() / 20));
  m_scroll->setValue(static_cast<int>(std::lround(m_offset / m_usPerPixel)));
  m_scroll->setVisible(hidden > 0);
  m_syncing = false;
}

QSize WaveformView::sizeHint() const {
  const int lanes = std::max<int>(1, static_cast<int>(m_traces.size()));
  return {480, kMargin * 2 + lanes * (kLaneHeight + kLaneGap) + kAxisHeight + m_scroll->sizeHint().height()};
}

QSize WaveformView::minimumSizeHint() const {
  return {160, kMargin * 2 + kLaneHeight + kAxisHeight + m_scroll->sizeHint().height()};
}

void WaveformView::resizeEvent(QResizeEvent*) {
  const int barHeight = m_scroll->sizeHint().height();
  m_scroll->setGeometry(0, height() - barHeight, width(), barHeight);
  m_usPerPixel = std::clamp(m_usPerPixel, MinUsPerPixel(), MaxUsPerPixel());
  Clamp();
  SyncScrollBar();
}

void WaveformView::DrawAxis(QPainter& painter, int top, int height) {
  const double step = NiceStep(m_usPerPixel * 70.0);
  const double first = std::ceil(m_offset / step) * step;
  const double last = m_offset + PlotWidth() * m_usPerPixel;
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawLine(PlotLeft(), top, PlotLeft() + PlotWidth(), top);
  painter.setPen(palette().color(QPalette::Text));
  for (double t = first; t <= last; t += step) {
    const int x = PlotLeft() + static_cast<int>(std::lround((t - m_offset) / m_usPerPixel));
    painter.drawLine(x, top, x, top + 4);
    painter.drawText(QRect(x - 40, top + 4, 80, height - 4), Qt::AlignHCenter | Qt::AlignTop, TimeText(t, step));
  }
}

void WaveformView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const int left = PlotLeft();
  const int plotWidth = PlotWidth();
  if (m_traces.empty() || m_length == 0) {
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect(), Qt::AlignCenter, tr("No signal"));
    return;
  }
  const double visibleEnd = m_offset + plotWidth * m_usPerPixel;
  int top = kMargin;
  for (std::size_t lane = 0; lane < m_traces.size(); ++lane) {
    const Trace& trace = m_traces[lane];
    const QColor colour =
        trace.colour.isValid() ? trace.colour : kLaneColours[lane % (sizeof kLaneColours / sizeof kLaneColours[0])];
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(kMargin, top, left - kMargin, kLaneHeight), Qt::AlignVCenter | Qt::AlignLeft, trace.label);
    painter.save();
    painter.setClipRect(QRect(left, top, plotWidth, kLaneHeight));
    // Part backgrounds: the once part plain, the copies of the repeated part
    // alternately tinted, so where the repetition starts is visible.
    const int high = top + 6;
    const int low = top + kLaneHeight - 6;
    QPainterPath path;
    bool started = false;
    for (const TIrWaveSegment& segment : trace.segments) {
      const double start = static_cast<double>(segment.start_us);
      const double end = start + segment.duration_us;
      if (end < m_offset || start > visibleEnd) continue;
      const double x0 = left + (start - m_offset) / m_usPerPixel;
      const double x1 = left + (end - m_offset) / m_usPerPixel;
      if (segment.part > 0) {
        QColor tint = colour;
        tint.setAlpha(segment.part % 2 == 1 ? 22 : 40);
        painter.fillRect(QRectF(x0, top, std::max(1.0, x1 - x0), kLaneHeight), tint);
      }
      const double y = segment.mark ? high : low;
      if (!started) {
        path.moveTo(x0, y);
        started = true;
      } else {
        path.lineTo(x0, y);
      }
      path.lineTo(x1, y);
    }
    painter.setPen(QPen(colour, 1.5));
    painter.drawPath(path);
    painter.restore();
    top += kLaneHeight + kLaneGap;
  }
  DrawAxis(painter, top, kAxisHeight);
}

void WaveformView::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps == 0) return;
  ZoomBy(std::pow(1.25, steps), static_cast<int>(event->position().x()));
  event->accept();
}

void WaveformView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  m_dragging = true;
  m_dragX = static_cast<int>(event->position().x());
  m_dragOffset = m_offset;
  setCursor(Qt::ClosedHandCursor);
}

void WaveformView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_dragging) return;
  ScrollToUs(m_dragOffset - (static_cast<int>(event->position().x()) - m_dragX) * m_usPerPixel);
}

void WaveformView::mouseReleaseEvent(QMouseEvent*) {
  m_dragging = false;
  unsetCursor();
}

void WaveformView::mouseDoubleClickEvent(QMouseEvent*) { FitAll(); }

void WaveformView::keyPressEvent(QKeyEvent* event) {
  const int centre = PlotLeft() + PlotWidth() / 2;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: ZoomBy(1.5, centre); break;
    case Qt::Key_Minus: ZoomBy(1.0 / 1.5, centre); break;
    case Qt::Key_0:
    case Qt::Key_Home: FitAll(); break;
    case Qt::Key_Left: ScrollToUs(m_offset - PlotWidth() * m_usPerPixel / 4); break;
    case Qt::Key_Right: ScrollToUs(m_offset + PlotWidth() * m_usPerPixel / 4); break;
    default: QWidget::keyPressEvent(event); return;
  }
  event->accept();
}

}  // namespace quillon::ui
