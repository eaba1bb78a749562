#include "app/mac_tallowBayApp.h"

#include "app/LazyWindowIcon.h"
#include "app/TrayWaiter.h"
#include "cli/CommandExecutor.h"
#include "dragdrop/DropDebug.h"
#include "instance/InstanceElection.h"
#include "instance/SingleInstance.h"
#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "menubar/MenuBarView.h"
#include "menubar/TrayHostWatcher.h"
#include "menubar/TrayIcon.h"
#include "palette/widgets/QuickRunPalette.h"
#include "platform/Locations.h"
#include "run/RunController.h"
#include "run/RunHistory.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/SettingsWindow.h"
#include "ui/Appearance.h"
#include "ui/ColorSchemePortal.h"
#include "ui/DesktopNotifier.h"
#include "ui/IconMap.h"
#include "ui/MainWindowManager.h"
#include "ui/UpdateDialogs.h"
#include "update/UpdateService.h"
#include "window/ContentView.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>

mac_tallowBayApp::mac_tallowBayApp(int &argc, char **argv, const Command &command,
                                   const QStringList &arguments)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("orlenta"));
    setApplicationDisplayName(QStringLiteral("Orlenta"));
    setApplicationVersion(QStringLiteral(ORLENTA_VERSION));
    setDesktopFileName(QStringLiteral("org.orlenta.Orlenta"));
    m_quitAfterStart = arguments.contains(QStringLiteral("--quit-after-start"));

    m_instance = std::make_unique<SingleInstance>(
        SingleInstance::userFolder(), SingleInstance::keyFor(Preferences::standard().filePath()));
    m_handedOver = InstanceElection::joinOrBecomeInstance(arguments, *m_instance,
                                                          InstanceElection::processStreams());
    if (m_handedOver)
        return;

    m_windowIcon = std::make_unique<LazyWindowIcon>(&IconMap::applicationIcon);
    LanguageManager::shared();
    m_updateDialogs = std::make_unique<DialogUpdateUserInterface>();
    UpdateService::shared().setUserInterface(m_updateDialogs.get());
    UpdateService::shared().setFocusProbe(
        [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; });

    Preferences &preferences = Preferences::standard();
    // "system" follows the desktop's light or dark preference where a
    // settings portal tells it; the answer comes after start, not before.
    m_colorScheme = std::make_unique<ColorSchemePortal>(QDBusConnection::sessionBus());
    connect(m_colorScheme.get(), &ColorSchemePortal::schemeChanged, this,
            [this](ColorScheme scheme) {
                Appearance::setSystemColorScheme(scheme);
                if (m_tray)
                    m_tray->matchPanel();
            });
    applyAppAppearance(PreferenceKeys::appearance.read(preferences));
    connect(&preferences, &Preferences::changed, this, [&preferences](const QString &key) {
        if (PreferenceKeys::appearance.is(key))
            applyAppAppearance(PreferenceKeys::appearance.read(preferences));
    });

    // A tray app: closing its windows never ends it, only "退出" does.
    setQuitOnLastWindowClosed(false);
    // Windows are never restored from an earlier session; the login item
    // starts the app, not the session manager.
    connect(this, &QGuiApplication::saveStateRequest, this, [](QSessionManager &manager) {
        manager.setRestartHint(QSessionManager::RestartNever);
    });

    m_store = std::make_unique<ShellStore>(preferences, Locations::system());
    m_store->setDiagnosticLog(&DropDebug::log);
    // Another program (a sync client, an editor) may change the document.
    // The tray does not wait for the watch, and a start that ends at once
    // never pays for closing it (the kernel may block for milliseconds);
    // a change made in between is taken in when watching starts.
    QTimer::singleShot(watchDelayMilliseconds, m_store.get(), &ShellStore::startWatching);
    m_runController = std::make_unique<RunController>();
    m_runHistory = std::make_unique<RunHistory>(preferences);
    m_runController->setHistory(m_runHistory.get());
    connect(this, &QGuiApplication::applicationStateChanged, m_store.get(),
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    m_store->applicationDidBecomeActive();
            });

    m_executor = std::make_unique<CommandExecutor>(*m_store, *m_runController);
    m_executor->setWindowRequests(
        {[this] { focusOrOpenMain(); }, [this] { openSettings(); }, [this] { openQuickRun(); }});
    if (m_instance->server())
        InstanceElection::serve(*m_instance->server(), *m_executor);

    m_menuBarView = std::make_unique<MenuBarView>(*m_store, *m_runController);
    m_menuBarView->setOffersUpdateCheck(UpdateService::shared().hasFeed());
    connect(m_menuBarView.get(), &MenuBarView::quickRunRequested, this,
            &mac_tallowBayApp::openQuickRun);
    connect(m_menuBarView.get(), &MenuBarView::settingsRequested, this,
            &mac_tallowBayApp::openSettings);
    connect(m_menuBarView.get(), &MenuBarView::checkForUpdatesRequested, this,
            [] { UpdateService::shared().checkForUpdates(); });
    connect(m_menuBarView.get(), &MenuBarView::mainWindowRequested, this,
            &mac_tallowBayApp::focusOrOpenMain);
    connect(m_menuBarView.get(), &MenuBarView::quitRequested, this, &QCoreApplication::quit,
            Qt::QueuedConnection);

    showTray();
    if (command.kind != Command::Kind::start)
        m_executor->execute(command, QDir::currentPath(), nullptr, {});
    QTimer::singleShot(0, this, &mac_tallowBayApp::applicationDidFinishLaunching);
}

