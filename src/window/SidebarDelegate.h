#pragma once

#include <QStyledItemDelegate>

class SidebarTreeView;

// Paints a sidebar row: drag handle, node icon, name and, for a script with
// presets, the run glyph. No widget per row.
class SidebarDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit SidebarDelegate(SidebarTreeView *view);

    static constexpr int spacing = 6;
    static constexpr int handleSide = 14;
    static constexpr int iconSide = 16;

    // Parts of a row, from the row's rectangle and its depth.
    static QRectF contentRect(const QRect &row, int depth);
    static QRectF handleRect(const QRect &row, int depth);
    static QRectF iconRect(const QRect &row, int depth);
    static QRectF glyphRect(const QRect &row, int depth);

    static int rowHeight(const QFontMetrics &metrics);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    SidebarTreeView *m_view;
};
