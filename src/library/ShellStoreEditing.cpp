// The editing operations of the store: each is an edit of the document,
// applied to its newest version (another program may have changed the file)
// and saved at once.
#include "library/ShellStore.h"

#include "language/LanguageManager.h"
#include "library/FolderImport.h"
#include "library/ScriptDocument.h"

#include <QFileInfo>
#include <QLocale>

namespace {

// Space separators and tabs, never line breaks.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QString trimmedBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString shortOrRoot(const std::optional<QUuid> &id)
{
    return id ? shortID(*id) : QStringLiteral("root");
}

// Top level, or an existing folder: nothing else may receive children.
bool acceptsChildren(const QList<ShellNode> &roots, std::optional<QUuid> parent)
{
    if (!parent)
        return true;
    const std::optional<ShellNode> node = Forest::first(roots, *parent);
    return node && node->kind == NodeKind::folder;
}

// The depth a child of the parent gets (0 at the top level).
int childDepth(const QList<ShellNode> &roots, std::optional<QUuid> parent)
{
    return parent ? Forest::depthOf(roots, *parent).value_or(0) + 1 : 0;
}

QString tooDeep()
{
    // clang-format off
    return LanguageManager::localized(QStringLiteral("层级太深：文稿最多容纳 %@ 层文件夹"), {QString::number(ScriptDocument::maxNodeDepth + 1)});
    // clang-format on
}

QString folderGone()
{
    return LanguageManager::localized(QStringLiteral("目标文件夹已不存在"));
}

} // namespace

QUuid ShellStore::appendNode(std::optional<QUuid> parent, const ShellNode &node)
{
    // A failed save takes the node back: no id for a node that is not there.
    const bool saved = commit([this, parent, &node](Persisted &document) {
        if (!acceptsChildren(document.roots, parent))
            return refuseEdit(folderGone());
        // Nothing may be saved that the reader would refuse.
        if (childDepth(document.roots, parent) + Forest::height(node) >
            ScriptDocument::maxNodeDepth)
            return refuseEdit(tooDeep());
        if (parent)
            document.roots = Forest::appending(document.roots, node, *parent);
        else
            document.roots.append(node);
        return true;
    });
    return saved ? node.id : QUuid();
}

bool ShellStore::refuseEdit(const QString &why)
{
    m_lastEditError = why;
    return false;
}

bool ShellStore::isScriptFileName(const QString &path)
{
    return FolderImport::isScriptFile(path);
}

QString ShellStore::blankTrimmed(const QString &text)
{
    return trimmedBlanks(text);
}

QString ShellStore::timestampFolderName() const
{
    return QStringLiteral("文件夹") +
           QLocale::c().toString(now().toLocalTime(), QStringLiteral("yyMMddHHmmss"));
}

QUuid ShellStore::addFolder(std::optional<QUuid> to, const QString &name)
{
    ShellNode folder;
    folder.id = QUuid::createUuid();
    folder.name = name.isEmpty() ? timestampFolderName() : name;
    folder.kind = NodeKind::folder;
    folder.createdAt = referenceTimestamp(now());
    return appendNode(to, folder);
}

QUuid ShellStore::addScript(std::optional<QUuid> to, const QString &path)
{
    return appendNode(to, FolderImport::scriptNode(path, referenceTimestamp(now())));
}

ShellNode ShellStore::buildTree(const QString &directory) const
{
    return FolderImport(referenceTimestamp(now()), ScriptDocument::maxNodeDepth).tree(directory);
}

QUuid ShellStore::importFolder(const QString &directory, std::optional<QUuid> into)
{
    m_lastEditError.reset();
    if (!acceptsChildren(m_roots, into)) {
        refuseEdit(folderGone());
        return {};
    }
    // The walk stops where the document could hold no more levels.
    FolderImport import(referenceTimestamp(now()),
                        ScriptDocument::maxNodeDepth - childDepth(m_roots, into));
    const ShellNode tree = import.tree(directory);
    if (import.cut()) {
        refuseEdit(tooDeep());
        return {};
    }
    return appendNode(into, tree);
}

