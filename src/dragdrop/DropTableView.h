#pragma once

#include <QPointF>
#include <QRectF>

// What the sidebar's table view answers about its rows. The widget layer
// wraps its tree view in this; tests plug in a fake.
class DropTableView
{
public:
    virtual ~DropTableView() = default;
    // A point in drop-host coordinates, in the table view's own coordinates.
    virtual QPointF mapFromHost(const QPointF &hostPoint) const = 0;
    // The visible row at a point in table coordinates, -1 when there is none.
    virtual int rowAt(const QPointF &tablePoint) const = 0;
    virtual int rowCount() const = 0;
    // The rectangle of visible row i, in table coordinates.
    virtual QRectF rowRect(int row) const = 0;
};
