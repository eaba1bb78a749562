#include "language/AppLanguage.h"
#include "language/LanguageManager.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// Writes <dir>/<code>.lproj/Localizable.strings.
bool writeTable(const QString &dir, const QString &code, const QByteArray &bytes)
{
    QDir().mkpath(dir + u'/' + code + u".lproj"_s);
    QFile file(dir + u'/' + code + u".lproj/Localizable.strings"_s);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}
} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        AppLanguage::setPreferredLanguagesOverride(std::nullopt);
        LanguageManager::setTablesDirectoryOverride(QString());
    }

    void casesAndRawValues()
    {
        const QList<AppLanguage> all = AppLanguage::allCases();
        QStringList raws, names;
        for (const AppLanguage language : all) {
            raws << language.toRaw();
            names << language.displayName();
            QCOMPARE(AppLanguage::fromRaw(language.toRaw()), language);
        }
        QCOMPARE(raws, QStringList({u"system"_s, u"zh-Hans"_s, u"en"_s, u"ko"_s, u"ja"_s}));
        QCOMPARE(names,
                 QStringList({u"跟随系统"_s, u"中文"_s, u"English"_s, u"한국어"_s, u"日本語"_s}));
        for (const QString &unknown : {u"fr"_s, u"EN"_s, u"zh-hans"_s, u"zh"_s, QString()})
            QVERIFY2(!AppLanguage::fromRaw(unknown), qPrintable(unknown));
    }

    void detect_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("code");
        QTest::newRow("Chinese skipped, English wins")
            << QStringList{u"zh-Hans-CN"_s, u"en-US"_s} << u"en"_s;
        QTest::newRow("nothing known") << QStringList{u"fr-FR"_s, u"de-DE"_s} << u"zh-Hans"_s;
        QTest::newRow("upper case") << QStringList{u"EN-GB"_s} << u"en"_s;
        QTest::newRow("underscore does not count") << QStringList{u"en_US"_s} << u"zh-Hans"_s;
        QTest::newRow("underscore skipped, next decides")
            << QStringList{u"en_US"_s, u"ja-JP"_s} << u"ja"_s;
        QTest::newRow("first of several wins") << QStringList{u"ko-KR"_s, u"en"_s} << u"ko"_s;
        QTest::newRow("bare code") << QStringList{u"ja"_s} << u"ja"_s;
        QTest::newRow("traditional Chinese skipped")
            << QStringList{u"zh-Hant-TW"_s, u"fr"_s, u"ko"_s} << u"ko"_s;
        QTest::newRow("prefix is not enough") << QStringList{u"eng"_s, u"kok"_s} << u"zh-Hans"_s;
        QTest::newRow("empty list") << QStringList{} << u"zh-Hans"_s;
    }
    void detect()
    {
        QFETCH(QStringList, preferred);
        QFETCH(QString, code);
        QCOMPARE(AppLanguage::detect(preferred).toRaw(), code);
        AppLanguage::setPreferredLanguagesOverride(preferred);
        QCOMPARE(AppLanguage(AppLanguage::system).resolvedCode(), code);
    }

    void resolvedCodeOfFixedLanguages()
    {
        AppLanguage::setPreferredLanguagesOverride(QStringList{u"ja-JP"_s});
        QCOMPARE(AppLanguage(AppLanguage::zhHans).resolvedCode(), u"zh-Hans"_s);
        QCOMPARE(AppLanguage(AppLanguage::en).resolvedCode(), u"en"_s);
        QCOMPARE(AppLanguage(AppLanguage::ko).resolvedCode(), u"ko"_s);
        QCOMPARE(AppLanguage(AppLanguage::ja).resolvedCode(), u"ja"_s);
        // system follows a changed list without anything being reset
        QCOMPARE(AppLanguage(AppLanguage::system).resolvedCode(), u"ja"_s);
        AppLanguage::setPreferredLanguagesOverride(QStringList{u"ko"_s});
        QCOMPARE(AppLanguage(AppLanguage::system).resolvedCode(), u"ko"_s);
    }

    void selectionFromPreferences_data()
    {
        QTest::addColumn<QString>("stored"); // null: absent
        QTest::addColumn<int>("selection");
        QTest::newRow("absent") << QString() << int(AppLanguage::system);
        QTest::newRow("system") << u"system"_s << int(AppLanguage::system);
        QTest::newRow("zh-Hans") << u"zh-Hans"_s << int(AppLanguage::zhHans);
        QTest::newRow("ja") << u"ja"_s << int(AppLanguage::ja);
        QTest::newRow("unknown") << u"fr"_s << int(AppLanguage::system);
        QTest::newRow("other case") << u"EN"_s << int(AppLanguage::system);
        QTest::newRow("empty") << u""_s << int(AppLanguage::system);
    }
    void selectionFromPreferences()
    {
        QFETCH(QString, stored);
        QFETCH(int, selection);
        TestHome home;
        {
            Preferences writer(home.preferencesFile());
            if (!stored.isNull())
                writer.setString(PreferenceKeys::language.key, stored);
        }
        Preferences preferences(home.preferencesFile());
        LanguageManager manager(preferences);
        QCOMPARE(int(manager.selection()), selection);
    }

    void changeOrder()
    {
        TestHome home;
        Preferences preferences(home.preferencesFile());
        preferences.setString(PreferenceKeys::language.key, u"fr"_s);
        LanguageManager manager(preferences);
        QStringList events;
        auto stored = [&preferences] {
            return preferences.string(PreferenceKeys::language.key).value_or(u"<absent>"_s);
        };
        connect(&manager, &LanguageManager::selectionChanged, this, [&] {
            events << u"selectionChanged "_s + manager.selection().toRaw() + u" stored="_s +
                          stored();
        });
        connect(&preferences, &Preferences::changed, this,
                [&](const QString &key) { events << u"stored "_s + key; });
        connect(&manager, &LanguageManager::languageChanged, this, [&] {
            events << u"languageChanged "_s + manager.selection().toRaw() + u" stored="_s +
                          stored();
        });

        manager.setSelection(AppLanguage::ko);
        QCOMPARE(events, QStringList({u"selectionChanged ko stored=fr"_s, u"stored fnkt_language"_s,
                                      u"languageChanged ko stored=ko"_s}));

        // The same choice again: stored, but nothing to rebuild.
        events.clear();
        manager.setSelection(AppLanguage::ko);
        QCOMPARE(events, QStringList({u"stored fnkt_language"_s}));

        manager.setSelection(AppLanguage::system);
        preferences.sync();
        Preferences reread(home.preferencesFile());
        QCOMPARE(reread.string(PreferenceKeys::language.key), u"system"_s);
        QCOMPARE(LanguageManager(reread).selection(), AppLanguage::system);
    }

    // Qt's own dialogs and buttons follow the interface language too.
    void qtTranslations()
    {
        const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(dir + u"/qtbase_ko.qm"_s))
            QSKIP("Qt's translations are not installed (qt6-translations-l10n)");
        const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
        TestHome home;
        Preferences preferences(home.preferencesFile());
        preferences.setString(PreferenceKeys::language.key, u"ko"_s);
        {
            LanguageManager manager(preferences);
            QCOMPARE(cancel(), u"취소"_s);
            manager.setSelection(AppLanguage::zhHans);
            QCOMPARE(cancel(), u"取消"_s);
            manager.setSelection(AppLanguage::en);
            QCOMPARE(cancel(), u"Cancel"_s);
            manager.setSelection(AppLanguage::ja);
            QVERIFY(cancel() != u"Cancel"_s);
        }
        QCOMPARE(cancel(), u"Cancel"_s); // gone with its manager
    }

    void lookup()
    {
        QTemporaryDir tables;
        QVERIFY(tables.isValid());
        QVERIFY(writeTable(tables.path(), u"en"_s,
                           "\"退出\" = \"Quit\";\n"
                           "\"版本 %@（构建 %@）\" = \"Version %@ (build %@)\";\n"
                           "\"移除配置「%@」\" = \"\";\n"
                           "\"%@ 个脚本 · %@ 个子项\" = \"%2$@ items, %1$@ scripts\";\n"));
        QVERIFY(writeTable(tables.path(), u"ja"_s, "\"退出\" = \"終了\"")); // damaged: no ';'
        QVERIFY(writeTable(tables.path(), u"zh-Hans"_s, "\"退出\" = \"离开\";\n"));
        LanguageManager::setTablesDirectoryOverride(tables.path());
        QCOMPARE(LanguageManager::tablePath(u"en"_s),
                 QDir::cleanPath(tables.path()) + u"/en.lproj/Localizable.strings"_s);

        TestHome home;
        Preferences preferences(home.preferencesFile());
        LanguageManager manager(preferences);
        const QString quit = u"退出"_s;
        const QString version = u"版本 %@（构建 %@）"_s;
        const QStringList versionArgs{u"1.2"_s, u"45"_s};

        manager.setSelection(AppLanguage::zhHans);
        QCOMPARE(manager.text(version, versionArgs), u"版本 1.2（构建 45）"_s);
        QCOMPARE(manager.text(quit), quit); // a zh-Hans table is never read

        manager.setSelection(AppLanguage::en);
        QCOMPARE(manager.text(quit), u"Quit"_s);
        QCOMPARE(manager.text(version, versionArgs), u"Version 1.2 (build 45)"_s);
        QCOMPARE(manager.text(u"%@ 个脚本 · %@ 个子项"_s, {u"5"_s, u"3"_s}),
                 u"3 items, 5 scripts"_s);
        // empty entry and missing entry: the key, formatted
        QCOMPARE(manager.text(u"移除配置「%@」"_s, {u"Work"_s}), u"移除配置「Work」"_s);
        QCOMPARE(manager.text(u"取消"_s), u"取消"_s);

        manager.setSelection(AppLanguage::ja); // damaged table
        QCOMPARE(manager.text(quit), quit);
        manager.setSelection(AppLanguage::ko); // no table at all
        QCOMPARE(manager.text(version, versionArgs), u"版本 1.2（构建 45）"_s);

        manager.setSelection(AppLanguage::system);
        AppLanguage::setPreferredLanguagesOverride(QStringList{u"zh-Hans-CN"_s, u"en-US"_s});
        QCOMPARE(manager.text(quit), u"Quit"_s);

        // With no tables anywhere, every text is the Chinese key.
        LanguageManager::setTablesDirectoryOverride(tables.filePath(u"nowhere"_s));
        manager.setSelection(AppLanguage::en);
        QCOMPARE(manager.text(version, versionArgs), u"版本 1.2（构建 45）"_s);
    }

    void changedTableIsReadAfresh()
    {
        QTemporaryDir tables;
        QVERIFY(writeTable(tables.path(), u"en"_s, "\"退出\" = \"Quit\";"));
        LanguageManager::setTablesDirectoryOverride(tables.path());
        QCOMPARE(LanguageManager::lookup(u"en"_s, u"退出"_s), u"Quit"_s);

        // Same size, new content: only the times tell.
        QVERIFY(writeTable(tables.path(), u"en"_s, "\"退出\" = \"Exit\";"));
        QFile file(LanguageManager::tablePath(u"en"_s));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                 QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(LanguageManager::lookup(u"en"_s, u"退出"_s), u"Exit"_s);

        QVERIFY(writeTable(tables.path(), u"en"_s, "\"退出\" = \"Leave the app\";"));
        QCOMPARE(LanguageManager::lookup(u"en"_s, u"退出"_s), u"Leave the app"_s);

        QVERIFY(QFile::remove(LanguageManager::tablePath(u"en"_s)));
        QCOMPARE(LanguageManager::lookup(u"en"_s, u"退出"_s), u"退出"_s);
    }

    void systemLocaleLookup_data()
    {
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Chinese") << QStringList{u"zh-CN"_s} << u"版本 2.0 已可安装。"_s;
        QTest::newRow("Japanese after French")
            << QStringList{u"fr"_s, u"ja-JP"_s} << u"バージョン 2.0 をインストールできます。"_s;
        QTest::newRow("English") << QStringList{u"en-GB"_s, u"zh-CN"_s}
                                 << u"Version 2.0 is ready to install."_s;
        QTest::newRow("unknown") << QStringList{u"fr"_s} << u"Version 2.0 is ready to install."_s;
    }
    void systemLocaleLookup()
    {
        QFETCH(QStringList, preferred);
        QFETCH(QString, expected);
        QTemporaryDir tables;
        QVERIFY(writeTable(tables.path(), u"zh-Hans"_s,
                           "\"Version %@ is ready to install.\" = \"版本 %@ 已可安装。\";"));
        QVERIFY(writeTable(tables.path(), u"ja"_s,
                           "\"Version %@ is ready to install.\" = "
                           "\"バージョン %@ をインストールできます。\";"));
        LanguageManager::setTablesDirectoryOverride(tables.path());
        AppLanguage::setPreferredLanguagesOverride(preferred);
        QCOMPARE(LanguageManager::localizedForSystemLocale(u"Version %@ is ready to install."_s,
                                                           {u"2.0"_s}),
                 expected);
    }

    void format_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no placeholder") << u"退出"_s << QStringList{u"x"_s} << u"退出"_s;
        QTest::newRow("in order") << u"版本 %@（构建 %@）"_s << QStringList{u"1.2"_s, u"45"_s}
                                  << u"版本 1.2（构建 45）"_s;
        QTest::newRow("line feeds kept")
            << u"是否同时删除磁盘上的配置文件？\n%@"_s << QStringList{u"/a/b.json"_s}
            << u"是否同时删除磁盘上的配置文件？\n/a/b.json"_s;
        QTest::newRow("positional")
            << u"%2$@ / %1$@"_s << QStringList{u"a"_s, u"b"_s} << u"b / a"_s;
        QTest::newRow("argument holding a placeholder is not expanded")
            << u"运行中：%@ %@"_s << QStringList{u"%@%1$@"_s, u"z"_s} << u"运行中：%@%1$@ z"_s;
        QTest::newRow("missing argument is empty")
            << u"[%@][%@]"_s << QStringList{u"a"_s} << u"[a][]"_s;
        QTest::newRow("extra arguments ignored")
            << u"%@"_s << QStringList{u"a"_s, u"b"_s} << u"a"_s;
        QTest::newRow("percent sign") << u"100%% %@"_s << QStringList{u"done"_s} << u"100% done"_s;
        QTest::newRow("other percent sequences stay")
            << u"50% %d %1$s %0$@ %"_s << QStringList{u"a"_s} << u"50% %d %1$s %0$@ %"_s;
    }
    void format()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QCOMPARE(LanguageManager::format(pattern, args), expected);
    }

    void argumentSlots()
    {
        QCOMPARE(LanguageManager::argumentSlots(u"%@ 个脚本 · %@ 个子项"_s), QList<int>({1, 2}));
        QCOMPARE(LanguageManager::argumentSlots(u"%2$@ — %1$@ %%"_s), QList<int>({2, 1}));
        QCOMPARE(LanguageManager::argumentSlots(u"退出"_s), QList<int>());
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
