#include "app/WindowIcon.h"

#include <QPainter>
#include <QPixmap>

namespace lorvex {

QIcon WindowIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(2, 4, 27, 23);
    p.fillRect(3, 5, 26, 5, QColor(60, 90, 160));
    p.fillRect(3, 16, 26, 4, QColor(150, 180, 230));
    for (int x : {11, 20}) p.drawLine(x, 10, x, 26);
    for (int y : {15, 20}) p.drawLine(3, y, 28, y);
    return QIcon(pixmap);
}

}  // namespace lorvex
