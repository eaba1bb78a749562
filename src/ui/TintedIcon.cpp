#include "ui/TintedIcon.h"

#include "ui/IconMap.h"

namespace TintedIcon {

QPixmap pixmap(const QString &symbol, int size, const QColor &color, qreal devicePixelRatio)
{
    // One renderer and one cache for tinted symbols.
    return IconMap::pixmap(symbol, QSize(size, size), color, devicePixelRatio);
}

QIcon icon(const QString &symbol, int size, const QColor &color, qreal devicePixelRatio)
{
    return QIcon(pixmap(symbol, size, color, devicePixelRatio));
}

} // namespace TintedIcon
