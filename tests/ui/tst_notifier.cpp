#include "ui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Stands in for a notification server on a private bus.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call
    {
        uint replacesId;
        QString icon, summary, body;
        QVariantMap hints;
    };
    QList<Call> calls;

public Q_SLOTS:
    uint Notify(const QString &, uint replacesId, const QString &icon, const QString &summary,
                const QString &body, const QStringList &, const QVariantMap &hints, int)
    {
        calls.append({replacesId, icon, summary, body, hints});
        return replacesId ? replacesId : ++m_last + 40;
    }

private:
    uint m_last = 0;
};

} // namespace

class TestNotifier : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void sameIdentifierReplaces();
    void noServerFallsBack();

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

void TestNotifier::initTestCase()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000))
        QSKIP("dbus-daemon is not installed");
    QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 5000);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
}

void TestNotifier::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));
    m_daemon.terminate();
    m_daemon.waitForFinished(5000);
}

void TestNotifier::sameIdentifierReplaces()
{
    QDBusConnection server = QDBusConnection::connectToBus(m_address, QStringLiteral("server"));
    QVERIFY(server.isConnected());
    FakeNotifications fake;
    QVERIFY(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                  QDBusConnection::ExportAllSlots));
    QVERIFY(server.registerService(QStringLiteral("org.freedesktop.Notifications")));

    DesktopNotifier notifier(QDBusConnection::connectToBus(m_address, QStringLiteral("client")));
    int fellBack = 0;
    notifier.setFallback([&fellBack](const QString &, const QString &) { ++fellBack; });

    notifier.post(QStringLiteral("orlenta-update"), QStringLiteral("T"),
                  QStringLiteral("Version 2.0"));
    QTRY_COMPARE(fake.calls.size(), 1);
    QCOMPARE(fake.calls.at(0).replacesId, 0u);
    QCOMPARE(fake.calls.at(0).summary, QStringLiteral("T"));
    QCOMPARE(fake.calls.at(0).hints.value(QStringLiteral("suppress-sound")).toBool(), true);
    // The names the icon and the desktop entry are installed under.
    QCOMPARE(fake.calls.at(0).icon, QStringLiteral("org.orlenta.Orlenta"));
    QCOMPARE(fake.calls.at(0).hints.value(QStringLiteral("desktop-entry")).toString(),
             QStringLiteral("org.orlenta.Orlenta"));
    QTest::qWait(50); // the reply carrying the id comes back

    notifier.post(QStringLiteral("orlenta-update"), QStringLiteral("T"),
                  QStringLiteral("Version 3.0"));
    notifier.post(QStringLiteral("other"), QStringLiteral("U"), QStringLiteral("x"));
    QTRY_COMPARE(fake.calls.size(), 3);
    QCOMPARE(fake.calls.at(1).replacesId, 41u); // the id the server gave the first one
    QCOMPARE(fake.calls.at(1).body, QStringLiteral("Version 3.0"));
    QCOMPARE(fake.calls.at(2).replacesId, 0u);
    QCOMPARE(fellBack, 0);
}

void TestNotifier::noServerFallsBack()
{
    DesktopNotifier notifier(QDBusConnection::connectToBus(m_address, QStringLiteral("lonely")));
    // The server of the other case is still on the bus: ask for a name nobody has.
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    QStringList shown;
    notifier.setFallback(
        [&shown](const QString &title, const QString &body) { shown << title << body; });
    notifier.post(QStringLiteral("orlenta-update"), QStringLiteral("Title"),
                  QStringLiteral("Body"));
    QTRY_COMPARE(shown, (QStringList{QStringLiteral("Title"), QStringLiteral("Body")}));
}

QTEST_GUILESS_MAIN(TestNotifier)
#include "tst_notifier.moc"
