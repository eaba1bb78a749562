#pragma once

#include <QStyledItemDelegate>

// A palette row: icon, the entry's text with the matched letters in bold and
// the accent colour, and "运行全部" at the end of folder rows.
class QuickRunDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
