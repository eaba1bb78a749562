#include "TestSupport.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestPreferences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshStoreHasNoKeysAndWritesNothing()
    {
        TestHome home;
        {
            Preferences preferences(home.preferencesFile());
            QVERIFY(!preferences.string(PreferenceKeys::language));
            QVERIFY(!preferences.string(PreferenceKeys::currentProfileID));
            QVERIFY(!preferences.data(PreferenceKeys::customProfiles));
            QVERIFY(!preferences.integer(PreferenceKeys::toolbarDisplayMode));
            QVERIFY(!preferences.boolean(PreferenceKeys::launchAtLogin));
        }
        QVERIFY(home.read(QStringLiteral("preferences.ini")).trimmed().isEmpty());
    }

    // Values written in one run must read back alike in the next.
    void valuesSurviveARestart()
    {
        TestHome home;
        const QByteArray json = "[{\"id\":\"A\",\"name\":\"a, b; \\\"c\\\"\",\"path\":\"\\/x\"}]";
        {
            Preferences preferences(home.preferencesFile());
            preferences.setString(PreferenceKeys::runMode, QStringLiteral("tab"));
            preferences.setString(PreferenceKeys::language, QString());
            preferences.setString(PreferenceKeys::appearance, QStringLiteral("a, b"));
            preferences.setData(PreferenceKeys::customProfiles, json);
            preferences.setInteger(PreferenceKeys::toolbarDisplayMode, 2);
            preferences.setBoolean(PreferenceKeys::launchAtLogin, true);
            preferences.setString(PreferenceKeys::sortMode, QStringLiteral("名字"));
        }
        Preferences preferences(home.preferencesFile());
        QCOMPARE(preferences.string(PreferenceKeys::runMode), QStringLiteral("tab"));
        QCOMPARE(preferences.string(PreferenceKeys::language), QString()); // present, empty
        QVERIFY(preferences.string(PreferenceKeys::language).has_value());
        QCOMPARE(preferences.string(PreferenceKeys::appearance), QStringLiteral("a, b"));
        QCOMPARE(preferences.data(PreferenceKeys::customProfiles), json);
        QCOMPARE(preferences.integer(PreferenceKeys::toolbarDisplayMode), 2);
        QCOMPARE(preferences.boolean(PreferenceKeys::launchAtLogin), true);
        QCOMPARE(preferences.string(PreferenceKeys::sortMode), QStringLiteral("名字"));
    }

    void setsReachTheFileAtOnce()
    {
        TestHome home;
        Preferences writer(home.preferencesFile());
        writer.setString(PreferenceKeys::runMode, QStringLiteral("tab"));
        // Another reader of the same file, while the writer is still alive.
        Preferences reader(home.preferencesFile());
        QCOMPARE(reader.string(PreferenceKeys::runMode), QStringLiteral("tab"));
    }

    void handEditedValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<bool>("flag");
        QTest::newRow("word") << QByteArray("v=tab") << "tab" << qint64(0) << false;
        QTest::newRow("list-like")
            << QByteArray("v=tab, window") << "tab, window" << qint64(0) << false;
        QTest::newRow("number") << QByteArray("v= 3 ") << "3" << qint64(3) << true;
        QTest::newRow("true") << QByteArray("v=true") << "true" << qint64(0) << true;
        QTest::newRow("YES") << QByteArray("v=YES") << "YES" << qint64(0) << true;
        QTest::newRow("zero") << QByteArray("v=0") << "0" << qint64(0) << false;
    }
    void handEditedValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, text);
        QFETCH(qint64, number);
        QFETCH(bool, flag);
        TestHome home;
        QVERIFY(home.write(QStringLiteral("preferences.ini"), "[General]\n" + line + "\n"));
        Preferences preferences(home.preferencesFile());
        const QLatin1StringView key("v");
        QCOMPARE(preferences.string(key), text);
        QCOMPARE(preferences.integer(key), number);
        QCOMPARE(preferences.boolean(key), flag);
        QCOMPARE(preferences.data(key), text.toUtf8());
    }

    void changeSignalNamesTheKey()
    {
        TestHome home;
        Preferences preferences(home.preferencesFile());
        QSignalSpy spy(&preferences, &Preferences::changed);
        preferences.setString(PreferenceKeys::sortMode, QStringLiteral("name"));
        preferences.setInteger(PreferenceKeys::toolbarDisplayMode, 1);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("fnkt_sortMode"));
        QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("fnkt_toolbarDisplayMode"));
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
