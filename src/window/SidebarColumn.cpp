#include "window/SidebarColumn.h"

#include "dragdrop/widgets/TreeDropTable.h"
#include "language/LanguageManager.h"
#include "library/EditHistory.h"
#include "library/ShellStore.h"
#include "ui/TextStyle.h"
#include "window/LoadErrorBanner.h"
#include "window/SidebarModel.h"
#include "window/SidebarTreeView.h"

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QUuid idOf(const QModelIndex &index)
{
    return index.data(SidebarModel::NodeIDRole).toUuid();
}

} // namespace

SidebarColumn::SidebarColumn(ShellStore &store, EditHistory &history, QWidget *parent)
    : QWidget(parent), m_store(store), m_history(history)
{
    setObjectName(QStringLiteral("sidebarColumn"));
    setMinimumWidth(240);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(4);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("sidebarTitle"));
    m_title->setContentsMargins(12, 0, 12, 0);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 0.9);
    m_title->setFont(titleFont);
    // Follows the look: a tone taken once stays dark on a dark window.
    TextStyle::setTone(m_title, TextStyle::Tone::secondary);
    layout->addWidget(m_title);

    m_banner = new LoadErrorBanner(m_store, this);
    layout->addWidget(m_banner);

    m_dropHost = new SidebarDropHost(this);
    m_tree = new SidebarTreeView(m_dropHost);
    m_model = new SidebarModel(m_tree);
    m_tree->setModel(m_model);
    m_dropHost->setContent(m_tree);
    m_dropHost->setRowSource(this);
    layout->addWidget(m_dropHost, 1);

    connect(m_dropHost, &SidebarDropHost::exited, this, [this] { updateHighlight(std::nullopt); });
    connect(m_dropHost, &SidebarDropHost::hovered, this,
            [this](const DropTarget &target) { updateHighlight(target); });
    connect(m_dropHost, &SidebarDropHost::filesDropped, this,
            [this](const DropTarget &target, const QList<QUrl> &urls) {
                processDroppedFiles(urls, target);
            });
    connect(m_dropHost, &SidebarDropHost::nodeDropped, this, &SidebarColumn::applyNodeDrop);
    connect(m_dropHost, &SidebarDropHost::backgroundTapped, this, &SidebarColumn::clearSelection);

    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SidebarColumn::viewSelectionChanged);
    connect(m_tree, &QTreeView::expanded, this,
            [this](const QModelIndex &index) { m_expanded.insert(idOf(index)); });
    connect(m_tree, &QTreeView::collapsed, this,
            [this](const QModelIndex &index) { m_expanded.remove(idOf(index)); });
    connect(m_tree, &SidebarTreeView::renameRequested, this,
            [this](const QModelIndex &index) { Q_EMIT renameRequested(idOf(index)); });
    connect(m_tree, &SidebarTreeView::runRequested, this,
            [this](const QModelIndex &index, const QPoint &globalPos) {
                Q_EMIT runRequested(idOf(index), globalPos);
            });
    connect(m_tree, &SidebarTreeView::deleteRequested, this, &SidebarColumn::deleteRequested);
    connect(m_tree, &SidebarTreeView::contextMenuRequested, this,
            [this](const QModelIndex &index, const QPoint &globalPos) {
                Q_EMIT contextMenuRequested(idOf(index), globalPos);
            });
    connect(m_tree, &SidebarTreeView::runGlyphPressed, this,
            [this](const QModelIndex &index, const QPoint &globalPos) {
                Q_EMIT runMenuRequested(idOf(index), globalPos);
            });

    connect(&m_store, &ShellStore::changed, this, &SidebarColumn::storeChanged);
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &SidebarColumn::retranslate);
    retranslate();
    storeChanged();
}

SidebarColumn::~SidebarColumn() = default;

void SidebarColumn::retranslate()
{
    const QString library = LanguageManager::localized(QStringLiteral("脚本库"));
    m_title->setText(library);
    m_tree->setAccessibleName(library);
}

// Store and model.

void SidebarColumn::storeChanged()
{
    const std::optional<ShellNode> before = selectedNode();
    m_model->recheckFiles();
    m_syncing = true;
    m_model->setRoots(m_store.displayRoots());
    // Rows that left and came back (a move to another folder, an undo) open
    // as they were.
    for (const QUuid &id : std::as_const(m_expanded)) {
        const QModelIndex index = m_model->indexOf(id);
        if (index.isValid() && !m_tree->isExpanded(index))
            m_tree->setExpanded(index, true);
    }
    applySelectionToView();
    m_syncing = false;
    m_tree->setInsertionLineShown(m_store.sortMode() == SortMode::custom);
    const std::optional<ShellNode> after = selectedNode();
    if (before.has_value() != after.has_value() || (before && before->id != after->id))
        Q_EMIT selectionChanged();
}

const RowFrameRegistry &SidebarColumn::rowRegistry()
{
    QList<RowFrame> rows;
    for (const QModelIndex &index : TreeDropTable::laidOutRows(m_tree)) {
        const ShellNode *node = m_model->node(index);
        if (!node)
            continue;
        const QRect rect = m_tree->visualRect(index);
        const QPoint topLeft = m_tree->viewport()->mapTo(m_dropHost, rect.topLeft());
        rows.append(RowFrame{node->id, node->kind == NodeKind::folder, m_model->parentID(index),
                             QRectF(QRect(topLeft, rect.size()))});
    }
    m_rowRegistry.setRows(rows);
    return m_rowRegistry;
}

bool SidebarColumn::resolveDraggedIsFolder(const QUuid &id) const
{
    const std::optional<ShellNode> node = Forest::first(m_store.roots(), id);
    return node && node->kind == NodeKind::folder;
}

