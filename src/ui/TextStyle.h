#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

class QAbstractButton;
class QLabel;
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
    // Destructive actions (delete, remove): a red of its own for light and
    // for dark windows, readable as text on either (at least 4.5:1).
    destructive,
};

QFont font(qreal designSize, QFont::Weight weight = QFont::Normal);
QFont monospace(qreal designSize);
// Logical pixels for a length given on the design scale.
int pixels(qreal designSize);

QColor color(const QPalette &palette, Tone tone);
QColor accent(const QPalette &palette);

// These keep following the application palette (light and dark switched
// while a window is open):
// the widget's text in the tone,
void setTone(QWidget *widget, Tone tone);
// a label showing a symbol in the tone (accent: the palette's accent),
void setTonedSymbol(QLabel *label, const QString &symbol, int size, Tone tone, bool accent = false);
// a button's icon in the tone.
void setTonedIcon(QAbstractButton *button, const QString &symbol, int size, Tone tone);

} // namespace TextStyle
