#include "ui/MainWindowManager.h"

MainWindowManager &MainWindowManager::shared()
{
    static MainWindowManager instance;
    return instance;
}

QWidget *MainWindowManager::focusOrOpen(const std::function<QWidget *()> &openScene)
{
    QWidget *target = m_window.data();
    if (!target || !target->isVisible()) {
        target = openScene ? openScene() : nullptr;
        if (!target)
            return nullptr;
        m_window = target;
        target->show();
    }
    if (target->isMinimized())
        target->showNormal();
    target->raise();
    target->activateWindow();
    return target;
}
