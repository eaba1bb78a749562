#include "window/NodeActions.h"

#include "language/LanguageManager.h"
#include "library/EditHistory.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "ui/FileReveal.h"
#include "ui/IconMap.h"
#include "ui/TextStyle.h"
#include "window/FilePicker.h"
#include "window/RenameSheet.h"
#include "window/ScriptRunEntry.h"
#include "window/SidebarColumn.h"
#include "window/SidebarTreeView.h"
#include "window/WindowNotice.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include <functional>

namespace {

// The name a script is renamed from: its shown name without ".command" or ".sh".
QString renameStart(const ShellNode &node)
{
    if (node.kind == NodeKind::folder)
        return node.name;
    const QString shown = node.displayName();
    const QString lower = shown.toLower();
    if (lower.endsWith(QStringLiteral(".command")))
        return shown.chopped(8);
    if (lower.endsWith(QStringLiteral(".sh")))
        return shown.chopped(3);
    return shown;
}

} // namespace

NodeActions::NodeActions(ShellStore &store, RunController &runController, EditHistory &history,
                         SidebarColumn &sidebar, QWidget &window)
    : QObject(&window), m_store(store), m_runController(runController), m_history(history),
      m_sidebar(sidebar), m_window(window), m_picker(std::make_unique<DialogFilePicker>())
{
    setObjectName(QStringLiteral("nodeActions"));
    // The delete notice's undo is for the delete alone, not for what came after.
    connect(&m_history, &EditHistory::stateChanged, this, [this] {
        if (!m_deleteUndoable)
            return;
        m_deleteUndoable = false;
        if (m_notice)
            m_notice->dismiss();
    });
}

NodeActions::~NodeActions() = default;

void NodeActions::run(const ShellNode &node, std::optional<QString> arg)
{
    m_runController.run(node, m_store, std::move(arg));
}

void NodeActions::runFromRow(const QUuid &id, const QPoint &globalPos)
{
    const std::optional<ShellNode> node = Forest::first(m_store.roots(), id);
    if (!node || node->kind != NodeKind::script || m_runController.isRunning())
        return;
    if (node->argPresets().isEmpty())
        run(*node, std::nullopt);
    else
        popUpRunMenu(id, globalPos);
}

// Additions and pickers.

void NodeActions::setFilePicker(std::unique_ptr<FilePicker> picker)
{
    if (picker)
        m_picker = std::move(picker);
}

QStringList NodeActions::presentScriptPicker()
{
    QStringList scripts;
    for (const QString &path : m_picker->chooseScripts(&m_window))
        if (ShellStore::isScriptFileName(path))
            scripts.append(path);
    return scripts;
}

std::optional<QString> NodeActions::presentFolderPicker()
{
    return m_picker->chooseFolder(&m_window);
}

std::optional<QString> NodeActions::presentConfigPicker()
{
    return m_picker->chooseConfig(&m_window);
}

void NodeActions::addFolder(std::optional<QUuid> parent)
{
    const QUuid id = m_store.addFolder(parent, QString());
    if (id.isNull())
        return;
    if (parent)
        m_sidebar.expandFolder(*parent);
    // The store's name is a stand-in: the user names the folder at once.
    m_sidebar.select(id);
    beginRename(id);
}

void NodeActions::addScripts(std::optional<QUuid> folder)
{
    const QStringList paths = presentScriptPicker();
    EditHistory::Group group(m_history);
    for (const QString &path : paths)
        m_store.addScript(folder, path);
    if (folder && !paths.isEmpty())
        m_sidebar.expandFolder(*folder);
}

void NodeActions::importFolder(std::optional<QUuid> folder)
{
    if (const std::optional<QString> directory = presentFolderPicker()) {
        m_store.importFolder(*directory, folder);
        if (folder)
            m_sidebar.expandFolder(*folder);
    }
}

void NodeActions::addFolderAtTop()
{
    addFolder(std::nullopt);
}

void NodeActions::addScriptsWithPicker()
{
    addScripts(m_sidebar.selectedFolderID());
}

void NodeActions::importFolderWithPicker()
{
    importFolder(m_sidebar.selectedFolderID());
}

// Delete and rename.

void NodeActions::deleteNode(const QUuid &id)
{
    deleteNodes({id});
}

void NodeActions::deleteSelection()
{
    deleteNodes(m_sidebar.selection());
}

void NodeActions::deleteNodes(const QSet<QUuid> &ids)
{
    QList<ShellNode> forest = m_store.roots();
    QStringList names;
    for (const QUuid &id : ids) {
        if (const std::optional<ShellNode> node = Forest::first(forest, id)) {
            names.append(node->displayName());
            forest = Forest::removing(forest, id);
        }
    }
    if (names.isEmpty())
        return;
    {
        // Several rows are one step, as they are one notice.
        EditHistory::Group group(m_history);
        m_store.setRoots(forest);
        m_store.save();
    }
    if (!m_notice)
        return;
    const QString text =
        names.size() == 1
            ? LanguageManager::localized(QStringLiteral("已删除 “%@”"), {names.constFirst()})
            : LanguageManager::localized(QStringLiteral("已删除 %@ 项"),
                                         {QString::number(names.size())});
    m_notice->post(text, [this] {
        if (m_deleteUndoable)
            m_history.undo();
    });
    m_deleteUndoable = true;
}

