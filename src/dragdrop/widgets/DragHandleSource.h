#pragma once

#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

class QMimeData;
class QWidget;

// The drag handle of a sidebar row: a press on it becomes a node drag after
// the pointer has moved at least four points; smaller movements do nothing.
// It carries "shellnode:" and the node's id as plain text.
class DragHandleSource
{
public:
    static constexpr qreal threshold = 4;
    static constexpr int imageSide = 18;

    // Starts the platform drag; tests put a recorder here.
    using Starter = std::function<void(std::unique_ptr<QMimeData> data, const QPixmap &image,
                                       const QPoint &hotSpot)>;

    // source: the widget the drag starts from, in whose coordinates points are.
    explicit DragHandleSource(QWidget *source);

    void setStarter(Starter starter) { m_starter = std::move(starter); }

    // Mouse down on the handle of the row showing the node.
    void press(const QUuid &nodeID, const QPointF &point);
    // Returns true when this movement began the drag.
    bool move(const QPointF &point);
    void release();
    bool isPending() const { return m_downPoint.has_value(); }

    static QPixmap image(qreal scale);

private:
    void beginDrag(const QPointF &current);

    QPointer<QWidget> m_source;
    std::optional<QUuid> m_nodeID;
    std::optional<QPointF> m_downPoint;
    Starter m_starter;
};
