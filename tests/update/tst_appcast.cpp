#include "update/Appcast.h"

#include <QTest>

class TestAppcast : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parsesItemsInBothForms();
    void reportsBrokenFeeds_data();
    void reportsBrokenFeeds();
    void comparesLikeSparkle_data();
    void comparesLikeSparkle();
    void picksNewestUpdate();
};

static const char kFeed[] = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Orlenta</title>
    <item>
      <title>Version 1.2</title>
      <link>https://example.invalid/orlenta/1.2</link>
      <enclosure url="https://example.invalid/orlenta-1.2.tar.gz" sparkle:version="120" sparkle:shortVersionString="1.2" length="10" type="application/octet-stream"/>
    </item>
    <item>
      <title>Version 1.3 beta</title>
      <sparkle:version>130</sparkle:version>
      <sparkle:shortVersionString>1.3b1</sparkle:shortVersionString>
      <enclosure url="https://example.invalid/orlenta-1.3b1.tar.gz" length="10"/>
    </item>
    <item>
      <title>No version at all</title>
      <enclosure url="https://example.invalid/x.tar.gz"/>
    </item>
    <item>
      <title>Only a build number</title>
      <enclosure url="https://example.invalid/y.tar.gz" sparkle:version="99"/>
    </item>
  </channel>
</rss>)";

void TestAppcast::parsesItemsInBothForms()
{
    const AppcastParseResult result = parseAppcast(kFeed);
    QVERIFY(!result.error);
    QCOMPARE(result.items.size(), 3); // the item without a version is dropped

    const AppcastItem &attributes = result.items.at(0);
    QCOMPARE(attributes.title, QStringLiteral("Version 1.2"));
    QCOMPARE(attributes.version, QStringLiteral("120"));
    QCOMPARE(attributes.displayVersionString(), QStringLiteral("1.2"));
    QCOMPARE(attributes.downloadURL,
             QUrl(QStringLiteral("https://example.invalid/orlenta-1.2.tar.gz")));
    QCOMPARE(attributes.pageURL(), QUrl(QStringLiteral("https://example.invalid/orlenta/1.2")));

    const AppcastItem &elements = result.items.at(1);
    QCOMPARE(elements.version, QStringLiteral("130"));
    QCOMPARE(elements.displayVersionString(), QStringLiteral("1.3b1"));
    QCOMPARE(elements.pageURL(),
             QUrl(QStringLiteral("https://example.invalid/orlenta-1.3b1.tar.gz")));

    const AppcastItem &bare = result.items.at(2);
    QCOMPARE(bare.displayVersionString(), QStringLiteral("99"));
}

void TestAppcast::reportsBrokenFeeds_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << QByteArray(kFeed).left(400);
    QTest::newRow("mismatched tags") << QByteArray("<rss><channel><item></channel></rss>");
    QTest::newRow("html page") << QByteArray("<html><body>Not found</body></html>");
    QTest::newRow("plain text") << QByteArray("Service unavailable");
}

void TestAppcast::reportsBrokenFeeds()
{
    QFETCH(QByteArray, xml);
    const AppcastParseResult result = parseAppcast(xml);
    QVERIFY(result.error);
    QVERIFY(result.items.isEmpty());
}

void TestAppcast::comparesLikeSparkle_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    auto row = [](const char *a, const char *b, int expected) {
        QTest::addRow("%s vs %s", a, b)
            << QString::fromLatin1(a) << QString::fromLatin1(b) << expected;
    };
    row("1.0", "1.0", 0);
    row("1.0", "1.1", -1);
    row("1.10", "1.9", 1); // numbers, not text
    row("2.0", "10.0", -1);
    row("1.0.1", "1.0", 1);
    row("1.0", "1.0.0", -1); // a further number part is newer
    row("1.0b1", "1.0", -1); // a pre-release is older than the release
    row("1.0b2", "1.0b1", 1);
    row("1.0a1", "1.0b1", -1);
    row("1.0rc1", "1.0b9", 1);
    row("1.0.1", "1.0b1", 1); // a number beats a letter part
    row("1.01", "1.1", 0);    // leading zeros do not count
    row("120", "99", 1);
    row("1.0-2", "1.0.2", 0); // punctuation separates like a dot
    row("", "1.0", -1);
    row("", "", 0);
    row("99999999999999999999999", "99999999999999999999998", 1); // no overflow
}

void TestAppcast::comparesLikeSparkle()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(compareVersions(a, b), expected);
    QCOMPARE(compareVersions(b, a), -expected);
}

void TestAppcast::picksNewestUpdate()
{
    const QList<AppcastItem> items = parseAppcast(kFeed).items;
    QCOMPARE(newestUpdate(items, QStringLiteral("100"))->version, QStringLiteral("130"));
    QCOMPARE(newestUpdate(items, QStringLiteral("125"))->version, QStringLiteral("130"));
    QVERIFY(!newestUpdate(items, QStringLiteral("130")));
    QVERIFY(!newestUpdate({}, QStringLiteral("1")));
}

QTEST_GUILESS_MAIN(TestAppcast)
#include "tst_appcast.moc"
