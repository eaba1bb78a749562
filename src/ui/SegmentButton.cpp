#include "ui/SegmentButton.h"

#include "ui/TextStyle.h"
#include "ui/ToggleAccessible.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

SegmentButton::SegmentButton(QWidget *parent) : QToolButton(parent)
{
    ToggleAccessible::useFor(staticMetaObject);
    setCheckable(true);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::StrongFocus);
}

QColor SegmentButton::chosenFill(const QPalette &palette)
{
    // Opaque, so the contrast does not depend on what lies below.
    const QColor tone = TextStyle::color(palette, TextStyle::Tone::secondary);
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    const qreal a = tone.alphaF();
    return QColor::fromRgbF(float(tone.redF() * a + window.redF() * (1 - a)),
                            float(tone.greenF() * a + window.greenF() * (1 - a)),
                            float(tone.blueF() * a + window.blueF() * (1 - a)));
}

QColor SegmentButton::chosenText(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Window);
}

void SegmentButton::paintEvent(QPaintEvent *event)
{
    if (!isChecked()) {
        QToolButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(chosenFill(palette()));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    option.palette.setColor(QPalette::ButtonText, chosenText(palette()));
    option.palette.setColor(QPalette::WindowText, chosenText(palette()));
    option.state &= ~(QStyle::State_Sunken | QStyle::State_On | QStyle::State_Raised);
    painter.drawControl(QStyle::CE_ToolButtonLabel, option);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
