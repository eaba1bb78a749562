// The management window driven as a user drives it: clicks and keys on the
// outline, drags over the drop host, the menus and the rename sheet.
#include "dragdrop/DropDebug.h"
#include "dragdrop/widgets/SidebarDropHost.h"
#include "library/EditHistory.h"
#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "run/ShellRunner.h"
#include "settings/Preferences.h"
#include "window/ContentView.h"
#include "window/DetailView.h"
#include "window/FilePicker.h"
#include "window/NodeActions.h"
#include "window/RenameSheet.h"
#include "window/SidebarColumn.h"
#include "window/SidebarModel.h"
#include "window/SidebarTreeView.h"

#include "FakeTerminalBackEnd.h"
#include "TestNodes.h"
#include "TestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using TestNodes::folder;
using TestNodes::script;

class FakePicker : public FilePicker
{
public:
    QStringList scripts;
    std::optional<QString> folder;
    QStringList chooseScripts(QWidget *) override { return scripts; }
    std::optional<QString> chooseFolder(QWidget *) override { return folder; }
    std::optional<QString> config;
    std::optional<QString> chooseConfig(QWidget *) override { return config; }
};

// The messages of the drop log, without their pid and time.
QStringList logMessages(const QString &path, bool withHits = false)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    QStringList messages;
    for (QString entry : text.split(QStringLiteral("pid="), Qt::SkipEmptyParts)) {
        // "<pid> <date> <time> <zone> <message>\n"
        entry = entry.section(u' ', 4);
        entry.chop(1);
        if (withHits || !entry.startsWith(QStringLiteral("HIT")))
            messages.append(entry);
    }
    return messages;
}

} // namespace

