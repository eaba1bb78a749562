#include "ui/TintedIcon.h"

#include "ui/IconMap.h"

#include <QPainter>

namespace TintedIcon {

QPixmap pixmap(const QString &symbol, int size, const QColor &color, qreal devicePixelRatio)
{
    QPixmap result = IconMap::icon(symbol).pixmap(QSize(size, size), devicePixelRatio);
    if (result.isNull())
        return result;
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), result.deviceIndependentSize()), color);
    return result;
}

QIcon icon(const QString &symbol, int size, const QColor &color, qreal devicePixelRatio)
{
    return QIcon(pixmap(symbol, size, color, devicePixelRatio));
}

} // namespace TintedIcon
