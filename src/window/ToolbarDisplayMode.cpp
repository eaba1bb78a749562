#include "window/ToolbarDisplayMode.h"

#include "language/LanguageManager.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QActionGroup>
#include <QMenu>
#include <QToolBar>

namespace {
Qt::ToolButtonStyle styleOf(int mode)
{
    switch (mode) {
    case ToolbarDisplayMode::iconOnly:
        return Qt::ToolButtonIconOnly;
    case ToolbarDisplayMode::labelOnly:
        return Qt::ToolButtonTextOnly;
    default:
        return Qt::ToolButtonTextUnderIcon;
    }
}
} // namespace

ToolbarDisplayMode::ToolbarDisplayMode(QToolBar &toolbar, Preferences &preferences)
    : QObject(&toolbar), m_toolbar(toolbar), m_preferences(preferences)
{
    setObjectName(QStringLiteral("toolbarDisplayMode"));
    m_toolbar.setToolButtonStyle(styleOf(m_mode));
    m_toolbar.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_toolbar, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &position) { showMenu(m_toolbar.mapToGlobal(position)); });
    restoreIfNeeded();
}

void ToolbarDisplayMode::restoreIfNeeded()
{
    const qint64 stored = PreferenceKeys::toolbarDisplayMode.read(m_preferences);
    if (stored >= iconAndLabel && stored <= labelOnly) {
        m_mode = int(stored);
        m_toolbar.setToolButtonStyle(styleOf(m_mode));
    }
}

void ToolbarDisplayMode::setMode(int mode)
{
    if (mode < defaultMode || mode > labelOnly)
        return;
    const int before = m_mode;
    m_mode = mode;
    m_toolbar.setToolButtonStyle(styleOf(mode));
    if (mode != defaultMode && mode != before)
        PreferenceKeys::toolbarDisplayMode.write(m_preferences, mode);
}

void ToolbarDisplayMode::showMenu(const QPoint &globalPosition)
{
    auto *menu = new QMenu(&m_toolbar);
    menu->setObjectName(QStringLiteral("toolbarDisplayModeMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto *group = new QActionGroup(menu);
    const struct
    {
        int mode;
        QString text;
    } choices[] = {
        {iconAndLabel, LanguageManager::localized(QStringLiteral("图标和文本"))},
        {iconOnly, LanguageManager::localized(QStringLiteral("仅图标"))},
        {labelOnly, LanguageManager::localized(QStringLiteral("仅文本"))},
    };
    for (const auto &choice : choices) {
        QAction *action = menu->addAction(choice.text);
        action->setCheckable(true);
        action->setChecked(m_mode == choice.mode ||
                           (m_mode == defaultMode && choice.mode == iconAndLabel));
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, mode = choice.mode] { setMode(mode); });
    }
    menu->popup(globalPosition);
}
