#pragma once

#include <QTimer>
#include <QWidget>

// A small indeterminate progress spinner. It animates only while shown.
class BusySpinner : public QWidget
{
    Q_OBJECT
public:
    explicit BusySpinner(int size, QWidget *parent = nullptr);

    QSize sizeHint() const override { return {m_size, m_size}; }
    bool isAnimating() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_size;
    int m_step = 0;
    QTimer m_timer;
};
