#include "app/LazyWindowIcon.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

LazyWindowIcon::LazyWindowIcon(std::function<QIcon()> icon, QObject *parent)
    : QObject(parent), m_icon(std::move(icon))
{
    qApp->installEventFilter(this);
}

bool LazyWindowIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show || !m_icon || !watched->isWidgetType())
        return false;
    const auto *widget = static_cast<QWidget *>(watched);
    if (!widget->isWindow() || widget->windowFlags().testFlag(Qt::BypassWindowManagerHint))
        return false;
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip)
        return false;
    qApp->removeEventFilter(this);
    // Windows shown already take the icon from the application as it changes.
    QApplication::setWindowIcon(std::exchange(m_icon, nullptr)());
    return false;
}
