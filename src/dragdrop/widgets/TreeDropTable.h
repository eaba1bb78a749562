#pragma once

#include "dragdrop/DropTableView.h"

#include <QList>
#include <QModelIndex>
#include <QPersistentModelIndex>

class QTreeView;
class QWidget;

// The rows a tree view has laid out, as the drop resolver asks for them:
// the rows in its viewport and the one just below, numbered from the top.
// The window publishes the same rows as its row frames, so row i here is
// row i of the registry.
class TreeDropTable : public DropTableView
{
public:
    TreeDropTable(const QTreeView *view, const QWidget *host);

    static QList<QModelIndex> laidOutRows(const QTreeView *view);

    QPointF mapFromHost(const QPointF &hostPoint) const override;
    int rowAt(const QPointF &tablePoint) const override;
    int rowCount() const override;
    QRectF rowRect(int row) const override;

private:
    const QTreeView *m_view;
    const QWidget *m_host;
    QList<QModelIndex> m_rows;
};
