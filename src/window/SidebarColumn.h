#pragma once

#include "dragdrop/DropTarget.h"
#include "dragdrop/RowFrameRegistry.h"
#include "dragdrop/widgets/SidebarDropHost.h"
#include "library/ShellNode.h"
#include "window/SidebarHighlight.h"

#include <QSet>
#include <QUrl>
#include <QUuid>
#include <QWidget>

#include <optional>

class EditHistory;
class LoadErrorBanner;
class QLabel;
class ShellStore;
class SidebarModel;
class SidebarTreeView;

// The left column of the management window: the "脚本库" title, the
// load-error banner and the outline of the tree inside its drop host. It
// keeps the window's selection, follows the store's tree, and applies what is
// dropped on it; the row commands it only asks for, by node id.
class SidebarColumn : public QWidget, public SidebarDropHost::RowSource
{
    Q_OBJECT
public:
    SidebarColumn(ShellStore &store, EditHistory &history, QWidget *parent = nullptr);
    ~SidebarColumn() override;

    // Selection.
    QSet<QUuid> selection() const { return m_selection; }
    // One selected id that still names a node, looked up in the stored tree.
    std::optional<ShellNode> selectedNode() const;
    // Where additions go: the selected folder, or the folder of a selected
    // script; none at the top level.
    std::optional<QUuid> selectedFolderID() const;
    void select(const QUuid &id);
    // Looks again for the scripts' files of the rows shown (the window came
    // back to the front: a file may have gone meanwhile).
    void recheckFiles();
    // Opens a folder row, as after something was added to it.
    void expandFolder(const QUuid &id);

    // Drops, as the drop host hands them over.
    void updateHighlight(const std::optional<DropTarget> &target);
    void processDroppedFiles(const QList<QUrl> &urls, const DropTarget &target);
    void applyNodeDrop(const DropTarget &target, const QUuid &draggedID);
    const SidebarHighlight &highlight() const;

    // The drop host's questions.
    const RowFrameRegistry &rowRegistry() override;
    bool resolveDraggedIsFolder(const QUuid &id) const override;

    SidebarTreeView *tree() const { return m_tree; }
    SidebarModel *model() const { return m_model; }
    SidebarDropHost *dropHost() const { return m_dropHost; }

Q_SIGNALS:
    void selectionChanged();
    // What the outline's keys, menus and glyphs ask of the row commands.
    void renameRequested(const QUuid &id);
    void runRequested(const QUuid &id, const QPoint &globalPos);
    void deleteRequested();
    void contextMenuRequested(const QUuid &id, const QPoint &globalPos);
    void runMenuRequested(const QUuid &id, const QPoint &globalPos);
    // Why a drop added less than it held.
    void noticeRequested(const QString &text);

private:
    void retranslate();
    void storeChanged();
    void viewSelectionChanged();
    void applySelectionToView();
    void clearSelection();

    ShellStore &m_store;
    EditHistory &m_history;

    QSet<QUuid> m_selection;
    QSet<QUuid> m_expanded;
    bool m_syncing = false;
    RowFrameRegistry m_rowRegistry;

    QLabel *m_title = nullptr;
    LoadErrorBanner *m_banner = nullptr;
    SidebarDropHost *m_dropHost = nullptr;
    SidebarTreeView *m_tree = nullptr;
    SidebarModel *m_model = nullptr;
};
