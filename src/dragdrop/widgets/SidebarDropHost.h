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

#include <functional>
#include <optional>

class QMimeData;
class QTreeView;

// Wraps the sidebar's content and takes the drags over it: files from the
// file manager and nodes dragged by their handle. Every decision goes to the
// drop log; the window gets the hovered target, the dropped files or node,
// and clicks on empty space through the callbacks.
class SidebarDropHost : public QWidget
{
    Q_OBJECT
public:
    explicit SidebarDropHost(QWidget *parent = nullptr);
    ~SidebarDropHost() override;

    // The content fills the host.
    void setContent(QWidget *content);

    // Updates while a drag rests over the host, as the pointer moving gives.
    static constexpr int restingUpdateMilliseconds = 100;

    RowFrameRegistry *registry = nullptr;
    std::function<void()> onExited;
    std::function<void(const DropTarget &, const QList<QUrl> &)> onFiles;
    std::function<void(const DropTarget &, const QUuid &)> onNode;
    std::function<void(const std::optional<DropTarget> &)> onHover;
    std::function<bool(const QUuid &)> resolveDraggedIsFolder;
    std::function<void()> onBackgroundTap;
    // Asked before each resolution so the registry holds the rows as laid out now.
    std::function<void()> layoutRows;

    bool accepts(const QMimeData &data) const;
    QTreeView *findTableView();
    DropTarget target(const QPointF &hostPoint, const QMimeData &data);
    int updatedTick() const { return m_updatedTick; }

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

    QPointer<QWidget> m_content;
    QPointer<QTreeView> m_cachedTableView;
    bool m_tapAttached = false;
    int m_updatedTick = 0;
    QTimer m_resting;
    QPointF m_lastPoint;
    QPointer<const QMimeData> m_lastData;
};
