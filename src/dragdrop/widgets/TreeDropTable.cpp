#include "dragdrop/widgets/TreeDropTable.h"

#include <QTreeView>

TreeDropTable::TreeDropTable(const QTreeView *view, const QWidget *host)
    : m_view(view), m_host(host), m_rows(laidOutRows(view))
{}

QList<QModelIndex> TreeDropTable::laidOutRows(const QTreeView *view)
{
    QList<QModelIndex> rows;
    const int bottom = view->viewport()->height();
    QModelIndex index = view->indexAt(QPoint(0, 0));
    if (!index.isValid() && view->model())
        index = view->model()->index(0, 0); // nothing at the very top: an empty view
    while (index.isValid()) {
        const QRect rect = view->visualRect(index);
        if (!rect.isValid())
            break;
        rows.append(index);
        // One row beyond the bottom edge, for the below-a-script rule.
        if (rect.top() >= bottom)
            break;
        index = view->indexBelow(index);
    }
    return rows;
}

QPointF TreeDropTable::mapFromHost(const QPointF &hostPoint) const
{
    return m_view->viewport()->mapFrom(m_host, hostPoint.toPoint()) +
           (hostPoint - hostPoint.toPoint());
}

int TreeDropTable::rowAt(const QPointF &tablePoint) const
{
    const QModelIndex index = m_view->indexAt(tablePoint.toPoint());
    if (!index.isValid() || tablePoint.y() < 0 || tablePoint.y() >= m_view->viewport()->height())
        return -1;
    return int(m_rows.indexOf(index.siblingAtColumn(0)));
}

int TreeDropTable::rowCount() const
{
    return int(m_rows.size());
}

QRectF TreeDropTable::rowRect(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_view->visualRect(m_rows.at(row));
}
