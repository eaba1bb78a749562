#include "ui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSystemTrayIcon>
#include <QVariantMap>

DesktopNotifier::DesktopNotifier(QObject *parent) : QObject(parent) {}

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{}

void DesktopNotifier::post(const QString &identifier, const QString &title, const QString &body)
{
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    if (!m_bus->isConnected()) {
        fallBack(title, body);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("suppress-sound"), true);
    // The installed desktop entry and icon are named by the application id.
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.orlenta.Orlenta"));
    call << QStringLiteral("Orlenta") << m_ids.value(identifier, 0u)
         << QStringLiteral("org.orlenta.Orlenta") << title << body << QStringList() << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, identifier, title, body] {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isError()) {
                    m_ids.remove(identifier);
                    fallBack(title, body);
                    return;
                }
                m_ids.insert(identifier, reply.value());
            });
}

void DesktopNotifier::fallBack(const QString &title, const QString &body)
{
    if (m_fallback)
        m_fallback(title, body);
    else if (m_tray && m_tray->isVisible())
        m_tray->showMessage(title, body, QSystemTrayIcon::Information);
}
