#include "ui/AboutLogo.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace quillon::ui {
namespace {

// Draws on a 100 x 100 canvas.
void DrawLogo(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 100, 100);
  sky.setColorAt(0, QColor(0x1d, 0x3f, 0x6e));
  sky.setColorAt(1, QColor(0x0f, 0x22, 0x3d));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(2, 2, 96, 96), 18, 18);

  // The infrared pulse train the quill writes.
  QPainterPath pulses;
  const double base = 78, high = 64;
  pulses.moveTo(12, base);
  double x = 12;
  const double widths[] = {6, 4, 3, 4, 6, 4, 3, 4, 3};
  bool up = true;
  for (double w : widths) {
    pulses.lineTo(x, up ? high : base);
    x += w;
    pulses.lineTo(x, up ? high : base);
    up = !up;
  }
  pulses.lineTo(x, base);
  pulses.lineTo(58, base);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xff, 0x9f, 0x2e), 3.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawPath(pulses);

  // The quill: a feather leaning to the right, its nib at the end of the trace.
  QPainterPath feather;
  feather.moveTo(60, 80);
  feather.cubicTo(64, 58, 74, 34, 90, 12);
  feather.cubicTo(80, 16, 62, 30, 56, 52);
  feather.cubicTo(54, 62, 57, 72, 60, 80);
  QLinearGradient vane(56, 80, 90, 12);
  vane.setColorAt(0, QColor(0xe8, 0xee, 0xf6));
  vane.setColorAt(1, Qt::white);
  p.setPen(QPen(QColor(0xb8, 0xc6, 0xd8), 1.2));
  p.setBrush(vane);
  p.drawPath(feather);
  p.setPen(QPen(QColor(0x8a, 0x9b, 0xb2), 1.4));
  p.drawLine(QPointF(60, 80), QPointF(84, 22));
  // The nib.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xff, 0x9f, 0x2e));
  QPolygonF nib;
  nib << QPointF(57, 78) << QPointF(62, 79) << QPointF(58.5, 86);
  p.drawPolygon(nib);
}

}  // namespace

CAboutLogo::CAboutLogo(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::PointingHandCursor);
  setMinimumSize(112, 112);
}

QPixmap CAboutLogo::Render(int side) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.scale(side / 100.0, side / 100.0);
  DrawLogo(painter);
  return pixmap;
}

void CAboutLogo::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int side = qMin(width(), height());
  painter.translate((width() - side) / 2.0, (height() - side) / 2.0);
  painter.scale(side / 100.0, side / 100.0);
  DrawLogo(painter);
}

void CAboutLogo::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QWidget::mouseReleaseEvent(event);
}

}  // namespace quillon::ui