const SidebarHighlight &SidebarColumn::highlight() const
{
    return m_tree->highlight();
}

// Selection.

void SidebarColumn::viewSelectionChanged()
{
    if (m_syncing)
        return; // rows that went with an edit stay selected
    QSet<QUuid> ids;
    for (const QModelIndex &index : m_tree->selectionModel()->selectedRows())
        ids.insert(idOf(index));
    if (ids == m_selection)
        return;
    m_selection = ids;
    Q_EMIT selectionChanged();
}

void SidebarColumn::applySelectionToView()
{
    QItemSelection wanted;
    for (const QUuid &id : std::as_const(m_selection)) {
        const QModelIndex index = m_model->indexOf(id);
        if (index.isValid())
            wanted.select(index, index);
    }
    const QItemSelection current = m_tree->selectionModel()->selection();
    if (current.indexes().size() == wanted.indexes().size()) {
        bool same = true;
        for (const QModelIndex &index : wanted.indexes())
            same = same && current.contains(index);
        if (same)
            return;
    }
    m_tree->selectionModel()->select(wanted, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

void SidebarColumn::clearSelection()
{
    m_tree->clearSelection();
    if (!m_selection.isEmpty()) {
        m_selection.clear();
        Q_EMIT selectionChanged();
    }
}

std::optional<ShellNode> SidebarColumn::selectedNode() const
{
    if (m_selection.isEmpty())
        return std::nullopt;
    // With several rows selected the current one speaks for them.
    QUuid id = *m_selection.cbegin();
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid()) {
        const QUuid currentID = idOf(current);
        if (m_selection.contains(currentID))
            id = currentID;
    }
    return Forest::first(m_store.roots(), id);
}

std::optional<QUuid> SidebarColumn::selectedFolderID() const
{
    const std::optional<ShellNode> node = selectedNode();
    if (!node)
        return std::nullopt;
    if (node->kind == NodeKind::folder)
        return node->id;
    return Forest::parentID(m_store.roots(), node->id);
}

void SidebarColumn::select(const QUuid &id)
{
    const QModelIndex index = m_model->indexOf(id);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        m_tree->setExpanded(up, true);
    m_syncing = true;
    m_selection = {id};
    if (index.isValid()) {
        m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        m_tree->scrollTo(index);
    } else {
        m_tree->clearSelection();
    }
    m_syncing = false;
    Q_EMIT selectionChanged();
}

void SidebarColumn::recheckFiles()
{
    m_model->recheckFiles();
    m_tree->viewport()->update();
}

void SidebarColumn::expandFolder(const QUuid &id)
{
    m_tree->setExpanded(m_model->indexOf(id), true);
}

// Drops.

void SidebarColumn::updateHighlight(const std::optional<DropTarget> &target)
{
    SidebarHighlight highlight;
    if (target) {
        switch (target->kind) {
        case DropTarget::Kind::folder:
            highlight.folderTargeted = target->id;
            break;
        case DropTarget::Kind::before:
            highlight.siblingTargeted = target->id;
            break;
        case DropTarget::Kind::root:
            highlight.rootTargeted = true;
            break;
        }
    }
    m_tree->setHighlight(highlight);
}

void SidebarColumn::processDroppedFiles(const QList<QUrl> &urls, const DropTarget &target)
{
    updateHighlight(std::nullopt);
    std::optional<QUuid> parent;
    if (target.kind == DropTarget::Kind::folder)
        parent = target.id;
    else if (target.kind == DropTarget::Kind::before)
        parent = target.parent;
    QList<ShellNode> siblings = m_store.roots();
    if (parent) {
        const std::optional<ShellNode> folder = Forest::first(siblings, *parent);
        siblings = folder && folder->children ? *folder->children : QList<ShellNode>();
    }
    QSet<QString> present;
    for (const ShellNode &node : std::as_const(siblings))
        if (node.kind == NodeKind::script && node.filePath)
            present.insert(QDir::cleanPath(*node.filePath));

    // A second copy of a script in the same folder is never what a drop meant.
    QList<QUrl> accepted;
    QStringList notScripts;
    QStringList alreadyThere;
    for (const QUrl &url : urls) {
        const QString path = url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
        const QFileInfo info(path);
        if (!path.isEmpty() && info.isDir()) {
            accepted.append(url);
        } else if (path.isEmpty() || !ShellStore::isScriptFileName(path)) {
            notScripts.append(url.fileName());
        } else if (present.contains(path)) {
            alreadyThere.append(info.fileName());
        } else {
            present.insert(path);
            accepted.append(url);
        }
    }
    if (!accepted.isEmpty()) {
        EditHistory::Group group(m_history);
        m_store.applyFileDrop(accepted, target);
        if (target.kind == DropTarget::Kind::folder)
            expandFolder(target.id);
    }
    if (notScripts.size() + alreadyThere.size() > 1)
        Q_EMIT noticeRequested(LanguageManager::localized(
            QStringLiteral("%@ 个文件未添加：不是 shell 脚本，或已在此文件夹中"),
            {QString::number(notScripts.size() + alreadyThere.size())}));
    else if (!notScripts.isEmpty())
        Q_EMIT noticeRequested(LanguageManager::localized(
            QStringLiteral("“%@” 不是 shell 脚本，未添加"), {notScripts.constFirst()}));
    else if (!alreadyThere.isEmpty())
        Q_EMIT noticeRequested(LanguageManager::localized(
            QStringLiteral("“%@” 已在此文件夹中，未添加"), {alreadyThere.constFirst()}));
}

void SidebarColumn::applyNodeDrop(const DropTarget &target, const QUuid &draggedID)
{
    updateHighlight(std::nullopt);
    m_store.applyNodeDrop(draggedID, target);
}
