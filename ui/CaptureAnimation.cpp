#include "ui/CaptureAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>
#include <cmath>

#include "capture/TIrCaptureStatus.h"

namespace quillon::ui {
namespace {

const QColor kInfrared(0xd0, 0x31, 0x2d);
const QColor kSensor(0x33, 0x3a, 0x44);
const QColor kWork(0x1f, 0x5f, 0xbf);
const QColor kHalvarWork(0x8e, 0x44, 0xad);
const QColor kGood(0x27, 0x8e, 0x45);
const QColor kWarn(0xd3, 0x7b, 0x10);
const QColor kMuted(0x7f, 0x8c, 0x8d);

// The learner's sensor window on the right, its lens lit when LIT.
void Sensor(QPainter& p, double s, bool lit) {
  p.setPen(Qt::NoPen);
  p.setBrush(kSensor);
  p.drawRoundedRect(QRectF(0.70 * s, 0.28 * s, 0.24 * s, 0.44 * s), 0.05 * s, 0.05 * s);
  p.setBrush(lit ? kInfrared : QColor(0x5d, 0x1f, 0x1c));
  p.drawEllipse(QPointF(0.82 * s, 0.5 * s), 0.07 * s, 0.07 * s);
}

// Infrared arcs travelling from the left towards the sensor; PHASE 0 … 5.
void Waves(QPainter& p, double s, int phase, const QColor& colour) {
  for (int i = 0; i < 3; ++i) {
    const double x = 0.12 * s + ((phase + 2 * i) % 6) * 0.09 * s;
    QColor c = colour;
    c.setAlphaF(0.35 + 0.65 * ((phase + 2 * i) % 6) / 5.0);
    p.setPen(QPen(c, 0.045 * s, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(x - 0.16 * s, 0.5 * s - 0.16 * s, 0.32 * s, 0.32 * s), -45 * 16, 90 * 16);
  }
}

// Dots turning around the middle; PHASE 0 … 4.
void Spinner(QPainter& p, double s, int phase, const QColor& colour) {
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 8; ++i) {
    const double angle = (i * 45.0 + phase * 72.0) * M_PI / 180.0;
    QColor c = colour;
    c.setAlphaF(0.2 + 0.8 * i / 7.0);
    p.setBrush(c);
    p.drawEllipse(QPointF(0.5 * s + std::cos(angle) * 0.3 * s, 0.5 * s + std::sin(angle) * 0.3 * s), 0.06 * s,
                  0.06 * s);
  }
}

// A round badge with a mark drawn by MARK.
template <typename Mark>
void Badge(QPainter& p, double s, const QColor& colour, double glow, Mark mark) {
  p.setPen(Qt::NoPen);
  if (glow > 0.0) {
    QColor halo = colour;
    halo.setAlphaF(0.25 * glow);
    p.setBrush(halo);
    p.drawEllipse(QPointF(0.5 * s, 0.5 * s), 0.47 * s, 0.47 * s);
  }
  p.setBrush(colour);
  p.drawEllipse(QPointF(0.5 * s, 0.5 * s), 0.38 * s, 0.38 * s);
  p.setPen(QPen(Qt::white, 0.08 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  mark();
}

void Tick(QPainter& p, double s, double dx) {
  QPainterPath path;
  path.moveTo((0.32 + dx) * s, 0.52 * s);
  path.lineTo((0.45 + dx) * s, 0.64 * s);
  path.lineTo((0.68 + dx) * s, 0.38 * s);
  p.drawPath(path);
}

// A small clock face in the lower left: the capture runs long.
void Clock(QPainter& p, double s, bool bright) {
  p.setPen(QPen(bright ? kWarn : kMuted, 0.04 * s));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(0.24 * s, 0.74 * s), 0.17 * s, 0.17 * s);
  p.drawLine(QPointF(0.24 * s, 0.74 * s), QPointF(0.24 * s, 0.63 * s));
  p.drawLine(QPointF(0.24 * s, 0.74 * s), QPointF(0.32 * s, 0.78 * s));
}

void Draw(QPainter& p, int frame, double s) {
  if (frame == 0) {  // capture unsuccessful
    Badge(p, s, kInfrared, 0.0, [&] {
      p.drawLine(QPointF(0.36 * s, 0.36 * s), QPointF(0.64 * s, 0.64 * s));
      p.drawLine(QPointF(0.64 * s, 0.36 * s), QPointF(0.36 * s, 0.64 * s));
    });
  } else if (frame <= 6) {  // capturing
    Sensor(p, s, true);
    Waves(p, s, frame - 1, kInfrared);
  } else if (frame <= 11) {  // processing
    Spinner(p, s, frame - 7, kWork);
  } else if (frame == 12) {  // aborted
    Badge(p, s, kMuted, 0.0, [&] {
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(0.38 * s, 0.38 * s, 0.24 * s, 0.24 * s));
    });
  } else if (frame == 17 || frame == 18) {  // capturing for long
    Sensor(p, s, true);
    Waves(p, s, frame == 17 ? 1 : 4, kInfrared);
    Clock(p, s, frame == 17);
  } else if (frame == 19) {  // learned
    Badge(p, s, kGood, 0.0, [&] { Tick(p, s, 0.0); });
  } else if (frame >= 20 && frame <= 24) {  // waiting for the first pulse
    Sensor(p, s, false);
    const double grow = (frame - 20) / 4.0;
    QColor ring = kInfrared;
    ring.setAlphaF(0.8 - 0.6 * grow);
    p.setPen(QPen(ring, 0.035 * s));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0.82 * s, 0.5 * s), (0.1 + 0.25 * grow) * s, (0.1 + 0.25 * grow) * s);
  } else if (frame == 25 || frame == 26) {  // does not match
    Badge(p, s, kWarn, frame == 25 ? 1.0 : 0.0, [&] {
      p.drawLine(QPointF(0.34 * s, 0.44 * s), QPointF(0.66 * s, 0.44 * s));
      p.drawLine(QPointF(0.34 * s, 0.58 * s), QPointF(0.66 * s, 0.58 * s));
      p.drawLine(QPointF(0.58 * s, 0.32 * s), QPointF(0.42 * s, 0.70 * s));
    });
  } else if (frame == 27 || frame == 28) {  // verified
    Badge(p, s, kGood, frame == 27 ? 1.0 : 0.0, [&] {
      Tick(p, s, -0.07);
      Tick(p, s, 0.07);
    });
  } else if (frame == 29) {  // timeout
    Badge(p, s, kMuted, 0.0, [&] {
      p.drawLine(QPointF(0.5 * s, 0.5 * s), QPointF(0.5 * s, 0.3 * s));
      p.drawLine(QPointF(0.5 * s, 0.5 * s), QPointF(0.64 * s, 0.58 * s));
    });
  } else if (frame >= 31 && frame <= 35) {  // processing on a Halvar learner
    Spinner(p, s, frame - 31, kHalvarWork);
  } else {  // frames no state uses: the idle sensor
    Sensor(p, s, false);
  }
}

}  // namespace

