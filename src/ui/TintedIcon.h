#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// A symbol drawn in one fixed colour, for icons whose tone the design gives
// (secondary, tertiary, accent) rather than the text colour.
namespace TintedIcon {

QPixmap pixmap(const QString &symbol, int size, const QColor &color, qreal devicePixelRatio);
QIcon icon(const QString &symbol, int size, const QColor &color, qreal devicePixelRatio);

} // namespace TintedIcon
