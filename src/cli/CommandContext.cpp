#include "cli/CommandContext.h"

#include "cli/NodePath.h"
#include "cli/TextOutput.h"
#include "library/ShellStore.h"

#include <QDir>

std::optional<ShellNode> CommandContext::findNode(const QString &reference) const
{
    NodePath::Resolution r = NodePath::resolve(store.roots(), reference);
    if (!r.node)
        reply->fail(r.error);
    return r.node;
}

std::optional<std::optional<QUuid>>
CommandContext::findParent(const std::optional<QString> &reference) const
{
    if (!reference)
        return std::optional<QUuid>();
    const std::optional<ShellNode> folder = findNode(*reference);
    if (!folder)
        return std::nullopt;
    if (folder->kind != NodeKind::folder) {
        reply->fail(
            QStringLiteral("%1 is a script, not a folder").arg(TextOutput::quoted(*reference)));
        return std::nullopt;
    }
    return std::optional<QUuid>(folder->id);
}

QString CommandContext::absolutePath(const QString &file) const
{
    const QString base = workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory;
    return QDir::cleanPath(QDir(base).absoluteFilePath(file));
}

void CommandContext::openWindow(const std::function<void()> &request) const
{
    if (!request) {
        reply->fail(QStringLiteral("there is no window to open here"));
        return;
    }
    request();
    reply->finish(0);
}
