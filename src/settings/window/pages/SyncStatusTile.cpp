#include "settings/window/pages/SyncStatusTile.h"

#include "ui/IconMap.h"
#include "ui/StateTransition.h"

#include <QPainter>

SyncStatusTile::SyncStatusTile(QWidget *parent)
    : QWidget(parent), m_state(new StateTransition(this, changeMilliseconds))
{
    setFixedSize(42, 42);
}

bool SyncStatusTile::setActive(bool active)
{
    const qreal target = active ? 1 : 0;
    const bool changed = m_state->target() != target;
    m_state->setTarget(target);
    return changed;
}

qreal SyncStatusTile::activeProgress() const
{
    return m_state->value();
}

void SyncStatusTile::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal on = m_state->value();
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlphaF(float(0.10 + 0.18 * on));
    p.setPen(Qt::NoPen);
    p.setBrush(tint);
    p.drawRoundedRect(QRectF(rect()), 10, 10);
    const QSize size(22, 22);
    const QPoint corner(10, 10);
    if (on < 1) {
        p.setOpacity(1 - on);
        p.drawPixmap(corner,
                     IconMap::pixmap(QStringLiteral("internaldrive.fill"), size,
                                     palette().color(QPalette::WindowText), devicePixelRatioF()));
    }
    if (on > 0) {
        p.setOpacity(on);
        p.drawPixmap(corner,
                     IconMap::pixmap(QStringLiteral("icloud.fill"), size,
                                     palette().color(QPalette::Highlight), devicePixelRatioF()));
    }
}
