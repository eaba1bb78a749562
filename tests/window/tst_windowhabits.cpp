// The management window as a desktop user expects it: keys and double clicks
// on the outline, undo that can be found, notices instead of silence, library
// texts shown as they stand, a header that survives a profile switch, a huge
// name that does not freeze the window, and scripts whose file has gone.
#include "WindowTestRig.h"
#include "library/EditHistory.h"
#include "window/ContentView.h"
#include "window/DetailView.h"
#include "window/NodeActions.h"
#include "window/RenameSheet.h"
#include "window/ScriptArgsEditor.h"
#include "window/SidebarColumn.h"
#include "window/SidebarModel.h"
#include "window/SidebarTreeView.h"
#include "window/WindowNotice.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestWindowHabits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void returnAndDoubleClickRunAsTheRunControl();
    void deleteOffersUndoAndEditMenuHasIt();
    void newFolderIsSelectedAndNamedAtOnce();
    void copyAndRefusedDropsSaySo();
    void libraryTextsShowVerbatimInMenus();
    void profileSwitchAndBackKeepsTheHeader();
    void hugeNameStaysFast();
    void goneFileIsMarked();

private:
    SidebarTreeView &tree() const { return *m_window->sidebar(); }
    QModelIndex indexOf(const QUuid &id) const { return m_window->sidebarModel()->indexOf(id); }
    QPoint namePoint(const QUuid &id) const
    {
        const QRect rect = tree().visualRect(indexOf(id));
        return {rect.left() + 60, rect.center().y()};
    }
    void clickRow(const QUuid &id)
    {
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, namePoint(id));
    }
    WindowNotice &notice() const { return *m_window->notice(); }
    QString path(const QString &name) const { return m_rig->home.filePath(u"s/"_s + name); }
    // What a screen reader reads for each entry of a menu: mnemonics resolved.
    static QStringList spoken(QMenu *menu)
    {
        QStringList names;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(menu);
        for (int i = 0; face && i < face->childCount(); ++i)
            names << face->child(i)->text(QAccessible::Name);
        return names;
    }
    void waitForRuns(int count)
    {
        QTRY_COMPARE(m_rig->terminal->commandLines.size(), count);
        QTRY_VERIFY(!m_rig->runs->isRunning());
    }

    std::unique_ptr<WindowTestRig> m_rig;
    QPointer<ContentView> m_window;
    ShellNode m_tools, m_deploy, m_backup, m_top;
};

void TestWindowHabits::initTestCase()
{
    static QTemporaryDir preferencesHome;
    Preferences::useStandardFile(preferencesHome.filePath(u"orlenta.ini"_s));
}

