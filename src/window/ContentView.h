#pragma once

#include "dragdrop/DropTarget.h"
#include "dragdrop/RowFrameRegistry.h"
#include "library/ShellNode.h"
#include "window/SidebarHighlight.h"

#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QUrl>
#include <QUuid>

#include <memory>
#include <optional>

class DetailView;
class EditHistory;
class FilePicker;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolBar;
class QVBoxLayout;
class RenameSheet;
class RunController;
class ScriptRunEntry;
class ShellStore;
class SidebarDropHost;
class SidebarModel;
class SidebarTreeView;

// The management window (scene "main"): the toolbar, the sidebar outline of
// the script tree and the detail column. It owns view state only; every edit
// goes through the store. Closing it destroys it.
class ContentView : public QMainWindow
{
    Q_OBJECT
public:
    ContentView(ShellStore &store, RunController &runController, QWidget *parent = nullptr);
    ~ContentView() override;

    ShellStore &store() const { return m_store; }
    RunController &runController() const { return m_runController; }

    // Selection.
    QSet<QUuid> selection() const { return m_selection; }
    // One selected id that still names a node, looked up in the stored tree.
    std::optional<ShellNode> selectedNode() const;
    // Where additions go: the selected folder, or the folder of a selected
    // script; none at the top level.
    std::optional<QUuid> selectedFolderID() const;
    void select(const QUuid &id);

    // The toolbar's actions.
    void addFolderAtTop();
    void addScriptsWithPicker();   // into selectedFolderID()
    void importFolderWithPicker(); // into selectedFolderID()

    // File pickers: the filtered script paths (".sh" / ".command"), a folder.
    QStringList presentScriptPicker();
    std::optional<QString> presentFolderPicker();
    // Tests answer the pickers; the window keeps the picker.
    void setFilePicker(std::unique_ptr<FilePicker> picker);

    // Row actions.
    void deleteNode(const QUuid &id);
    void deleteSelection();
    void beginRename(const QUuid &id);
    void reveal(const ShellNode &node);
    void copyPath(const ShellNode &node);
    // The row's context menu, popped up at a screen point; returns it.
    QMenu *contextMenu(const QUuid &id, const QPoint &globalPos);
    // The presets of a script row's run glyph; returns the menu.
    QMenu *popUpRunMenu(const QUuid &id, const QPoint &globalPos);

    // Drops, as the drop host hands them over.
    void updateHighlight(const std::optional<DropTarget> &target);
    void processDroppedFiles(const QList<QUrl> &urls, const DropTarget &target);
    void applyNodeDrop(const DropTarget &target, const QUuid &draggedID);

    // Publishes the tree to the tray menu, saves and closes the window.
    void done();

    EditHistory &history() const { return *m_history; }

    // Window state.
    bool showRename() const;
    const QString &renameText() const { return m_renameText; }
    std::optional<QUuid> renameTarget() const { return m_renameTarget; }
    const SidebarHighlight &highlight() const;
    const RowFrameRegistry &rowRegistry();

    // The parts other views fill in.
    QToolBar *toolbar() const { return m_toolbar; }
    // Toolbar actions go before this one; "完成" follows it at the trailing end.
    QAction *toolbarTrailingSpace() const { return m_trailingSpace; }
    QAction *doneAction() const { return m_done; }
    QWidget *detailColumn() const { return m_detailColumn; }
    DetailView *detail() const { return m_detail; }
    SidebarTreeView *sidebar() const { return m_tree; }
    SidebarModel *sidebarModel() const { return m_model; }
    SidebarDropHost *dropHost() const { return m_dropHost; }

Q_SIGNALS:
    void selectionChanged();
    // The toolbar's "设置".
    void settingsRequested();
    // Ctrl+K: the quick-run palette.
    void quickRunRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildToolbar();
    QWidget *buildSidebarColumn();
    QWidget *buildDetailColumn();
    void retranslate();
    void storeChanged();
    void refreshBanner();
    void refreshRowRegistry();
    void viewSelectionChanged();
    void applySelectionToView();
    void runScript(const ShellNode &node, std::optional<QString> arg);
    void finishRename(bool accepted);

    ShellStore &m_store;
    RunController &m_runController;
    std::unique_ptr<EditHistory> m_history;
    std::unique_ptr<FilePicker> m_picker;

    QSet<QUuid> m_selection;
    QString m_renameText;
    std::optional<QUuid> m_renameTarget;
    RowFrameRegistry m_rowRegistry;
    QSet<QUuid> m_expanded;
    bool m_syncing = false;
    std::unique_ptr<ScriptRunEntry> m_runEntry;

    QToolBar *m_toolbar = nullptr;
    QAction *m_trailingSpace = nullptr;
    QAction *m_done = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QSplitter *m_splitter = nullptr;
    QLabel *m_sidebarTitle = nullptr;
    QWidget *m_banner = nullptr;
    QLabel *m_bannerText = nullptr;
    QPushButton *m_bannerReveal = nullptr;
    SidebarDropHost *m_dropHost = nullptr;
    SidebarTreeView *m_tree = nullptr;
    SidebarModel *m_model = nullptr;
    QWidget *m_detailColumn = nullptr;
    DetailView *m_detail = nullptr;
    QPointer<RenameSheet> m_renameSheet;
};
