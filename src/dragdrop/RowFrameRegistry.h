#pragma once

#include "dragdrop/DropTarget.h"
#include "dragdrop/RowFrame.h"

#include <QList>
#include <QPointF>
#include <QRectF>

// The rows of the sidebar as last laid out, replaced whole on every change.
// Owned by the management window; the drop host reads it.
class RowFrameRegistry
{
public:
    const QList<RowFrame> &rows() const { return m_rows; }
    // Returns false when the list equals the current one (nothing to deliver).
    bool setRows(const QList<RowFrame> &rows);

    // The rows ordered by their top edge; equal tops keep their collected order.
    QList<RowFrame> sortedRows() const;

    // Hit-tests the published rectangles; the fallback when no table view answers.
    DropTarget target(const QPointF &point) const;

    // Where a drop in the lower half of the non-folder row at sorted index i lands.
    static DropTarget belowScript(const QList<RowFrame> &sorted, qsizetype i);
    // A point exactly on the midpoint counts as the upper half.
    static bool isUpperHalf(qreal y, const QRectF &rowRect) { return y <= rowRect.center().y(); }

private:
    QList<RowFrame> m_rows;
};
