#include "ui/Switch.h"

#include "ui/StateTransition.h"
#include "ui/ToggleAccessible.h"

#include <QPainter>

Switch::Switch(QWidget *parent) : QAbstractButton(parent), m_knob(new StateTransition(this, 0))
{
    ToggleAccessible::useFor(staticMetaObject);
    setCheckable(true);
    connect(this, &QAbstractButton::toggled, m_knob,
            [this](bool on) { m_knob->setTarget(on ? 1 : 0); });
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Switch::sizeHint() const
{
    return {40, 24};
}

void Switch::setSlideDuration(int milliseconds)
{
    m_knob->setDuration(milliseconds);
}

void Switch::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(2, 2, -2, -2);
    const qreal radius = track.height() / 2;
    QColor off = palette().color(QPalette::WindowText);
    off.setAlphaF(0.25f);
    const qreal on = m_knob->value();
    QColor fill = StateTransition::mix(off, palette().color(QPalette::Highlight), on);
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.5f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(track, radius, radius);

    const qreal knob = track.height() - 4;
    const qreal x = track.left() + 2 + (track.width() - 4 - knob) * on;
    p.setBrush(QColor(255, 255, 255));
    p.drawEllipse(QRectF(x, track.top() + 2, knob, knob));

    // The ring shows a focus reached by keyboard, not the one a click gives.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.6f);
        p.setPen(QPen(ring, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius + 1, radius + 1);
    }
}
