#include "TestSupport.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QHash>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {

// Each option seen through its descriptor, its value shown as text, so that
// one table covers them all.
struct Option
{
    QLatin1StringView key;
    std::function<QString(const Preferences &)> read;
    std::function<void(Preferences &, const QString &)> write;
    QStringList values; // every value worth a round trip, as read shows them
};

template <typename E, std::size_t N> Option choiceOption(const PreferenceChoice<E, N> &choice)
{
    QStringList values;
    for (const auto &[value, raw] : choice.choices)
        values << raw;
    return {
        choice.key,
        [&choice](const Preferences &p) { return QString(choice.toRaw(choice.read(p))); },
        [&choice](Preferences &p, const QString &text) { choice.write(p, *choice.fromRaw(text)); },
        values};
}

Option textOption(const Preference<QString> &option)
{
    return {option.key,
            [&option](const Preferences &p) { return option.read(p); },
            [&option](Preferences &p, const QString &text) { option.write(p, text); },
            {QStringLiteral("A, b; \"c\""), QString()}};
}

QHash<QString, Option> options()
{
    using namespace PreferenceKeys;
    static const QString automatic = QStringLiteral("<automatic>");
    return {
        {u"language"_qs, choiceOption(language)},
        {u"appearance"_qs, choiceOption(appearance)},
        {u"runMode"_qs, choiceOption(runMode)},
        {u"sortMode"_qs, choiceOption(sortMode)},
        {u"syncICloud"_qs,
         {syncICloud.key,
          [](const Preferences &p) { return syncICloud.read(p) ? u"yes"_qs : u"no"_qs; },
          [](Preferences &p, const QString &text) { syncICloud.write(p, text == u"yes"); },
          {u"yes"_qs}}},
        {u"launchAtLogin"_qs,
         {launchAtLogin.key,
          [](const Preferences &p) { return launchAtLogin.read(p) ? u"yes"_qs : u"no"_qs; },
          [](Preferences &p, const QString &text) { launchAtLogin.write(p, text == u"yes"); },
          {u"yes"_qs, u"no"_qs}}},
        {u"toolbarDisplayMode"_qs,
         {toolbarDisplayMode.key,
          [](const Preferences &p) { return QString::number(toolbarDisplayMode.read(p)); },
          [](Preferences &p, const QString &text) {
              toolbarDisplayMode.write(p, text.toLongLong());
          },
          {u"1"_qs, u"2"_qs, u"3"_qs}}},
        {u"customProfiles"_qs,
         {customProfiles.key,
          [](const Preferences &p) { return QString::fromUtf8(customProfiles.read(p)); },
          [](Preferences &p, const QString &text) { customProfiles.write(p, text.toUtf8()); },
          {u"[{\"id\":\"A\",\"name\":\"a, b\",\"path\":\"\\/x\"}]"_qs}}},
        {u"terminal"_qs,
         {terminal.key,
          [](const Preferences &p) { return terminal.read(p).value_or(automatic); },
          [](Preferences &p, const QString &text) {
              terminal.write(p, text == automatic ? std::nullopt : std::optional(text));
          },
          {automatic, u"xterm"_qs, u"st -e sh -c {command}"_qs}}},
        {u"currentProfileID"_qs, textOption(currentProfileID)},
        {u"recentRuns"_qs, textOption(recentRuns)},
        {u"syncFolder"_qs, textOption(syncFolder)},
    };
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshStoreHasNoKeysAndWritesNothing()
    {
        TestHome home;
        {
            Preferences preferences(home.preferencesFile());
            QVERIFY(!preferences.string(PreferenceKeys::language.key));
            QVERIFY(!preferences.string(PreferenceKeys::currentProfileID.key));
            QVERIFY(!preferences.data(PreferenceKeys::customProfiles.key));
            QVERIFY(!preferences.integer(PreferenceKeys::toolbarDisplayMode.key));
            QVERIFY(!preferences.boolean(PreferenceKeys::launchAtLogin.key));
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
            preferences.setString(PreferenceKeys::runMode.key, QStringLiteral("tab"));
            preferences.setString(PreferenceKeys::language.key, QString());
            preferences.setString(PreferenceKeys::appearance.key, QStringLiteral("a, b"));
            preferences.setData(PreferenceKeys::customProfiles.key, json);
            preferences.setInteger(PreferenceKeys::toolbarDisplayMode.key, 2);
            preferences.setBoolean(PreferenceKeys::launchAtLogin.key, true);
            preferences.setString(PreferenceKeys::sortMode.key, QStringLiteral("名字"));
        }
        Preferences preferences(home.preferencesFile());
        QCOMPARE(preferences.string(PreferenceKeys::runMode.key), QStringLiteral("tab"));
        QCOMPARE(preferences.string(PreferenceKeys::language.key), QString()); // present, empty
        QVERIFY(preferences.string(PreferenceKeys::language.key).has_value());
        QCOMPARE(preferences.string(PreferenceKeys::appearance.key), QStringLiteral("a, b"));
        QCOMPARE(preferences.data(PreferenceKeys::customProfiles.key), json);
        QCOMPARE(preferences.integer(PreferenceKeys::toolbarDisplayMode.key), 2);
        QCOMPARE(preferences.boolean(PreferenceKeys::launchAtLogin.key), true);
        QCOMPARE(preferences.string(PreferenceKeys::sortMode.key), QStringLiteral("名字"));
    }

    void setsReachTheFileAtOnce()
    {
        TestHome home;
        Preferences writer(home.preferencesFile());
        writer.setString(PreferenceKeys::runMode.key, QStringLiteral("tab"));
        // Another reader of the same file, while the writer is still alive.
        Preferences reader(home.preferencesFile());
        QCOMPARE(reader.string(PreferenceKeys::runMode.key), QStringLiteral("tab"));
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

    // Every option: its stored key, what an absent key, an unknown text and a
    // known one read as, and that each value it can hold survives a restart.
    void options_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("key");
        QTest::addColumn<std::optional<QByteArray>>("stored");
        QTest::addColumn<QString>("read");
        const std::optional<QByteArray> absent;
        auto row = [](const char *option, const char *key, std::optional<QByteArray> stored,
                      const QString &read) {
            QTest::addRow("%s %s", option, stored ? stored->constData() : "absent")
                << QString::fromLatin1(option) << QString::fromLatin1(key) << stored << read;
        };
        row("language", "fnkt_language", absent, u"system"_qs);
        row("language", "fnkt_language", "fr", u"system"_qs);
        row("language", "fnkt_language", "zh-hans", u"system"_qs);
        row("language", "fnkt_language", "zh-Hans", u"zh-Hans"_qs);
        row("appearance", "fnkt_appearance", absent, u"system"_qs);
        row("appearance", "fnkt_appearance", "sepia", u"system"_qs);
        row("appearance", "fnkt_appearance", "dark", u"dark"_qs);
        row("runMode", "fnkt_runMode", absent, u"window"_qs);
        row("runMode", "fnkt_runMode", "Tab", u"window"_qs);
        row("runMode", "fnkt_runMode", "tab", u"tab"_qs);
        row("sortMode", "fnkt_sortMode", absent, u"custom"_qs);
        row("sortMode", "fnkt_sortMode", "Name", u"custom"_qs);
        row("sortMode", "fnkt_sortMode", "name", u"name"_qs);
        row("syncICloud", "fnkt_syncICloud", absent, u"no"_qs);
        row("syncICloud", "fnkt_syncICloud", "1", u"no"_qs);
        row("syncICloud", "fnkt_syncICloud", "TRUE", u"no"_qs);
        row("syncICloud", "fnkt_syncICloud", "true", u"yes"_qs);
        row("launchAtLogin", "fnkt_launchAtLogin", absent, u"no"_qs);
        row("launchAtLogin", "fnkt_launchAtLogin", "true", u"yes"_qs);
        row("toolbarDisplayMode", "fnkt_toolbarDisplayMode", absent, u"0"_qs);
        row("toolbarDisplayMode", "fnkt_toolbarDisplayMode", "two", u"0"_qs);
        row("toolbarDisplayMode", "fnkt_toolbarDisplayMode", "2", u"2"_qs);
        row("customProfiles", "fnkt_customProfiles", absent, QString());
        row("terminal", "fnkt_terminal", absent, u"<automatic>"_qs);
        row("terminal", "fnkt_terminal", " ", u"<automatic>"_qs);
        row("terminal", "fnkt_terminal", "automatic", u"<automatic>"_qs);
        row("terminal", "fnkt_terminal", " kitty ", u"kitty"_qs);
        row("currentProfileID", "fnkt_currentProfileID", absent, QString());
        row("recentRuns", "fnkt_recentRuns", absent, QString());
        row("syncFolder", "fnkt_syncFolder", absent, QString());
    }
    void options()
    {
        QFETCH(QString, option);
        QFETCH(QString, key);
        QFETCH(std::optional<QByteArray>, stored);
        QFETCH(QString, read);
        const QHash<QString, Option> all = ::options();
        QVERIFY(all.contains(option));
        const Option descriptor = all.value(option);
        QCOMPARE(QString(descriptor.key), key);

        TestHome home;
        if (stored)
            QVERIFY(home.write(QStringLiteral("preferences.ini"),
                               "[General]\n" + key.toLatin1() + '=' + *stored + '\n'));
        {
            Preferences preferences(home.preferencesFile());
            QCOMPARE(descriptor.read(preferences), read);
        }
        QCOMPARE(home.read(QStringLiteral("preferences.ini")).isEmpty(),
                 !stored); // reads write nothing

        for (const QString &value : descriptor.values) {
            {
                Preferences preferences(home.preferencesFile());
                descriptor.write(preferences, value);
            }
            Preferences restarted(home.preferencesFile());
            QCOMPARE(descriptor.read(restarted), value);
        }
    }

    void changeSignalNamesTheKey()
    {
        TestHome home;
        Preferences preferences(home.preferencesFile());
        QSignalSpy spy(&preferences, &Preferences::changed);
        preferences.setString(PreferenceKeys::sortMode.key, QStringLiteral("name"));
        preferences.setInteger(PreferenceKeys::toolbarDisplayMode.key, 1);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("fnkt_sortMode"));
        QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("fnkt_toolbarDisplayMode"));
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
