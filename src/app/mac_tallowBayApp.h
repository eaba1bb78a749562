#pragma once

#include "cli/CommandLine.h"

#include <QApplication>
#include <QPointer>

#include <memory>
#include <optional>

class ColorSchemePortal;
class CommandExecutor;
class DesktopNotifier;
class DialogUpdateUserInterface;
class LazyWindowIcon;
class QuickRunPalette;
class RunHistory;
class MenuBarView;
class RunController;
class SettingsWindow;
class ShellStore;
class SingleInstance;
class TrayHostWatcher;
class TrayIcon;
class TrayWaiter;

// The application object: owns the one store and run controller, shows the
// tray menu, and opens the windows on request. Nothing shows at start but
// the tray icon (or, without a tray, the management window). With another
// instance running, the start is handed to it and nothing else is made.
class mac_tallowBayApp : public QApplication
{
    Q_OBJECT
public:
    // command: a start, "open" or "settings", parsed from arguments.
    mac_tallowBayApp(int &argc, char **argv, const Command &command, const QStringList &arguments);
    ~mac_tallowBayApp() override;

    // The exit status when the running instance took this start over.
    std::optional<int> handedOver() const { return m_handedOver; }

    ShellStore &store() const { return *m_store; }
    RunController &runController() const { return *m_runController; }
    MenuBarView &menuBarView() const { return *m_menuBarView; }

    // How long to wait for a tray host before opening the window instead.
    static constexpr int trayWaitMilliseconds = 5000;
    // When the document starts being watched for changes made elsewhere.
    static constexpr int watchDelayMilliseconds = 1000;

    void focusOrOpenMain();
    void openSettings();
    void openQuickRun();

private:
    void applicationDidFinishLaunching();
    void showTray();
    void trayIsUp();
    void fallBackToWindow();
    void showTrayMissing();

    std::unique_ptr<SingleInstance> m_instance;
    std::optional<int> m_handedOver;
    std::unique_ptr<ShellStore> m_store;
    std::unique_ptr<RunController> m_runController;
    std::unique_ptr<CommandExecutor> m_executor;
    std::unique_ptr<MenuBarView> m_menuBarView;
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<TrayHostWatcher> m_trayHosts;
    std::unique_ptr<ColorSchemePortal> m_colorScheme;
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::unique_ptr<DialogUpdateUserInterface> m_updateDialogs;
    QPointer<SettingsWindow> m_settings;
    std::unique_ptr<RunHistory> m_runHistory;
    std::unique_ptr<QuickRunPalette> m_quickRun;
    std::unique_ptr<TrayWaiter> m_trayWaiter;
    std::unique_ptr<LazyWindowIcon> m_windowIcon;
    bool m_quitAfterStart = false;
};
