#include "platform/LoginItemService.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

// The real file-based service, counting the calls that change anything.
class CountingService : public LoginItemService
{
public:
    using LoginItemService::LoginItemService;
    std::optional<QString> registerItem() override
    {
        ++registers;
        return LoginItemService::registerItem();
    }
    std::optional<QString> unregisterItem() override
    {
        ++unregisters;
        return LoginItemService::unregisterItem();
    }
    int registers = 0;
    int unregisters = 0;
};

} // namespace

class TestLoginItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void registersAndUnregisters();
    void leavesMatchingStateAlone();
    void disabledEntriesDoNotCount_data();
    void disabledEntriesDoNotCount();
    void failureLogsOnceAndCorrectsPreference();
    void quotesExecutablePath_data();
    void quotesExecutablePath();
};

void TestLoginItem::registersAndUnregisters()
{
    TestHome home;
    Preferences preferences(home.preferencesFile());
    CountingService service(home.filePath(QStringLiteral("config/autostart")),
                            QStringLiteral("/opt/orlenta/bin/orlenta"));
    QStringList log;
    auto logger = [&log](const QString &line) { log.append(line); };

    QCOMPARE(service.status(), LoginItemService::Status::notRegistered);
    updateLoginItem(true, service, preferences, logger);
    QCOMPARE(service.status(), LoginItemService::Status::enabled);
    const QByteArray entry = home.read(QStringLiteral("config/autostart/orlenta.desktop"));
    QVERIFY(entry.startsWith("[Desktop Entry]\n"));
    QVERIFY(entry.contains("\nExec=/opt/orlenta/bin/orlenta\n"));
    QVERIFY(entry.contains("\nType=Application\n"));

    updateLoginItem(false, service, preferences, logger);
    QCOMPARE(service.status(), LoginItemService::Status::notRegistered);
    QVERIFY(!QFile::exists(service.entryPath()));
    QCOMPARE(service.registers, 1);
    QCOMPARE(service.unregisters, 1);
    QVERIFY(log.isEmpty());
    QVERIFY(!preferences.boolean(PreferenceKeys::launchAtLogin.key)); // success writes nothing
}

void TestLoginItem::leavesMatchingStateAlone()
{
    TestHome home;
    Preferences preferences(home.preferencesFile());
    CountingService service(home.filePath(QStringLiteral("autostart")),
                            QStringLiteral("/usr/bin/orlenta"));
    // Registered from outside the app, with different contents: left as it is.
    QVERIFY(home.write(QStringLiteral("autostart/orlenta.desktop"),
                       "[Desktop Entry]\nExec=orlenta --custom\n"));
    updateLoginItem(true, service, preferences, [](const QString &) { QFAIL("no log expected"); });
    QCOMPARE(service.registers, 0);
    QCOMPARE(home.read(QStringLiteral("autostart/orlenta.desktop")),
             QByteArray("[Desktop Entry]\nExec=orlenta --custom\n"));

    QVERIFY(QFile::remove(service.entryPath()));
    updateLoginItem(false, service, preferences, [](const QString &) { QFAIL("no log expected"); });
    QCOMPARE(service.unregisters, 0);
}

void TestLoginItem::disabledEntriesDoNotCount_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("plain") << QByteArray("[Desktop Entry]\nExec=orlenta\n") << true;
    QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nHidden=true\nExec=orlenta\n") << false;
    QTest::newRow("gnome off") << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n")
                               << false;
    QTest::newRow("hidden false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
    QTest::newRow("other group")
        << QByteArray("[Desktop Entry]\nExec=x\n[Desktop Action a]\nHidden=true\n") << true;
}

void TestLoginItem::disabledEntriesDoNotCount()
{
    QFETCH(QByteArray, entry);
    QFETCH(bool, enabled);
    TestHome home;
    LoginItemService service(home.filePath(QStringLiteral("autostart")),
                             QStringLiteral("/usr/bin/orlenta"));
    QVERIFY(home.write(QStringLiteral("autostart/orlenta.desktop"), entry));
    QCOMPARE(service.status() == LoginItemService::Status::enabled, enabled);
}

