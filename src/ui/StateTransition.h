#pragma once

#include <QColor>
#include <QObject>
#include <QVariantAnimation>

class QWidget;

// A value between 0 and 1 that eases towards its target, for drawing a change
// of state (a selection outline, a tint). It moves only while its widget is on
// screen: a change made while the widget is hidden, on another tab or in a
// minimised window takes the target at once, and hiding the widget ends a
// running change, so no animation ticks where nobody sees it.
class StateTransition : public QObject
{
    Q_OBJECT
public:
    // The ease-in-out curve of the platform's standard animations.
    static QEasingCurve easeInOut();
    // The colour progress of the way from one colour to the other.
    static QColor mix(const QColor &from, const QColor &to, qreal progress);

    StateTransition(QWidget *widget, int milliseconds, qreal initial = 0);

    qreal value() const { return m_value; }
    qreal target() const { return m_target; }
    bool isRunning() const { return m_animation.state() == QAbstractAnimation::Running; }

    void setTarget(qreal target);
    void setDuration(int milliseconds) { m_animation.setDuration(milliseconds); }
    // Takes the target now.
    void finish();
    // Stands still at value, the new target.
    void jumpTo(qreal value);

Q_SIGNALS:
    void valueChanged(qreal value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setValue(qreal value);
    bool onScreen() const;

    QWidget *m_widget;
    QVariantAnimation m_animation;
    qreal m_value;
    qreal m_target;
};
