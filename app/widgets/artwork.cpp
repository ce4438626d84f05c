#include "app/widgets/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kwui {

namespace {

// A USB stick standing upright in a 100 x 100 box, with a three-generation tree on its body.
void DrawStick(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  // Metal plug.
  p.setPen(QPen(QColor(0x70, 0x70, 0x70), 2));
  p.setBrush(QColor(0xd8, 0xd8, 0xd8));
  p.drawRoundedRect(QRectF(34, 4, 32, 24), 3, 3);
  p.setBrush(QColor(0x60, 0x60, 0x60));
  p.setPen(Qt::NoPen);
  p.drawRect(QRectF(41, 11, 7, 6));
  p.drawRect(QRectF(52, 11, 7, 6));
  // Body.
  QLinearGradient body(QPointF(20, 0), QPointF(80, 0));
  body.setColorAt(0, QColor(0x1e, 0x5a, 0xa8));
  body.setColorAt(1, QColor(0x14, 0x3d, 0x78));
  p.setBrush(body);
  p.setPen(QPen(QColor(0x0e, 0x2c, 0x58), 2));
  p.drawRoundedRect(QRectF(22, 26, 56, 70), 10, 10);
  // Family tree: one ancestor, two children, four grandchildren.
  p.setPen(QPen(QColor(0xf5, 0xd0, 0x4a), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(50, 42), QPointF(50, 52));
  p.drawLine(QPointF(38, 52), QPointF(62, 52));
  p.drawLine(QPointF(38, 52), QPointF(38, 64));
  p.drawLine(QPointF(62, 52), QPointF(62, 64));
  p.drawLine(QPointF(32, 74), QPointF(44, 74));
  p.drawLine(QPointF(56, 74), QPointF(68, 74));
  p.drawLine(QPointF(38, 64), QPointF(38, 74));
  p.drawLine(QPointF(62, 64), QPointF(62, 74));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xff, 0xff, 0xff));
  for (const QPointF& c : {QPointF(50, 40), QPointF(38, 64), QPointF(62, 64), QPointF(32, 80),
                           QPointF(44, 80), QPointF(56, 80), QPointF(68, 80)}) {
    p.drawEllipse(c, 4.5, 4.5);
  }
}

}  // namespace

QPixmap ProgramIconPixmap(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.scale(size / 100.0, size / 100.0);
  DrawStick(p);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(ProgramIconPixmap(size));
  return icon;
}

QPixmap AboutPicture() {
  QPixmap pixmap(288, 241);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(QPointF(0, 0), QPointF(0, 241));
  sky.setColorAt(0, QColor(0xea, 0xf2, 0xfb));
  sky.setColorAt(1, QColor(0xff, 0xff, 0xff));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(4, 4, 280, 233), 14, 14);
  // A shield behind the stick: the archive protects the data.
  QPainterPath shield;
  shield.moveTo(144, 22);
  shield.lineTo(236, 52);
  shield.cubicTo(236, 140, 200, 190, 144, 220);
  shield.cubicTo(88, 190, 52, 140, 52, 52);
  shield.closeSubpath();
  p.setBrush(QColor(0xd4, 0xe6, 0xf7));
  p.setPen(QPen(QColor(0x8d, 0xb3, 0xdc), 3));
  p.drawPath(shield);
  p.save();
  p.translate(84, 50);
  p.scale(1.2, 1.5);
  DrawStick(p);
  p.restore();
  return pixmap;
}

}  // namespace kwui