void TestLoginItem::failureLogsOnceAndCorrectsPreference()
{
    TestHome home;
    Preferences preferences(home.preferencesFile());
    // A file where the autostart folder should be: no folder can be made
    // there, whoever runs the test (permissions would not stop root).
    QVERIFY(home.write(QStringLiteral("config"), "not a folder"));
    LoginItemService service(home.filePath(QStringLiteral("config/autostart")),
                             QStringLiteral("/usr/bin/orlenta"));
    preferences.setBoolean(PreferenceKeys::launchAtLogin.key,
                           true); // the switch was just turned on
    QStringList log;
    updateLoginItem(true, service, preferences, [&log](const QString &line) { log.append(line); });
    QCOMPARE(log.size(), 1);
    QVERIFY2(log.first().startsWith(QStringLiteral("Orlenta: 设置登录项失败: ")),
             qPrintable(log.first()));
    QVERIFY(log.first().size() > QStringLiteral("Orlenta: 设置登录项失败: ").size());
    QCOMPARE(preferences.boolean(PreferenceKeys::launchAtLogin.key), std::optional<bool>(false));

    // The corrected switch asks again with the real state: nothing to do.
    updateLoginItem(false, service, preferences, [&log](const QString &line) { log.append(line); });
    QCOMPARE(log.size(), 1);
}

// The program as a launcher reads Exec back: the value's escapes first, then
// the quoting, then %% (the order of the Desktop Entry Specification).
QStringList execWords(const QByteArray &entry)
{
    QString value;
    for (const QString &line : QString::fromUtf8(entry).split(u'\n'))
        if (line.startsWith(u"Exec="))
            value = line.mid(5);
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar e = value[++i];
            unescaped += e == u'n'   ? u'\n'
                         : e == u't' ? u'\t'
                         : e == u'r' ? u'\r'
                         : e == u's' ? u' '
                                     : e;
        } else {
            unescaped += value[i];
        }
    }
    QStringList words{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted && c == u'\\' && i + 1 < unescaped.size())
            words.last() += unescaped[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (c == u' ' && !quoted)
            words << QString();
        else if (c == u'%' && i + 1 < unescaped.size() && unescaped[i + 1] == u'%')
            words.last() += unescaped[++i];
        else
            words.last() += c;
    }
    return words;
}

void TestLoginItem::quotesExecutablePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("exec");
    QTest::newRow("plain") << QStringLiteral("/usr/bin/orlenta")
                           << QByteArray("Exec=/usr/bin/orlenta\n");
    QTest::newRow("space") << QStringLiteral("/home/a b/orlenta")
                           << QByteArray("Exec=\"/home/a b/orlenta\"\n");
    QTest::newRow("dollar") << QStringLiteral("/opt/$x/orlenta")
                            << QByteArray("Exec=\"/opt/\\\\$x/orlenta\"\n");
    QTest::newRow("percent") << QStringLiteral("/opt/100%/orlenta")
                             << QByteArray("Exec=/opt/100%%/orlenta\n");
    QTest::newRow("a field code's look, quoted")
        << QStringLiteral("/opt/a %u/orlenta") << QByteArray("Exec=\"/opt/a %%u/orlenta\"\n");
    QTest::newRow("quote, backslash, backtick")
        << QStringLiteral("/o/\"q\\`/orlenta") << QByteArray();
    QTest::newRow("line break and tab") << QStringLiteral("/o/a\nb\tc/orlenta") << QByteArray();
    QTest::newRow("shell characters")
        << QStringLiteral("/o/~a=b#c;d&e|(f)*?'/orlenta") << QByteArray();
}

// Every path is read back as written, and the entry passes the validator.
void TestLoginItem::quotesExecutablePath()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, exec);
    TestHome home;
    LoginItemService service(home.filePath(QStringLiteral("autostart")), path);
    QVERIFY(!service.registerItem());
    const QByteArray entry = home.read(QStringLiteral("autostart/orlenta.desktop"));
    if (!exec.isEmpty())
        QVERIFY2(entry.contains("\n" + exec), entry.constData());
    QVERIFY(entry.contains("\nIcon=org.orlenta.Orlenta\n")); // the icon installed with it
    QCOMPARE(execWords(entry), QStringList{path});

    const QString validator =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
    QProcess process;
    process.start(validator, {service.entryPath()});
    QVERIFY(process.waitForFinished(10000));
    const QByteArray said = process.readAllStandardOutput() + process.readAllStandardError();
    QVERIFY2(process.exitCode() == 0 && !said.contains("error"), said.constData());
}

QTEST_GUILESS_MAIN(TestLoginItem)
#include "tst_loginitem.moc"
