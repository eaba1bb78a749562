#include "language/LanguageManager.h"
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
    void showCheckFailed(const QString &reason) override
    {
        calls.append(QStringLiteral("failed"));
        reasons.append(reason);
    }
    void showNotConfigured() override { calls.append(QStringLiteral("notConfigured")); }
    QStringList calls;
    QStringList reasons;
};

const QByteArray kFeed = R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><title>2.0</title><enclosure url="https://example.invalid/o-2.0.tgz" sparkle:version="200" sparkle:shortVersionString="2.0"/></item>
<item><title>1.5</title><enclosure url="https://example.invalid/o-1.5.tgz" sparkle:version="150" sparkle:shortVersionString="1.5"/></item>
</channel></rss>)";

QByteArray feedOffering(const QByteArray &link, const QByteArray &enclosure)
{
    return R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
<item><title>2.0</title>)" +
           (link.isEmpty() ? QByteArray() : "<link>" + link + "</link>") + R"(<enclosure url=")" +
           enclosure + R"(" sparkle:version="200" sparkle:shortVersionString="2.0"/></item>
</channel></rss>)";
}

// Counts the connections made to it on 127.0.0.1 and closes each at once.
class LoopbackServer : public QTcpServer
{
public:
    LoopbackServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                socket->disconnectFromHost();
            }
        });
    }
    QUrl url(const QString &scheme) const
    {
        return QUrl(QStringLiteral("%1://127.0.0.1:%2/appcast.xml").arg(scheme).arg(serverPort()));
    }
    int connections = 0;
};

} // namespace

class TestUpdateService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void scheduledFindingFollowsFocus_data();
    void scheduledFindingFollowsFocus();
    void scheduledQuietOutcomes_data();
    void scheduledQuietOutcomes();
    void requestedCheckShowsEveryOutcome_data();
    void requestedCheckShowsEveryOutcome();
    void feedSchemes_data();
    void feedSchemes();
    void offeredLinkSchemes_data();
    void offeredLinkSchemes();
    void withoutFeedAddress();
    void notificationReplacesAndIsSilent();

private:
    QUrl writeFeed(const QByteArray &bytes);
    // A file feed is read only when the environment names it, as a test does.
    void configure(UpdateService &service, const QUrl &feed, const QString &version,
                   bool throughEnvironment = true);
    bool runScheduled(UpdateService &service);

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeNotifier m_notifier;
    FakeUi m_ui;
    bool m_focus = false;
};

void TestUpdateService::init()
{
    QCoreApplication::addLibraryPath(QStringLiteral(ORLENTA_FEED_READER_DIR));
    m_dir = std::make_unique<QTemporaryDir>();
    m_notifier.posted.clear();
    m_ui.calls.clear();
    m_ui.reasons.clear();
    m_focus = false;
}

void TestUpdateService::cleanup()
{
    qunsetenv("ORLENTA_UPDATE_FEED_URL");
}

