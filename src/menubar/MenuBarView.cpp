#include "menubar/MenuBarView.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "platform/Notifier.h"
#include "run/RunController.h"
#include "ui/IconMap.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

MenuBarView::MenuBarView(ShellStore &store, RunController &runController, QObject *parent)
    : QObject(parent), m_store(store), m_runController(runController),
      m_menu(std::make_unique<QMenu>())
{
    m_menu->setObjectName(QStringLiteral("menuBarView"));
    m_runner = [this](const ShellNode &node, std::optional<QString> arg) {
        m_runController.run(node, m_store, std::move(arg));
    };
    connect(&m_store, &ShellStore::changed, this, &MenuBarView::setNeedsRebuild);
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &MenuBarView::setNeedsRebuild);
    // Queued: the chosen entry is triggered after aboutToHide, and must not be
    // deleted before that.
    connect(
        m_menu.get(), &QMenu::aboutToHide, this,
        [this] {
            if (m_pending)
                rebuild();
        },
        Qt::QueuedConnection);
    rebuild();
}

MenuBarView::~MenuBarView() = default;

void MenuBarView::setOffersUpdateCheck(bool offers)
{
    if (offers == m_offersUpdateCheck)
        return;
    m_offersUpdateCheck = offers;
    setNeedsRebuild();
}

void MenuBarView::setNeedsRebuild()
{
    m_pending = true;
    if (m_scheduled)
        return;
    // Deferred: a change may come from an entry's own action (a run), which
    // must not be deleted while it fires; several changes also rebuild once.
    m_scheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_scheduled = false;
            if (m_pending)
                rebuild();
        },
        Qt::QueuedConnection);
}

void MenuBarView::rebuild()
{
    if (m_menu->isVisible())
        return; // aboutToHide brings us back
    m_pending = false;
    ++m_rebuilds;
    m_menu->clear();
    for (QMenu *submenu : m_menu->findChildren<QMenu *>(Qt::FindDirectChildrenOnly))
        delete submenu;

    addTree();
    m_menu->addSeparator();

    QAction *quickRun = m_menu->addAction(IconMap::icon(QStringLiteral("magnifyingglass")),
                                          LanguageManager::localized(QStringLiteral("快速运行…")));
    quickRun->setObjectName(QStringLiteral("quickRun"));
    connect(quickRun, &QAction::triggered, this, &MenuBarView::quickRunRequested);

    QAction *settings = m_menu->addAction(IconMap::icon(QStringLiteral("gearshape")),
                                          LanguageManager::localized(QStringLiteral("设置…")));
    settings->setObjectName(QStringLiteral("settings"));
    connect(settings, &QAction::triggered, this, &MenuBarView::settingsRequested);
    m_menu->addSeparator();

    if (m_offersUpdateCheck) {
        QAction *updates =
            m_menu->addAction(IconMap::icon(QStringLiteral("arrow.down.circle")),
                              LanguageManager::localized(QStringLiteral("检查更新…")));
        updates->setObjectName(QStringLiteral("checkForUpdates"));
        connect(updates, &QAction::triggered, this, &MenuBarView::checkForUpdatesRequested);
        m_menu->addSeparator();
    }

    QAction *main = m_menu->addAction(IconMap::icon(QStringLiteral("macwindow")),
                                      LanguageManager::localized(QStringLiteral("打开管理窗口")));
    main->setObjectName(QStringLiteral("openMain"));
    connect(main, &QAction::triggered, this, &MenuBarView::mainWindowRequested);
    m_menu->addSeparator();

    QAction *quit = m_menu->addAction(IconMap::icon(QStringLiteral("power")),
                                      LanguageManager::localized(QStringLiteral("退出")));
    quit->setObjectName(QStringLiteral("quit"));
    connect(quit, &QAction::triggered, this, &MenuBarView::quitRequested);
}

void MenuBarView::addTree()
{
    if (!m_store.isPublished()) {
        // A Linux desktop has no menu bar of that name: the menu is the tray's.
#if defined(Q_OS_MACOS)
        m_menu->addAction(LanguageManager::localized(QStringLiteral("尚未发布到菜单栏")))
            ->setEnabled(false);
#else
        m_menu->addAction(LanguageManager::localized(QStringLiteral("尚未发布到托盘菜单")))
            ->setEnabled(false);
#endif
        m_menu
            ->addAction(LanguageManager::localized(
                QStringLiteral("在管理窗口点击「完成」后，这里会出现脚本树")))
            ->setEnabled(false);
        return;
    }
    const QList<ShellNode> roots = m_store.displayRoots();
    if (roots.isEmpty()) {
        m_menu->addAction(LanguageManager::localized(QStringLiteral("暂无脚本，请在管理窗口添加")))
            ->setEnabled(false);
        return;
    }
    // The runner is read when an entry fires, so a later setRunner applies.
    const MenuRunner run = [this](const ShellNode &node, std::optional<QString> arg) {
        sayIfFileIsGone(node);
        m_runner(node, std::move(arg));
    };
    for (const ShellNode &node : roots)
        NodeMenuItem(node, m_store, m_runController).addTo(m_menu.get(), run);
}

void MenuBarView::sayIfFileIsGone(const ShellNode &node) const
{
    if (!m_notifier || node.kind != NodeKind::script)
        return;
    if (node.filePath && QFileInfo::exists(*node.filePath))
        return;
    // The same words as the run log's line.
    m_notifier->post(QStringLiteral("orlenta-run"), QStringLiteral("Orlenta"),
                     LanguageManager::localized(QStringLiteral("错误：脚本文件不存在：%@"),
                                                {node.filePath.value_or(QString())}));
}
