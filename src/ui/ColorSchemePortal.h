#pragma once

#include "ui/Appearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

// The desktop's colour-scheme preference from the settings portal
// (org.freedesktop.portal.Settings: "org.freedesktop.appearance"
// "color-scheme"), read once without blocking and followed while running.
// Without a portal it stays noPreference and never signals.
class ColorSchemePortal : public QObject
{
    Q_OBJECT
public:
    explicit ColorSchemePortal(QDBusConnection bus, QObject *parent = nullptr);

    ColorScheme scheme() const { return m_scheme; }

    // A portal value (a number, possibly wrapped in variants) as a scheme.
    static ColorScheme fromValue(const QVariant &value);

Q_SIGNALS:
    void schemeChanged(ColorScheme scheme);

private Q_SLOTS:
    // Taken as a whole message: with Qt 6.4 a slot taking a QDBusVariant
    // failed to connect this early in a process.
    void settingChanged(const QDBusMessage &message);

private:
    void take(ColorScheme scheme);

    QDBusConnection m_bus;
    ColorScheme m_scheme = ColorScheme::noPreference;
    bool m_changedSinceRead = false;
};
