#pragma once

#include "platform/Notifier.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

#include <QSystemTrayIcon>

// org.freedesktop.Notifications over the session bus, falling back to the
// tray's own message bubble when no notification service answers.
class DesktopNotifier : public QObject, public Notifier
{
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject *parent = nullptr);
    // Another bus than the session bus, for tests.
    DesktopNotifier(const QDBusConnection &bus, QObject *parent = nullptr);

    void setTrayFallback(QSystemTrayIcon *tray) { m_tray = tray; }
    // Replaces the tray message as the fallback, for tests.
    void setFallback(std::function<void(const QString &title, const QString &body)> fallback)
    {
        m_fallback = std::move(fallback);
    }
    void post(const QString &identifier, const QString &title, const QString &body) override;

private:
    void fallBack(const QString &title, const QString &body);

    std::optional<QDBusConnection> m_bus; // the session bus, connected on first use
    QPointer<QSystemTrayIcon> m_tray;
    std::function<void(const QString &, const QString &)> m_fallback;
    QHash<QString, uint> m_ids; // identifier -> the server's id, for replaces_id
};
