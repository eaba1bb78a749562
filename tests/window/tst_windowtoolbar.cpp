#include "WindowTestRig.h"
#include "language/LanguageManager.h"
#include "settings/PreferenceKeys.h"
#include "ui/IconMap.h"
#include "window/ProfileMenu.h"
#include "window/ToolbarDisplayMode.h"
#include "window/WindowToolbar.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

// The toolbar driven as a user drives it: where additions go, the sort
// switch, the profile menu, and the display mode across window openings.
class TestWindowToolbar : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void pressedIconsWithoutActing();
    void sortSwitchKeepsTheStoredOrder();
    void profileMenu();
    void firstCloudSwitchCopiesTheDocument();
    void displayModeSurvivesReopening();

private:
    void openWindow();
    QToolButton *button(const QString &actionName) const;
    QStringList menuLines(QMenu *menu) const;

    std::unique_ptr<WindowTestRig> m_rig;
    std::unique_ptr<QMainWindow> m_window;
    QToolBar *m_toolbar = nullptr;
    WindowToolbar *m_commands = nullptr;
    QStringList m_calls;
    std::optional<QString> m_pickedConfig;
};

void TestWindowToolbar::initTestCase()
{
    static QTemporaryDir preferencesHome;
    Preferences::useStandardFile(preferencesHome.filePath(u"orlenta.ini"_s));
}

void TestWindowToolbar::init()
{
    m_rig = std::make_unique<WindowTestRig>();
    m_calls.clear();
    m_pickedConfig.reset();
    openWindow();
}

void TestWindowToolbar::cleanup()
{
    m_window.reset();
    m_rig.reset();
}

void TestWindowToolbar::openWindow()
{
    m_window = std::make_unique<QMainWindow>();
    m_toolbar = m_window->addToolBar(u"toolbar"_s);
    m_toolbar->setObjectName(u"toolbar"_s);
    // The window's own trailing item; the commands go before it.
    QAction *done = m_toolbar->addAction(u"完成"_s);
    done->setObjectName(u"done"_s);
    WindowToolbar::Hooks hooks;
    hooks.addScripts = [this] { m_calls << u"addScripts"_s; };
    hooks.importFolder = [this] { m_calls << u"importFolder"_s; };
    hooks.pickConfig = [this] { return m_pickedConfig; };
    m_commands =
        new WindowToolbar(*m_toolbar, *m_rig->store, *m_rig->preferences, hooks, nullptr, done);
    m_window->resize(900, 500);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_toolbar->actions().last(), done);
}

QToolButton *TestWindowToolbar::button(const QString &actionName) const
{
    return m_window->findChild<QToolButton *>(actionName + u"Button"_s);
}

QStringList TestWindowToolbar::menuLines(QMenu *menu) const
{
    QStringList lines;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator()) {
            lines << u"---"_s;
            continue;
        }
        QString line = (action->isChecked() ? u"✓ "_s : QString()) +
                       (action->isEnabled() ? QString() : u"~"_s) + action->text();
        lines << line;
        if (action->menu())
            for (const QString &sub : menuLines(action->menu()))
                lines << u"  "_s + sub;
    }
    return lines;
}

void TestWindowToolbar::pressedIconsWithoutActing()
{
    QToolButton *add = button(u"addScriptsAction"_s);
    QAction *action = m_window->findChild<QAction *>(u"addScriptsAction"_s);
    const qint64 plain = IconMap::icon(u"square.and.arrow.down"_s).cacheKey();
    const qint64 filled = IconMap::icon(u"square.and.arrow.down.fill"_s).cacheKey();
    QCOMPARE(action->icon().cacheKey(), plain);

    QTest::mousePress(add, Qt::LeftButton);
    QVERIFY(m_commands->addScriptPressed());
    QCOMPARE(action->icon().cacheKey(), filled);
    // Moving away while held keeps the pressed look.
    QTest::mouseMove(add, QPoint(-20, -20));
    QVERIFY(m_commands->addScriptPressed());
    QTest::mouseRelease(add, Qt::LeftButton, {}, QPoint(-20, -20));
    QVERIFY(!m_commands->addScriptPressed());
    QCOMPARE(action->icon().cacheKey(), plain);
    // Released outside: no click, so no picker.
    QVERIFY(m_calls.isEmpty());
}

void TestWindowToolbar::sortSwitchKeepsTheStoredOrder()
{
    m_rig->store->setRoots({WindowTestRig::folder(u"b"_s), WindowTestRig::folder(u"a10"_s),
                            WindowTestRig::folder(u"a9"_s)});
    const QList<ShellNode> stored = m_rig->store->roots();
    auto *byName = m_window->findChild<QToolButton *>(u"sortName"_s);
    auto *custom = m_window->findChild<QToolButton *>(u"sortCustom"_s);
    QVERIFY(custom->isChecked());

    QTest::mouseClick(byName, Qt::LeftButton);
    QCOMPARE(m_rig->store->sortMode(), SortMode::name);
    QCOMPARE(m_rig->preferences->string(PreferenceKeys::sortMode.key), u"name"_s);
    QStringList shown;
    for (const ShellNode &node : m_rig->store->displayRoots())
        shown << node.name;
    QCOMPARE(shown, (QStringList{u"a9"_s, u"a10"_s, u"b"_s}));
    QCOMPARE(m_rig->store->roots(), stored);

    QTest::mouseClick(custom, Qt::LeftButton);
    QCOMPARE(m_rig->store->displayRoots(), stored);

    // A change from elsewhere moves the switch.
    m_rig->store->setSortMode(SortMode::name);
    QVERIFY(byName->isChecked());

    // Assistive technology chooses a segment as a click does.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(custom);
    QVERIFY(accessible && accessible->actionInterface());
    QVERIFY(accessible->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::toggleAction()));
    accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(m_rig->store->sortMode(), SortMode::custom);
    QCOMPARE(m_rig->preferences->string(PreferenceKeys::sortMode.key), u"custom"_s);
    QVERIFY(custom->isChecked() && !byName->isChecked());
}

