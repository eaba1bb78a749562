#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QStringList>
#include <QThread>

// A stand-in for a desktop's StatusNotifierWatcher: answers Qt's question
// whether a tray host exists and records the items that register. Lives in
// a thread of its own on a bus connection of its own, since Qt asks it
// synchronously from the main thread.
class FakeStatusNotifierWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const
    {
        QMutexLocker lock(&m_mutex);
        return m_items;
    }

    // Claims the watcher's name on the session bus from thread, which runs.
    // Null when the name could not be had.
    static FakeStatusNotifierWatcher *startIn(QThread &thread)
    {
        auto *watcher = new FakeStatusNotifierWatcher;
        watcher->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, watcher, &QObject::deleteLater);
        bool registered = false;
        QMetaObject::invokeMethod(
            watcher,
            [watcher, &registered] {
                QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                                    QStringLiteral("watcher"));
                registered = bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), watcher,
                                                QDBusConnection::ExportAllSlots |
                                                    QDBusConnection::ExportAllProperties) &&
                             bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
            },
            Qt::BlockingQueuedConnection);
        return registered ? watcher : nullptr;
    }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &service)
    {
        QMutexLocker lock(&m_mutex);
        m_items.append(service);
    }
    void RegisterStatusNotifierHost(const QString &) {}

private:
    mutable QMutex m_mutex;
    QStringList m_items;
};