mac_tallowBayApp::~mac_tallowBayApp()
{
    // Windows hold references to the store and the run controller.
    delete MainWindowManager::shared().window();
    delete m_settings.data();
    m_quickRun.reset();
    m_tray.reset();
    m_menuBarView.reset();
    m_executor.reset();
}

void mac_tallowBayApp::applicationDidFinishLaunching()
{
    m_notifier = std::make_unique<DesktopNotifier>();
    m_notifier->setTrayFallback(m_tray->systemTrayIcon()); // null while there is no tray
    m_menuBarView->setNotifier(m_notifier.get());
    UpdateService &updates = UpdateService::shared();
    updates.setNotifier(m_notifier.get());
    updates.start();
    // Watching, and with it taking in a sync client's conflict copies,
    // starts later than this.
    connect(m_store.get(), &ShellStore::conflictCopyTakenIn, this,
            [this](const QString &copy, const QString &keptAt) {
                // clang-format off
                m_notifier->post(QStringLiteral("orlenta-conflict"), QStringLiteral("Orlenta"), LanguageManager::localized(QStringLiteral("同步冲突副本 %@ 中的更改已并入文稿，副本已移到 %@"), {QFileInfo(copy).fileName(), keptAt}));
                // clang-format on
            });
}

void mac_tallowBayApp::showTray()
{
    m_tray = std::make_unique<TrayIcon>(m_menuBarView->menu());
    connect(m_tray.get(), &TrayIcon::windowRequested, this, &mac_tallowBayApp::focusOrOpenMain);
    // The icon is made once a tray is there, however late it comes.
    m_trayHosts = std::make_unique<TrayHostWatcher>(QDBusConnection::sessionBus());
    m_trayWaiter = std::make_unique<TrayWaiter>(trayWaitMilliseconds);
    connect(m_trayHosts.get(), &TrayHostWatcher::hostAppeared, m_trayWaiter.get(),
            &TrayWaiter::trayAppeared);
    connect(m_trayWaiter.get(), &TrayWaiter::ready, this, &mac_tallowBayApp::trayIsUp);
    connect(m_trayWaiter.get(), &TrayWaiter::timedOut, this, &mac_tallowBayApp::fallBackToWindow);
    m_trayWaiter->start(m_trayHosts->isHostPresent());
}

void mac_tallowBayApp::trayIsUp()
{
    m_tray->show();
    if (m_notifier)
        m_notifier->setTrayFallback(m_tray->systemTrayIcon());
    showTrayMissing();
    if (m_quitAfterStart)
        QTimer::singleShot(0, this, [] { QCoreApplication::exit(0); });
}

void mac_tallowBayApp::fallBackToWindow()
{
    std::fputs("Orlenta: no system tray found; opening the management window instead (the icon "
               "appears when a tray does).\n",
               stderr);
    focusOrOpenMain();
    showTrayMissing();
    if (m_quitAfterStart)
        QTimer::singleShot(0, this, [] { QCoreApplication::exit(0); });
}

void mac_tallowBayApp::showTrayMissing()
{
    if (auto *window = qobject_cast<ContentView *>(MainWindowManager::shared().window()))
        window->setTrayMissing(m_trayWaiter->isTrayMissing());
}

void mac_tallowBayApp::focusOrOpenMain()
{
    MainWindowManager::shared().focusOrOpen([this] {
        auto *window = new ContentView(*m_store, *m_runController);
        connect(window, &ContentView::settingsRequested, this, &mac_tallowBayApp::openSettings);
        connect(window, &ContentView::quickRunRequested, this, &mac_tallowBayApp::openQuickRun);
        window->setTrayMissing(m_trayWaiter->isTrayMissing());
        return window;
    });
}

void mac_tallowBayApp::openQuickRun()
{
    if (!m_quickRun) {
        m_quickRun = std::make_unique<QuickRunPalette>(*m_store, *m_runController, *m_runHistory);
        connect(m_quickRun.get(), &QuickRunPalette::showInWindowRequested, this,
                [this](const QUuid &id) {
                    focusOrOpenMain();
                    if (auto *window =
                            qobject_cast<ContentView *>(MainWindowManager::shared().window()))
                        window->select(id);
                });
        if (qEnvironmentVariableIsSet("ORLENTA_TRACE_PALETTE"))
            connect(m_quickRun.get(), &QuickRunPalette::presented, this, [] {
                // For tools/measure-palette.sh: when the palette was first painted.
                std::fprintf(stderr, "palette-painted %lld\n",
                             static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            });
    }
    m_quickRun->present();
}

void mac_tallowBayApp::openSettings()
{
    if (!m_settings) {
        m_settings = new SettingsWindow(*m_store);
        m_settings->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (m_settings->isMinimized())
        m_settings->showNormal();
    m_settings->show();
    m_settings->raise();
    m_settings->activateWindow();
}
