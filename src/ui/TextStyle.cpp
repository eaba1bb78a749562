#include "ui/TextStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QWidget>

namespace TextStyle {

namespace {
constexpr qreal designBody = 13.0;

qreal scale()
{
    return QFontInfo(QApplication::font()).pixelSize() / designBody;
}

QFont sized(QFont font, qreal designSize)
{
    font.setPixelSize(qMax(1, qRound(designSize * scale())));
    return font;
}
} // namespace

QFont font(qreal designSize, QFont::Weight weight)
{
    QFont result = sized(QApplication::font(), designSize);
    result.setWeight(weight);
    return result;
}

QFont monospace(qreal designSize)
{
    return sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), designSize);
}

int pixels(qreal designSize)
{
    return qRound(designSize * scale());
}

QColor color(const QPalette &palette, Tone tone)
{
    QColor text = palette.color(QPalette::Active, QPalette::WindowText);
    switch (tone) {
    case Tone::primary:
        break;
    case Tone::secondary:
        text.setAlphaF(0.62f);
        break;
    case Tone::tertiary:
        text.setAlphaF(0.42f);
        break;
    case Tone::quaternary:
        text.setAlphaF(0.24f);
        break;
    }
    return text;
}

QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

void setTone(QWidget *widget, Tone tone)
{
    QPalette palette = widget->palette();
    const QColor c = color(QApplication::palette(), tone);
    palette.setColor(QPalette::WindowText, c);
    palette.setColor(QPalette::Text, c);
    palette.setColor(QPalette::ButtonText, c);
    widget->setPalette(palette);
}

} // namespace TextStyle