QUrl TestUpdateService::writeFeed(const QByteArray &bytes)
{
    QFile file(m_dir->filePath(QStringLiteral("appcast.xml")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return QUrl::fromLocalFile(file.fileName());
}

void TestUpdateService::configure(UpdateService &service, const QUrl &feed, const QString &version,
                                  bool throughEnvironment)
{
    if (throughEnvironment)
        qputenv("ORLENTA_UPDATE_FEED_URL", feed.toEncoded());
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
    // A valid feed, were it not for its size.
    QTest::newRow("oversized") << kFeed + "<!--" + QByteArray(UpdateService::maxFeedBytes, ' ') +
                                      "-->"
                               << false << QStringLiteral("100") << QStringLiteral("failed");
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
    if (QByteArray(QTest::currentDataTag()) == "oversized")
        QCOMPARE(m_ui.reasons, QStringList{QStringLiteral("the feed is larger than 4 MiB")});
    QVERIFY(m_notifier.posted.isEmpty());
}

void TestUpdateService::feedSchemes_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<bool>("read");
    QTest::newRow("https") << QStringLiteral("https") << true;
    QTest::newRow("http") << QStringLiteral("http") << false;
    QTest::newRow("ftp") << QStringLiteral("ftp") << false;
    QTest::newRow("file set at build time") << QStringLiteral("file") << false;
    QTest::newRow("javascript") << QStringLiteral("javascript") << false;
}

void TestUpdateService::feedSchemes()
{
    QFETCH(QString, scheme);
    QFETCH(bool, read);
    LoopbackServer server;
    QVERIFY(server.isListening());
    const QUrl feed = scheme == u"file"         ? writeFeed(kFeed)
                      : scheme == u"javascript" ? QUrl(QStringLiteral("javascript:alert(1)"))
                                                : server.url(scheme);
    UpdateService service;
    configure(service, feed, QStringLiteral("100"), false);
    service.start();
    QCOMPARE(service.isScheduled(), read);
    QSignalSpy finished(&service, &UpdateService::checkFinished);
    service.checkForUpdates();
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 5000);
    QCOMPARE(m_ui.calls, QStringList{QStringLiteral("failed")});
    const QString refused = LanguageManager::localized(
        QStringLiteral("更新源不是 https 地址，未读取：%@"), {feed.toDisplayString()});
    if (read) {
        // The loopback server speaks no TLS: attempted, then failed otherwise.
        QCOMPARE(server.connections, 1);
        QVERIFY(m_ui.reasons.first() != refused);
    } else {
        QCOMPARE(server.connections, 0);
        QCOMPARE(m_ui.reasons.first(), refused);
    }
}

void TestUpdateService::offeredLinkSchemes_data()
{
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<QByteArray>("enclosure");
    QTest::addColumn<QString>("refusedLink");
    const QByteArray https = "https://example.invalid/o-2.0.tgz";
    QTest::newRow("https page") << QByteArray("https://example.invalid/2.0") << https << QString();
    QTest::newRow("https download") << QByteArray() << https << QString();
    QTest::newRow("script download") << QByteArray() << QByteArray("file:///tmp/payload.sh")
                                     << QStringLiteral("file:///tmp/payload.sh");
    QTest::newRow("http page") << QByteArray("http://example.invalid/2.0") << https
                               << QStringLiteral("http://example.invalid/2.0");
    QTest::newRow("javascript page")
        << QByteArray("javascript:alert(1)") << https << QStringLiteral("javascript:alert(1)");
    // The button would open the https page, but the feed is not trusted.
    QTest::newRow("https page, file download")
        << QByteArray("https://example.invalid/2.0") << QByteArray("file:///tmp/payload.sh")
        << QStringLiteral("file:///tmp/payload.sh");
    QTest::newRow("relative download")
        << QByteArray() << QByteArray("o-2.0.tgz") << QStringLiteral("o-2.0.tgz");
}

void TestUpdateService::offeredLinkSchemes()
{
    QFETCH(QByteArray, link);
    QFETCH(QByteArray, enclosure);
    QFETCH(QString, refusedLink);
    const QUrl feed = writeFeed(feedOffering(link, enclosure));
    UpdateService requested;
    configure(requested, feed, QStringLiteral("100"));
    QSignalSpy finished(&requested, &UpdateService::checkFinished);
    requested.checkForUpdates();
    QVERIFY(finished.wait(5000));
    if (refusedLink.isEmpty()) {
        QCOMPARE(m_ui.calls, QStringList{QStringLiteral("available 2.0")});
        return;
    }
    QCOMPARE(m_ui.calls, QStringList{QStringLiteral("failed")});
    QCOMPARE(m_ui.reasons.first(),
             LanguageManager::localized(QStringLiteral("更新源提供的下载链接不是 https 地址：%@"),
                                        {refusedLink}));

    // Found quietly, such a release is not announced either.
    m_ui.calls.clear();
    UpdateService scheduled;
    configure(scheduled, feed, QStringLiteral("100"));
    QVERIFY(runScheduled(scheduled));
    QVERIFY(m_ui.calls.isEmpty());
    QVERIFY(m_notifier.posted.isEmpty());
}

void TestUpdateService::withoutFeedAddress()
{
    UpdateService service;
    configure(service, QUrl(), QStringLiteral("100"));
    QVERIFY(!service.hasFeed());
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
