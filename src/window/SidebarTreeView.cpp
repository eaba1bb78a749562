#include "window/SidebarTreeView.h"

#include "language/LanguageManager.h"
#include "window/RunGlyph.h"
#include "window/SidebarDelegate.h"
#include "window/SidebarModel.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

SidebarTreeView::SidebarTreeView(QWidget *parent) : QTreeView(parent), m_handle(viewport())
{
    setObjectName(QStringLiteral("sidebar"));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setIndentation(14);
    setMouseTracking(true);
    setItemDelegate(new SidebarDelegate(this));
    setFrameShape(QFrame::NoFrame);

    m_hoverAnimation.setDuration(RunGlyph::hoverMilliseconds);
    m_hoverAnimation.setEasingCurve(QEasingCurve::OutCubic);
    m_hoverAnimation.setStartValue(1.0);
    m_hoverAnimation.setEndValue(1.0);
    connect(&m_hoverAnimation, &QVariantAnimation::valueChanged, this,
            [this] { viewport()->update(); });
}

SidebarModel *SidebarTreeView::sidebarModel() const
{
    return qobject_cast<SidebarModel *>(model());
}

void SidebarTreeView::setHighlight(const SidebarHighlight &highlight)
{
    if (highlight == m_highlight)
        return;
    m_highlight = highlight;
    viewport()->update();
}

void SidebarTreeView::setInsertionLineShown(bool shown)
{
    m_insertionLineShown = shown;
    viewport()->update();
}

qreal SidebarTreeView::glyphScale(const QUuid &id) const
{
    if (m_animated != id)
        return 1.0;
    return m_hoverAnimation.currentValue().toReal();
}

int SidebarTreeView::depthOf(const QModelIndex &index) const
{
    return index.data(SidebarModel::DepthRole).toInt();
}

QRectF SidebarTreeView::handleRect(const QModelIndex &index) const
{
    return index.isValid() ? SidebarDelegate::handleRect(visualRect(index), depthOf(index))
                           : QRectF();
}

QRectF SidebarTreeView::glyphRect(const QModelIndex &index) const
{
    if (!index.isValid() || !index.data(SidebarModel::HasPresetsRole).toBool())
        return {};
    return SidebarDelegate::glyphRect(visualRect(index), depthOf(index));
}

void SidebarTreeView::hoverGlyph(const std::optional<QUuid> &id)
{
    if (id == m_hovered)
        return;
    const qreal from = m_hovered ? glyphScale(*m_hovered) : 1.0;
    m_hoverAnimation.stop();
    if (id) {
        m_animated = id;
        m_hoverAnimation.setStartValue(1.0);
        m_hoverAnimation.setEndValue(RunGlyph::hoverScale);
    } else {
        // The glyph that was left shrinks back along the same curve.
        m_hoverAnimation.setStartValue(from);
        m_hoverAnimation.setEndValue(1.0);
    }
    m_hovered = id;
    m_hoverAnimation.start();
    viewport()->update();
}

void SidebarTreeView::paintEvent(QPaintEvent *event)
{
    QTreeView::paintEvent(event);
    const QColor accent = palette().color(QPalette::Highlight);
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_highlight.siblingTargeted && m_insertionLineShown) {
        const QModelIndex index = sidebarModel()->indexOf(*m_highlight.siblingTargeted);
        const QRect row = visualRect(index);
        if (row.isValid()) {
            const qreal left = SidebarDelegate::contentRect(row, depthOf(index)).left();
            painter.fillRect(QRectF(left, row.top() - 1, viewport()->width() - left - 4, 2),
                             accent);
        }
    }
    if (m_highlight.rootTargeted) {
        QColor outline = accent;
        outline.setAlphaF(0.7f);
        painter.setPen(QPen(outline, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(viewport()->rect()).adjusted(4, 4, -4, -4), 8, 8);
    }
}

void SidebarTreeView::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (index.isValid() && event->button() == Qt::LeftButton) {
        // The handle takes its whole column of the row: a small target is hard to hit.
        const QRectF handle = handleRect(index);
        const QRect row = visualRect(index);
        if (QRectF(handle.left() - 3, row.top(), handle.width() + 6, row.height())
                .contains(event->position())) {
            // The handle takes the press: a drag may follow, no selection.
            m_handle.press(index.data(SidebarModel::NodeIDRole).toUuid(), event->position());
            event->accept();
            return;
        }
        if (glyphRect(index).contains(event->position())) {
            event->accept();
            Q_EMIT runGlyphPressed(index, event->globalPosition().toPoint());
            return;
        }
    }
    QTreeView::mousePressEvent(event);
}

void SidebarTreeView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_handle.isPending()) {
        m_handle.move(event->position());
        event->accept();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool overGlyph = glyphRect(index).contains(event->position());
    hoverGlyph(overGlyph ? std::optional(index.data(SidebarModel::NodeIDRole).toUuid())
                         : std::nullopt);
    QTreeView::mouseMoveEvent(event);
}

void SidebarTreeView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_handle.isPending()) {
        m_handle.release();
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void SidebarTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() &&
        !index.data(SidebarModel::IsFolderRole).toBool() &&
        !handleRect(index).contains(event->position()) &&
        !glyphRect(index).contains(event->position())) {
        event->accept();
        Q_EMIT runRequested(index, event->globalPosition().toPoint());
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void SidebarTreeView::leaveEvent(QEvent *event)
{
    hoverGlyph(std::nullopt);
    QTreeView::leaveEvent(event);
}

void SidebarTreeView::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && current.isValid()) {
        switch (event->key()) {
        case Qt::Key_F2:
            Q_EMIT renameRequested(current);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A folder only ever opens: running all its scripts by a slip
            // would be costly.
            if (current.data(SidebarModel::IsFolderRole).toBool()) {
                if (model()->hasChildren(current))
                    setExpanded(current, !isExpanded(current));
            } else {
                const QRect row = visualRect(current);
                Q_EMIT runRequested(current,
                                    viewport()->mapToGlobal(QPoint(row.left() + 24, row.bottom())));
            }
            return;
        default:
            break;
        }
    }
    // The menu key arrives as a context menu event; Shift+F10 is the other
    // desktop convention.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
        contextMenuEvent(&menu);
        return;
    }
    if (plain && event->key() == Qt::Key_Delete && selectionModel()->hasSelection()) {
        Q_EMIT deleteRequested();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void SidebarTreeView::contextMenuEvent(QContextMenuEvent *event)
{
    QModelIndex index;
    QPoint globalPos = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        index = indexAt(event->pos());
    } else {
        index = currentIndex();
        const QRect row = visualRect(index);
        globalPos = viewport()->mapToGlobal(QPoint(row.left() + 24, row.bottom()));
    }
    if (!index.isValid())
        return;
    Q_EMIT contextMenuRequested(index, globalPos);
}

bool SidebarTreeView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        QString text;
        if (handleRect(index).contains(help->pos()))
            text = LanguageManager::localized(QStringLiteral("拖动以重新归类 / 排序"));
        else if (glyphRect(index).contains(help->pos()))
            text = LanguageManager::localized(QStringLiteral("运行该脚本（选择一个参数预设）"));
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, viewport());
            return true;
        }
    }
    return QTreeView::viewportEvent(event);
}
