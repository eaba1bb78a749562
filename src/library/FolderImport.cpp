#include "library/FolderImport.h"

#include "library/NameCollation.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// A leading dot starts a hidden name, not an extension; a trailing dot has none.
qsizetype extensionDot(const QString &component)
{
    const qsizetype dot = component.lastIndexOf(u'.');
    return dot > 0 && dot < component.size() - 1 ? dot : -1;
}

QString pathExtension(const QString &path)
{
    const QString component = FolderImport::lastPathComponent(path);
    const qsizetype dot = extensionDot(component);
    return dot < 0 ? QString() : component.mid(dot + 1);
}

QString deletingPathExtension(const QString &component)
{
    const qsizetype dot = extensionDot(component);
    return dot < 0 ? component : component.left(dot);
}

} // namespace

FolderImport::FolderImport(double createdAt, int levelsLeft)
    : m_createdAt(createdAt), m_levelsLeft(levelsLeft)
{
}

QString FolderImport::lastPathComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    return slash < 0 || trimmed.size() == 1 ? trimmed : trimmed.mid(slash + 1);
}

bool FolderImport::isScriptFile(const QString &path)
{
    const QString extension = pathExtension(path).toLower();
    return extension == u"sh" || extension == u"command";
}

ShellNode FolderImport::scriptNode(const QString &path, double createdAt)
{
    ShellNode node;
    node.id = QUuid::createUuid();
    node.name = deletingPathExtension(lastPathComponent(path));
    node.kind = NodeKind::script;
    node.filePath = path;
    node.createdAt = createdAt;
    return node;
}

ShellNode FolderImport::tree(const QString &directory)
{
    m_cut = m_levelsLeft < 0;
    if (m_cut)
        return ShellNode();
    return folderTree(directory, lastPathComponent(directory), m_levelsLeft);
}

ShellNode FolderImport::folderTree(const QString &directory, const QString &name,
                                   int levelsLeft)
{
    ShellNode folder;
    folder.id = QUuid::createUuid();
    folder.name = name;
    folder.kind = NodeKind::folder;
    folder.children = QList<ShellNode>();
    folder.createdAt = m_createdAt;

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
        if (levelsLeft == 0 || m_cut) {
            m_cut = true;
            return folder;
        }
        if (isFolder)
            folder.children->append(folderTree(entry.filePath(), entry.fileName(), levelsLeft - 1));
        else
            folder.children->append(scriptNode(entry.filePath(), m_createdAt));
    }
    return folder;
}
