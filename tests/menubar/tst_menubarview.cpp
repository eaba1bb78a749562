#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "menubar/MenuBarView.h"
#include "platform/Notifier.h"
#include "run/RunController.h"
#include "settings/Preferences.h"
#include "ui/IconMap.h"
#include "ui/MenuTitle.h"

#include "TestNodes.h"
#include "TestSupport.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

namespace {

using TestNodes::folder;
using TestNodes::script;

QString symbolOf(const QIcon &icon)
{
    if (icon.isNull())
        return {};
    for (const QString &symbol : IconMap::symbols())
        if (IconMap::icon(symbol).cacheKey() == icon.cacheKey())
            return symbol;
    return QStringLiteral("?");
}

// One line per item: indentation for depth, "~" for an inert item, the
// icon's symbol name in brackets, ">" for a submenu.
void dump(const QMenu *menu, int depth, QStringList &lines)
{
    for (QAction *action : menu->actions()) {
        const QString indent(depth * 2, u' ');
        if (action->isSeparator()) {
            lines.append(indent + QStringLiteral("---"));
            continue;
        }
        QString line =
            indent + (action->isEnabled() ? QString() : QStringLiteral("~")) + action->text();
        if (const QString symbol = symbolOf(action->icon()); !symbol.isEmpty())
            line += QStringLiteral(" [%1]").arg(symbol);
        if (action->menu())
            line += QStringLiteral(" >");
        lines.append(line);
        if (action->menu()) {
            Q_EMIT action->menu()->aboutToShow(); // as a tray host does before reading it
            dump(action->menu(), depth + 1, lines);
        }
    }
}

QStringList dump(const QMenu *menu)
{
    QStringList lines;
    dump(menu, 0, lines);
    return lines;
}

const QStringList kCommands = {
    QStringLiteral("---"),
    QStringLiteral("快速运行… [magnifyingglass]"),
    QStringLiteral("设置… [gearshape]"),
    QStringLiteral("---"),
    QStringLiteral("检查更新… [arrow.down.circle]"),
    QStringLiteral("---"),
    QStringLiteral("打开管理窗口 [macwindow]"),
    QStringLiteral("---"),
    QStringLiteral("退出 [power]"),
};

QAction *findAction(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text)
            return action;
        if (action->menu()) {
            Q_EMIT action->menu()->aboutToShow();
            if (QAction *found = findAction(action->menu(), text))
                return found;
        }
    }
    return nullptr;
}

struct Run
{
    QUuid id;
    std::optional<QString> arg;
};

} // namespace

class TestMenuBarView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void menuShows_data();
    void menuShows();
    void presetsRunWithTheirText();
    void scriptsWithoutPresetsRunBare();
    void followsSortMode();
    void rebuildsAfterStoreChange();
    void waitsWhileOpen();
    void rebuildsOnLanguageChange();
    void commandsEmitTheirRequests();
    void noUpdateCheckWithoutFeed();
    void submenusFillWhenOpenedByKeyboard();
    void goneFileSaysWhyInANotification();
    void hugeNameIsCutToAScreen();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;
    std::unique_ptr<RunController> m_runs;
    std::unique_ptr<MenuBarView> m_view;
    QList<Run> m_ran;
};

void TestMenuBarView::init()
{
    m_home = std::make_unique<TestHome>();
    m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
    m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
    m_runs = std::make_unique<RunController>();
    m_view = std::make_unique<MenuBarView>(*m_store, *m_runs);
    m_ran.clear();
    m_view->setRunner([this](const ShellNode &node, std::optional<QString> arg) {
        m_ran.append({node.id, arg});
    });
}

void TestMenuBarView::cleanup()
{
    m_view.reset();
    m_runs.reset();
    m_store.reset();
    m_preferences.reset();
    m_home.reset();
}

