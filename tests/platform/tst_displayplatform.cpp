#include "platform/DisplayPlatform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Which platform plugin a start asks Qt for, against a plugin folder with or
// without Wayland's (qt6-wayland).
class TestDisplayPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choose_data();
    void choose();
};

void TestDisplayPlatform::choose_data()
{
    QTest::addColumn<QStringList>("variables"); // NAME=value
    QTest::addColumn<bool>("waylandPlugin");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("fails");
    const QStringList waylandSession{u"XDG_SESSION_TYPE=wayland"_s, u"WAYLAND_DISPLAY=wayland-1"_s};
    QTest::newRow("X11") << QStringList{u"DISPLAY=:0"_s} << false << u"xcb"_s << false;
    QTest::newRow("Wayland with its plugin")
        << waylandSession + QStringList{u"DISPLAY=:0"_s} << true << QString() << false;
    QTest::newRow("Wayland without Xwayland") << waylandSession << true << u"wayland"_s << false;
    QTest::newRow("Wayland, no plugin: Xwayland")
        << waylandSession + QStringList{u"DISPLAY=:0"_s} << false << u"xcb"_s << false;
    QTest::newRow("Wayland, no plugin, no Xwayland")
        << waylandSession << false << QString() << true;
    QTest::newRow("no display at all") << QStringList{} << true << QString() << true;
    QTest::newRow("the user's choice stands")
        << QStringList{u"QT_QPA_PLATFORM=offscreen"_s} << false << QString() << false;
}

void TestDisplayPlatform::choose()
{
    QFETCH(QStringList, variables);
    QFETCH(bool, waylandPlugin);
    QFETCH(QString, platform);
    QFETCH(bool, fails);
    QTemporaryDir plugins;
    QVERIFY(plugins.isValid());
    QStringList files{u"libqxcb.so"_s, u"libqoffscreen.so"_s};
    if (waylandPlugin)
        files << u"libqwayland-generic.so"_s;
    for (const QString &name : files) {
        QFile file(plugins.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QProcessEnvironment environment;
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    const DisplayPlatform::Choice choice = DisplayPlatform::choose(environment, plugins.path());
    QCOMPARE(choice.platform, platform);
    QCOMPARE(!choice.error.isEmpty(), fails);
    if (fails && waylandPlugin == false)
        QVERIFY2(choice.error.contains(u"qt6-wayland"_s), qPrintable(choice.error));
}

QTEST_GUILESS_MAIN(TestDisplayPlatform)
#include "tst_displayplatform.moc"
