#include "window/WindowToolbar.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "ui/IconMap.h"
#include "ui/SegmentButton.h"
#include "ui/TextStyle.h"
#include "window/ProfileMenu.h"
#include "window/ToolbarDisplayMode.h"

#include <QAction>
#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

WindowToolbar::WindowToolbar(QToolBar &toolbar, ShellStore &store, Preferences &preferences,
                             Hooks hooks, QAction *space, QAction *before)
    : QObject(&toolbar), m_toolbar(toolbar), m_store(store), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("windowToolbar"));
    QAction *leading = space ? space : before;
    auto addAction = [&](const QString &name, const QString &symbol, QAction *position) {
        auto *action = new QAction(IconMap::icon(symbol), QString(), &m_toolbar);
        action->setObjectName(name);
        m_toolbar.insertAction(position, action);
        if (QWidget *button = m_toolbar.widgetForAction(action)) {
            button->setObjectName(name + QStringLiteral("Button"));
            // Reachable with Tab like the window's other controls.
            button->setFocusPolicy(Qt::TabFocus);
        }
        return action;
    };

    m_newFolder =
        addAction(QStringLiteral("newFolderAction"), QStringLiteral("folder.badge.plus"), leading);
    connect(m_newFolder, &QAction::triggered, this, [this] {
        if (m_hooks.newFolder)
            m_hooks.newFolder();
        else
            m_store.addFolder(std::nullopt, QString());
    });

    // The first item stands apart at the leading end; the rest follow the gap.
    if (!space) {
        auto *gap = new QWidget(&m_toolbar);
        gap->setObjectName(QStringLiteral("toolbarGap"));
        gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        m_toolbar.insertWidget(before, gap);
    }

    m_addScripts = addAction(QStringLiteral("addScriptsAction"),
                             QStringLiteral("square.and.arrow.down"), before);
    connect(m_addScripts, &QAction::triggered, this, [this] {
        if (m_hooks.addScripts)
            m_hooks.addScripts();
    });
    m_importFolder = addAction(QStringLiteral("importFolderAction"),
                               QStringLiteral("square.and.arrow.down.on.square"), before);
    connect(m_importFolder, &QAction::triggered, this, [this] {
        if (m_hooks.importFolder)
            m_hooks.importFolder();
    });
    for (QAction *action : {m_addScripts, m_importFolder})
        if (QWidget *button = m_toolbar.widgetForAction(action))
            button->installEventFilter(this);

    m_sort = new QWidget(&m_toolbar);
    m_sort->setObjectName(QStringLiteral("sortSegment"));
    auto *sortColumn = new QVBoxLayout(m_sort);
    sortColumn->setContentsMargins(4, 0, 4, 0);
    sortColumn->setSpacing(2);
    auto *segments = new QHBoxLayout;
    segments->setSpacing(0);
    auto *group = new QButtonGroup(m_sort);
    m_sortCustom = new SegmentButton(m_sort);
    m_sortCustom->setObjectName(QStringLiteral("sortCustom"));
    m_sortName = new SegmentButton(m_sort);
    m_sortName->setObjectName(QStringLiteral("sortName"));
    for (QToolButton *segment : {m_sortCustom, m_sortName}) {
        group->addButton(segment);
        segments->addWidget(segment);
    }
    connect(m_sortCustom, &QToolButton::clicked, this,
            [this] { m_store.setSortMode(SortMode::custom); });
    connect(m_sortName, &QToolButton::clicked, this,
            [this] { m_store.setSortMode(SortMode::name); });
    sortColumn->addLayout(segments);
    m_sortTitle = new QLabel(m_sort);
    m_sortTitle->setAlignment(Qt::AlignHCenter);
    sortColumn->addWidget(m_sortTitle);
    m_toolbar.insertWidget(before, m_sort);

    m_profiles = addAction(QStringLiteral("profileAction"), QStringLiteral("tray.2"), before);
    m_profileMenu = new ProfileMenu(m_store, m_hooks.pickConfig, &m_toolbar);
    m_profiles->setMenu(m_profileMenu);
    if (auto *button = qobject_cast<QToolButton *>(m_toolbar.widgetForAction(m_profiles)))
        button->setPopupMode(QToolButton::InstantPopup);

    m_settings = addAction(QStringLiteral("settingsAction"), QStringLiteral("gearshape"), before);
    connect(m_settings, &QAction::triggered, this, &WindowToolbar::settingsRequested);

    m_displayMode = new ToolbarDisplayMode(m_toolbar, preferences);
    connect(&m_toolbar, &QToolBar::toolButtonStyleChanged, this, &WindowToolbar::followStyle);

    retranslate();
    followSortMode();
    followStyle();
    connect(&m_store, &ShellStore::changed, this, &WindowToolbar::followSortMode);
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &WindowToolbar::retranslate);
}