void NodeActions::beginRename(const QUuid &id)
{
    const std::optional<ShellNode> node = Forest::first(m_store.roots(), id);
    if (!node)
        return;
    m_renameTarget = id;
    m_renameText = renameStart(*node);
    if (m_renameSheet)
        m_renameSheet->close();
    m_renameSheet = new RenameSheet(&m_window);
    m_renameSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_renameSheet->setText(m_renameText);
    connect(m_renameSheet, &QDialog::finished, this,
            [this](int result) { finishRename(result == QDialog::Accepted); });
    m_renameSheet->open();
}

void NodeActions::finishRename(bool accepted)
{
    if (!m_renameSheet)
        return;
    m_renameText = m_renameSheet->text();
    if (accepted && m_renameTarget)
        m_store.rename(*m_renameTarget, ShellStore::blankTrimmed(m_renameText));
}

bool NodeActions::showRename() const
{
    return m_renameSheet && m_renameSheet->isVisible();
}

// File actions.

void NodeActions::reveal(const ShellNode &node)
{
    if (node.filePath)
        FileReveal::showInFileManager(*node.filePath);
}

void NodeActions::copyPath(const ShellNode &node)
{
    if (node.filePath)
        QGuiApplication::clipboard()->setText(*node.filePath);
}

void NodeActions::copyPathWithNotice(const ShellNode &node)
{
    copyPath(node);
    if (node.filePath)
        say(LanguageManager::localized(QStringLiteral("已复制路径")));
}

void NodeActions::say(const QString &text)
{
    if (m_notice)
        m_notice->post(text);
}

// Menus.

QMenu *NodeActions::contextMenu(const QUuid &id, const QPoint &globalPos)
{
    const std::optional<ShellNode> found = Forest::first(m_store.roots(), id);
    if (!found)
        return nullptr;
    auto *menu = new QMenu(&m_window);
    menu->setObjectName(QStringLiteral("rowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Each item looks the node up again when chosen: the tree may have changed.
    const auto add = [this, menu, id](const QString &name, const QString &text,
                                      std::function<void(const ShellNode &)> act) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, id, act = std::move(act)] {
            if (const std::optional<ShellNode> node = Forest::first(m_store.roots(), id))
                act(*node);
        });
        return action;
    };
    const auto runIt = [this](const ShellNode &node) { run(node, std::nullopt); };
    if (found->kind == NodeKind::script) {
        add(QStringLiteral("run"), LanguageManager::localized(QStringLiteral("运行")), runIt);
        add(QStringLiteral("reveal"), FileReveal::actionText(), &NodeActions::reveal);
        add(QStringLiteral("copyPath"), LanguageManager::localized(QStringLiteral("复制路径")),
            [this](const ShellNode &node) { copyPathWithNotice(node); });
    } else {
        add(QStringLiteral("newSubfolder"),
            LanguageManager::localized(QStringLiteral("新建子文件夹")),
            [this](const ShellNode &node) { addFolder(node.id); });
        add(QStringLiteral("addScripts"), LanguageManager::localized(QStringLiteral("添加脚本…")),
            [this](const ShellNode &node) { addScripts(node.id); });
        add(QStringLiteral("importFolder"),
            LanguageManager::localized(QStringLiteral("导入文件夹…")),
            [this](const ShellNode &node) { importFolder(node.id); });
        add(QStringLiteral("runAll"), LanguageManager::localized(QStringLiteral("运行全部")),
            runIt);
    }
    menu->addSeparator();
    add(QStringLiteral("rename"), LanguageManager::localized(QStringLiteral("重命名")),
        [this](const ShellNode &node) { beginRename(node.id); });
    QAction *remove =
        add(QStringLiteral("delete"), LanguageManager::localized(QStringLiteral("删除")),
            [this](const ShellNode &node) { deleteNode(node.id); });
    // The destructive entry in red, as the platform's menus mark it.
    remove->setIcon(IconMap::pixmap(QStringLiteral("minus.circle.fill"), QSize(16, 16),
                                    TextStyle::color(menu->palette(), TextStyle::Tone::destructive),
                                    m_window.devicePixelRatioF()));
    menu->popup(globalPos);
    return menu;
}

QMenu *NodeActions::popUpRunMenu(const QUuid &id, const QPoint &globalPos)
{
    const std::optional<ShellNode> node = Forest::first(m_store.roots(), id);
    if (!node)
        return nullptr;
    // The row's script runs, whichever row is selected.
    m_runEntry = std::make_unique<ScriptRunEntry>(
        *node, m_sidebar.selection().contains(id), [this, id](const QString &preset) {
            if (const std::optional<ShellNode> script = Forest::first(m_store.roots(), id))
                run(*script, preset);
        });
    return m_runEntry->popUpMenu(m_sidebar.tree()->viewport(), globalPos);
}
