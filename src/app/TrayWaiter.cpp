#include "app/TrayWaiter.h"

TrayWaiter::TrayWaiter(std::function<bool()> trayAvailable, int waitMilliseconds,
                       int checkMilliseconds, QObject *parent)
    : QObject(parent), m_trayAvailable(std::move(trayAvailable)),
      m_checksLeft(qMax(1, waitMilliseconds / qMax(1, checkMilliseconds)))
{
    m_timer.setInterval(checkMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &TrayWaiter::check);
}

void TrayWaiter::start()
{
    if (m_trayAvailable()) {
        Q_EMIT ready();
        return;
    }
    m_timer.start();
}

void TrayWaiter::check()
{
    if (m_trayAvailable()) {
        m_timer.stop();
        Q_EMIT ready();
    } else if (--m_checksLeft <= 0) {
        m_timer.stop();
        Q_EMIT timedOut();
    }
}
