#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QSystemTrayIcon>

// Posts desktop notifications. A notification with the same identifier as
// an earlier one replaces it.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void post(const QString &identifier, const QString &title, const QString &body) = 0;
};

// org.freedesktop.Notifications over the session bus, falling back to the
// tray's own message bubble when no notification service answers.
class DesktopNotifier : public QObject, public Notifier
{
    Q_OBJECT
public:
    explicit DesktopNotifier(QObject *parent = nullptr);

    void setTrayFallback(QSystemTrayIcon *tray) { m_tray = tray; }
    void post(const QString &identifier, const QString &title, const QString &body) override;

private:
    void fallBack(const QString &title, const QString &body);

    QPointer<QSystemTrayIcon> m_tray;
    QHash<QString, uint> m_ids; // identifier -> the server's id, for replaces_id
};
