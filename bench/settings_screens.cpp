// Not a benchmark: saves a PNG of every settings tab in every language, light
// and dark, over a sample library (three custom profiles). Run it under
// Xvfb: tools/settings-screenshots.sh.
#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "platform/BuildInfo.h"
#include "settings/Preferences.h"
#include "settings/window/SettingsView.h"
#include "settings/window/SettingsWindow.h"
#include "ui/Appearance.h"

#include "TestSupport.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    static TestHome home;
    Preferences::useStandardFile(home.preferencesFile());
    QApplication app(argc, argv);
    QCursor::setPos(2000, 2000); // no row shown under the pointer
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    LanguageManager::setTablesDirectoryOverride(QStringLiteral(ORLENTA_SOURCE_DIR "/resources"));

    Preferences preferences(home.filePath(QStringLiteral("settings.ini")));
    ShellStore store(preferences, home.locations());
    for (const QString &name : {QStringLiteral("Work"), QStringLiteral("Homelab"),
                                QStringLiteral("a-rather-long-folder-name-for-deploy-scripts")}) {
        const QString path = home.filePath(QStringLiteral("home/Projects/") + name +
                                           QStringLiteral("/tallowBay.json"));
        home.write(QStringLiteral("home/Projects/") + name + QStringLiteral("/tallowBay.json"),
                   "{\"isPublished\":true,\"roots\":[]}");
        store.addProfile(path, std::nullopt);
    }
    store.setSyncFromiCloud(true);

    SettingsServices services;
    services.preferences = &preferences;
    services.environment = QProcessEnvironment::systemEnvironment();
    services.scratchFolder = home.filePath(QStringLiteral("runtime"));
    services.version = BuildInfo::version();
    services.build = BuildInfo::number();

    const QStringList tabs{QStringLiteral("general"), QStringLiteral("sync"), QStringLiteral("run"),
                           QStringLiteral("appearance"), QStringLiteral("about")};
    const QList<AppLanguage> languages{AppLanguage::zhHans, AppLanguage::en, AppLanguage::ko,
                                       AppLanguage::ja};
    for (const AppearanceMode mode : {AppearanceMode::light, AppearanceMode::dark}) {
        const QString appearance = PreferenceKeys::appearance.toRaw(mode);
        PreferenceKeys::appearance.write(preferences, mode);
        applyAppAppearance(mode);
        for (const AppLanguage language : languages) {
            LanguageManager::shared().setSelection(language);
            SettingsWindow window(store, services);
            window.show();
            for (int i = 0; i < tabs.size(); ++i) {
                window.view()->setSelection(SettingsTab(i));
                for (int n = 0; n < 5; ++n)
                    QApplication::processEvents();
                const QString file = QStringLiteral("%1/settings-%2-%3-%4.png")
                                         .arg(out, language.resolvedCode(), appearance, tabs.at(i));
                window.grab().save(file);
                std::printf("%s\n", qPrintable(file));
                // A tab taller than the window: its end as well.
                auto *page = window.view()->findChild<QScrollArea *>(tabs.at(i));
                if (page && page->verticalScrollBar()->maximum() > 0) {
                    page->verticalScrollBar()->setValue(page->verticalScrollBar()->maximum());
                    QApplication::processEvents();
                    const QString end =
                        QString(file).replace(QStringLiteral(".png"), QStringLiteral("-end.png"));
                    window.grab().save(end);
                    std::printf("%s\n", qPrintable(end));
                }
            }
        }
    }
    return 0;
}