void TestMenuBarView::menuShows_data()
{
    QTest::addColumn<bool>("published");
    QTest::addColumn<QList<ShellNode>>("roots");
    QTest::addColumn<QStringList>("tree");

    const QList<ShellNode> some = {
        script(QStringLiteral("deploy"), QStringLiteral("/x/deploy.sh"))};
    QTest::newRow("unpublished with scripts")
        << false << some
        << QStringList{QStringLiteral("~尚未发布到托盘菜单"),
                       QStringLiteral("~在管理窗口点击「完成」后，这里会出现脚本树")};
    QTest::newRow("published, empty")
        << true << QList<ShellNode>() << QStringList{QStringLiteral("~暂无脚本，请在管理窗口添加")};
    QTest::newRow("folder holding an empty folder")
        << true
        << QList<ShellNode>{folder(QStringLiteral("outer"),
                                   QList<ShellNode>{folder(QStringLiteral("inner"))})}
        << QStringList{QStringLiteral("outer [folder] >"), QStringLiteral("  inner [folder] >"),
                       QStringLiteral("    ~（空文件夹）")};
    QTest::newRow("empty children list")
        << true << QList<ShellNode>{folder(QStringLiteral("f"), QList<ShellNode>())}
        << QStringList{QStringLiteral("f [folder] >"), QStringLiteral("  ~（空文件夹）")};
    QTest::newRow("presets") << true
                             << QList<ShellNode>{script(
                                    QStringLiteral("svc"), QStringLiteral("/x/svc.sh"),
                                    QStringList{QStringLiteral("a"), QStringLiteral(" b \n")})}
                             << QStringList{QStringLiteral("svc [terminal] >"),
                                            QStringLiteral("  a [play.fill]"),
                                            QStringLiteral("  b [play.fill]")};
    QTest::newRow("all-blank presets")
        << true
        << QList<ShellNode>{script(QStringLiteral("svc"), QStringLiteral("/x/svc.sh"),
                                   QStringList{QStringLiteral("  "), QStringLiteral("\n")})}
        << QStringList{QStringLiteral("svc [terminal]")};
    QTest::newRow("empty name shows the file name")
        << true << QList<ShellNode>{script(QString(), QStringLiteral("/x/run.sh"))}
        << QStringList{QStringLiteral("run.sh [terminal]")};
    QTest::newRow("names are shown verbatim")
        << true
        << QList<ShellNode>{script(QStringLiteral("R&D\tjobs"), QStringLiteral("/x/a.sh"),
                                   QStringList{QStringLiteral("--a&b")})}
        << QStringList{QStringLiteral("R&&D jobs [terminal] >"),
                       QStringLiteral("  --a&&b [play.fill]")};
    QTest::newRow("deep tree in stored order")
        << true
        << QList<ShellNode>{script(QStringLiteral("z"), QStringLiteral("/z.sh")),
                            folder(QStringLiteral("tools"),
                                   QList<ShellNode>{
                                       script(QStringLiteral("b"), QStringLiteral("/b.sh")),
                                       folder(QStringLiteral("more"),
                                              QList<ShellNode>{script(QStringLiteral("c"),
                                                                      QStringLiteral("/c.sh"))}),
                                       script(QStringLiteral("a"), QStringLiteral("/a.sh"))})}
        << QStringList{QStringLiteral("z [terminal]"),     QStringLiteral("tools [folder] >"),
                       QStringLiteral("  b [terminal]"),   QStringLiteral("  more [folder] >"),
                       QStringLiteral("    c [terminal]"), QStringLiteral("  a [terminal]")};
}

void TestMenuBarView::menuShows()
{
    QFETCH(bool, published);
    QFETCH(QList<ShellNode>, roots);
    QFETCH(QStringList, tree);
    m_store->setRoots(roots);
    m_store->setPublished(published);
    m_view->rebuild();
    QCOMPARE(dump(m_view->menu()), tree + kCommands);
}

void TestMenuBarView::presetsRunWithTheirText()
{
    const ShellNode svc = script(QStringLiteral("svc"), QStringLiteral("/x/svc.sh"),
                                 QStringList{QStringLiteral("a"), QStringLiteral("b")});
    m_store->setRoots({svc});
    m_store->setPublished(true);
    m_view->rebuild();
    QAction *b = findAction(m_view->menu(), QStringLiteral("b"));
    QVERIFY(b);
    b->trigger();
    QCOMPARE(m_ran.size(), 1);
    QCOMPARE(m_ran.first().id, svc.id);
    QCOMPARE(m_ran.first().arg, std::optional<QString>(QStringLiteral("b")));
}

