#pragma once

#include "library/NodePlacement.h"

#include <QString>
#include <QUuid>

#include <optional>

// Where a drop on the sidebar lands: into a folder, just before a node, or at
// the end of the top level.
struct DropTarget
{
    enum class Kind { folder, before, root };

    Kind kind = Kind::root;
    QUuid id;                    // the folder (folder) or the node to go before (before)
    std::optional<QUuid> parent; // before: the parent of that node, none at the top level

    static DropTarget folder(const QUuid &folderID) { return {Kind::folder, folderID, {}}; }
    static DropTarget before(const QUuid &nodeID, std::optional<QUuid> parentID)
    {
        return {Kind::before, nodeID, parentID};
    }
    static DropTarget root() { return {}; }

    bool operator==(const DropTarget &other) const = default;

    // The store applies drops as placements; a drop target is one.
    NodePlacement placement() const { return {static_cast<NodePlacement::Kind>(kind), id, parent}; }
    operator NodePlacement() const { return placement(); }

    // folder(1A2B), before(1A2B, parent=root), root
    QString debugDesc() const { return placement().debugDesc(); }
};
