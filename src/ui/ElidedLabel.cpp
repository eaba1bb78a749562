#include "ui/ElidedLabel.h"

#include <QEvent>
#include <QFontMetrics>

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget *parent) : QLabel(parent), m_mode(mode)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void ElidedLabel::setFullText(const QString &text)
{
    if (text == m_fullText && !this->text().isNull())
        return;
    m_fullText = text;
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
    return {metrics.horizontalAdvance(m_fullText) + 2, lineHeight(metrics)};
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
        elide();
        updateGeometry();
    }
}

void ElidedLabel::elide()
{
    const QString shown = QFontMetrics(font()).elidedText(m_fullText, m_mode, width());
    setToolTip(shown == m_fullText ? QString() : m_fullText);
    if (shown != text())
        QLabel::setText(shown);
}