void TestMenuBarView::scriptsWithoutPresetsRunBare()
{
    const ShellNode blank = script(QStringLiteral("blank"), QStringLiteral("/x/b.sh"),
                                   QStringList{QStringLiteral(" ")});
    const ShellNode pathless = script(QStringLiteral("nowhere"), QString());
    ShellNode noPath = pathless;
    noPath.filePath.reset();
    m_store->setRoots({blank, noPath});
    m_store->setPublished(true);
    m_view->rebuild();
    findAction(m_view->menu(), QStringLiteral("blank"))->trigger();
    // A script without a path still goes to the run controller, which reports it.
    findAction(m_view->menu(), QStringLiteral("nowhere"))->trigger();
    QCOMPARE(m_ran.size(), 2);
    QCOMPARE(m_ran.at(0).id, blank.id);
    QVERIFY(!m_ran.at(0).arg);
    QCOMPARE(m_ran.at(1).id, noPath.id);
}

void TestMenuBarView::followsSortMode()
{
    m_store->setRoots(
        {script(QStringLiteral("b10"), QStringLiteral("/b10.sh")),
         script(QStringLiteral("b9"), QStringLiteral("/b9.sh")),
         folder(QStringLiteral("zeta"),
                QList<ShellNode>{script(QStringLiteral("y"), QStringLiteral("/y.sh")),
                                 script(QStringLiteral("x"), QStringLiteral("/x.sh"))}),
         script(QStringLiteral("A"), QStringLiteral("/A.sh"))});
    m_store->setPublished(true);
    m_store->setSortMode(SortMode::name);
    QTRY_COMPARE(dump(m_view->menu()).mid(0, 6),
                 (QStringList{QStringLiteral("zeta [folder] >"), QStringLiteral("  x [terminal]"),
                              QStringLiteral("  y [terminal]"), QStringLiteral("A [terminal]"),
                              QStringLiteral("b9 [terminal]"), QStringLiteral("b10 [terminal]")}));
    m_store->setSortMode(SortMode::custom);
    QTRY_COMPARE(dump(m_view->menu()).first(), QStringLiteral("b10 [terminal]"));
}

void TestMenuBarView::rebuildsAfterStoreChange()
{
    m_store->setPublished(true);
    QTRY_COMPARE(dump(m_view->menu()).first(), QStringLiteral("~暂无脚本，请在管理窗口添加"));
    const int before = m_view->rebuildCount();
    m_store->setRoots({script(QStringLiteral("one"), QStringLiteral("/1.sh"))});
    m_store->setRoots({script(QStringLiteral("two"), QStringLiteral("/2.sh"))});
    QTRY_COMPARE(dump(m_view->menu()).first(), QStringLiteral("two [terminal]"));
    QCOMPARE(m_view->rebuildCount(), before + 1); // two changes, one rebuild
    m_store->setPublished(false);
    QTRY_COMPARE(dump(m_view->menu()).first(), QStringLiteral("~尚未发布到托盘菜单"));
}

void TestMenuBarView::waitsWhileOpen()
{
    m_store->setRoots({script(QStringLiteral("old"), QStringLiteral("/old.sh"))});
    m_store->setPublished(true);
    m_view->rebuild();
    QMenu *menu = m_view->menu();
    menu->popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction *old = menu->actions().first();

    m_store->setRoots({script(QStringLiteral("new"), QStringLiteral("/new.sh"))});
    QTest::qWait(20);
    QCOMPARE(menu->actions().first(), old); // untouched while open
    QCOMPARE(old->text(), QStringLiteral("old"));

    menu->hide();
    QTRY_COMPARE(dump(menu).first(), QStringLiteral("new [terminal]"));
}

void TestMenuBarView::rebuildsOnLanguageChange()
{
    const int before = m_view->rebuildCount();
    Q_EMIT LanguageManager::shared().languageChanged();
    QTRY_COMPARE(m_view->rebuildCount(), before + 1);
    QCOMPARE(dump(m_view->menu()).mid(2), kCommands);
}

void TestMenuBarView::commandsEmitTheirRequests()
{
    QSignalSpy settings(m_view.get(), &MenuBarView::settingsRequested);
    QSignalSpy updates(m_view.get(), &MenuBarView::checkForUpdatesRequested);
    QSignalSpy main(m_view.get(), &MenuBarView::mainWindowRequested);
    QSignalSpy quit(m_view.get(), &MenuBarView::quitRequested);
    findAction(m_view->menu(), QStringLiteral("设置…"))->trigger();
    findAction(m_view->menu(), QStringLiteral("检查更新…"))->trigger();
    findAction(m_view->menu(), QStringLiteral("打开管理窗口"))->trigger();
    QCOMPARE(quit.size(), 0);
    findAction(m_view->menu(), QStringLiteral("退出"))->trigger();
    QCOMPARE(settings.size(), 1);
    QCOMPARE(updates.size(), 1);
    QCOMPARE(main.size(), 1);
    QCOMPARE(quit.size(), 1);
}

