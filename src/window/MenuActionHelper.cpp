#include "window/MenuActionHelper.h"

#include <QAction>

MenuActionHelper::MenuActionHelper(std::function<void(const QString &)> handler, QObject *parent)
    : QObject(parent), m_handler(std::move(handler))
{}

void MenuActionHelper::fire(const QAction *item) const
{
    if (!item || item->data().typeId() != QMetaType::QString || !m_handler)
        return;
    m_handler(item->data().toString());
}
