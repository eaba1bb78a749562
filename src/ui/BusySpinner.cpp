#include "ui/BusySpinner.h"

#include "ui/TextStyle.h"

#include <QPainter>

namespace {
constexpr int spokes = 8;
}

BusySpinner::BusySpinner(int size, QWidget *parent) : QWidget(parent), m_size(size)
{
    setFixedSize(size, size);
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % spokes;
        update();
    });
}

void BusySpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal radius = m_size / 2.0;
    QColor color = TextStyle::color(palette(), TextStyle::Tone::primary);
    for (int i = 0; i < spokes; ++i) {
        // The newest spoke darkest, the others fading behind it.
        const int age = (m_step - i + spokes) % spokes;
        color.setAlphaF(float(1.0 - age / qreal(spokes)) * 0.75f);
        QPen pen(color, qMax(1.5, m_size / 8.0), Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.save();
        painter.rotate(i * 360.0 / spokes);
        painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius * 0.85));
        painter.restore();
    }
}

void BusySpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void BusySpinner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer.stop();
}
