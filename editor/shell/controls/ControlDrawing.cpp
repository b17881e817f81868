#include "ControlDrawing.h"

#include "ResourceAccess.h"
#include "resources/ResourceTable.h"

#include <QPainter>
#include <QRect>

namespace kfm::ui {

void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft,
                const QColor& bottomRight) {
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    if (w <= 0 || h <= 0)
        return;
    painter.fillRect(x, y, w - 1, 1, topLeft);
    painter.fillRect(x, y, 1, h - 1, topLeft);
    painter.fillRect(x + w - 1, y, 1, h, bottomRight);
    painter.fillRect(x, y + h - 1, w, 1, bottomRight);
}

QPixmap ResourcePixmap(UINT id) {
    QPixmap picture;
    const QByteArray data = ResourceData(RT_BITMAP, id);
    if (!data.isEmpty())
        picture.loadFromData(data, "PNG");
    return picture;
}

QCursor ResourceCursor(UINT id, QPoint hotspot, Qt::CursorShape fallback) {
    const QPixmap picture = ResourcePixmap(id);
    if (picture.isNull())
        return QCursor(fallback);
    return QCursor(picture, hotspot.x(), hotspot.y());
}

} // namespace kfm::ui
