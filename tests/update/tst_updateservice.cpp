#include "platform/Notifier.h"
#include "update/UpdateService.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Posted
{
    QString identifier, title, body;
};

class FakeNotifier : public Notifier
{
public:
    void post(const QString &identifier, const QString &title, const QString &body) override
    {
        posted.append({identifier, title, body});
    }
    QList<Posted> posted;
};

class FakeUi : public UpdateUserInterface
{
public:
    void showUpToDate(const QString &currentVersion) override
    {
        calls.append(QStringLiteral("upToDate ") + currentVersion);
    }
    void showUpdateAvailable(const AppcastItem &item, const QString &) override
    {
        calls.append(QStringLiteral("available ") + item.displayVersionString());
    }
    void showCheckFailed(const QString &) override { calls.append(QStringLiteral("failed")); }
    void showNotConfigured() override { calls.append(QStringLiteral("notConfigured")); }
    QStringList calls;
};

const QByteArray kFeed = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><title>2.0</title><enclosure url="https://example.invalid/o-2.0.tgz" sparkle:version="200" sparkle:shortVersionString="2.0"/></item>
<item><title>1.5</title><enclosure url="https://example.invalid/o-1.5.tgz" sparkle:version="150" sparkle:shortVersionString="1.5"/></item>
</channel></rss>)";

// Answers every connection on 127.0.0.1 with one fixed HTTP response.
class LoopbackServer : public QTcpServer
{
public:
    explicit LoopbackServer(QByteArray response) : m_response(std::move(response))
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    socket->write(m_response);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(serverPort()));
    }

private:
    QByteArray m_response;
};

QByteArray httpResponse(const QByteArray &status, const QByteArray &body)
{
    return "HTTP/1.1 " + status + "\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

class TestUpdateService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void scheduledFindingFollowsFocus_data();
    void scheduledFindingFollowsFocus();
    void scheduledQuietOutcomes_data();
    void scheduledQuietOutcomes();
    void requestedCheckShowsEveryOutcome_data();
    void requestedCheckShowsEveryOutcome();
    void overHttpLoopback_data();
    void overHttpLoopback();
    void withoutFeedAddress();
    void notificationReplacesAndIsSilent();

private:
    QUrl writeFeed(const QByteArray &bytes);
    void configure(UpdateService &service, const QUrl &feed, const QString &version);
    bool runScheduled(UpdateService &service);

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeNotifier m_notifier;
    FakeUi m_ui;
    bool m_focus = false;
};

void TestUpdateService::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_notifier.posted.clear();
    m_ui.calls.clear();
    m_focus = false;
}

