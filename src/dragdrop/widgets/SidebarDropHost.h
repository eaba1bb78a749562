#pragma once

#include "dragdrop/DropTarget.h"
#include "dragdrop/RowFrameRegistry.h"

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QWidget>

#include <optional>

class QMimeData;
class QTreeView;

// Wraps the sidebar's content and takes the drags over it: files from the
// file manager and nodes dragged by their handle. Every decision goes to the
// drop log; the window hears of the hovered target, the dropped files or
// node, and clicks on empty space through the signals.
class SidebarDropHost : public QWidget
{
    Q_OBJECT
public:
    // What the host asks of the sidebar while it resolves a drag, answered
    // at once; a signal cannot answer.
    class RowSource
    {
    public:
        // The visible rows as laid out now, in host coordinates.
        virtual const RowFrameRegistry &rowRegistry() = 0;
        // Whether the node with that id is a folder; false when there is none.
        virtual bool resolveDraggedIsFolder(const QUuid &id) const = 0;

    protected:
        ~RowSource() = default;
    };

    explicit SidebarDropHost(QWidget *parent = nullptr);
    ~SidebarDropHost() override;

    // The content fills the host.
    void setContent(QWidget *content);

    // Updates while a drag rests over the host, as the pointer moving gives.
    static constexpr int restingUpdateMilliseconds = 100;

    // The source outlives the host (the sidebar that holds it); none
    // resolves by the table view alone.
    void setRowSource(RowSource *source) { m_rows = source; }

    bool accepts(const QMimeData &data) const;
    QTreeView *findTableView();
    DropTarget target(const QPointF &hostPoint, const QMimeData &data);
    int updatedTick() const { return m_updatedTick; }

Q_SIGNALS:
    // The target under an accepted drag, at entry and on every update.
    void hovered(const DropTarget &target);
    // The drag left, or was dropped: emitted before the drop is handed over.
    void exited();
    void filesDropped(const DropTarget &target, const QList<QUrl> &urls);
    void nodeDropped(const DropTarget &target, const QUuid &id);
    // A click on the outline's empty space, below or between no rows.
    void backgroundTapped();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update(const QPointF &hostPoint, const QMimeData &data);
    void tryAttachTap();
    void stopResting();

    RowSource *m_rows = nullptr;
    QPointer<QWidget> m_content;
    QPointer<QTreeView> m_cachedTableView;
    bool m_tapAttached = false;
    int m_updatedTick = 0;
    QTimer m_resting;
    QPointF m_lastPoint;
    QPointer<const QMimeData> m_lastData;
};
