#include "app/TrayWaiter.h"

TrayWaiter::TrayWaiter(int waitMilliseconds, QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(waitMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_gaveUp = true;
        Q_EMIT timedOut();
    });
}

void TrayWaiter::start(bool trayThere)
{
    if (trayThere)
        trayAppeared();
    else if (!m_ready)
        m_timer.start();
}

void TrayWaiter::trayAppeared()
{
    m_timer.stop();
    if (m_ready)
        return;
    m_ready = true;
    Q_EMIT ready();
}
