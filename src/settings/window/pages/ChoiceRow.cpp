#include "settings/window/pages/ChoiceRow.h"

#include "ui/IconMap.h"
#include "ui/ToggleAccessible.h"

#include <QKeyEvent>
#include <QPainter>

namespace {
constexpr int checkSize = 14;
constexpr int padding = 4;
} // namespace

ChoiceRow::ChoiceRow(const QString &text, QWidget *parent) : QAbstractButton(parent)
{
    ToggleAccessible::useFor(staticMetaObject);
    setText(text);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize ChoiceRow::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text()) + checkSize + 4 * padding,
            qMax(fontMetrics().height(), checkSize) + 2 * padding};
}

void ChoiceRow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (underMouse() || isDown()) {
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(isDown() ? 0.10f : 0.05f);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(frame, 6, 6);
    }
    // The ring shows a focus reached by keyboard, not the one a click gives.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.5f);
        p.setPen(QPen(ring, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(frame, 6, 6);
    }
    const QColor color = palette().color(isChecked() ? QPalette::Highlight : QPalette::WindowText);
    const QRect content = rect().adjusted(padding, 0, -padding, 0);
    QRect textArea = content;
    if (isChecked()) {
        textArea.setRight(content.right() - checkSize - padding);
        const QPoint corner(content.right() - checkSize + 1,
                            content.top() + (content.height() - checkSize) / 2);
        p.drawPixmap(corner,
                     IconMap::pixmap(QStringLiteral("checkmark"), QSize(checkSize, checkSize),
                                     color, devicePixelRatioF()));
    }
    p.setPen(color);
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
               fontMetrics().elidedText(text(), Qt::ElideRight, textArea.width()));
}

void ChoiceRow::keyPressEvent(QKeyEvent *event)
{
    const int step = event->key() == Qt::Key_Down ? 1 : event->key() == Qt::Key_Up ? -1 : 0;
    if (step == 0 || !parentWidget()) {
        QAbstractButton::keyPressEvent(event);
        return;
    }
    const QList<ChoiceRow *> rows =
        parentWidget()->findChildren<ChoiceRow *>(Qt::FindDirectChildrenOnly);
    const qsizetype next = rows.indexOf(this) + step;
    if (next >= 0 && next < rows.size())
        rows.at(next)->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void ChoiceRow::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    update();
}

void ChoiceRow::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    update();
}
