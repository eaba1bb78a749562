#include "WindowTestRig.h"
#include "library/EditHistory.h"
#include "window/ContentView.h"
#include "window/DetailView.h"
#include "window/FilePicker.h"
#include "window/NodeActions.h"
#include "window/SidebarModel.h"
#include "window/SidebarTreeView.h"

#include <QAccessible>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <functional>

using namespace Qt::StringLiterals;

namespace {
class Picker : public FilePicker
{
public:
    QStringList scripts;
    std::optional<QString> folder;
    std::optional<QString> config;
    QStringList chooseScripts(QWidget *) override { return scripts; }
    std::optional<QString> chooseFolder(QWidget *) override { return folder; }
    std::optional<QString> chooseConfig(QWidget *) override { return config; }
};
} // namespace

// The detail pane and the toolbar inside the management window: what the
// sidebar's selection shows and where the toolbar's additions go.
class TestManagementWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void additionsFollowTheSelection_data();
    void additionsFollowTheSelection();
    void selectionShowsTheNode();
    void lastPresetGoneFromEditorAndSidebar();
    void toolbarRequestsAndPicksConfig();
    void everyControlHasAName();

private:
    QToolButton *toolButton(const QString &name) const
    {
        return m_window->findChild<QToolButton *>(name + u"Button"_s);
    }
    void clickRow(const QUuid &id)
    {
        const QRect rect = m_window->sidebar()->visualRect(m_window->sidebarModel()->indexOf(id));
        QTest::mouseClick(m_window->sidebar()->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() + 60, rect.center().y()));
    }

    std::unique_ptr<WindowTestRig> m_rig;
    QPointer<ContentView> m_window;
    Picker *m_picker = nullptr;
    ShellNode m_a, m_inA, m_top;
};

void TestManagementWindow::initTestCase()
{
    static QTemporaryDir preferencesHome;
    Preferences::useStandardFile(preferencesHome.filePath(u"orlenta.ini"_s));
}

void TestManagementWindow::init()
{
    m_rig = std::make_unique<WindowTestRig>();
    m_inA = WindowTestRig::script(u"inA"_s, QStringList{u"only"_s});
    m_a = WindowTestRig::folder(u"A"_s, {m_inA});
    m_top = WindowTestRig::script(u"top"_s);
    m_rig->store->setRoots({m_a, m_top});
    m_window = new ContentView(*m_rig->store, *m_rig->runs);
    auto picker = std::make_unique<Picker>();
    m_picker = picker.get();
    m_window->actions().setFilePicker(std::move(picker));
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_window->sidebar()->expandAll();
}

void TestManagementWindow::cleanup()
{
    delete m_window;
    m_rig.reset();
}

void TestManagementWindow::additionsFollowTheSelection_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("intoA");
    QTest::newRow("folder A") << u"A"_s << true;
    QTest::newRow("script in A") << u"inA"_s << true;
    QTest::newRow("top-level script") << u"top"_s << false;
    QTest::newRow("nothing") << QString() << false;
}

void TestManagementWindow::additionsFollowTheSelection()
{
    QFETCH(QString, selected);
    QFETCH(bool, intoA);
    const QHash<QString, QUuid> ids{{u"A"_s, m_a.id}, {u"inA"_s, m_inA.id}, {u"top"_s, m_top.id}};
    if (!selected.isEmpty())
        clickRow(ids.value(selected));

    QDir(m_rig->home.path()).mkpath(u"tools"_s);
    m_rig->home.write(u"tools/one.sh"_s, "echo");
    m_picker->scripts = {u"/s/one.sh"_s, u"/s/notes.txt"_s, u"/s/two.COMMAND"_s};
    m_picker->folder = m_rig->home.filePath(u"tools"_s);
    QTest::mouseClick(toolButton(u"addScriptsAction"_s), Qt::LeftButton);
    QTest::mouseClick(toolButton(u"importFolderAction"_s), Qt::LeftButton);
    QTest::mouseClick(toolButton(u"newFolderAction"_s), Qt::LeftButton);

    const QList<ShellNode> &roots = m_rig->store->roots();
    QStringList added;
    for (const ShellNode &node : intoA ? roots.at(0).children->mid(1) : roots.mid(2, 3))
        added << node.name;
    QCOMPARE(added, (QStringList{u"one"_s, u"two"_s, u"tools"_s}));
    QCOMPARE(roots.size(), intoA ? 3 : 6);
    // "新建文件夹" always at the top level.
    QCOMPARE(roots.last().kind, NodeKind::folder);
    QVERIFY(!roots.last().children);

    // The two scripts of one pick are one undo step.
    m_window->history().undo();
    m_window->history().undo();
    QCOMPARE(m_rig->store->roots().size(), intoA ? 2 : 4);
    m_window->history().undo();
    QCOMPARE(m_rig->store->roots(), (QList<ShellNode>{m_a, m_top}));
}

