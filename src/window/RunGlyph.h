#pragma once

#include <QColor>
#include <QPointF>

class QPainter;

// The face of a row's run glyph: a 15-point circle with a play sign, grown
// to 1.12 while the pointer is over it.
struct RunGlyph
{
    static constexpr qreal side = 15;
    static constexpr qreal hoverScale = 1.12;
    static constexpr int hoverMilliseconds = 120;

    bool isSelected = false;
    qreal scale = 1.0; // between 1.0 and hoverScale while animating

    void paint(QPainter *painter, const QPointF &center, const QColor &accent) const;
};