void ShellStore::rename(const QUuid &id, const QString &name)
{
    const QString trimmed = trimmedBlanks(name);
    commit([&id, &trimmed](Persisted &document) {
        document.roots = Forest::updating(document.roots, id, [&trimmed](ShellNode &node) {
            // A script may go nameless (its file name shows); a folder may not.
            if (node.kind == NodeKind::script || !trimmed.isEmpty())
                node.name = trimmed;
        });
        return true;
    });
}

void ShellStore::setArgs(const QUuid &id, const QStringList &args)
{
    QStringList cleaned;
    for (const QString &arg : args) {
        const QString trimmed = arg.trimmed();
        if (!trimmed.isEmpty())
            cleaned.append(trimmed);
    }
    commit([&id, &cleaned](Persisted &document) {
        document.roots = Forest::updating(document.roots, id, [&cleaned](ShellNode &node) {
            node.args = cleaned.isEmpty() ? std::nullopt : std::optional(cleaned);
        });
        return true;
    });
}

void ShellStore::deleteNode(const QUuid &id)
{
    commit([&id](Persisted &document) {
        document.roots = Forest::removing(document.roots, id);
        return true;
    });
}

bool ShellStore::moveNode(const QUuid &id, std::optional<QUuid> toParent,
                          std::optional<QUuid> before)
{
    bool applied = false;
    commit([this, &id, &toParent, &before, &applied](Persisted &document) {
        const QList<ShellNode> &roots = document.roots;
        const std::optional<ShellNode> node = Forest::first(roots, id);
        if (!node)
            return false;
        if (before && *before == id)
            return false;
        if (toParent && (*toParent == id || Forest::isWithin(roots, *toParent, id)))
            return false;
        // Removing first and then finding no folder to insert into would lose the node.
        if (!acceptsChildren(roots, toParent))
            return refuseEdit(folderGone());
        if (childDepth(roots, toParent) + Forest::height(*node) > ScriptDocument::maxNodeDepth)
            return refuseEdit(tooDeep());
        const QList<ShellNode> without = Forest::removing(roots, id);
        document.roots = toParent ? Forest::inserting(without, *node, *toParent, before)
                                  : Forest::insertingAtRoot(without, *node, before);
        applied = true;
        return true;
    });
    return applied;
}

void ShellStore::applyNodeDrop(const QUuid &id, const NodePlacement &target)
{
    const std::optional<QUuid> oldParent = Forest::parentID(m_roots, id);
    diagnose(QStringLiteral("APPLY ") + target.debugDesc() + QStringLiteral(" dragged=") +
             shortID(id) + QStringLiteral(" 原父=") + shortOrRoot(oldParent) +
             QStringLiteral(" sortMode=") + toRaw(m_sortMode));

    switch (target.kind) {
    case NodePlacement::Kind::folder:
        moveNode(id, target.id, std::nullopt);
        break;
    case NodePlacement::Kind::before:
        // Under the name sort a reorder within one parent would not show.
        if (m_sortMode == SortMode::name && oldParent == target.parent) {
            diagnose(QStringLiteral("APPLY 忽略：名称排序下同父级纯排序"));
            return;
        }
        moveNode(id, target.parent, target.id);
        break;
    case NodePlacement::Kind::root:
        moveNode(id, std::nullopt, std::nullopt);
        break;
    }
    diagnose(QStringLiteral("APPLY 结束 新父=") + shortOrRoot(Forest::parentID(m_roots, id)));
}

void ShellStore::applyFileDrop(const QList<QUrl> &urls, const NodePlacement &target)
{
    std::optional<QUuid> parent;
    if (target.kind == NodePlacement::Kind::folder)
        parent = target.id;
    else if (target.kind == NodePlacement::Kind::before)
        parent = target.parent; // new nodes are appended, not placed before the row

    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isDir())
            importFolder(path, parent);
        else if (FolderImport::isScriptFile(path))
            addScript(parent, path);
    }
}
