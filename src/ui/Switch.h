#pragma once

#include <QAbstractButton>

// An on/off switch: a checkable button drawn as a pill with a knob. Space
// toggles it; screen readers see a checkable button with its accessible name.
class Switch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit Switch(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
