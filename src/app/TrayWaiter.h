#pragma once

#include <QObject>
#include <QTimer>

// At login the panel may bring its tray up a moment after the app starts.
// Waits that long for one and then gives up once (the window opens instead);
// a tray that comes later still counts. Told, never asking: no timer runs
// after the wait.
class TrayWaiter : public QObject
{
    Q_OBJECT
public:
    explicit TrayWaiter(int waitMilliseconds, QObject *parent = nullptr);

    // Emits ready() at once when the tray is there, else waits.
    void start(bool trayThere);
    // A tray has appeared: ready(), at most once.
    void trayAppeared();

    bool isWaiting() const { return m_timer.isActive(); }
    bool hasTray() const { return m_ready; }
    // Gave up waiting, and no tray since.
    bool isTrayMissing() const { return m_gaveUp && !m_ready; }

Q_SIGNALS:
    void ready();
    void timedOut();

private:
    QTimer m_timer;
    bool m_ready = false;
    bool m_gaveUp = false;
};
