#include "dragdrop/widgets/SidebarDropHost.h"

#include "dragdrop/DropDebug.h"
#include "dragdrop/DropTargetResolver.h"
#include "dragdrop/NodeDrag.h"
#include "dragdrop/widgets/TreeDropTable.h"
#include "library/ShellNode.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QList<QUrl> fileUrls(const QMimeData &data)
{
    QList<QUrl> files;
    if (!data.hasUrls())
        return files;
    for (const QUrl &url : data.urls())
        if (url.isLocalFile())
            files.append(url);
    return files;
}

QString pasteboard(const QMimeData &data)
{
    return DropDebug::listNotation(data.formats());
}

} // namespace

SidebarDropHost::SidebarDropHost(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dropHost"));
    setAcceptDrops(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_resting.setInterval(restingUpdateMilliseconds);
    connect(&m_resting, &QTimer::timeout, this, [this] {
        if (m_lastData)
            update(m_lastPoint, *m_lastData);
        else
            stopResting();
    });
    DropDebug::log(QStringLiteral("===== DropHost 初始化（诊断构建已生效）====="));
}

SidebarDropHost::~SidebarDropHost() = default;

void SidebarDropHost::setContent(QWidget *content)
{
    if (m_content == content)
        return;
    delete m_content.data();
    m_content = content;
    if (content)
        layout()->addWidget(content);
    tryAttachTap();
}

bool SidebarDropHost::accepts(const QMimeData &data) const
{
    if (!fileUrls(data).isEmpty())
        return true;
    return NodeDrag::draggedNodeID(data).has_value();
}

QTreeView *SidebarDropHost::findTableView()
{
    if (m_cachedTableView)
        return m_cachedTableView;
    // Depth first in child order; the last one found wins.
    const QList<QTreeView *> found = findChildren<QTreeView *>();
    if (!found.isEmpty())
        m_cachedTableView = found.constLast();
    return m_cachedTableView;
}

DropTarget SidebarDropHost::target(const QPointF &hostPoint, const QMimeData &data)
{
    DropTargetResolver resolver;
    std::optional<TreeDropTable> table;
    if (QTreeView *view = findTableView()) {
        table.emplace(view, this);
        resolver.tableView = &*table;
    }
    if (RowSource *rows = m_rows) {
        resolver.registry = &rows->rowRegistry();
        resolver.resolveDraggedIsFolder = [rows](const QUuid &id) {
            return rows->resolveDraggedIsFolder(id);
        };
    }
    return resolver.target(DragInfo{hostPoint, NodeDrag::draggedNodeID(data)});
}

void SidebarDropHost::dragEnterEvent(QDragEnterEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (!data || !accepts(*data)) {
        DropDebug::log(QStringLiteral("ENTER 不接受此拖放（pasteboard=") +
                       (data ? pasteboard(*data) : QStringLiteral("[]")) + QStringLiteral("）"));
        event->ignore();
        return;
    }
    const DropTarget found = target(event->position(), *data);
    DropDebug::log(QStringLiteral("ENTER → ") + found.debugDesc());
    Q_EMIT hovered(found);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    m_lastPoint = event->position();
    m_lastData = data;
    m_resting.start();
}

void SidebarDropHost::dragMoveEvent(QDragMoveEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (!data || !accepts(*data)) {
        event->ignore();
        return;
    }
    m_lastPoint = event->position();
    m_lastData = data;
    update(event->position(), *data);
    event->setDropAction(Qt::CopyAction);
    event->accept();
    m_resting.start(); // the next resting update counts from this movement
}

void SidebarDropHost::update(const QPointF &hostPoint, const QMimeData &data)
{
    const DropTarget found = target(hostPoint, data);
    ++m_updatedTick;
    if (m_updatedTick % 20 == 1)
        DropDebug::log(QStringLiteral("UPDATE → ") + found.debugDesc());
    Q_EMIT hovered(found);
}

void SidebarDropHost::stopResting()
{
    m_resting.stop();
    m_lastData = nullptr;
}

void SidebarDropHost::dragLeaveEvent(QDragLeaveEvent *event)
{
    stopResting();
    DropDebug::log(QStringLiteral("EXIT"));
    Q_EMIT exited();
    event->accept();
}

void SidebarDropHost::dropEvent(QDropEvent *event)
{
    stopResting();
    const QMimeData *data = event->mimeData();
    if (!data) {
        event->ignore();
        return;
    }
    const DropTarget found = target(event->position(), *data);
    DropDebug::log(QStringLiteral("DROP → ") + found.debugDesc());
    // The highlight goes before anything is applied.
    Q_EMIT exited();

    const QList<QUrl> files = fileUrls(*data);
    if (!files.isEmpty()) {
        QStringList names;
        for (const QUrl &url : files)
            names.append(QFileInfo(url.toLocalFile()).fileName());
        DropDebug::log(QStringLiteral("DROP 分支=文件 ") + DropDebug::listNotation(names));
        Q_EMIT filesDropped(found, files);
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    if (const std::optional<QUuid> id = NodeDrag::draggedNodeID(*data)) {
        DropDebug::log(QStringLiteral("DROP 分支=内部节点 ") + shortID(*id) +
                       QStringLiteral(" → ") + found.debugDesc());
        Q_EMIT nodeDropped(found, *id);
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    DropDebug::log(QStringLiteral("DROP 未处理（pasteboard=") + pasteboard(*data) +
                   QStringLiteral("）"));
    event->ignore();
}

void SidebarDropHost::tryAttachTap()
{
    if (m_tapAttached)
        return;
    QTreeView *view = findTableView();
    if (!view)
        return; // tried again when a child is added
    view->viewport()->installEventFilter(this);
    m_tapAttached = true;
}

bool SidebarDropHost::event(QEvent *event)
{
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)
        tryAttachTap();
    return QWidget::event(event);
}

bool SidebarDropHost::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && m_cachedTableView &&
        watched == m_cachedTableView->viewport()) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_cachedTableView->indexAt(mouse->position().toPoint()).isValid())
            Q_EMIT backgroundTapped();
    }
    return QWidget::eventFilter(watched, event);
}