void TestMenuBarView::noUpdateCheckWithoutFeed()
{
    m_view->setOffersUpdateCheck(false);
    QTRY_VERIFY(!findAction(m_view->menu(), QStringLiteral("检查更新…")));
    // The entry and its separator go; the other commands stay as they were.
    QStringList commands = kCommands;
    commands.remove(4, 2);
    QCOMPARE(dump(m_view->menu()).mid(2), commands);
}

void TestMenuBarView::submenusFillWhenOpenedByKeyboard()
{
    const ShellNode svc = script(QStringLiteral("svc"), QStringLiteral("/x/svc.sh"),
                                 QStringList{QStringLiteral("start"), QStringLiteral("stop")});
    m_store->setRoots({folder(QStringLiteral("tools"), QList<ShellNode>{svc})});
    m_store->setPublished(true);
    m_view->rebuild();
    QMenu *menu = m_view->menu();
    QMenu *tools = menu->actions().first()->menu();
    QVERIFY(tools);
    QVERIFY(tools->actions().isEmpty()); // nothing built before it is shown

    menu->popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Right);
    QTRY_VERIFY(tools->isVisible());
    QCOMPARE(tools->actions().size(), 1);
    QMenu *presets = tools->actions().first()->menu();
    QVERIFY(presets);
    QTest::keyClick(tools, Qt::Key_Right); // a submenu opened by key selects its first entry
    QTRY_VERIFY(presets->isVisible());
    QCOMPARE(presets->actions().size(), 2);
    QTest::keyClick(presets, Qt::Key_Down);
    QTest::keyClick(presets, Qt::Key_Return);
    QTRY_COMPARE(m_ran.size(), 1);
    QCOMPARE(m_ran.first().id, svc.id);
    QCOMPARE(m_ran.first().arg, std::optional<QString>(QStringLiteral("stop")));
}

void TestMenuBarView::goneFileSaysWhyInANotification()
{
    struct Recorder : Notifier
    {
        QStringList bodies;
        void post(const QString &identifier, const QString &title, const QString &body) override
        {
            QCOMPARE(identifier, QStringLiteral("orlenta-run"));
            QCOMPARE(title, QStringLiteral("Orlenta"));
            bodies.append(body);
        }
    } notifier;
    m_view->setNotifier(&notifier);
    QVERIFY(m_home->write(QStringLiteral("s/here.sh"), "echo"));
    const QString gone = m_home->filePath(QStringLiteral("s/gone.sh"));
    const ShellNode here =
        script(QStringLiteral("here"), m_home->filePath(QStringLiteral("s/here.sh")));
    const ShellNode lost = script(QStringLiteral("lost"), gone, QStringList{QStringLiteral("go")});
    m_store->setRoots({here, lost});
    m_store->setPublished(true);
    m_view->rebuild();
    findAction(m_view->menu(), QStringLiteral("here"))->trigger();
    QVERIFY(notifier.bodies.isEmpty());
    // The run still goes ahead: its log says the same.
    findAction(m_view->menu(), QStringLiteral("go"))->trigger();
    QCOMPARE(notifier.bodies, QStringList{QStringLiteral("错误：脚本文件不存在：") + gone});
    QCOMPARE(m_ran.size(), 2);
    m_view->setNotifier(nullptr);
}

void TestMenuBarView::hugeNameIsCutToAScreen()
{
    // A tray host receives every entry whole, and a menu measures it whole.
    const QString huge = QStringLiteral("a&b") + QString(5 * 1024 * 1024, u'x');
    m_store->setRoots({script(huge, QStringLiteral("/x/h.sh"))});
    m_store->setPublished(true);
    m_view->rebuild();
    const QString shown = m_view->menu()->actions().constFirst()->text();
    QCOMPARE(shown.size(), 1 + MenuTitle::longest + 1);
    QVERIFY(shown.startsWith(QStringLiteral("a&&bxx")));
    QVERIFY(shown.endsWith(QStringLiteral("x…")));
    QVERIFY(m_view->menu()->sizeHint().width() < 10000);
}

QTEST_MAIN(TestMenuBarView)
#include "tst_menubarview.moc"
