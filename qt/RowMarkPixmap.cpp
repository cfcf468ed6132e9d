// Drawing a row's mark with QPainter.
#include "RowMarkPixmap.h"

#include <QPainter>
#include <QPolygonF>

QPixmap RowMarkPixmap(RowMark mark) {
    const RowMarkLook look = LookOf(mark);
    QPixmap pixmap(kRowMarkSize, kRowMarkSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgb(look.rgbEdge), 1.0));
    painter.setBrush(look.shape == RowMarkShape::Ring ? QBrush(Qt::NoBrush)
                                                      : QBrush(QColor::fromRgb(look.rgbFill)));
    // Half a pixel in, so that the 1-pixel edge lies on whole pixels.
    const QRectF box(0.5, 0.5, kRowMarkSize - 1.0, kRowMarkSize - 1.0);
    switch (look.shape) {
    case RowMarkShape::Disc:
    case RowMarkShape::Ring:
        painter.drawEllipse(box.adjusted(1, 1, -1, -1));
        break;
    case RowMarkShape::Square:
        painter.drawRect(box.adjusted(1.5, 1.5, -1.5, -1.5));
        break;
    case RowMarkShape::Diamond:
        painter.drawPolygon(QPolygonF(
            {QPointF(box.center().x(), box.top()), QPointF(box.right(), box.center().y()),
             QPointF(box.center().x(), box.bottom()), QPointF(box.left(), box.center().y())}));
        break;
    }
    return pixmap;
}