class TestContentView : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;
    FakeTerminalBackEnd *m_terminal = nullptr;
    std::unique_ptr<ShellRunner> m_runner;
    std::unique_ptr<RunController> m_runs;
    QPointer<ContentView> m_window;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    FakePicker *m_picker = nullptr;
    QString m_log;

    // Folder F holds deploy (two presets) and an unnamed backup.SH; folder G
    // is empty; top.command sits at the top level.
    ShellNode F, S1, S2, G, T;

    ContentView &window() { return *m_window; }
    SidebarColumn &column() { return *window().sidebarColumn(); }
    NodeActions &actions() { return window().actions(); }
    SidebarTreeView &tree() { return *window().sidebar(); }
    SidebarDropHost &host() { return *window().dropHost(); }
    QModelIndex indexOf(const QUuid &id) { return window().sidebarModel()->indexOf(id); }
    QPoint namePoint(const QUuid &id)
    {
        const QRect rect = tree().visualRect(indexOf(id));
        return QPoint(rect.left() + 60, rect.center().y());
    }
    // A host point over the upper or lower half of a row.
    QPointF hostPoint(const QUuid &id, bool upper)
    {
        const QRect rect = tree().visualRect(indexOf(id));
        const QPoint p(rect.left() + 60, upper ? rect.top() + 3 : rect.bottom() - 3);
        return tree().viewport()->mapTo(&host(), p);
    }
    QByteArray document() const
    {
        QFile file(m_store->currentDocumentPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QList<ShellNode> decodedRoots() const
    {
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(document(), 0);
        return decoded ? decoded.persisted->roots : QList<ShellNode>();
    }

    void drag(QEvent::Type type, const QPointF &point, const QMimeData &data)
    {
        if (type == QEvent::DragEnter) {
            QDragEnterEvent event(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&host(), &event);
        } else if (type == QEvent::DragMove) {
            QDragMoveEvent event(point.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&host(), &event);
        } else {
            QDropEvent event(point, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(&host(), &event);
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        static TestHome standard;
        Preferences::useStandardFile(standard.preferencesFile());
    }

    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_log = m_home->filePath(QStringLiteral("drop.log"));
        DropDebug::setLogPath(m_log);
        m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
        m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
        m_store->setDiagnosticLog(&DropDebug::log);
        auto terminal = std::make_unique<FakeTerminalBackEnd>(
            [](const HandOverText &text) { return text.commandLine; }, 50);
        m_terminal = terminal.get();
        m_runner = std::make_unique<ShellRunner>(std::move(terminal), m_preferences.get());
        m_runs = std::make_unique<RunController>(nullptr, m_runner.get());

        S1 = script(QStringLiteral("deploy"), QStringLiteral("/x/deploy.sh"),
                    QStringList{QStringLiteral("start"), QStringLiteral("stop")});
        S2 = script(QString(), QStringLiteral("/x/backup.SH"));
        F = folder(QStringLiteral("Tools"), QList<ShellNode>{S1, S2});
        G = folder(QStringLiteral("Empty"));
        T = script(QStringLiteral("top"), QStringLiteral("/x/top.command"));
        m_store->setRoots({F, G, T});
        m_store->save();

        m_window = new ContentView(*m_store, *m_runs);
        auto picker = std::make_unique<FakePicker>();
        m_picker = picker.get();
        actions().setFilePicker(std::move(picker));
        m_tester = std::make_unique<QAbstractItemModelTester>(
            window().sidebarModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        window().show();
        QApplication::setActiveWindow(m_window);
        QVERIFY(QTest::qWaitForWindowActive(m_window));
    }

    void cleanup()
    {
        m_tester.reset();
        delete m_window.data();
        m_runs.reset();
        m_runner.reset();
        m_store.reset();
        m_preferences.reset();
        m_home.reset();
    }

    void windowShape()
    {
        QCOMPARE(window().windowTitle(), QStringLiteral("Orlenta"));
        QCOMPARE(window().minimumSize(), QSize(760, 520));
        auto *splitter = window().findChild<QSplitter *>(QStringLiteral("splitter"));
        QVERIFY(splitter);
        QCOMPARE(splitter->count(), 2);
        QVERIFY(window().findChild<QWidget *>(QStringLiteral("sidebarColumn"))->width() >= 240);
        auto *detail = window().findChild<QWidget *>(QStringLiteral("detailColumn"));
        QVERIFY(qobject_cast<QVBoxLayout *>(detail->layout()));
        auto *toolbar = window().findChild<QToolBar *>(QStringLiteral("toolbar"));
        QCOMPARE(toolbar->actions().constLast()->text(), QStringLiteral("完成"));
        QCOMPARE(tree().accessibleName(), QStringLiteral("脚本库"));
        QCOMPARE(indexOf(T.id).data(Qt::AccessibleTextRole).toString(), QStringLiteral("top"));
        // An unnamed script shows its file name.
        QCOMPARE(indexOf(S2.id).data().toString(), QStringLiteral("backup.SH"));
        QVERIFY(window().findChild<QWidget *>(QStringLiteral("emptyDetail"))->isVisible());
    }

    void selectionRules()
    {
        QSignalSpy changed(m_window.data(), &ContentView::selectionChanged);
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, namePoint(T.id));
        QCOMPARE(window().selection(), QSet<QUuid>{T.id});
        QCOMPARE(window().selectedNode()->id, T.id);
        QVERIFY(!window().selectedFolderID()); // top-level script: additions go to the top
        QCOMPARE(changed.count(), 1);

        tree().expand(indexOf(F.id));
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, namePoint(S1.id));
        QCOMPARE(window().selectedFolderID(), F.id);
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, Qt::ControlModifier, namePoint(G.id));
        QCOMPARE(window().selection(), (QSet<QUuid>{S1.id, G.id}));
        // Several rows: exactly one of them speaks for the selection.
        QVERIFY(window().selection().contains(window().selectedNode()->id));

        // Empty space below the rows clears the selection.
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {},
                          QPoint(40, tree().viewport()->height() - 5));
        QVERIFY(window().selection().isEmpty());
        QVERIFY(!window().selectedNode());

        window().select(S2.id);
        QCOMPARE(window().selection(), QSet<QUuid>{S2.id});
        QVERIFY(tree().selectionModel()->isSelected(indexOf(S2.id)));
    }

    void rowsFollowEditsWithoutReset()
    {
        QSignalSpy resets(window().sidebarModel(), &QAbstractItemModel::modelReset);
        tree().expand(indexOf(F.id));
        window().select(S1.id);

        // The empty folder: "folder" and no disclosure, then a child arrives.
        QVERIFY(!window().sidebarModel()->hasChildren(indexOf(G.id)));
        QVERIFY(window().sidebarModel()->node(indexOf(G.id))->isEmptyFolder());
        m_store->addScript(G.id, QStringLiteral("/x/new.sh"));
        QVERIFY(window().sidebarModel()->hasChildren(indexOf(G.id)));
        QVERIFY(!window().sidebarModel()->node(indexOf(G.id))->isEmptyFolder());

        // Name order reorders the rows; rename moves one; expansion and
        // selection stay with the ids.
        m_store->setSortMode(SortMode::name);
        m_store->rename(S1.id, QStringLiteral("zz deploy"));
        const QModelIndex moved = indexOf(S1.id);
        QCOMPARE(moved.row(), 1);
        QCOMPARE(moved.data().toString(), QStringLiteral("zz deploy"));
        QVERIFY(tree().isExpanded(indexOf(F.id)));
        QVERIFY(tree().selectionModel()->isSelected(moved));

        // A move to another folder and back keeps the folder open and the row selected.
        tree().expand(indexOf(G.id));
        m_store->moveNode(F.id, G.id, std::nullopt);
        QVERIFY(tree().isExpanded(indexOf(F.id)));
        QVERIFY(tree().selectionModel()->isSelected(indexOf(S1.id)));
        QCOMPARE(window().sidebarModel()->parentID(indexOf(F.id)), G.id);
        QCOMPARE(indexOf(S1.id).data(SidebarModel::DepthRole).toInt(), 2);
        QCOMPARE(resets.count(), 0);
    }

    void renamePrefill_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<QString>("prefill");
        QTest::newRow("upper-case .SH")
            << QString() << QStringLiteral("/x/backup.SH") << false << QStringLiteral("backup");
        QTest::newRow(".command in a name")
            << QStringLiteral("Build.Command") << QStringLiteral("/x/b.command") << false
            << QStringLiteral("Build");
        QTest::newRow(".txt stays") << QStringLiteral("notes.txt") << QStringLiteral("/x/n.sh")
                                    << false << QStringLiteral("notes.txt");
        QTest::newRow("folder's stored name")
            << QStringLiteral("tools.sh") << QString() << true << QStringLiteral("tools.sh");
    }

    void renamePrefill()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(bool, isFolder);
        QFETCH(QString, prefill);
        ShellNode node = isFolder ? folder(name) : script(name, path);
        m_store->setRoots(m_store->roots() + QList<ShellNode>{node});
        window().select(node.id);
        QTest::keyClick(&tree(), Qt::Key_F2);
        auto *sheet = window().findChild<RenameSheet *>(QStringLiteral("renameSheet"));
        QVERIFY(sheet && sheet->isVisible());
        QVERIFY(actions().showRename());
        QCOMPARE(sheet->width(), 300);
        QCOMPARE(sheet->findChild<QLineEdit *>(QStringLiteral("renameField"))->text(), prefill);
        QCOMPARE(actions().renameTarget(), node.id);
        QTest::mouseClick(sheet->findChild<QWidget *>(QStringLiteral("renameCancel")),
                          Qt::LeftButton);
        QVERIFY(!actions().showRename());
        QCOMPARE(Forest::first(m_store->roots(), node.id)->name, name);
    }

    void renameWithSpacesOnly()
    {
        const auto rename = [this](const QUuid &id, const QString &typed) {
            actions().beginRename(id);
            auto *field = window()
                              .findChildren<RenameSheet *>(QStringLiteral("renameSheet"))
                              .constLast()
                              ->findChild<QLineEdit *>(QStringLiteral("renameField"));
            field->clear();
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, Qt::Key_Return); // the default button
        };
        rename(G.id, QStringLiteral("   "));
        QCOMPARE(Forest::first(m_store->roots(), G.id)->name, QStringLiteral("Empty"));
        rename(T.id, QStringLiteral("   "));
        QCOMPARE(Forest::first(m_store->roots(), T.id)->name, QString());
        QCOMPARE(indexOf(T.id).data().toString(), QStringLiteral("top.command"));
        rename(T.id, QStringLiteral("\t new name  "));
        QCOMPARE(Forest::first(decodedRoots(), T.id)->name, QStringLiteral("new name"));
    }

    void deleteThenUndoAndRedo()
    {
        tree().expand(indexOf(F.id));
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, namePoint(F.id));
        QTest::keyClick(&tree(), Qt::Key_Delete);
        QVERIFY(!Forest::first(decodedRoots(), S1.id)); // saved, subtree and all
        QCOMPARE(m_store->roots().size(), 2);
        // No confirmation; the id stays selected while the detail shows nothing.
        QCOMPARE(window().selection(), QSet<QUuid>{F.id});
        QVERIFY(!window().selectedNode());

        QTest::keyClick(m_window.data(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(decodedRoots(), (QList<ShellNode>{F, G, T}));
        QCOMPARE(window().selectedNode()->id, F.id);
        QVERIFY(tree().isExpanded(indexOf(F.id)));

        QTest::keyClick(m_window.data(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(!Forest::first(decodedRoots(), F.id));
        QTest::keyClick(m_window.data(), Qt::Key_Z, Qt::ControlModifier);

        // Preset edits made through the store are undone the same way.
        m_store->setArgs(S1.id, {QStringLiteral("only")});
        window().history().undo();
        QCOMPARE(Forest::first(decodedRoots(), S1.id)->args, S1.args);

        // Typing in one preset line is one step however long, saved at every
        // keystroke; another line, a removal and coming back are new steps.
        const auto stored = [&] { return *Forest::first(decodedRoots(), S1.id)->args; };
        tree().expand(indexOf(F.id));
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, namePoint(S1.id));
        auto fields = window().detail()->findChildren<QLineEdit *>(QStringLiteral("argField"));
        const qsizetype before = window().history().undoCount();
        QTest::keyClicks(fields.at(0), QStringLiteral(" x"));
        QCOMPARE(stored(), (QStringList{QStringLiteral("start x"), QStringLiteral("stop")}));
        const QString first = QStringLiteral("start x") + QString(60, u'x');
        QTest::keyClicks(fields.at(0), QString(60, u'x'));
        QTest::keyClicks(fields.at(1), QStringLiteral("-all"));
        QTest::keyClicks(fields.at(0), QStringLiteral("!"));
        QTest::mouseClick(
            window().detail()->findChildren<QToolButton *>(QStringLiteral("removeArg")).last(),
            Qt::LeftButton);
        QCOMPARE(window().history().undoCount(), before + 4);
        for (const QStringList &expected : {QStringList{first + u'!', QStringLiteral("stop-all")},
                                            QStringList{first, QStringLiteral("stop-all")},
                                            QStringList{first, QStringLiteral("stop")}, *S1.args}) {
            window().history().undo();
            QCOMPARE(stored(), expected);
        }

        // Several selected rows go in one step and come back in one.
        tree().expand(indexOf(F.id));
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, namePoint(S2.id));
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, Qt::ControlModifier, namePoint(T.id));
        QTest::keyClick(&tree(), Qt::Key_Delete);
        QCOMPARE(m_store->roots().size(), 2);
        window().history().undo();
        QCOMPARE(m_store->roots(), (QList<ShellNode>{F, G, T}));

        // A version written by another program is not undone.
        m_store->startWatching();
        m_store->addFolder(std::nullopt, QStringLiteral("mine"));
        QVERIFY(window().history().canUndo());
        Persisted outside;
        outside.roots = {folder(QStringLiteral("theirs"))};
        QTest::qWait(1100); // a new modification time
        QFile file(m_store->currentDocumentPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(ScriptDocument::encode(outside));
        file.close();
        QTRY_COMPARE(m_store->roots().size(), 1);
        QVERIFY(!window().history().canUndo());

        // Another document has another history.
        m_store->addFolder(std::nullopt, QStringLiteral("again"));
        QVERIFY(window().history().canUndo());
        m_store->switchTo(Profile::iCloudProfileID, std::nullopt);
        QVERIFY(!window().history().canUndo());
    }

    void fileDropImportsInOrder()
    {
        QTemporaryDir files;
        QDir(files.path()).mkpath(QStringLiteral("lib/sub"));
        for (const QString &name :
             {QStringLiteral("lib/sub/x.sh"), QStringLiteral("a.sh"), QStringLiteral("b.txt")}) {
            QFile file(files.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(files.filePath(QStringLiteral("lib"))),
                      QUrl::fromLocalFile(files.filePath(QStringLiteral("a.sh"))),
                      QUrl::fromLocalFile(files.filePath(QStringLiteral("b.txt")))});

        // The highlight is gone before the first file is applied.
        QList<SidebarHighlight> seen;
        connect(m_store.get(), &ShellStore::changed, this,
                [this, &seen] { seen.append(column().highlight()); });

        // What the host tells, in order: the target, the end of the drag, the files.
        QObject listener;
        QStringList heard;
        connect(&host(), &SidebarDropHost::hovered, &listener,
                [&heard](const DropTarget &target) { heard << target.debugDesc(); });
        connect(&host(), &SidebarDropHost::exited, &listener,
                [&heard] { heard << QStringLiteral("exited"); });
        connect(&host(), &SidebarDropHost::filesDropped, &listener,
                [&heard](const DropTarget &target, const QList<QUrl> &urls) {
                    heard << target.debugDesc() + u' ' + QString::number(urls.size());
                });

        const QPointF over = hostPoint(G.id, true);
        drag(QEvent::DragEnter, over, data);
        QCOMPARE(column().highlight().folderTargeted, G.id);
        drag(QEvent::Drop, over, data);
        const QString into = QStringLiteral("folder(%1)").arg(shortID(G.id));
        QCOMPARE(heard, (QStringList{into, QStringLiteral("exited"), into + QStringLiteral(" 3")}));

        const QList<ShellNode> added =
            Forest::first(m_store->roots(), G.id)->children.value_or(QList<ShellNode>());
        QCOMPARE(added.size(), 2);
        QCOMPARE(added.at(0).name, QStringLiteral("lib"));
        QCOMPARE(added.at(0).children->at(0).children->at(0).name, QStringLiteral("x"));
        QCOMPARE(added.at(1).name, QStringLiteral("a"));
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen.at(0), SidebarHighlight());

        const QString g = shortID(G.id);
        QCOMPARE(logMessages(m_log),
                 (QStringList{QStringLiteral("===== DropHost 初始化（诊断构建已生效）====="),
                              QStringLiteral("ENTER → folder(%1)").arg(g),
                              QStringLiteral("DROP → folder(%1)").arg(g),
                              QStringLiteral("DROP 分支=文件 [\"lib\", \"a.sh\", \"b.txt\"]")}));
        // One drop, one undo.
        window().history().undo();
        QCOMPARE(m_store->roots(), (QList<ShellNode>{F, G, T}));
    }

    void dragUpdatesAndRefusals()
    {
        QMimeData foreign;
        foreign.setText(QStringLiteral("shellnode:not-an-id"));
        QDragEnterEvent refused(QPoint(20, 20), Qt::CopyAction, &foreign, Qt::LeftButton, {});
        QApplication::sendEvent(&host(), &refused);
        QVERIFY(!refused.isAccepted());
        QCOMPARE(logMessages(m_log).constLast(),
                 QStringLiteral("ENTER 不接受此拖放（pasteboard=[\"text/plain\"]）"));

        QMimeData node;
        node.setText(QStringLiteral("shellnode:") + T.id.toString(QUuid::WithoutBraces).toLower());
        QDragEnterEvent accepted(QPoint(20, 20), Qt::CopyAction, &node, Qt::LeftButton, {});
        QApplication::sendEvent(&host(), &accepted);
        QVERIFY(accepted.isAccepted());

        const auto updates = [this] {
            return logMessages(m_log).filter(QStringLiteral("UPDATE →")).size();
        };
        const QPointF below(40, tree().viewport()->height() - 4);
        drag(QEvent::DragMove, below, node);
        QCOMPARE(updates(), 1);
        QVERIFY(column().highlight().rootTargeted);
        for (int i = 2; i <= 20; ++i)
            drag(QEvent::DragMove, below, node);
        QCOMPARE(updates(), 1); // the 20th is not logged
        drag(QEvent::DragMove, below, node);
        QCOMPARE(updates(), 2); // the 21st is

        // While the pointer rests the host keeps updating, and stops on exit.
        const int before = host().updatedTick();
        QTRY_VERIFY(host().updatedTick() > before);
        QDragLeaveEvent leave;
        QApplication::sendEvent(&host(), &leave);
        QCOMPARE(column().highlight(), SidebarHighlight());
        const int afterExit = host().updatedTick();
        QTest::qWait(3 * SidebarDropHost::restingUpdateMilliseconds);
        QCOMPARE(host().updatedTick(), afterExit);
        QCOMPARE(logMessages(m_log).constLast(), QStringLiteral("EXIT"));
    }

    void nodeDropsByOrder()
    {
        tree().expand(indexOf(F.id));
        QMimeData data;
        data.setText(QStringLiteral("shellnode:") + uuidText(S2.id));

        // Name order: a reorder within the folder is ignored and shows no line.
        m_store->setSortMode(SortMode::name);
        const QPointF aboveS1 = hostPoint(S1.id, true);
        drag(QEvent::DragEnter, aboveS1, data);
        QCOMPARE(column().highlight().siblingTargeted, S1.id);
        drag(QEvent::Drop, aboveS1, data);
        QCOMPARE(m_store->roots(), (QList<ShellNode>{F, G, T}));
        QCOMPARE(logMessages(m_log).constLast(),
                 QStringLiteral("APPLY 忽略：名称排序下同父级纯排序"));

        // Above a row of another parent it moves there, in both orders.
        const QPointF aboveT = hostPoint(T.id, true);
        drag(QEvent::DragEnter, aboveT, data);
        drag(QEvent::Drop, aboveT, data);
        QCOMPARE(Forest::parentID(m_store->roots(), S2.id), std::nullopt);
        QCOMPARE(logMessages(m_log).constLast(), QStringLiteral("APPLY 结束 新父=root"));

        // Custom order: before a sibling, with the line shown while hovering.
        m_store->setSortMode(SortMode::custom);
        QMimeData back;
        back.setText(QStringLiteral("shellnode:") + uuidText(T.id));
        const QPointF aboveG = hostPoint(G.id, true);
        drag(QEvent::DragEnter, aboveG, back);
        QCOMPARE(column().highlight().folderTargeted, G.id); // a script onto a folder goes in
        drag(QEvent::Drop, aboveG, back);
        QCOMPARE(Forest::parentID(m_store->roots(), T.id), G.id);
        QCOMPARE(column().highlight(), SidebarHighlight());
    }

    void handleDrag_data()
    {
        QTest::addColumn<int>("distance");
        QTest::addColumn<bool>("starts");
        QTest::newRow("3 points") << 3 << false;
        QTest::newRow("4 points") << 4 << true;
    }

    void handleDrag()
    {
        QFETCH(int, distance);
        QFETCH(bool, starts);
        QStringList texts;
        QPoint hotSpot;
        tree().dragHandle().setStarter(
            [&](std::unique_ptr<QMimeData> data, const QPixmap &image, const QPoint &spot) {
                texts.append(data->text());
                hotSpot = spot;
                QCOMPARE(image.deviceIndependentSize().toSize(), QSize(18, 18));
            });
        const QPoint press = tree().handleRect(indexOf(T.id)).center().toPoint();
        QTest::mousePress(tree().viewport(), Qt::LeftButton, {}, press);
        QTest::mouseMove(tree().viewport(), press + QPoint(distance, 0));
        QTest::mouseRelease(tree().viewport(), Qt::LeftButton, {}, press + QPoint(distance, 0));
        QCOMPARE(texts.size(), starts ? 1 : 0);
        if (starts) {
            QCOMPARE(texts.constFirst(), QStringLiteral("shellnode:") + uuidText(T.id));
            QCOMPARE(hotSpot, QPoint(9 + distance, 9));
        }
        // A press on the handle selects nothing.
        QVERIFY(window().selection().isEmpty());
    }

    void menusAndPickers()
    {
        const auto texts = [](const QMenu *menu) {
            QStringList list;
            for (const QAction *action : menu->actions())
                list.append(action->isSeparator() ? QStringLiteral("---") : action->text());
            return list;
        };
        QMenu *scriptMenu = actions().contextMenu(T.id, QPoint(10, 10));
        QCOMPARE(texts(scriptMenu),
                 (QStringList{QStringLiteral("运行"), QStringLiteral("在文件管理器中显示"),
                              QStringLiteral("复制路径"), QStringLiteral("---"),
                              QStringLiteral("重命名"), QStringLiteral("删除")}));
        scriptMenu->findChild<QAction *>(QStringLiteral("copyPath"))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("/x/top.command"));
        delete scriptMenu;

        // The keyboard opens the current row's menu.
        window().select(G.id);
        tree().setFocus();
        QTest::keyClick(&tree(), Qt::Key_F10, Qt::ShiftModifier);
        QPointer<QMenu> folderMenu = window().findChild<QMenu *>(QStringLiteral("rowMenu"));
        QTRY_VERIFY(folderMenu && folderMenu->isVisible());
        QCOMPARE(
            texts(folderMenu),
            (QStringList{QStringLiteral("新建子文件夹"), QStringLiteral("添加脚本…"),
                         QStringLiteral("导入文件夹…"), QStringLiteral("运行全部"),
                         QStringLiteral("---"), QStringLiteral("重命名"), QStringLiteral("删除")}));

        // Three picked files, one of them not a script: two added, in order.
        m_picker->scripts = {QStringLiteral("/p/one.sh"), QStringLiteral("/p/notes.txt"),
                             QStringLiteral("/p/two.COMMAND")};
        folderMenu->findChild<QAction *>(QStringLiteral("addScripts"))->trigger();
        delete folderMenu;
        const QList<ShellNode> added = *Forest::first(decodedRoots(), G.id)->children;
        QCOMPARE(added.size(), 2);
        QCOMPARE(added.at(0).filePath, QStringLiteral("/p/one.sh"));
        QCOMPARE(added.at(1).filePath, QStringLiteral("/p/two.COMMAND"));

        // A cancelled picker changes and saves nothing.
        m_picker->scripts.clear();
        const QByteArray saved = document();
        QFile::remove(m_store->currentDocumentPath());
        actions().addScriptsWithPicker();
        actions().importFolderWithPicker();
        QVERIFY(!QFile::exists(m_store->currentDocumentPath()));
        QVERIFY(!saved.isEmpty());
    }

    void runGlyphRunsItsRow()
    {
        tree().expand(indexOf(F.id));
        window().select(T.id); // another row is selected
        const QPoint glyph = tree().glyphRect(indexOf(S1.id)).center().toPoint();
        QVERIFY(!glyph.isNull());
        QVERIFY(tree().glyphRect(indexOf(S2.id)).isNull()); // no presets, no glyph
        for (const QString &preset : {QStringLiteral("stop"), QStringLiteral("start")}) {
            QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, glyph);
            QMenu *menu = nullptr;
            QTRY_VERIFY((menu = tree().viewport()->findChild<QMenu *>(
                             QStringLiteral("runGlyphMenu"))) != nullptr);
            QStringList items;
            QAction *chosen = nullptr;
            for (QAction *action : menu->actions()) {
                items.append(action->text());
                if (action->text() == preset)
                    chosen = action;
            }
            QCOMPARE(items, (QStringList{QStringLiteral("start"), QStringLiteral("stop")}));
            chosen->trigger();
            menu->close();
            delete menu;
        }
        // The second preset ran while the first run was still going on.
        QTRY_COMPARE(m_terminal->commandLines.size(), 2);
        QVERIFY(m_terminal->commandLines.at(0).contains(QStringLiteral("deploy.sh")));
        QVERIFY(m_terminal->commandLines.at(0).endsWith(QStringLiteral(" stop")));
        QVERIFY(m_terminal->commandLines.at(1).endsWith(QStringLiteral(" start")));
    }

    void donePublishesAndCloses()
    {
        QVERIFY(!m_store->isPublished());
        window()
            .findChild<QToolBar *>(QStringLiteral("toolbar"))
            ->findChild<QAction *>(QStringLiteral("done"))
            ->trigger();
        QVERIFY(m_store->isPublished());
        QVERIFY(ScriptDocument::decode(document(), 0).persisted->isPublished);
        QTRY_VERIFY(m_window.isNull());
    }

    void unreadableDocumentShowsBanner()
    {
        auto *banner = window().findChild<QWidget *>(QStringLiteral("loadErrorBanner"));
        QVERIFY(banner->isHidden());
        QFile file(m_store->currentDocumentPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{ not json");
        file.close();
        m_store->load();
        QTRY_VERIFY(!banner->isHidden());
        auto *text = banner->findChild<QLabel *>(QStringLiteral("loadErrorText"));
        QVERIFY(text->text().contains(m_store->currentDocumentPath()));
        // The first edit moves the unreadable file aside: the banner follows it.
        actions().addFolderAtTop();
        QTRY_VERIFY(text->text().contains(QStringLiteral(".unreadable-")));
        QCOMPARE(banner->findChild<QPushButton *>(QStringLiteral("loadErrorReveal"))->text(),
                 QStringLiteral("在文件管理器中显示"));
    }

    void trayMissingLineAboveTheColumns()
    {
        auto *banner = window().findChild<QWidget *>(QStringLiteral("trayMissingBanner"));
        QVERIFY(banner->isHidden());
        window().setTrayMissing(true);
        QTRY_VERIFY(banner->isVisible());
        auto *splitter = window().findChild<QSplitter *>(QStringLiteral("splitter"));
        QVERIFY(banner->mapTo(&window(), QPoint(0, banner->height())).y() <=
                splitter->mapTo(&window(), QPoint(0, 0)).y());
        const QString text = banner->findChild<QLabel *>(QStringLiteral("trayMissingText"))->text();
        QVERIFY(text.contains(QStringLiteral("orlenta")));
        QCOMPARE(banner->accessibleName(), text);
        window().setTrayMissing(false);
        QVERIFY(banner->isHidden());
    }

    // A deletion whose save fails is taken back and told, leaves no undo
    // step, and is not written later by the save of another edit.
    void failedSaveIsTakenBackAndTold()
    {
        auto *banner = window().findChild<QWidget *>(QStringLiteral("loadErrorBanner"));
        const QString path = m_store->currentDocumentPath();
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path + QStringLiteral("/blocked"))); // no file can replace it
        const qsizetype steps = window().history().undoCount();
        actions().deleteNode(G.id);
        QCOMPARE(m_store->roots(), (QList<ShellNode>{F, G, T}));
        QVERIFY(indexOf(G.id).isValid());
        QCOMPARE(window().history().undoCount(), steps);
        QTRY_VERIFY(!banner->isHidden());
        QVERIFY(banner->findChild<QLabel *>(QStringLiteral("loadErrorText"))
                    ->text()
                    .startsWith(QStringLiteral("未能保存：")));

        QVERIFY(QDir(path).removeRecursively());
        actions().addFolderAtTop();
        const QList<ShellNode> saved = decodedRoots();
        QCOMPARE(saved.size(), 4);
        QCOMPARE(saved.at(1), G);
        QTRY_VERIFY(banner->isHidden());
    }
};

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"
