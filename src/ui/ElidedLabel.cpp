#include "ui/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget *parent) : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

namespace {

// No glyph is narrower than a pixel but those that draw nothing, so a part of
// the text this many characters long already overflows the width.
qsizetype partFor(int width)
{
    return qsizetype(qMax(width, 0)) + 2;
}

// Does not split a surrogate pair.
QString head(const QString &text, qsizetype length)
{
    if (length < text.size() && length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QString tail(const QString &text, qsizetype length)
{
    qsizetype from = text.size() - length;
    if (from > 0 && from < text.size() && text.at(from).isLowSurrogate())
        ++from;
    return text.mid(from);
}

// Enough for any screen; tooltips and the size a label asks for are taken
// from this much of the text.
constexpr int widestLine = 4000;

QString shortened(const QString &text)
{
    const qsizetype part = partFor(widestLine);
    return text.size() <= part ? text : head(text, part) + QStringLiteral("…");
}

} // namespace

QString ElidedLabel::elided(const QFontMetrics &metrics, const QString &text,
                            Qt::TextElideMode mode, int width)
{
    const qsizetype part = partFor(width);
    if (text.size() <= 2 * part || mode == Qt::ElideNone)
        return metrics.elidedText(text, mode, width);
    QString bounded;
    switch (mode) {
    case Qt::ElideLeft:
        bounded = QStringLiteral("…") + tail(text, part);
        break;
    case Qt::ElideMiddle:
        // The two ends meet in the middle, where the ellipsis goes anyway.
        bounded = head(text, part) + QStringLiteral("…") + tail(text, part);
        break;
    default:
        bounded = head(text, part) + QStringLiteral("…");
        break;
    }
    return metrics.elidedText(bounded, mode, width);
}

void ElidedLabel::setFullText(const QString &text)
{
    if (text == m_fullText && !this->text().isNull())
        return;
    m_fullText = text;
    m_fullWidth = QFontMetrics(font()).horizontalAdvance(shortened(text));
    setAccessibleName(text);
    elide();
    updateGeometry();
}

namespace {
// At small sizes some fonts draw "_" below their descent; a line that high
// would cut it off.
int lineHeight(const QFontMetrics &metrics)
{
    return qMax(metrics.height(),
                metrics.ascent() + metrics.boundingRect(QLatin1Char('_')).bottom() + 1);
}
} // namespace

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QStringLiteral("…")) * 3, lineHeight(metrics)};
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {m_fullWidth + 2, lineHeight(metrics)};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_fullWidth = QFontMetrics(font()).horizontalAdvance(shortened(m_fullText));
        elide();
        updateGeometry();
    }
}

void ElidedLabel::elide()
{
    const QString shown = elided(QFontMetrics(font()), m_fullText, m_mode, width());
    setToolTip(shown == m_fullText ? QString() : shortened(m_fullText));
    if (shown != text())
        QLabel::setText(shown);
}
