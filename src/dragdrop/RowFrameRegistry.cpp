#include "dragdrop/RowFrameRegistry.h"

#include <algorithm>

namespace {

// Left and top edges inside, right and bottom edges outside.
bool containsHalfOpen(const QRectF &r, const QPointF &p)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

} // namespace

bool RowFrameRegistry::setRows(const QList<RowFrame> &rows)
{
    if (rows == m_rows)
        return false;
    m_rows = rows;
    return true;
}

QList<RowFrame> RowFrameRegistry::sortedRows() const
{
    QList<RowFrame> sorted = m_rows;
    std::stable_sort(sorted.begin(), sorted.end(), [](const RowFrame &a, const RowFrame &b) {
        return a.rect.top() < b.rect.top();
    });
    return sorted;
}

DropTarget RowFrameRegistry::belowScript(const QList<RowFrame> &sorted, qsizetype i)
{
    const RowFrame &row = sorted.at(i);
    if (i + 1 < sorted.size() && sorted.at(i + 1).parentID == row.parentID)
        return DropTarget::before(sorted.at(i + 1).id, row.parentID);
    if (row.parentID)
        return DropTarget::folder(*row.parentID);
    return DropTarget::root();
}

DropTarget RowFrameRegistry::target(const QPointF &point) const
{
    // A folder row takes its whole rectangle, whatever is dragged.
    for (const RowFrame &row : m_rows) {
        if (row.isFolder && containsHalfOpen(row.rect, point))
            return DropTarget::folder(row.id);
    }
    const QList<RowFrame> sorted = sortedRows();
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const RowFrame &row = sorted.at(i);
        if (row.isFolder || !containsHalfOpen(row.rect, point))
            continue;
        if (isUpperHalf(point.y(), row.rect))
            return DropTarget::before(row.id, row.parentID);
        return belowScript(sorted, i);
    }
    return DropTarget::root();
}
