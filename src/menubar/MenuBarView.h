#pragma once

#include "menubar/NodeMenuItem.h"

#include <QObject>

#include <memory>

class Notifier;
class QMenu;
class ShellStore;
class RunController;

// The tray menu: the published script tree, then the application's commands.
// It follows the store and the interface language; a change that arrives
// while the menu is open is applied when it closes.
class MenuBarView : public QObject
{
    Q_OBJECT
public:
    MenuBarView(ShellStore &store, RunController &runController, QObject *parent = nullptr);
    ~MenuBarView() override;

    QMenu *menu() const { return m_menu.get(); }

    // Runs go to the run controller; tests put a recorder here instead.
    void setRunner(MenuRunner runner) { m_runner = std::move(runner); }

    // Where a run that cannot start says why (the script's file is gone):
    // nothing else of the app is in view when the tray starts it. Not owned.
    void setNotifier(Notifier *notifier) { m_notifier = notifier; }

    // A build without an update feed leaves updates to the package manager
    // and offers no check.
    void setOffersUpdateCheck(bool offers);

    // Rebuilds soon, or once the menu has closed.
    void setNeedsRebuild();
    void rebuild();
    int rebuildCount() const { return m_rebuilds; }

Q_SIGNALS:
    void quickRunRequested();
    void settingsRequested();
    void checkForUpdatesRequested();
    void mainWindowRequested();
    void quitRequested();

private:
    void addTree();
    void sayIfFileIsGone(const ShellNode &node) const;

    ShellStore &m_store;
    RunController &m_runController;
    std::unique_ptr<QMenu> m_menu;
    MenuRunner m_runner;
    Notifier *m_notifier = nullptr;
    bool m_offersUpdateCheck = true;
    bool m_pending = false;
    bool m_scheduled = false;
    int m_rebuilds = 0;
};
