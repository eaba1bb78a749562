#include "dragdrop/DropTargetResolver.h"

#include "dragdrop/DropDebug.h"
#include "library/ScriptDocument.h"
#include "library/ShellNode.h"

#include <algorithm>
#include <cmath>

namespace {

// Coordinates in the entry drop their fraction.
QString whole(qreal v)
{
    return QString::number(static_cast<qint64>(std::trunc(v)));
}

// A decimal that always shows it is one: 10.0, 10.5, 120000.0.
QString decimal(qreal v)
{
    QString text = QString::fromLatin1(ScriptDocument::numberText(v));
    if (std::isfinite(v) && !text.contains(u'.') && !text.contains(u'e'))
        text += QStringLiteral(".0");
    return text;
}

QChar kindMark(bool isFolder)
{
    return isFolder ? u'F' : u's';
}

} // namespace

DropTarget DropTargetResolver::target(const DragInfo &under) const
{
    Resolution resolution = resolve(under);
    DropDebug::log(resolution.entry);
    return resolution.target;
}

DropTargetResolver::Resolution DropTargetResolver::resolve(const DragInfo &under) const
{
    const QPointF host = under.hostPoint;
    if (!tableView || !registry) {
        const DropTarget result = registry ? registry->target(host) : DropTarget::root();
        return {result, QStringLiteral("HIT 无表格，回退 frame 命中 host=(") + decimal(host.x()) +
                            QStringLiteral(", ") + decimal(host.y()) + QStringLiteral(") → ") +
                            result.debugDesc()};
    }

    const QPointF tv = tableView->mapFromHost(host);
    const int rowIndex = tableView->rowAt(tv);
    const int tableRows = tableView->rowCount();
    const QList<RowFrame> sorted = registry->sortedRows();
    const auto registryRows = sorted.size();

    QString entry = QStringLiteral("HIT host=(") + whole(host.x()) + u',' + whole(host.y()) +
                    QStringLiteral(") tvPt=(") + whole(tv.x()) + u',' + whole(tv.y()) +
                    QStringLiteral(") tvRows=") + QString::number(tableRows) +
                    QStringLiteral(" regRows=") + QString::number(registryRows) +
                    QStringLiteral(" rowIndex=") + QString::number(rowIndex) + u'\n';
    entry += QStringLiteral("   reg: ");
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const RowFrame &row = sorted.at(i);
        entry += u'[' + QString::number(i) + u']' + shortID(row.id) + kindMark(row.isFolder) +
                 QStringLiteral("y=") + whole(row.rect.top()) + QStringLiteral("..") +
                 whole(row.rect.bottom()) + u' ';
    }
    entry += QStringLiteral("\n   tv : ");
    for (int i = 0; i < std::min(tableRows, 30); ++i) {
        const QRectF r = tableView->rowRect(i);
        entry += u'[' + QString::number(i) + QStringLiteral("]y=") + whole(r.top()) +
                 QStringLiteral("..") + whole(r.bottom()) + u' ';
    }
    entry += QStringLiteral("\n   → ");

    if (rowIndex < 0)
        return {DropTarget::root(), entry + QStringLiteral("空白 → root")};
    if (rowIndex >= registryRows)
        return {DropTarget::root(), entry + QStringLiteral("rowIndex 越界 → root")};

    const RowFrame &row = sorted.at(rowIndex);
    const bool draggedIsFolder =
        under.draggedID && resolveDraggedIsFolder && resolveDraggedIsFolder(*under.draggedID);
    // The table's own rectangle decides the half, not the published one.
    const bool upper = RowFrameRegistry::isUpperHalf(tv.y(), tableView->rowRect(rowIndex));

    entry += QStringLiteral("取到行[") + QString::number(rowIndex) + QStringLiteral("]=") +
             shortID(row.id) + kindMark(row.isFolder) + QStringLiteral(" dragged=") +
             (under.draggedID ? shortID(*under.draggedID) : QStringLiteral("nil")) + u' ';

    if (row.isFolder) {
        if (upper && draggedIsFolder)
            return {DropTarget::before(row.id, row.parentID),
                    entry + QStringLiteral("文件夹行(拖的是文件夹,上半) → before")};
        return {DropTarget::folder(row.id), entry + QStringLiteral("命中文件夹 → folder")};
    }
    const DropTarget result = upper ? DropTarget::before(row.id, row.parentID)
                                    : RowFrameRegistry::belowScript(sorted, rowIndex);
    return {result, entry + QStringLiteral("脚本行 → ") + result.debugDesc()};
}
