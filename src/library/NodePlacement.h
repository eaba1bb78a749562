#pragma once

#include <QString>
#include <QUuid>

#include <optional>

// Where a node goes in the tree: into a folder (at its end), just before a
// node, or at the end of the top level.
struct NodePlacement
{
    enum class Kind { folder, before, root };

    Kind kind = Kind::root;
    QUuid id;                    // the folder (folder) or the node to go before (before)
    std::optional<QUuid> parent; // before: the parent of that node, none at the top level

    static NodePlacement folder(const QUuid &folderID) { return {Kind::folder, folderID, {}}; }
    static NodePlacement before(const QUuid &nodeID, std::optional<QUuid> parentID)
    {
        return {Kind::before, nodeID, parentID};
    }
    static NodePlacement root() { return {}; }

    bool operator==(const NodePlacement &other) const = default;

    // folder(1A2B), before(1A2B, parent=root), root
    QString debugDesc() const;
};