void TestWindowHabits::init()
{
    m_rig = std::make_unique<WindowTestRig>(10);
    for (const QString &name : {u"deploy.sh"_s, u"backup.sh"_s, u"top.sh"_s})
        QVERIFY(m_rig->home.write(u"s/"_s + name, "echo"));
    m_deploy = WindowTestRig::script(u"deploy"_s, QStringList{u"start"_s, u"stop"_s});
    m_deploy.filePath = path(u"deploy.sh"_s);
    m_backup = WindowTestRig::script(u"backup"_s);
    m_backup.filePath = path(u"backup.sh"_s);
    m_tools = WindowTestRig::folder(u"Tools"_s, {m_deploy, m_backup});
    m_top = WindowTestRig::script(u"top"_s);
    m_top.filePath = path(u"top.sh"_s);
    m_rig->store->setRoots({m_tools, m_top});
    m_rig->store->save();
    m_window = new ContentView(*m_rig->store, *m_rig->runs);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void TestWindowHabits::cleanup()
{
    delete m_window;
    m_rig.reset();
}

void TestWindowHabits::returnAndDoubleClickRunAsTheRunControl()
{
    // Return and keypad Enter on a script row run it; the focus is where the click left it.
    clickRow(m_top.id);
    QVERIFY(tree().hasFocus());
    QTest::keyClick(&tree(), Qt::Key_Return);
    waitForRuns(1);
    QVERIFY(m_rig->terminal->commandLines.at(0).contains(u"top.sh"_s));
    QTest::keyClick(&tree(), Qt::Key_Enter, Qt::KeypadModifier);
    // As the run control, nothing more while the run goes on.
    QTRY_VERIFY(m_rig->runs->isRunning());
    QTest::keyClick(&tree(), Qt::Key_Return);
    waitForRuns(2);
    QTest::qWait(30);
    QCOMPARE(m_rig->terminal->commandLines.size(), 2);

    // A folder only opens and closes.
    clickRow(m_tools.id);
    QVERIFY(!tree().isExpanded(indexOf(m_tools.id)));
    QTest::keyClick(&tree(), Qt::Key_Return);
    QVERIFY(tree().isExpanded(indexOf(m_tools.id)));
    QTest::mouseDClick(tree().viewport(), Qt::LeftButton, {}, namePoint(m_tools.id));
    QTest::qWait(30);
    QCOMPARE(m_rig->terminal->commandLines.size(), 2);
    tree().expand(indexOf(m_tools.id));

    // A double click on a script runs it.
    QTest::mouseDClick(tree().viewport(), Qt::LeftButton, {}, namePoint(m_backup.id));
    waitForRuns(3);
    QVERIFY(m_rig->terminal->commandLines.at(2).contains(u"backup.sh"_s));

    // With presets, Return offers them, as the run control's menu does.
    clickRow(m_deploy.id);
    QTest::keyClick(&tree(), Qt::Key_Return);
    QMenu *menu = nullptr;
    QTRY_VERIFY((menu = tree().viewport()->findChild<QMenu *>(u"runGlyphMenu"_s)) != nullptr);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(spoken(menu), (QStringList{u"start"_s, u"stop"_s}));
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    waitForRuns(4);
    QVERIFY(m_rig->terminal->commandLines.at(3).endsWith(u" stop"_s));

    // F2 renames the row.
    QTest::keyClick(&tree(), Qt::Key_F2);
    auto *sheet = m_window->findChild<RenameSheet *>(u"renameSheet"_s);
    QTRY_VERIFY(sheet && sheet->isVisible());
    QCOMPARE(m_window->actions().renameTarget(), m_deploy.id);
    QTest::keyClick(sheet->findChild<QLineEdit *>(u"renameField"_s), Qt::Key_Escape);
    QTRY_VERIFY(!m_window->actions().showRename());
}

void TestWindowHabits::deleteOffersUndoAndEditMenuHasIt()
{
    clickRow(m_top.id);
    QTest::keyClick(&tree(), Qt::Key_Delete);
    QCOMPARE(m_rig->store->roots().size(), 1);
    QVERIFY(notice().isVisible());
    QCOMPARE(notice().text(), u"已删除 “top”"_s);
    auto *undo = notice().findChild<QPushButton *>(u"windowNoticeUndo"_s);
    QVERIFY(undo->isVisible());
    QCOMPARE(undo->accessibleName(), u"撤销"_s);
    QVERIFY(tree().hasFocus()); // the notice takes no focus
    QTest::mouseClick(undo, Qt::LeftButton);
    QCOMPARE(m_rig->store->roots(), (QList<ShellNode>{m_tools, m_top}));
    QVERIFY(!notice().isVisible());

    // The button undoes the delete only: after another edit it is gone.
    tree().expand(indexOf(m_tools.id));
    clickRow(m_deploy.id);
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, Qt::ControlModifier,
                      namePoint(m_backup.id));
    QTest::keyClick(&tree(), Qt::Key_Delete);
    QCOMPARE(notice().text(), u"已删除 2 项"_s);
    m_rig->store->rename(m_top.id, u"renamed"_s);
    QVERIFY(!notice().isVisible());

    // The Edit menu in the toolbar holds undo and redo with their keys.
    auto *edit = m_window->findChild<QToolButton *>(u"editActionButton"_s);
    QVERIFY(edit && edit->isVisible());
    QCOMPARE(edit->popupMode(), QToolButton::InstantPopup);
    QMenu *menu = m_window->findChild<QAction *>(u"editAction"_s)->menu();
    QCOMPARE(spoken(menu), (QStringList{u"撤销"_s, u"重做"_s}));
    QCOMPARE(menu->actions().at(0)->shortcut(), QKeySequence(QKeySequence::Undo));
    QCOMPARE(menu->actions().at(1)->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    menu->actions().at(0)->trigger(); // the rename
    menu->actions().at(0)->trigger(); // the two rows
    QCOMPARE(m_rig->store->roots(), (QList<ShellNode>{m_tools, m_top}));
    QVERIFY(menu->actions().at(1)->isEnabled());
    QTest::keyClick(m_window.data(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_rig->store->roots().at(0).children->size(), 0);

    // Another delete replaces the notice; it goes by itself.
    QTest::keyClick(m_window.data(), Qt::Key_Z, Qt::ControlModifier);
    m_window->actions().deleteNode(m_top.id);
    QCOMPARE(notice().text(), u"已删除 “top”"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!notice().isVisible(), WindowNotice::undoMilliseconds + 2000);
}

void TestWindowHabits::newFolderIsSelectedAndNamedAtOnce()
{
    const auto typeName = [this](const QString &name) {
        auto *sheet = m_window->findChildren<RenameSheet *>(u"renameSheet"_s).constLast();
        QTRY_VERIFY(sheet->isVisible());
        auto *field = sheet->findChild<QLineEdit *>(u"renameField"_s);
        QTRY_VERIFY(field->hasFocus());
        // The stand-in name goes with the first letter typed.
        QCOMPARE(field->selectedText(), field->text());
        QTest::keyClicks(field, name);
        QTest::keyClick(field, Qt::Key_Return);
    };
    QTest::mouseClick(m_window->findChild<QToolButton *>(u"newFolderActionButton"_s),
                      Qt::LeftButton);
    const ShellNode added = m_rig->store->roots().constLast();
    QCOMPARE(m_window->selection(), QSet<QUuid>{added.id});
    QCOMPARE(m_window->detail()->shownNodeID(), added.id);
    typeName(u"Deploys"_s);
    QCOMPARE(Forest::first(m_rig->store->roots(), added.id)->name, u"Deploys"_s);

    // The row menu's subfolder: inside, with its parent opened.
    const QRect row = tree().visualRect(indexOf(m_tools.id));
    QMenu *menu =
        m_window->actions().contextMenu(m_tools.id, tree().viewport()->mapToGlobal(row.center()));
    menu->findChild<QAction *>(u"newSubfolder"_s)->trigger();
    menu->close();
    const ShellNode sub = Forest::first(m_rig->store->roots(), m_tools.id)->children->constLast();
    QVERIFY(tree().isExpanded(indexOf(m_tools.id)));
    QCOMPARE(m_window->selection(), QSet<QUuid>{sub.id});
    typeName(u"nested"_s);
    QCOMPARE(Forest::first(m_rig->store->roots(), sub.id)->name, u"nested"_s);
    // Two folders, each named, are two steps each.
    m_window->history().undo();
    QCOMPARE(Forest::first(m_rig->store->roots(), sub.id)->name, sub.name);
}

void TestWindowHabits::copyAndRefusedDropsSaySo()
{
    clickRow(m_top.id);
    auto *copy = m_window->detail()->findChild<QPushButton *>(u"copyPathButton"_s);
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), *m_top.filePath);
    QCOMPARE(notice().text(), u"已复制路径"_s);
    QVERIFY(!notice().findChild<QPushButton *>(u"windowNoticeUndo"_s)->isVisible());
    notice().dismiss();
    // A folder keeps both buttons enabled; they do nothing.
    clickRow(m_tools.id);
    QVERIFY(copy->isEnabled());
    QVERIFY(m_window->detail()->findChild<QPushButton *>(u"revealButton"_s)->isEnabled());
    QGuiApplication::clipboard()->clear();
    QTest::mouseClick(copy, Qt::LeftButton);
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QVERIFY(!notice().isVisible());

    // Drops onto the folder: what was not added, and why, in one line.
    QVERIFY(m_rig->home.write(u"s/notes.txt"_s, "x"));
    const auto drop = [this](const QStringList &names) {
        QList<QUrl> urls;
        for (const QString &name : names)
            urls << QUrl::fromLocalFile(path(name));
        m_window->sidebarColumn()->processDroppedFiles(urls, DropTarget::folder(m_tools.id));
    };
    drop({u"notes.txt"_s});
    QCOMPARE(notice().text(), u"“notes.txt” 不是 shell 脚本，未添加"_s);
    drop({u"backup.sh"_s});
    QCOMPARE(notice().text(), u"“backup.sh” 已在此文件夹中，未添加"_s);
    QCOMPARE(Forest::first(m_rig->store->roots(), m_tools.id)->children->size(), 2);
    // The same file at the top level is new there; twice in one drop, once.
    drop({u"notes.txt"_s, u"backup.sh"_s});
    QCOMPARE(notice().text(), u"2 个文件未添加：不是 shell 脚本，或已在此文件夹中"_s);
    m_window->sidebarColumn()->processDroppedFiles(
        {QUrl::fromLocalFile(path(u"backup.sh"_s)), QUrl::fromLocalFile(path(u"backup.sh"_s))},
        DropTarget::root());
    QCOMPARE(m_rig->store->roots().size(), 3);
    QCOMPARE(notice().text(), u"“backup.sh” 已在此文件夹中，未添加"_s);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestWindowHabits::libraryTextsShowVerbatimInMenus()
{
    m_rig->store->setArgs(m_deploy.id, {u"R&D"_s, u"a&&b"_s, u"tab\there"_s});
    QVERIFY(m_rig->home.write(u"w/A&B/tallowBay.json"_s, R"({"isPublished":false,"roots":[]})"));
    m_rig->store->addProfile(m_rig->home.filePath(u"w/A&B/tallowBay.json"_s), std::nullopt);
    m_rig->store->switchTo(Profile::localProfileID, std::nullopt);
    const QStringList presets{u"R&D"_s, u"a&&b"_s, u"tab here"_s};

    // The header's run control.
    m_window->sidebar()->expandAll();
    clickRow(m_deploy.id);
    auto *run = m_window->detail()->findChild<QPushButton *>(u"runButton"_s);
    QCOMPARE(spoken(run->menu()), presets);
    // The row's glyph.
    QTest::mouseClick(tree().viewport(), Qt::LeftButton, {},
                      tree().glyphRect(indexOf(m_deploy.id)).center().toPoint());
    QMenu *glyph = nullptr;
    QTRY_VERIFY((glyph = tree().viewport()->findChild<QMenu *>(u"runGlyphMenu"_s)) != nullptr);
    QCOMPARE(spoken(glyph), presets);
    glyph->close();

    // The profile menu: only the current profile carries a mark.
    QMenu *profiles = m_window->findChild<QAction *>(u"profileAction"_s)->menu();
    Q_EMIT profiles->aboutToShow();
    const QStringList names = spoken(profiles);
    QCOMPARE(names.at(2), u"A&B"_s);
    QMenu *remove = profiles->findChild<QMenu *>(u"removeProfileMenu"_s);
    QCOMPARE(spoken(remove), QStringList{u"A&B"_s});
    for (int i = 0; i < 3; ++i) {
        QAction *entry = profiles->actions().at(i);
        const bool current = i == 0;
        QCOMPARE(entry->isCheckable(), current);
        QCOMPARE(entry->isChecked(), current);
        QCOMPARE(entry->icon().isNull(), !current);
    }
}

void TestWindowHabits::profileSwitchAndBackKeepsTheHeader()
{
    m_window->resize(960, 700);
    m_window->sidebar()->expandAll();
    clickRow(m_deploy.id);
    auto *header = m_window->detail()->findChild<QScrollArea *>(u"detailHeaderScroll"_s);
    QTRY_VERIFY(m_window->detail()->argsEditor() && m_window->detail()->argsEditor()->isVisible());
    QTest::qWait(50);
    const int height = header->height();
    QVERIFY(height > 200);

    for (int round = 0; round < 2; ++round) {
        m_rig->store->switchTo(Profile::iCloudProfileID, std::nullopt);
        QVERIFY(m_window->findChild<QWidget *>(u"emptyDetail"_s)->isVisible());
        QTest::qWait(100); // the user looks at the other profile for a moment
        m_rig->store->switchTo(Profile::localProfileID, std::nullopt);
        QTRY_COMPARE(m_window->detail()->shownNodeID(), m_deploy.id);
        QTRY_VERIFY(m_window->detail()->argsEditor() &&
                    m_window->detail()->argsEditor()->isVisible());
        QTRY_COMPARE(header->height(), height);
        const auto fields =
            m_window->detail()->argsEditor()->findChildren<QLineEdit *>(u"argField"_s);
        QCOMPARE(fields.size(), 2);
        for (QLineEdit *field : fields)
            QVERIFY(field->isVisible() && !field->visibleRegion().isEmpty());
    }
}

void TestWindowHabits::hugeNameStaysFast()
{
    const QString huge = QString(5 * 1024 * 1024, u'w');
    m_rig->store->rename(m_top.id, huge);
    QElapsedTimer timer;
    timer.start();
    clickRow(m_top.id);
    tree().viewport()->grab();
    m_window->detail()->grab();
    QVERIFY2(timer.elapsed() < 100 * ORLENTA_TIME_FACTOR, qPrintable(QString::number(timer.elapsed())));

    // An edit redraws the row and the header again: timed from the history's
    // note of it to the last of the window's answers, then the painting.
    // Saving a document of megabytes is the store's own cost, not timed.
    QElapsedTimer clock;
    qint64 answering = -1;
    QObject guard;
    connect(&m_window->history(), &EditHistory::stateChanged, &guard, [&] { clock.start(); });
    connect(m_rig->store.get(), &ShellStore::changed, &guard,
            [&] { answering = clock.isValid() ? clock.elapsed() : -1; });
    m_rig->store->setArgs(m_top.id, {u"x"_s});
    QVERIFY(answering >= 0);
    timer.restart();
    tree().viewport()->grab();
    m_window->detail()->grab();
    const qint64 redraw = answering + timer.elapsed();
    QVERIFY2(redraw < 50 * ORLENTA_TIME_FACTOR, qPrintable(QString::number(redraw)));
    auto *name = m_window->detail()->findChild<QLabel *>(u"nodeName"_s);
    QVERIFY(name->text().size() < 1000);
    QVERIFY(name->text().endsWith(u"…"_s));
    QVERIFY(name->toolTip().size() < 10000);
}

void TestWindowHabits::goneFileIsMarked()
{
    const QModelIndex top = indexOf(m_top.id);
    QVERIFY(!top.data(SidebarModel::MissingFileRole).toBool());
    QCOMPARE(top.data(Qt::ToolTipRole).toString(), *m_top.filePath);
    QVERIFY(QFile::remove(*m_top.filePath));
    // Looked for again when the window comes back to the front, not by polling.
    QVERIFY(!top.data(SidebarModel::MissingFileRole).toBool());
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(m_window.data(), &activation);
    QVERIFY(top.data(SidebarModel::MissingFileRole).toBool());
    const QString why = u"错误：脚本文件不存在："_s + *m_top.filePath;
    QCOMPARE(top.data(Qt::ToolTipRole).toString(), why);
    QCOMPARE(top.data(Qt::AccessibleDescriptionRole).toString(), why);
    // Folders never are; a file put back is found after the next change.
    QVERIFY(!indexOf(m_tools.id).data(SidebarModel::MissingFileRole).toBool());
    QVERIFY(m_rig->home.write(u"s/top.sh"_s, "echo"));
    m_rig->store->rename(m_backup.id, u"b2"_s);
    QVERIFY(!top.data(SidebarModel::MissingFileRole).toBool());
}

QTEST_MAIN(TestWindowHabits)
#include "tst_windowhabits.moc"
