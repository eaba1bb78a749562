#pragma once

#include "library/ShellNode.h"

#include <QObject>
#include <QPointer>
#include <QUuid>

#include <memory>
#include <optional>

class EditHistory;
class FilePicker;
class QMenu;
class QPoint;
class QWidget;
class RenameSheet;
class RunController;
class ScriptRunEntry;
class ShellStore;
class SidebarColumn;
class WindowNotice;

// The commands on nodes of the management window, wherever they are asked
// for (the row menus, the outline's keys, the toolbar): run, new folder, add
// scripts and import a folder through the pickers, rename, delete, reveal and
// copy path. Every edit goes through the store; menus and sheets open over
// the window.
class NodeActions : public QObject
{
    Q_OBJECT
public:
    NodeActions(ShellStore &store, RunController &runController, EditHistory &history,
                SidebarColumn &sidebar, QWidget &window);
    ~NodeActions() override;

    void run(const ShellNode &node, std::optional<QString> arg);
    // What the header's run control would do for this row: run a script, or
    // open its presets at globalPos; nothing while a run is going on.
    void runFromRow(const QUuid &id, const QPoint &globalPos);

    // Where the actions say what they did; none says nothing.
    void setNotice(WindowNotice *notice) { m_notice = notice; }

    // Additions; none is the top level. The folder opens when something went
    // in; a new folder is selected and its rename sheet opened.
    void addFolder(std::optional<QUuid> parent);
    void addScripts(std::optional<QUuid> folder);   // through the script picker
    void importFolder(std::optional<QUuid> folder); // through the folder picker
    // The toolbar's: a new folder always at the top level; scripts and a
    // folder into selectedFolderID().
    void addFolderAtTop();
    void addScriptsWithPicker();
    void importFolderWithPicker();

    // File pickers: the filtered script paths (".sh" / ".command"), a folder,
    // a configuration document.
    QStringList presentScriptPicker();
    std::optional<QString> presentFolderPicker();
    std::optional<QString> presentConfigPicker();
    // Tests answer the pickers; the actions keep the picker.
    void setFilePicker(std::unique_ptr<FilePicker> picker);

    // No confirmation: the node goes with its subtree, the selection stays,
    // and the notice offers to undo it.
    void deleteNode(const QUuid &id);
    void deleteSelection();

    void beginRename(const QUuid &id);
    bool showRename() const;
    const QString &renameText() const { return m_renameText; }
    std::optional<QUuid> renameTarget() const { return m_renameTarget; }

    // Nothing for a node without a file path; the detail pane's buttons too.
    static void reveal(const ShellNode &node);
    static void copyPath(const ShellNode &node);
    // The same, saying so in the notice.
    void copyPathWithNotice(const ShellNode &node);

    // The row's context menu, popped up at a screen point; returns it.
    QMenu *contextMenu(const QUuid &id, const QPoint &globalPos);
    // The presets of a script row's run glyph; returns the menu.
    QMenu *popUpRunMenu(const QUuid &id, const QPoint &globalPos);

private:
    void finishRename(bool accepted);
    void deleteNodes(const QSet<QUuid> &ids);
    void say(const QString &text);

    ShellStore &m_store;
    RunController &m_runController;
    EditHistory &m_history;
    SidebarColumn &m_sidebar;
    QWidget &m_window;
    std::unique_ptr<FilePicker> m_picker;

    QString m_renameText;
    std::optional<QUuid> m_renameTarget;
    QPointer<RenameSheet> m_renameSheet;
    std::unique_ptr<ScriptRunEntry> m_runEntry;
    WindowNotice *m_notice = nullptr;
    bool m_deleteUndoable = false; // nothing has changed the history since
};
