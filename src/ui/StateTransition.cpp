#include "ui/StateTransition.h"

#include <QEvent>
#include <QWidget>

QEasingCurve StateTransition::easeInOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

QColor StateTransition::mix(const QColor &from, const QColor &to, qreal progress)
{
    auto along = [progress](float a, float b) { return float(a + (b - a) * progress); };
    return QColor::fromRgbF(along(from.redF(), to.redF()), along(from.greenF(), to.greenF()),
                            along(from.blueF(), to.blueF()), along(from.alphaF(), to.alphaF()));
}

StateTransition::StateTransition(QWidget *widget, int milliseconds, qreal initial)
    : QObject(widget), m_widget(widget), m_value(initial), m_target(initial)
{
    m_animation.setDuration(milliseconds);
    m_animation.setEasingCurve(easeInOut());
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { setValue(value.toReal()); });
    widget->installEventFilter(this);
}

void StateTransition::setTarget(qreal target)
{
    if (target == m_target && (isRunning() || m_value == target))
        return;
    m_target = target;
    m_animation.stop();
    if (m_animation.duration() <= 0 || !onScreen()) {
        setValue(target);
        return;
    }
    m_animation.setStartValue(m_value);
    m_animation.setEndValue(target);
    m_animation.start();
}

void StateTransition::finish()
{
    m_animation.stop();
    setValue(m_target);
}

void StateTransition::jumpTo(qreal value)
{
    m_target = value;
    finish();
}

bool StateTransition::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget && event->type() == QEvent::Hide && isRunning())
        finish();
    return QObject::eventFilter(watched, event);
}

void StateTransition::setValue(qreal value)
{
    if (value == m_value)
        return;
    m_value = value;
    m_widget->update();
    Q_EMIT valueChanged(value);
}

bool StateTransition::onScreen() const
{
    return m_widget->isVisible() && !m_widget->window()->isMinimized();
}