void WindowToolbar::retranslate()
{
    auto set = [](QAction *action, const QString &text, const QString &tip) {
        action->setText(text);
        action->setIconText(text);
        action->setToolTip(tip);
    };
    set(m_newFolder, LanguageManager::localized(QStringLiteral("新建文件夹")),
        LanguageManager::localized(QStringLiteral("新建文件夹（放入所选文件夹）")));
#if defined(Q_OS_MACOS)
    set(m_addScripts, LanguageManager::localized(QStringLiteral("添加脚本")),
        LanguageManager::localized(
            QStringLiteral("添加 shell 脚本（.sh / .command）到所选文件夹")));
#else
    set(m_addScripts, LanguageManager::localized(QStringLiteral("添加脚本")),
        LanguageManager::localized(QStringLiteral("添加 shell 脚本（.sh）到所选文件夹")));
#endif
    set(m_importFolder, LanguageManager::localized(QStringLiteral("导入文件夹")),
        LanguageManager::localized(QStringLiteral("导入整个文件夹中的脚本")));
    set(m_profiles, LanguageManager::localized(QStringLiteral("配置")),
        LanguageManager::localized(QStringLiteral("切换配置文件 / 打开其他配置")));
    set(m_settings, LanguageManager::localized(QStringLiteral("设置")),
        LanguageManager::localized(QStringLiteral("设置：iCloud 同步等")));

    const QString sortTip = LanguageManager::localized(QStringLiteral(
        "自定义：按你拖动/添加的顺序；名称：按文件名排序，不会改动已保存的自定义顺序"));
    const QString sortTitle = LanguageManager::localized(QStringLiteral("排序方式"));
    m_sort->setToolTip(sortTip);
    m_sort->setAccessibleName(sortTitle);
    m_sortTitle->setText(sortTitle);
    m_sortCustom->setText(LanguageManager::localized(QStringLiteral("自定义")));
    m_sortName->setText(LanguageManager::localized(QStringLiteral("名称")));
    for (QToolButton *segment : {m_sortCustom, m_sortName}) {
        segment->setToolTip(sortTip);
        segment->setAccessibleName(sortTitle + QStringLiteral(": ") + segment->text());
    }
}

void WindowToolbar::followSortMode()
{
    const bool custom = m_store.sortMode() == SortMode::custom;
    m_sortCustom->setChecked(custom);
    m_sortName->setChecked(!custom);
}

void WindowToolbar::followStyle()
{
    // The switch's title shows where the other items show their labels.
    m_sortTitle->setVisible(m_toolbar.toolButtonStyle() == Qt::ToolButtonTextUnderIcon);
    m_sortTitle->setFont(m_toolbar.font());
}

bool WindowToolbar::eventFilter(QObject *watched, QEvent *event)
{
    // Held down, the button shows the filled icon; moving away while held
    // keeps it, releasing ends it. The click itself does the work.
    const bool press =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if ((press || release) && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (QAction *action : {m_addScripts, m_importFolder})
            if (watched == m_toolbar.widgetForAction(action))
                setPressed(action, press);
    }
    return QObject::eventFilter(watched, event);
}

void WindowToolbar::setPressed(QAction *action, bool pressed)
{
    const bool addScripts = action == m_addScripts;
    (addScripts ? m_addScriptPressed : m_importFolderPressed) = pressed;
    const QString symbol = addScripts ? QStringLiteral("square.and.arrow.down")
                                      : QStringLiteral("square.and.arrow.down.on.square");
    action->setIcon(IconMap::icon(pressed ? symbol + QStringLiteral(".fill") : symbol));
}
