#pragma once

// Nodes with fresh ids for tests and benchmarks.
#include "library/ShellNode.h"

#include <QUuid>

namespace TestNodes {

inline ShellNode folder(const QString &name,
                        std::optional<QList<ShellNode>> children = std::nullopt)
{
    ShellNode node;
    node.id = QUuid::createUuid();
    node.name = name;
    node.kind = NodeKind::folder;
    node.children = std::move(children);
    return node;
}

inline ShellNode script(const QString &name, const QString &path,
                        std::optional<QStringList> args = std::nullopt)
{
    ShellNode node;
    node.id = QUuid::createUuid();
    node.name = name;
    node.kind = NodeKind::script;
    node.filePath = path;
    node.args = std::move(args);
    return node;
}

} // namespace TestNodes
