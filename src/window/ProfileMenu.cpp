#include "window/ProfileMenu.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "ui/IconMap.h"
#include "ui/MenuTitle.h"
#include "ui/TextStyle.h"

#include <QDir>

ProfileMenu::ProfileMenu(ShellStore &store, ConfigPicker pickConfig, QWidget *parent)
    : QMenu(parent), m_store(store), m_pickConfig(std::move(pickConfig))
{
    setObjectName(QStringLiteral("profileMenu"));
    connect(this, &QMenu::aboutToShow, this, &ProfileMenu::rebuild);
    rebuild();
}

void ProfileMenu::rebuild()
{
    // clear() leaves the submenus themselves behind, one more on every opening.
    qDeleteAll(findChildren<QMenu *>(Qt::FindDirectChildrenOnly));
    clear();
    for (const Profile &profile : m_store.profiles()) {
        QAction *action = addAction(MenuTitle::verbatim(title(profile, m_store)));
        // Only the current one carries a mark; a check box on every other
        // entry would read as a list of options to tick.
        if (profile.id == m_store.currentProfileID()) {
            action->setIcon(IconMap::icon(QStringLiteral("checkmark")));
            action->setCheckable(true);
            action->setChecked(true);
        }
        const QUuid id = profile.id;
        connect(action, &QAction::triggered, this, [this, id] {
            if (id == Profile::iCloudProfileID)
                m_store.switchTo(id, m_store.currentProfile().path);
            else
                m_store.switchTo(id, std::nullopt);
        });
    }
    // Kept while their disk is away; shown, but nothing to switch to.
    for (const Profile &profile : m_store.unreachableProfiles()) {
        QAction *action = addAction(LanguageManager::localized(
            QStringLiteral("%@（无法访问）"), {MenuTitle::verbatim(profile.name)}));
        action->setToolTip(profile.path);
        if (profile.id == m_store.currentProfileID()) {
            action->setIcon(IconMap::icon(QStringLiteral("checkmark")));
            action->setCheckable(true);
            action->setChecked(true);
        }
        action->setEnabled(false);
    }
    addSeparator();

    QMenu *remove = addMenu(LanguageManager::localized(QStringLiteral("移除配置")));
    remove->setObjectName(QStringLiteral("removeProfileMenu"));
    if (m_store.customProfiles().isEmpty()) {
        remove->addAction(LanguageManager::localized(QStringLiteral("暂无自定义配置")))
            ->setEnabled(false);
    }
    for (const Profile &profile : m_store.customProfiles()) {
        QAction *action = remove->addAction(MenuTitle::verbatim(profile.name));
        action->setToolTip(profile.path);
        // Destructive, marked as the row menu marks "删除".
        action->setIcon(IconMap::pixmap(QStringLiteral("minus.circle.fill"), QSize(16, 16),
                                        TextStyle::color(palette(), TextStyle::Tone::destructive),
                                        devicePixelRatioF()));
        const QUuid id = profile.id;
        connect(action, &QAction::triggered, this,
                [this, id] { m_store.removeProfile(id, false); });
    }
    addSeparator();

    QAction *open = addAction(IconMap::icon(QStringLiteral("folder.badge.plus")),
                              LanguageManager::localized(QStringLiteral("打开其他配置文件…")));
    connect(open, &QAction::triggered, this, &ProfileMenu::openOtherConfig);
}

QString ProfileMenu::title(const Profile &profile, const ShellStore &store)
{
    // The built-in names are keys; a custom profile's name is the user's.
#if !defined(Q_OS_MACOS)
    if (profile.id == Profile::localProfileID)
        return LanguageManager::localized(QStringLiteral("本机文档"));
    if (profile.id == Profile::iCloudProfileID &&
        store.syncFolder() != store.locations().cloudDrive)
        return QDir(store.syncFolder()).dirName();
#else
    Q_UNUSED(store);
#endif
    if (profile.id == Profile::localProfileID || profile.id == Profile::iCloudProfileID)
        return LanguageManager::localized(profile.name);
    return profile.name;
}

void ProfileMenu::openOtherConfig()
{
    if (!m_pickConfig)
        return;
    if (const std::optional<QString> path = m_pickConfig())
        m_store.addProfile(*path, std::nullopt);
}
