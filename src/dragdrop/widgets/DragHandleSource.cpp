#include "dragdrop/widgets/DragHandleSource.h"

#include "dragdrop/NodeDrag.h"
#include "ui/IconMap.h"

#include <QDrag>
#include <QMimeData>
#include <QPalette>
#include <QWidget>

#include <cmath>

DragHandleSource::DragHandleSource(QWidget *source) : m_source(source)
{
    m_starter = [this](std::unique_ptr<QMimeData> data, const QPixmap &image,
                       const QPoint &hotSpot) {
        if (!m_source)
            return;
        // Owned by the source; deleted by Qt once the drag is over.
        auto *drag = new QDrag(m_source);
        drag->setMimeData(data.release());
        drag->setPixmap(image);
        drag->setHotSpot(hotSpot);
        drag->exec(Qt::CopyAction);
    };
}

void DragHandleSource::press(const QUuid &nodeID, const QPointF &point)
{
    m_nodeID = nodeID;
    m_downPoint = point;
}

bool DragHandleSource::move(const QPointF &point)
{
    if (!m_downPoint)
        return false;
    const QPointF delta = point - *m_downPoint;
    if (std::hypot(delta.x(), delta.y()) < threshold)
        return false;
    beginDrag(point);
    return true;
}

void DragHandleSource::release()
{
    m_downPoint.reset();
}

void DragHandleSource::beginDrag(const QPointF &current)
{
    const QPointF down = *m_downPoint;
    m_downPoint.reset();
    if (!m_nodeID || !m_starter)
        return;
    const qreal scale = m_source ? m_source->devicePixelRatioF() : 1.0;
    // Qt places the image by the pointer; this keeps it centred where the
    // mouse went down.
    const QPoint hotSpot = QPoint(imageSide / 2, imageSide / 2) + (current - down).toPoint();
    m_starter(NodeDrag::mimeData(*m_nodeID), image(scale), hotSpot);
}

QPixmap DragHandleSource::image(qreal scale)
{
    QColor color = QPalette().color(QPalette::Text);
    color.setAlphaF(0.6f);
    return IconMap::pixmap(QStringLiteral("line.3.horizontal.circle.fill"),
                           QSize(imageSide, imageSide), color, scale);
}
