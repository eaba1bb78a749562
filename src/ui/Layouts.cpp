#include "ui/Layouts.h"

#include "ui/IconMap.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Layouts {

QLabel *label(const QString &text, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setWordWrap(true);
    result->setTextFormat(Qt::PlainText);
    return result;
}

QLabel *secondary(const QString &text, QWidget *parent, qreal scale)
{
    QLabel *result = label(text, parent);
    result->setForegroundRole(QPalette::PlaceholderText);
    QFont font = result->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    result->setFont(font);
    return result;
}

QLabel *bold(const QString &text, QWidget *parent)
{
    QLabel *result = label(text, parent);
    QFont font = result->font();
    font.setWeight(QFont::DemiBold);
    result->setFont(font);
    return result;
}

QHBoxLayout *row(QWidget *symbol, QLayout *texts, QWidget *right)
{
    auto *layout = new QHBoxLayout;
    layout->setSpacing(10);
    if (symbol)
        layout->addWidget(symbol, 0, Qt::AlignTop);
    auto *holder = new QVBoxLayout;
    holder->setSpacing(2);
    holder->addLayout(texts);
    layout->addLayout(holder, 1);
    if (right)
        layout->addWidget(right, 0, Qt::AlignVCenter);
    return layout;
}

QVBoxLayout *column(std::initializer_list<QWidget *> widgets)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(2);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return layout;
}

QWidget *wrap(QLayout *layout, QWidget *parent)
{
    auto *widget = new QWidget(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    widget->setLayout(layout);
    return widget;
}

QPushButton *symbolButton(const QString &symbol, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(IconMap::icon(symbol), text, parent);
    button->setMinimumWidth(button->sizeHint().width() + 12);
    return button;
}

} // namespace Layouts
