#pragma once

#include <QObject>

#include <functional>
#include <optional>

class Preferences;
class ProfileMenu;
class QAction;
class QLabel;
class QToolBar;
class QToolButton;
class QWidget;
class ShellStore;
class ToolbarDisplayMode;

// The commands of the management window's toolbar: new folder, add scripts,
// import folder, the sort order, the profile menu and settings. They go into
// the window's toolbar before the window's own trailing items.
class WindowToolbar : public QObject
{
    Q_OBJECT
public:
    // The window's own actions behind the buttons: a new folder at the top
    // level (without one, straight through the store), add scripts and
    // import a folder into the selected folder (each through its picker), and
    // the picker of another configuration file.
    struct Hooks
    {
        std::function<void()> newFolder;
        std::function<void()> addScripts;
        std::function<void()> importFolder;
        std::function<std::optional<QString>()> pickConfig;
    };

    // space: the window's flexible space; "新建文件夹" goes before it at the
    // leading end and the others after it. Without one the commands bring
    // their own. before: the first of the window's trailing items; none appends.
    WindowToolbar(QToolBar &toolbar, ShellStore &store, Preferences &preferences, Hooks hooks,
                  QAction *space = nullptr, QAction *before = nullptr);

    bool addScriptPressed() const { return m_addScriptPressed; }
    bool importFolderPressed() const { return m_importFolderPressed; }
    ToolbarDisplayMode &displayMode() const { return *m_displayMode; }
    ProfileMenu &profileMenu() const { return *m_profileMenu; }

Q_SIGNALS:
    void settingsRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void retranslate();
    void followSortMode();
    void followStyle();
    void setPressed(QAction *action, bool pressed);

    QToolBar &m_toolbar;
    ShellStore &m_store;
    Hooks m_hooks;
    QAction *m_newFolder;
    QAction *m_addScripts;
    QAction *m_importFolder;
    QWidget *m_sort;
    QLabel *m_sortTitle;
    QToolButton *m_sortCustom;
    QToolButton *m_sortName;
    QAction *m_profiles;
    ProfileMenu *m_profileMenu;
    QAction *m_settings;
    ToolbarDisplayMode *m_displayMode;
    bool m_addScriptPressed = false;
    bool m_importFolderPressed = false;
};