void TestManagementWindow::selectionShowsTheNode()
{
    auto *detail = m_window->detail();
    QVERIFY(m_window->findChild<QWidget *>(u"emptyDetail"_s)->isVisible());
    clickRow(m_top.id);
    QCOMPARE(detail->shownNodeID(), m_top.id);
    auto *run = detail->findChild<QPushButton *>(u"runButton"_s);
    QVERIFY(run->isVisible());
    QVERIFY(!run->menu());

    // Return in the sidebar opens folders; it never runs the selection.
    clickRow(m_a.id);
    QCOMPARE(detail->shownNodeID(), m_a.id);
    QVERIFY(m_window->sidebar()->hasFocus());
    QTest::keyClick(m_window->sidebar(), Qt::Key_Return);
    QTest::qWait(20);
    QVERIFY(m_rig->terminal->commandLines.isEmpty());
    // From within the pane it runs what the pane shows.
    run->setFocus();
    QTest::keyClick(run, Qt::Key_Return);
    QTRY_COMPARE(m_rig->terminal->commandLines.size(), 1);

    // Deleted while shown: the welcome text, although the id stays selected.
    m_window->actions().deleteNode(m_a.id);
    QVERIFY(m_window->findChild<QWidget *>(u"emptyDetail"_s)->isVisible());
}

void TestManagementWindow::lastPresetGoneFromEditorAndSidebar()
{
    clickRow(m_inA.id);
    const QModelIndex row = m_window->sidebarModel()->indexOf(m_inA.id);
    QVERIFY(row.data(SidebarModel::HasPresetsRole).toBool());
    auto *remove = m_window->detail()->findChild<QToolButton *>(u"removeArg"_s);
    QTest::mouseClick(remove, Qt::LeftButton);
    QVERIFY(
        !m_window->sidebarModel()->indexOf(m_inA.id).data(SidebarModel::HasPresetsRole).toBool());
    QVERIFY(!m_window->detail()->findChild<QPushButton *>(u"runButton"_s)->menu());
    QVERIFY(!Forest::first(m_rig->store->roots(), m_inA.id)->args);

    // Typed again: the row's glyph is back with the first character.
    QTest::mouseClick(m_window->detail()->findChild<QToolButton *>(u"addArg"_s), Qt::LeftButton);
    QTest::keyClicks(QApplication::focusWidget(), u"x"_s);
    QVERIFY(
        m_window->sidebarModel()->indexOf(m_inA.id).data(SidebarModel::HasPresetsRole).toBool());
}

void TestManagementWindow::toolbarRequestsAndPicksConfig()
{
    QSignalSpy settings(m_window.data(), &ContentView::settingsRequested);
    QTest::mouseClick(toolButton(u"settingsAction"_s), Qt::LeftButton);
    QCOMPARE(settings.size(), 1);

    // The commands in their order, the window's space and "完成" last.
    auto *toolbar = m_window->findChild<QToolBar *>(u"toolbar"_s);
    QStringList order;
    for (QAction *action : toolbar->actions())
        order << (action->objectName().isEmpty() ? toolbar->widgetForAction(action)->objectName()
                                                 : action->objectName());
    QCOMPARE(order, (QStringList{u"newFolderAction"_s, u"editAction"_s, u"toolbarSpace"_s,
                                 u"addScriptsAction"_s, u"importFolderAction"_s, u"sortSegment"_s,
                                 u"profileAction"_s, u"settingsAction"_s, u"done"_s}));
    m_rig->home.write(u"w/Work/tallowBay.json"_s, "{\"isPublished\":false,\"roots\":[]}");
    m_picker->config = m_rig->home.filePath(u"w/Work/tallowBay.json"_s);
    auto *menu = m_window->findChild<QAction *>(u"profileAction"_s)->menu();
    QVERIFY(menu);
    menu->actions().constLast()->trigger();
    QCOMPARE(m_rig->store->currentProfile().name, u"Work"_s);
    QVERIFY(m_rig->store->roots().isEmpty());
}

void TestManagementWindow::everyControlHasAName()
{
    // For screen readers, as the accessibility bus shows the window: every
    // control, shown or not yet, and every widget the keyboard reaches says
    // what it is, before a selection, for a folder and for a script with presets.
    const QSet<QAccessible::Role> controls{
        QAccessible::PushButton, QAccessible::CheckBox, QAccessible::RadioButton,
        QAccessible::ButtonMenu, QAccessible::ComboBox, QAccessible::EditableText,
        QAccessible::Cell,       QAccessible::TreeItem, QAccessible::ColumnHeader};
    QStringList unnamed;
    std::function<void(QAccessibleInterface *, const QString &)> walk =
        [&](QAccessibleInterface *item, const QString &state) {
            if (!item)
                return;
            const auto *widget = qobject_cast<const QWidget *>(item->object());
            const bool reached =
                widget && widget->isVisible() && widget->focusPolicy() != Qt::NoFocus;
            if ((reached || controls.contains(item->role())) &&
                item->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << state + u' ' + (item->object() ? item->object()->objectName() : u"?"_s);
            for (int i = 0; i < item->childCount(); ++i)
                walk(item->child(i), state);
        };
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(m_window.data());
    walk(window, u"nothing selected:"_s);
    clickRow(m_a.id);
    walk(window, u"folder:"_s);
    clickRow(m_inA.id);
    QVERIFY(m_window->detail()->findChild<QPushButton *>(u"runButton"_s)->menu());
    walk(window, u"script with presets:"_s);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
}

QTEST_MAIN(TestManagementWindow)
#include "tst_managementwindow.moc"
