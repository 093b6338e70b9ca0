#include "ui/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quillon::ui {
namespace {

constexpr int kSize = 32;

const QColor kInk(0x33, 0x3d, 0x4a);
const QColor kPaper(0xfb, 0xfb, 0xf8);
const QColor kAccent(0x2f, 0x74, 0xc0);
const QColor kWarm(0xd9, 0x8c, 0x1f);

void Page(QPainter& p, QRectF r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 6, r.top());
  path.lineTo(r.right(), r.top() + 6);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setBrush(kPaper);
  p.setPen(QPen(kInk, 1.6));
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - 6, r.top()), QPointF(r.right() - 6, r.top() + 6));
  p.drawLine(QPointF(r.right() - 6, r.top() + 6), QPointF(r.right(), r.top() + 6));
}

void Lines(QPainter& p, QRectF r, int count) {
  p.setPen(QPen(kAccent, 1.6));
  for (int i = 0; i < count; ++i) {
    const double y = r.top() + 10 + i * 4.5;
    p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4, y));
  }
}

void Draw(QPainter& p, const QString& name) {
  if (name == QLatin1String("document-new")) {
    Page(p, QRectF(7, 3, 18, 25));
    p.setPen(QPen(kWarm, 2.4));
    p.drawLine(QPointF(22, 20), QPointF(22, 30));
    p.drawLine(QPointF(17, 25), QPointF(27, 25));
  } else if (name == QLatin1String("document-open")) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(0xf2, 0xc9, 0x6b));
    p.drawRect(QRectF(3, 8, 24, 18));
    p.setBrush(QColor(0xf7, 0xdb, 0x94));
    QPolygonF flap;
    flap << QPointF(7, 14) << QPointF(30, 14) << QPointF(26, 26) << QPointF(3, 26);
    p.drawPolygon(flap);
  } else if (name == QLatin1String("document-save")) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.drawRect(QRectF(8, 18, 16, 10));
  } else if (name == QLatin1String("edit-cut")) {
    p.setPen(QPen(kInk, 2));
    p.drawLine(QPointF(10, 4), QPointF(21, 21));
    p.drawLine(QPointF(22, 4), QPointF(11, 21));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kAccent, 2.2));
    p.drawEllipse(QPointF(9, 24), 4.5, 4.5);
    p.drawEllipse(QPointF(23, 24), 4.5, 4.5);
  } else if (name == QLatin1String("edit-copy")) {
    Page(p, QRectF(4, 3, 15, 19));
    Page(p, QRectF(12, 10, 16, 20));
    Lines(p, QRectF(12, 10, 16, 20), 3);
  } else if (name == QLatin1String("edit-paste")) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(0xc8, 0x9a, 0x62));
    p.drawRoundedRect(QRectF(5, 5, 20, 24), 2, 2);
    p.setBrush(QColor(0x9a, 0xa4, 0xb0));
    p.drawRoundedRect(QRectF(10, 2, 10, 6), 1.5, 1.5);
    Page(p, QRectF(13, 12, 15, 18));
    Lines(p, QRectF(13, 10, 15, 18), 3);
  } else if (name == QLatin1String("help-about")) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(kAccent);
    p.drawEllipse(QRectF(4, 4, 24, 24));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(QPointF(16, 10));
    p.drawLine(QPointF(16, 15), QPointF(16, 23));
  } else if (name == QLatin1String("network-connect") || name == QLatin1String("network-disconnect")) {
    // A plug and its socket: joined when connecting, apart and struck
    // through when disconnecting.
    const bool joined = name == QLatin1String("network-connect");
    const double gap = joined ? 0 : 5;
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(0x9a, 0xa4, 0xb0));
    p.drawLine(QPointF(13 - gap, 12), QPointF(18 - gap, 12));  // prongs
    p.drawLine(QPointF(13 - gap, 20), QPointF(18 - gap, 20));
    p.drawRoundedRect(QRectF(4 - gap, 8, 10, 16), 2, 2);        // plug body
    p.drawLine(QPointF(0, 16), QPointF(4 - gap, 16));            // its cable
    p.setBrush(joined ? QColor(0x3c, 0xa5, 0x5c) : QColor(0xd9, 0xdd, 0xe2));
    p.drawRoundedRect(QRectF(18 + gap, 7, 9, 18), 2, 2);        // socket
    p.drawLine(QPointF(27 + gap, 16), QPointF(32, 16));
    if (!joined) {
      p.setPen(QPen(QColor(0xc6, 0x28, 0x28), 2.6, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(11, 27), QPointF(21, 5));
    }
  } else if (name == QLatin1String("network-server")) {
    p.setPen(QPen(kInk, 1.6));
    p.setBrush(QColor(0x5b, 0x66, 0x73));
    p.drawRoundedRect(QRectF(4, 9, 24, 16), 3, 3);
    p.setBrush(QColor(0xe0, 0x4a, 0x3a));
    p.drawEllipse(QPointF(10, 17), 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWarm, 1.6));
    p.drawArc(QRectF(16, 3, 12, 12), 30 * 16, 120 * 16);
    p.drawArc(QRectF(19, 6, 6, 6), 30 * 16, 120 * 16);
  }
}

}  // namespace

QIcon ToolIcons::Drawn(const QString& name) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  Draw(painter, name);
  painter.end();
  return QIcon(pixmap);
}

QIcon ToolIcons::Get(const QString& name) {
  if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
  return Drawn(name);
}

}  // namespace quillon::ui
