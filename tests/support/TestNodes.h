#pragma once

// The one way tests and benchmarks build nodes: fresh ids unless one is given.
#include "library/ShellNode.h"

#include <QUuid>

namespace TestNodes {

inline ShellNode folder(const QUuid &id, const QString &name,
                        std::optional<QList<ShellNode>> children = std::nullopt)
{
    ShellNode node;
    node.id = id;
    node.name = name;
    node.kind = NodeKind::folder;
    node.children = std::move(children);
    return node;
}

inline ShellNode folder(const QString &name,
                        std::optional<QList<ShellNode>> children = std::nullopt)
{
    return folder(QUuid::createUuid(), name, std::move(children));
}

inline ShellNode script(const QUuid &id, const QString &name, std::optional<QString> path,
                        std::optional<QStringList> args = std::nullopt)
{
    ShellNode node;
    node.id = id;
    node.name = name;
    node.kind = NodeKind::script;
    node.filePath = std::move(path);
    node.args = std::move(args);
    return node;
}

inline ShellNode script(const QString &name, std::optional<QString> path,
                        std::optional<QStringList> args = std::nullopt)
{
    return script(QUuid::createUuid(), name, std::move(path), std::move(args));
}

// A node of either kind with nothing but its id, kind and name.
inline ShellNode bare(const QUuid &id, NodeKind kind, const QString &name)
{
    ShellNode node;
    node.id = id;
    node.name = name;
    node.kind = kind;
    return node;
}

// The same node, made at another time.
inline ShellNode createdAt(ShellNode node, double seconds)
{
    node.createdAt = seconds;
    return node;
}

} // namespace TestNodes
