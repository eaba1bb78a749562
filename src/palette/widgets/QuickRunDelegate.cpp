#include "palette/widgets/QuickRunDelegate.h"

#include "language/LanguageManager.h"
#include "palette/widgets/QuickRunModel.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

namespace {
constexpr int rowHeight = 30;
constexpr int iconSize = 16;
constexpr int padding = 10;
} // namespace

QSize QuickRunDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {option.rect.width(), rowHeight};
}

void QuickRunDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    opt.icon = QIcon();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget); // background, focus

    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QColor textColor =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    const bool isFolder = index.data(QuickRunModel::IsFolderRole).toBool();
    const bool isPreset = index.data(QuickRunModel::IsPresetRole).toBool();

    painter->save();
    QRect rect = option.rect.adjusted(padding, 0, -padding, 0);
    const QIcon icon = IconMap::icon(isFolder   ? QStringLiteral("folder")
                                     : isPreset ? QStringLiteral("play.fill")
                                                : QStringLiteral("terminal"));
    const QRect iconRect(rect.left(), rect.center().y() - iconSize / 2 + 1, iconSize, iconSize);
    icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
    rect.setLeft(iconRect.right() + 8);

    if (isFolder) {
        const QString hint = LanguageManager::localized(QStringLiteral("运行全部"));
        QColor hintColor = textColor;
        hintColor.setAlphaF(0.55f);
        painter->setPen(hintColor);
        const int hintWidth = option.fontMetrics.horizontalAdvance(hint);
        painter->drawText(rect, Qt::AlignRight | Qt::AlignVCenter, hint);
        rect.setRight(rect.right() - hintWidth - padding);
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    const auto positions = index.data(QuickRunModel::PositionsRole).value<QList<qsizetype>>();
    QList<QTextLayout::FormatRange> formats;
    QTextCharFormat matched;
    matched.setFontWeight(QFont::Bold);
    matched.setForeground(selected ? textColor : option.palette.color(group, QPalette::Link));
    for (const qsizetype p : positions) {
        if (!formats.isEmpty() && formats.last().start + formats.last().length == p)
            ++formats.last().length;
        else
            formats.append({int(p), 1, matched});
    }
    // Long paths lose their middle, never the end where the name is.
    const QString shown =
        ElidedLabel::elided(option.fontMetrics, text, Qt::ElideMiddle, rect.width());
    QTextLayout layout(shown, option.font);
    if (shown == text)
        layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(rect.width());
    layout.endLayout();
    painter->setPen(textColor);
    layout.draw(painter, QPointF(rect.left(), rect.center().y() - line.height() / 2.0));
    painter->restore();
}
