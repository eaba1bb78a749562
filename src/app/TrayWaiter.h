#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// At login the panel may register its tray a moment after the app starts.
// Asks a few times, well apart, and then gives up once; no timer is left
// running either way.
class TrayWaiter : public QObject
{
    Q_OBJECT
public:
    TrayWaiter(std::function<bool()> trayAvailable, int waitMilliseconds, int checkMilliseconds,
               QObject *parent = nullptr);

    // Emits ready() at once when the tray is there, else waits.
    void start();
    bool isWaiting() const { return m_timer.isActive(); }

Q_SIGNALS:
    void ready();
    void timedOut();

private:
    void check();

    std::function<bool()> m_trayAvailable;
    QTimer m_timer;
    int m_checksLeft = 0;
};
