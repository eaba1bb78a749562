// The editing operations of the store: each computes a new forest from roots,
// assigns it and saves at once.
#include "library/ShellStore.h"

#include "library/NameCollation.h"

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

ShellNode folderTree(const QString &directory, const QString &name, double createdAt)
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
        if (entry.isDir() && !entry.isSymLink()) {
            folder.children->append(folderTree(entry.filePath(), entry.fileName(), createdAt));
        } else if (isScriptFile(entry.fileName())) {
            folder.children->append(
                scriptNode(deletingPathExtension(entry.fileName()), entry.filePath(), createdAt));
        }
    }
    return folder;
}

QString shortOrRoot(const std::optional<QUuid> &id)
{
    return id ? shortID(*id) : QStringLiteral("root");
}

} // namespace

bool ShellStore::acceptsChildren(std::optional<QUuid> parent) const
{
    if (!parent)
        return true;
    const std::optional<ShellNode> node = Forest::first(m_roots, *parent);
    return node && node->kind == NodeKind::folder;
}

QUuid ShellStore::appendNode(std::optional<QUuid> parent, const ShellNode &node)
{
    if (!acceptsChildren(parent))
        return {};
    QList<ShellNode> next = m_roots;
    if (parent)
        next = Forest::appending(m_roots, node, *parent);
    else
        next.append(node);
    setRoots(next);
    save();
    return node.id;
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
    return folderTree(directory, lastPathComponent(directory), referenceTimestamp(now()));
}

QUuid ShellStore::importFolder(const QString &directory, std::optional<QUuid> into)
{
    if (!acceptsChildren(into))
        return {};
    return appendNode(into, buildTree(directory));
}

void ShellStore::rename(const QUuid &id, const QString &name)
{
    const QString trimmed = trimmedBlanks(name);
    setRoots(Forest::updating(m_roots, id, [&trimmed](ShellNode &node) {
        // A script may go nameless (its file name shows); a folder may not.
        if (node.kind == NodeKind::script || !trimmed.isEmpty())
            node.name = trimmed;
    }));
    save();
}

void ShellStore::setArgs(const QUuid &id, const QStringList &args)
{
    QStringList cleaned;
    for (const QString &arg : args) {
        const QString trimmed = arg.trimmed();
        if (!trimmed.isEmpty())
            cleaned.append(trimmed);
    }
    setRoots(Forest::updating(m_roots, id, [&cleaned](ShellNode &node) {
        node.args = cleaned.isEmpty() ? std::nullopt : std::optional(cleaned);
    }));
    save();
}

void ShellStore::deleteNode(const QUuid &id)
{
    setRoots(Forest::removing(m_roots, id));
    save();
}

bool ShellStore::moveNode(const QUuid &id, std::optional<QUuid> toParent,
                          std::optional<QUuid> before)
{
    const std::optional<ShellNode> node = Forest::first(m_roots, id);
    if (!node)
        return false;
    if (before && *before == id)
        return false;
    if (toParent && (*toParent == id || Forest::isWithin(m_roots, *toParent, id)))
        return false;
    // Removing first and then finding no folder to insert into would lose the node.
    if (!acceptsChildren(toParent))
        return false;

    const QList<ShellNode> without = Forest::removing(m_roots, id);
    setRoots(toParent ? Forest::inserting(without, *node, *toParent, before)
                      : Forest::insertingAtRoot(without, *node, before));
    save();
    return true;
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