QUrl TestUpdateService::writeFeed(const QByteArray &bytes)
{
    QFile file(m_dir->filePath(QStringLiteral("appcast.xml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return QUrl::fromLocalFile(file.fileName());
}

void TestUpdateService::configure(UpdateService &service, const QUrl &feed, const QString &version)
{
    service.setFeedURL(feed);
    service.setCurrentVersion(version);
    service.setNotifier(&m_notifier);
    service.setUserInterface(&m_ui);
    service.setFocusProbe([this] { return m_focus; });
}

bool TestUpdateService::runScheduled(UpdateService &service)
{
    service.setSchedule(std::chrono::milliseconds(0), std::chrono::hours(24));
    QSignalSpy finished(&service, &UpdateService::checkFinished);
    service.start();
    return finished.wait(5000) && finished.size() == 1;
}

void TestUpdateService::scheduledFindingFollowsFocus_data()
{
    QTest::addColumn<bool>("focus");
    QTest::newRow("another app in front") << false;
    QTest::newRow("in immediate focus") << true;
}

void TestUpdateService::scheduledFindingFollowsFocus()
{
    QFETCH(bool, focus);
    UpdateService service;
    configure(service, writeFeed(kFeed), QStringLiteral("100"));
    m_focus = focus;
    QVERIFY(runScheduled(service));
    if (focus) {
        QCOMPARE(m_ui.calls, QStringList{QStringLiteral("available 2.0")});
        QVERIFY(m_notifier.posted.isEmpty());
    } else {
        QVERIFY(m_ui.calls.isEmpty());
        QCOMPARE(m_notifier.posted.size(), 1);
        QCOMPARE(m_notifier.posted.first().identifier, QStringLiteral("orlenta-update"));
        QCOMPARE(m_notifier.posted.first().title, QStringLiteral("Orlenta Update Available"));
        QCOMPARE(m_notifier.posted.first().body,
                 QStringLiteral("Version 2.0 is ready to install."));
    }
    // The next check is a day away, not sooner.
    QVERIFY(service.isScheduled());
}

void TestUpdateService::scheduledQuietOutcomes_data()
{
    QTest::addColumn<QByteArray>("feed");
    QTest::addColumn<QString>("version");
    QTest::newRow("up to date") << kFeed << QStringLiteral("200");
    QTest::newRow("malformed") << QByteArray("<rss><channel>") << QStringLiteral("100");
}

void TestUpdateService::scheduledQuietOutcomes()
{
    QFETCH(QByteArray, feed);
    QFETCH(QString, version);
    UpdateService service;
    configure(service, writeFeed(feed), version);
    QVERIFY(runScheduled(service));
    QVERIFY(m_ui.calls.isEmpty());
    QVERIFY(m_notifier.posted.isEmpty());
}

void TestUpdateService::requestedCheckShowsEveryOutcome_data()
{
    QTest::addColumn<QByteArray>("feed");
    QTest::addColumn<bool>("missingFile");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("shown");
    QTest::newRow("newer") << kFeed << false << QStringLiteral("150")
                           << QStringLiteral("available 2.0");
    QTest::newRow("same") << kFeed << false << QStringLiteral("200")
                          << QStringLiteral("upToDate 200");
    QTest::newRow("newer installed")
        << kFeed << false << QStringLiteral("300") << QStringLiteral("upToDate 300");
    QTest::newRow("malformed") << QByteArray("<rss><item>") << false << QStringLiteral("1")
                               << QStringLiteral("failed");
    QTest::newRow("missing feed") << QByteArray() << true << QStringLiteral("1")
                                  << QStringLiteral("failed");
}

void TestUpdateService::requestedCheckShowsEveryOutcome()
{
    QFETCH(QByteArray, feed);
    QFETCH(bool, missingFile);
    QFETCH(QString, version);
    QFETCH(QString, shown);
    UpdateService service;
    const QUrl url = missingFile ? QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("none.xml")))
                                 : writeFeed(feed);
    configure(service, url, version);
    m_focus = false; // a requested check always answers in a dialog
    QSignalSpy finished(&service, &UpdateService::checkFinished);
    service.checkForUpdates();
    QVERIFY(finished.wait(5000));
    QCOMPARE(m_ui.calls, QStringList{shown});
    QVERIFY(m_notifier.posted.isEmpty());
}

void TestUpdateService::overHttpLoopback_data()
{
    QTest::addColumn<QByteArray>("response");
    QTest::addColumn<QString>("shown");
    QTest::newRow("200") << httpResponse("200 OK", kFeed) << QStringLiteral("available 2.0");
    QTest::newRow("404") << httpResponse("404 Not Found", "<html>gone</html>")
                         << QStringLiteral("failed");
    // A valid feed, were it not for its size.
    QTest::newRow("oversized") << httpResponse("200 OK",
                                               kFeed + "<!--" +
                                                   QByteArray(UpdateService::maxFeedBytes, ' ') +
                                                   "-->")
                               << QStringLiteral("failed");
}

void TestUpdateService::overHttpLoopback()
{
    QFETCH(QByteArray, response);
    QFETCH(QString, shown);
    LoopbackServer server(response);
    QVERIFY(server.isListening());
    UpdateService service;
    configure(service, server.url(), QStringLiteral("100"));
    QSignalSpy finished(&service, &UpdateService::checkFinished);
    service.checkForUpdates();
    QVERIFY(finished.wait(5000));
    QCOMPARE(m_ui.calls, QStringList{shown});
}

void TestUpdateService::withoutFeedAddress()
{
    UpdateService service;
    configure(service, QUrl(), QStringLiteral("100"));
    service.start();
    QVERIFY(!service.isScheduled());
    service.checkForUpdates();
    QCOMPARE(m_ui.calls, QStringList{QStringLiteral("notConfigured")});
    QVERIFY(!service.isChecking());
}

void TestUpdateService::notificationReplacesAndIsSilent()
{
    UpdateService service;
    configure(service, QUrl(), QStringLiteral("1"));
    QVERIFY(!service.standardUserDriverShouldHandleShowingScheduledUpdate(
        AppcastItem{{}, QStringLiteral("3"), QStringLiteral("3.0"), {}, {}}, false));
    QVERIFY(service.standardUserDriverShouldHandleShowingScheduledUpdate(
        AppcastItem{{}, QStringLiteral("4"), {}, {}, {}}, true));
    QCOMPARE(m_notifier.posted.size(), 1);
    QCOMPARE(m_notifier.posted.first().body, QStringLiteral("Version 3.0 is ready to install."));
    QVERIFY(service.supportsGentleScheduledUpdateReminders());
}

QTEST_MAIN(TestUpdateService)
#include "tst_updateservice.moc"
