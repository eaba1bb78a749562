#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// Text sizes and tones of the windows. Sizes are given on the 13-point body
// scale of the original design and scaled to the desktop's own body font, so
// a user's larger font makes the whole window larger alike.
namespace TextStyle {

enum class Tone {
    primary,
    secondary,
    tertiary,
    quaternary,
};

QFont font(qreal designSize, QFont::Weight weight = QFont::Normal);
QFont monospace(qreal designSize);
// Logical pixels for a length given on the design scale.
int pixels(qreal designSize);

QColor color(const QPalette &palette, Tone tone);
QColor accent(const QPalette &palette);
// Sets the widget's text colour to the tone of the application palette.
void setTone(QWidget *widget, Tone tone);

} // namespace TextStyle
