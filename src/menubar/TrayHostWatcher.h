#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QObject>

#include <cstdint>

class QDBusServiceWatcher;

// Whether a desktop tray is there to show the icon: a StatusNotifierItem
// host (the owner of org.kde.StatusNotifierWatcher on the session bus) or,
// on X11, an XEmbed tray (the owner of the _NET_SYSTEM_TRAY_S<screen>
// selection). The bus and the X server say when one comes; nothing polls.
//
// Qt chooses between the two protocols once per process, when the first
// QSystemTrayIcon (or isSystemTrayAvailable()) asks; asked with no
// StatusNotifierWatcher yet, it keeps to XEmbed for good. So this watcher
// never asks Qt, and the icon is made only once a tray has appeared.
class TrayHostWatcher : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    static constexpr auto watcherService = "org.kde.StatusNotifierWatcher";

    explicit TrayHostWatcher(const QDBusConnection &bus, QObject *parent = nullptr);
    ~TrayHostWatcher() override;

    // As last heard; the bus answers its first question a moment after start.
    bool isHostPresent() const { return m_statusNotifier || m_xembed; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    // A tray has come where there was none.
    void hostAppeared();

private:
    void setStatusNotifier(bool present);
    void setXEmbed(bool present);
    void watchXEmbed();

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_serviceWatcher = nullptr;
    bool m_statusNotifier = false;
    bool m_xembed = false;
    // X11 atoms, 0 elsewhere.
    std::uint32_t m_managerAtom = 0;
    std::uint32_t m_selectionAtom = 0;
};