void TestWindowToolbar::profileMenu()
{
    ProfileMenu &menu = m_commands->profileMenu();
    QCOMPARE(button(u"profileAction"_s)->popupMode(), QToolButton::InstantPopup);
    menu.rebuild();
    const QString local = LanguageManager::localized(u"本机文档"_s); // Linux's word for it
    const QString cloud = LanguageManager::localized(u"iCloud 云盘"_s);
    const QString remove = LanguageManager::localized(u"移除配置"_s);
    const QString open = LanguageManager::localized(u"打开其他配置文件…"_s);
    QCOMPARE(
        menuLines(&menu),
        (QStringList{u"✓ "_s + local, cloud, u"---"_s, remove,
                     u"  ~"_s + LanguageManager::localized(u"暂无自定义配置"_s), u"---"_s, open}));

    // Another document: picked, added, current; the menu shows it checked.
    m_rig->home.write(u"elsewhere/Work/tallowBay.json"_s, "{\"isPublished\":false,\"roots\":[]}");
    m_pickedConfig = m_rig->home.filePath(u"elsewhere/Work/tallowBay.json"_s);
    menu.actions().constLast()->trigger();
    QCOMPARE(m_rig->store->currentProfile().name, u"Work"_s);
    menu.rebuild();
    QCOMPARE(menuLines(&menu).mid(0, 6),
             (QStringList{local, cloud, u"✓ Work"_s, u"---"_s, remove, u"  Work"_s}));

    // A synchronised folder of the user's own: the cloud profile goes by its name.
    QVERIFY(QDir().mkpath(m_rig->home.filePath(u"Nextcloud"_s)));
    m_rig->store->setSyncFolder(m_rig->home.filePath(u"Nextcloud"_s));
    menu.rebuild();
    QCOMPARE(menuLines(&menu).value(1), u"Nextcloud"_s);
    m_rig->store->setSyncFolder(QString());

    // Cancelled: nothing changes.
    m_pickedConfig.reset();
    menu.actions().constLast()->trigger();
    QCOMPARE(m_rig->store->customProfiles().size(), 1);

    // Forgetting it leaves the file and goes back to the local profile.
    menu.actions().at(4)->menu()->actions().at(0)->trigger();
    QVERIFY(m_rig->store->customProfiles().isEmpty());
    QCOMPARE(m_rig->store->currentProfileID(), Profile::localProfileID);
    QVERIFY(QFileInfo::exists(m_rig->home.filePath(u"elsewhere/Work/tallowBay.json"_s)));
}

void TestWindowToolbar::firstCloudSwitchCopiesTheDocument()
{
    m_rig->store->addFolder(std::nullopt, u"mine"_s);
    ProfileMenu &menu = m_commands->profileMenu();
    menu.rebuild();
    menu.actions().at(1)->trigger();
    QCOMPARE(m_rig->store->currentProfileID(), Profile::iCloudProfileID);
    QCOMPARE(m_rig->store->roots().size(), 1);
    QCOMPARE(m_rig->store->roots().at(0).name, u"mine"_s);

    // Back to local, edit, and to the cloud again: its own document stays.
    menu.rebuild();
    menu.actions().at(0)->trigger();
    m_rig->store->addFolder(std::nullopt, u"local only"_s);
    menu.rebuild();
    menu.actions().at(1)->trigger();
    QCOMPARE(m_rig->store->roots().size(), 1);
}

void TestWindowToolbar::displayModeSurvivesReopening()
{
    QCOMPARE(m_toolbar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QVERIFY(!m_rig->preferences->integer(PreferenceKeys::toolbarDisplayMode.key));

    // The toolbar's own context menu, as a right click opens it.
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            m_toolbar->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(m_toolbar, &event);
    auto *menu = m_toolbar->findChild<QMenu *>(u"toolbarDisplayModeMenu"_s);
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 3);
    QVERIFY(menu->actions().at(0)->isChecked());
    menu->actions().at(1)->trigger();
    menu->close();
    QCOMPARE(m_toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    QCOMPARE(m_rig->preferences->integer(PreferenceKeys::toolbarDisplayMode.key), 2);

    // A new window opens in the stored mode.
    openWindow();
    QCOMPARE(m_toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    QCOMPARE(m_commands->displayMode().mode(), int(ToolbarDisplayMode::iconOnly));
    m_commands->displayMode().setMode(ToolbarDisplayMode::labelOnly);
    QCOMPARE(m_rig->preferences->integer(PreferenceKeys::toolbarDisplayMode.key), 3);
    QCOMPARE(m_toolbar->toolButtonStyle(), Qt::ToolButtonTextOnly);
}

QTEST_MAIN(TestWindowToolbar)
#include "tst_windowtoolbar.moc"