CaptureAnimation::CaptureAnimation(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this)) {
  setObjectName(QStringLiteral("animation"));
  QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  policy.setRetainSizeWhenHidden(true);
  setSizePolicy(policy);
  m_timer->setInterval(kFrameIntervalMs);
  connect(m_timer, &QTimer::timeout, this, &CaptureAnimation::Step);
  setVisible(false);
}

void CaptureAnimation::SetState(int state) {
  if (state == m_state) return;
  m_state = state;
  TIrCaptureStatus::Frames(state, m_first, m_last);
  m_frame = m_first;
  if (m_first < 0) {
    m_timer->stop();
    setVisible(false);
    return;
  }
  setVisible(true);
  if (m_last > m_first) {
    m_timer->start();
  } else {
    m_timer->stop();
  }
  update();
}

void CaptureAnimation::Step() {
  if (m_first < 0) return;
  m_frame = m_frame >= m_last ? m_first : m_frame + 1;
  update();
}

QPixmap CaptureAnimation::RenderFrame(int frame, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, frame, size);
  return pixmap;
}

void CaptureAnimation::paintEvent(QPaintEvent*) {
  if (m_frame < 0) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int side = std::min(width(), height());
  painter.translate((width() - side) / 2.0, (height() - side) / 2.0);
  Draw(painter, m_frame, side);
}

}  // namespace quillon::ui
