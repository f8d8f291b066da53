#include "window/AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace zolvane::gui {

// A blue 3.5-inch disk with its metal shutter and white label, cut in two by a dashed line:
// a file split onto disks.
QImage DrawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    QPainterPath body;
    body.moveTo(2, 2);
    body.lineTo(26, 2);
    body.lineTo(30, 6);
    body.lineTo(30, 30);
    body.lineTo(2, 30);
    body.closeSubpath();
    painter.setPen(QPen(QColor(16, 40, 96), 1));
    painter.setBrush(QColor(40, 88, 176));
    painter.drawPath(body);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(196, 200, 208));
    painter.drawRect(QRectF(8, 2, 15, 10));
    painter.setBrush(QColor(40, 88, 176));
    painter.drawRect(QRectF(18, 4, 3, 6));

    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(6, 16, 20, 12));
    painter.setPen(QPen(QColor(200, 40, 40), 1.5, Qt::DashLine));
    painter.drawLine(QPointF(16, 16.5), QPointF(16, 27.5));
    return image;
}

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(QPixmap::fromImage(DrawAppIcon(size)));
    }
    return icon;
}

}  // namespace zolvane::gui
