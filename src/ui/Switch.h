#pragma once

#include <QAbstractButton>

class StateTransition;

// An on/off switch: a checkable button drawn as a pill with a knob. Space
// toggles it; screen readers see a checkable button with its accessible name.
class Switch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit Switch(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    // How long the knob takes to slide; 0 (the default) moves it at once.
    void setSlideDuration(int milliseconds);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    StateTransition *m_knob;
};
