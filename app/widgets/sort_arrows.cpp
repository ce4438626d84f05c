#include "app/widgets/sort_arrows.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kwui {

QIcon SortArrow(bool ascending) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  if (ascending) {
    path.moveTo(8, 4);
    path.lineTo(13, 11);
    path.lineTo(3, 11);
  } else {
    path.moveTo(3, 5);
    path.lineTo(13, 5);
    path.lineTo(8, 12);
  }
  path.closeSubpath();
  painter.fillPath(path, QColor(0x50, 0x50, 0x50));
  painter.end();
  return QIcon(pixmap);
}

}  // namespace kwui
