#pragma once

#include "dragdrop/DropTableView.h"
#include "dragdrop/DropTarget.h"
#include "dragdrop/RowFrameRegistry.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// One drag position as the drop host sees it.
struct DragInfo
{
    QPointF hostPoint;              // in drop-host coordinates (the sidebar space)
    std::optional<QUuid> draggedID; // the node being dragged; none for a file drag
};

// Decides where a drag over the sidebar would land. The table view decides
// first; the published row rectangles are the fallback when there is none.
class DropTargetResolver
{
public:
    const DropTableView *tableView = nullptr;
    const RowFrameRegistry *registry = nullptr;
    // Whether the node with that id is a folder; absent means "not a folder".
    std::function<bool(const QUuid &)> resolveDraggedIsFolder;

    struct Resolution
    {
        DropTarget target;
        QString entry; // the diagnostic entry for the drop log
    };

    // Resolves and writes the diagnostic entry to the drop log.
    DropTarget target(const DragInfo &under) const;
    // The same without logging.
    Resolution resolve(const DragInfo &under) const;
};
