#include "window/SidebarDelegate.h"

#include "library/ShellNode.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"
#include "window/RunGlyph.h"
#include "window/SidebarModel.h"
#include "window/SidebarTreeView.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

} // namespace

SidebarDelegate::SidebarDelegate(SidebarTreeView *view) : QStyledItemDelegate(view), m_view(view) {}

QRectF SidebarDelegate::contentRect(const QRect &row, int depth)
{
    return QRectF(row).adjusted(depth * 10 + 4, spacing, -4, -spacing);
}

QRectF SidebarDelegate::handleRect(const QRect &row, int depth)
{
    const QRectF content = contentRect(row, depth);
    return {content.left(), content.center().y() - handleSide / 2.0, qreal(handleSide),
            qreal(handleSide)};
}

QRectF SidebarDelegate::iconRect(const QRect &row, int depth)
{
    const QRectF handle = handleRect(row, depth);
    return {handle.right() + spacing, handle.center().y() - iconSide / 2.0, qreal(iconSide),
            qreal(iconSide)};
}

QRectF SidebarDelegate::glyphRect(const QRect &row, int depth)
{
    const QRectF content = contentRect(row, depth);
    return {content.right() - RunGlyph::side, content.center().y() - RunGlyph::side / 2,
            RunGlyph::side, RunGlyph::side};
}

int SidebarDelegate::rowHeight(const QFontMetrics &metrics)
{
    return std::max(metrics.height(), iconSide + 2) + 2 * spacing;
}

QSize SidebarDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return {120, rowHeight(option.fontMetrics)};
}

void SidebarDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const auto *model = qobject_cast<const SidebarModel *>(index.model());
    const ShellNode *node = model ? model->node(index) : nullptr;
    if (!node)
        return;

    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The selection and hover background only; the rest is drawn below.
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const QPalette &palette = option.palette;
    const QColor accent = palette.color(QPalette::Highlight);
    const bool selected = option.state & QStyle::State_Selected;
    const bool isFolder = node->kind == NodeKind::folder;
    const int depth = index.data(SidebarModel::DepthRole).toInt();
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    if (isFolder && m_view->highlight().folderTargeted == node->id) {
        QPainterPath path;
        path.addRoundedRect(QRectF(option.rect).adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
        painter->fillPath(path, withAlpha(accent, 0.16));
        painter->setPen(QPen(withAlpha(accent, 0.6), 1.5));
        painter->drawPath(path);
    }

    const QColor text =
        selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    const QColor tertiary = withAlpha(palette.color(QPalette::Text), selected ? 0.55 : 0.3);
    const QColor secondary = withAlpha(palette.color(QPalette::Text), 0.6);

    const QRectF handle = handleRect(option.rect, depth);
    painter->drawPixmap(handle.topLeft(),
                        IconMap::pixmap(QStringLiteral("line.3.horizontal.circle.fill"),
                                        handle.size().toSize(),
                                        selected ? withAlpha(text, 0.6) : tertiary, scale));

    const QRectF icon = iconRect(option.rect, depth);
    const QString symbol = !isFolder               ? QStringLiteral("terminal")
                           : node->isEmptyFolder() ? QStringLiteral("folder")
                                                   : QStringLiteral("folder.fill");
    QColor iconColor = isFolder ? accent : secondary;
    if (selected)
        iconColor = isFolder ? text : withAlpha(text, 0.85);
    painter->drawPixmap(icon.topLeft(),
                        IconMap::pixmap(symbol, icon.size().toSize(), iconColor, scale));

    const bool glyph = index.data(SidebarModel::HasPresetsRole).toBool();
    const QRectF content = contentRect(option.rect, depth);
    qreal trailing = glyph ? glyphRect(option.rect, depth).left() - spacing : content.right();
    if (index.data(SidebarModel::MissingFileRole).toBool()) {
        // The file is gone: a run would only say so. The row's tooltip says why.
        const QRectF warning(trailing - iconSide, content.center().y() - iconSide / 2.0, iconSide,
                             iconSide);
        painter->drawPixmap(warning.topLeft(),
                            IconMap::pixmap(QStringLiteral("exclamationmark.triangle.fill"),
                                            warning.size().toSize(), QColor(226, 144, 20), scale));
        trailing = warning.left() - spacing;
    }
    QRectF name(icon.right() + spacing, option.rect.top(), 0, option.rect.height());
    name.setRight(trailing);
    painter->setPen(text);
    painter->setFont(option.font);
    painter->drawText(name, Qt::AlignVCenter | Qt::AlignLeft,
                      ElidedLabel::elided(option.fontMetrics, node->displayName(), Qt::ElideRight,
                                          int(name.width())));

    if (glyph) {
        RunGlyph face;
        face.isSelected = selected;
        face.scale = m_view->glyphScale(node->id);
        face.paint(painter, glyphRect(option.rect, depth).center(), accent);
    }
    painter->restore();
}
