#include "ui/TextStyle.h"

#include "ui/IconMap.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
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
    case Tone::destructive:
        return palette.color(QPalette::Active, QPalette::Window).lightness() < 128
                   ? QColor(255, 120, 110)
                   : QColor(200, 40, 50);
    }
    return text;
}

namespace {
const char *const toneProperty = "orlentaTone";
const char *const symbolProperty = "orlentaSymbol";
const char *const sizeProperty = "orlentaSymbolSize";
const char *const accentProperty = "orlentaAccent";

void applyTone(QWidget *widget)
{
    const Tone tone = Tone(widget->property(toneProperty).toInt());
    const QPalette app = QApplication::palette();
    const QString symbol = widget->property(symbolProperty).toString();
    if (symbol.isEmpty()) {
        QPalette palette = widget->palette();
        const QColor c = color(app, tone);
        palette.setColor(QPalette::WindowText, c);
        palette.setColor(QPalette::Text, c);
        palette.setColor(QPalette::ButtonText, c);
        widget->setPalette(palette);
        return;
    }
    const int size = widget->property(sizeProperty).toInt();
    const QColor c = widget->property(accentProperty).toBool() ? accent(app) : color(app, tone);
    const QPixmap pixmap =
        IconMap::pixmap(symbol, QSize(size, size), c, widget->devicePixelRatioF());
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setPixmap(pixmap);
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setIcon(QIcon(pixmap));
}

// Applies the tones again when the application palette changes.
class ToneKeeper : public QObject
{
    bool m_applying = false;

public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Children hear of a new application palette as a change of their own.
        const QEvent::Type type = event->type();
        if ((type == QEvent::ApplicationPaletteChange || type == QEvent::PaletteChange) &&
            !m_applying) {
            m_applying = true;
            applyTone(static_cast<QWidget *>(watched));
            m_applying = false;
        }
        return false;
    }
};

void keep(QWidget *widget)
{
    static ToneKeeper keeper;
    widget->removeEventFilter(&keeper);
    widget->installEventFilter(&keeper);
    applyTone(widget);
}
} // namespace

QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

void setTone(QWidget *widget, Tone tone)
{
    widget->setProperty(toneProperty, int(tone));
    keep(widget);
}

void setTonedSymbol(QLabel *label, const QString &symbol, int size, Tone tone, bool accent)
{
    label->setProperty(toneProperty, int(tone));
    label->setProperty(symbolProperty, symbol);
    label->setProperty(sizeProperty, size);
    label->setProperty(accentProperty, accent);
    keep(label);
}

void setTonedIcon(QAbstractButton *button, const QString &symbol, int size, Tone tone)
{
    button->setProperty(toneProperty, int(tone));
    button->setProperty(symbolProperty, symbol);
    button->setProperty(sizeProperty, size);
    keep(button);
}

} // namespace TextStyle
