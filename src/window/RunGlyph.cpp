#include "window/RunGlyph.h"

#include "ui/IconMap.h"

#include <QPainter>

void RunGlyph::paint(QPainter *painter, const QPointF &center, const QColor &accent) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(center);
    painter->scale(scale, scale);
    painter->setPen(Qt::NoPen);
    painter->setBrush(isSelected ? QColor(Qt::white) : accent);
    painter->drawEllipse(QPointF(0, 0), side / 2, side / 2);
    // The play sign sits half a point right and up, as the circle's optical centre.
    const qreal icon = 7.5;
    const QPixmap play = IconMap::pixmap(
        QStringLiteral("play.fill"), QSize(8, 8), isSelected ? accent : QColor(Qt::white),
        painter->device() ? painter->device()->devicePixelRatioF() * scale : scale);
    painter->drawPixmap(QRectF(-icon / 2 + 0.5, -icon / 2 - 0.5, icon, icon), play,
                        QRectF(QPointF(0, 0), play.size()));
    painter->restore();
}
