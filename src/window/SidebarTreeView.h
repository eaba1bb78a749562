#pragma once

#include "dragdrop/widgets/DragHandleSource.h"
#include "window/SidebarHighlight.h"

#include <QTreeView>
#include <QVariantAnimation>

#include <optional>

class SidebarModel;

// The sidebar outline: painted rows, the drag handle on each row, the run
// glyph of scripts with presets, the drop highlights, and the keys of a
// desktop outline (Return opens a folder and runs a script, as a double
// click does; F2 renames, Delete deletes, the menu key opens the row's menu).
class SidebarTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit SidebarTreeView(QWidget *parent = nullptr);

    SidebarModel *sidebarModel() const;

    const SidebarHighlight &highlight() const { return m_highlight; }
    void setHighlight(const SidebarHighlight &highlight);
    // In name order no insertion line is drawn.
    void setInsertionLineShown(bool shown);

    DragHandleSource &dragHandle() { return m_handle; }
    // The run glyph's scale for a row, animated while hovered.
    qreal glyphScale(const QUuid &id) const;

    // Parts of the row at an index, in viewport coordinates.
    QRectF handleRect(const QModelIndex &index) const;
    QRectF glyphRect(const QModelIndex &index) const;

Q_SIGNALS:
    void renameRequested(const QModelIndex &index);
    // A script row's Return or double click; a menu asked for opens at globalPos.
    void runRequested(const QModelIndex &index, const QPoint &globalPos);
    void deleteRequested();
    void contextMenuRequested(const QModelIndex &index, const QPoint &globalPos);
    void runGlyphPressed(const QModelIndex &index, const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int depthOf(const QModelIndex &index) const;
    void hoverGlyph(const std::optional<QUuid> &id);

    SidebarHighlight m_highlight;
    bool m_insertionLineShown = true;
    DragHandleSource m_handle;
    std::optional<QUuid> m_hovered;  // the glyph under the pointer
    std::optional<QUuid> m_animated; // the glyph whose scale the animation drives
    QVariantAnimation m_hoverAnimation;
};
