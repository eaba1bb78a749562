// The editing operations of the store: each is an edit of the document,
// applied to its newest version (another program may have changed the file)
// and saved at once.
#include "library/ShellStore.h"

#include "language/LanguageManager.h"
#include "library/NameCollation.h"
#include "library/ScriptDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

QString lastPathComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    return slash < 0 || trimmed.size() == 1 ? trimmed : trimmed.mid(slash + 1);
}

// A leading dot starts a hidden name, not an extension; a trailing dot has none.
qsizetype extensionDot(const QString &component)
{
    const qsizetype dot = component.lastIndexOf(u'.');
    return dot > 0 && dot < component.size() - 1 ? dot : -1;
}

QString pathExtension(const QString &path)
{
    const QString component = lastPathComponent(path);
    const qsizetype dot = extensionDot(component);
    return dot < 0 ? QString() : component.mid(dot + 1);
}

QString deletingPathExtension(const QString &component)
{
    const qsizetype dot = extensionDot(component);
    return dot < 0 ? component : component.left(dot);
}

bool isScriptFile(const QString &path)
{
    const QString extension = pathExtension(path).toLower();
    return extension == u"sh" || extension == u"command";
}

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

ShellNode scriptNode(const QString &name, const QString &path, double createdAt)
{
    ShellNode node;
    node.id = QUuid::createUuid();
    node.name = name;
    node.kind = NodeKind::script;
    node.filePath = path;
    node.createdAt = createdAt;
    return node;
}

// levelsLeft: how many levels may still go below this folder; *tooDeep
// tells that the directory went deeper and the tree was cut short.
ShellNode folderTree(const QString &directory, const QString &name, double createdAt,
                     int levelsLeft, bool *tooDeep)
{
    ShellNode folder;
    folder.id = QUuid::createUuid();
    folder.name = name;
    folder.kind = NodeKind::folder;
    folder.children = QList<ShellNode>();
    folder.createdAt = createdAt;

    // Hidden entries are left out; an unreadable folder lists nothing.
    QFileInfoList entries = QDir(directory).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    const QCollator &collator = nameCollator();
    std::stable_sort(entries.begin(), entries.end(),
                     [&collator](const QFileInfo &a, const QFileInfo &b) {
                         return collator.compare(a.fileName(), b.fileName()) < 0;
                     });

    for (const QFileInfo &entry : std::as_const(entries)) {
        // A link to a folder is not followed: one pointing upwards would recurse forever.
        const bool isFolder = entry.isDir() && !entry.isSymLink();
        if (!isFolder && !isScriptFile(entry.fileName()))
            continue;
        if (levelsLeft == 0 || *tooDeep) {
            *tooDeep = true;
            return folder;
        }
        if (isFolder)
            folder.children->append(
                folderTree(entry.filePath(), entry.fileName(), createdAt, levelsLeft - 1, tooDeep));
        else
            folder.children->append(
                scriptNode(deletingPathExtension(entry.fileName()), entry.filePath(), createdAt));
    }
    return folder;
}

QString shortOrRoot(const std::optional<QUuid> &id)
{
    return id ? shortID(*id) : QStringLiteral("root");
}

} // namespace

namespace {

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
    // The node is there once the edit applies, even when the write then fails.
    bool applied = false;
    commit([this, parent, &node, &applied](Persisted &document) {
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
        applied = true;
        return true;
    });
    return applied ? node.id : QUuid();
}

bool ShellStore::refuseEdit(const QString &why)
{
    m_lastEditError = why;
    return false;
}

bool ShellStore::isScriptFileName(const QString &path)
{
    return isScriptFile(path);
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
    return appendNode(to, scriptNode(deletingPathExtension(lastPathComponent(path)), path,
                                     referenceTimestamp(now())));
}

ShellNode ShellStore::buildTree(const QString &directory) const
{
    bool cut = false;
    return folderTree(directory, lastPathComponent(directory), referenceTimestamp(now()),
                      ScriptDocument::maxNodeDepth, &cut);
}

QUuid ShellStore::importFolder(const QString &directory, std::optional<QUuid> into)
{
    m_lastEditError.reset();
    if (!acceptsChildren(m_roots, into)) {
        refuseEdit(folderGone());
        return {};
    }
    // The walk stops where the document could hold no more levels.
    const int levelsLeft = ScriptDocument::maxNodeDepth - childDepth(m_roots, into);
    bool cut = levelsLeft < 0;
    const ShellNode tree = cut ? ShellNode()
                               : folderTree(directory, lastPathComponent(directory),
                                            referenceTimestamp(now()), levelsLeft, &cut);
    if (cut) {
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
        else if (isScriptFile(path))
            addScript(parent, path);
    }
}
