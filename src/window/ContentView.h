#pragma once

#include "library/ShellNode.h"

#include <QMainWindow>
#include <QSet>
#include <QUuid>

#include <memory>
#include <optional>

class DetailView;
class EditHistory;
class NodeActions;
class QAction;
class QSplitter;
class QToolBar;
class RunController;
class ShellStore;
class SidebarColumn;
class SidebarDropHost;
class SidebarModel;
class SidebarTreeView;
class TrayMissingBanner;
class WindowNotice;

// The management window (scene "main"): the toolbar, the sidebar column with
// the outline of the script tree, and the detail column. It owns view state
// only; every edit goes through the store, by way of the node actions.
// Closing it destroys it.
class ContentView : public QMainWindow
{
    Q_OBJECT
public:
    ContentView(ShellStore &store, RunController &runController, QWidget *parent = nullptr);
    ~ContentView() override;

    ShellStore &store() const { return m_store; }
    RunController &runController() const { return m_runController; }

    // The selection, kept by the sidebar column.
    QSet<QUuid> selection() const;
    std::optional<ShellNode> selectedNode() const;
    std::optional<QUuid> selectedFolderID() const;
    void select(const QUuid &id);

    // Publishes the tree to the tray menu, saves and closes the window.
    void done();

    // While there is no tray, a line above the columns says how to get the
    // icon and this window back.
    void setTrayMissing(bool missing);

    EditHistory &history() const { return *m_history; }
    NodeActions &actions() const { return *m_actions; }

    // The parts other views fill in.
    QToolBar *toolbar() const { return m_toolbar; }
    // Toolbar actions go before this one; "完成" follows it at the trailing end.
    QAction *toolbarTrailingSpace() const { return m_trailingSpace; }
    QAction *doneAction() const { return m_done; }
    QWidget *detailColumn() const { return m_detailColumn; }
    DetailView *detail() const { return m_detail; }
    WindowNotice *notice() const { return m_notice; }
    SidebarColumn *sidebarColumn() const { return m_sidebar; }
    SidebarTreeView *sidebar() const;
    SidebarModel *sidebarModel() const;
    SidebarDropHost *dropHost() const;

Q_SIGNALS:
    void selectionChanged();
    // The toolbar's "设置".
    void settingsRequested();
    // Ctrl+K: the quick-run palette.
    void quickRunRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildToolbar();
    void buildShortcuts();
    QWidget *buildDetailColumn();
    void connectActions();
    void retranslate();

    ShellStore &m_store;
    RunController &m_runController;
    std::unique_ptr<EditHistory> m_history;

    QToolBar *m_toolbar = nullptr;
    QAction *m_trailingSpace = nullptr;
    QAction *m_done = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QAction *m_edit = nullptr;
    QSplitter *m_splitter = nullptr;
    TrayMissingBanner *m_trayMissing = nullptr;
    SidebarColumn *m_sidebar = nullptr;
    NodeActions *m_actions = nullptr;
    QWidget *m_detailColumn = nullptr;
    DetailView *m_detail = nullptr;
    WindowNotice *m_notice = nullptr;
};
