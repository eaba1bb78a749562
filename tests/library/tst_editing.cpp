#include "TestSupport.h"

#include "TestNodes.h"
#include "dragdrop/DropDebug.h"
#include "dragdrop/DropTarget.h"
#include "library/ShellStore.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QUuid uid(const char *text)
{
    return QUuid::fromString(QLatin1StringView(text));
}

using TestNodes::folder;

ShellNode script(const QUuid &id, const QString &name)
{
    return TestNodes::script(id, name, QStringLiteral("/s/") + name + QStringLiteral(".sh"));
}

// Ids read as their names in the log: A000, B000, ...
const QUuid A = uid("A0000000-0000-4000-8000-000000000001");
const QUuid B = uid("B0000000-0000-4000-8000-000000000002");
const QUuid C = uid("C0000000-0000-4000-8000-000000000003");
const QUuid F = uid("F0000000-0000-4000-8000-000000000004");
const QUuid G = uid("60000000-0000-4000-8000-000000000005");
const QUuid X = uid("E0000000-0000-4000-8000-000000000006");   // inside F
const QUuid Y = uid("E1000000-0000-4000-8000-000000000007");   // inside F
const QUuid Sub = uid("5B000000-0000-4000-8000-000000000008"); // folder inside F
const QUuid Absent = uid("0B000000-0000-4000-8000-000000000009");

// A, B, C, folder F (X, Y, folder Sub), empty folder G.
QList<ShellNode> sampleForest()
{
    return {script(A, QStringLiteral("A")), script(B, QStringLiteral("B")),
            script(C, QStringLiteral("C")),
            folder(F, QStringLiteral("F"),
                   QList<ShellNode>{script(X, QStringLiteral("X")), script(Y, QStringLiteral("Y")),
                                    folder(Sub, QStringLiteral("Sub"))}),
            folder(G, QStringLiteral("G"))};
}

// The ids of one level, as a compact "A B C" text; the path goes down by folder ids.
QString level(const QList<ShellNode> &roots, const QList<QUuid> &path = {})
{
    QList<ShellNode> list = roots;
    for (const QUuid &id : path) {
        const auto found = std::find_if(list.begin(), list.end(),
                                        [&id](const ShellNode &n) { return n.id == id; });
        if (found == list.end())
            return QStringLiteral("<missing>");
        list = found->children.value_or(QList<ShellNode>());
    }
    QStringList names;
    for (const ShellNode &node : list)
        names.append(node.name);
    return names.join(u' ');
}

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;

    QString documentPath() const { return m_store->currentProfile().path; }
    bool documentExists() const { return QFile::exists(documentPath()); }
    QStringList logLines() const
    {
        QFile file(DropDebug::logPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList lines;
        for (const QByteArray &line : file.readAll().split('\n')) {
            // Drop "pid=… yyyy-MM-dd HH:mm:ss +0000 ".
            if (!line.isEmpty())
                lines.append(QString::fromUtf8(line).section(u' ', 4));
        }
        return lines;
    }
    // Starts from the sample forest saved on disk, then removes the file so
    // that any later save shows up as a new document.
    void startWithSample()
    {
        m_store->setRoots(sampleForest());
        QVERIFY(m_store->save());
        QVERIFY(QFile::remove(documentPath()));
    }
    QString makeTree(const QStringList &files)
    {
        const QString root = m_home->filePath(QStringLiteral("tree"));
        for (const QString &file : files) {
            if (file.endsWith(u'/'))
                QDir().mkpath(root + u'/' + file);
            else
                m_home->write(QStringLiteral("tree/") + file, "#!/bin/sh\n");
        }
        return root;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        QVERIFY(m_home->isValid());
        DropDebug::setLogPath(m_home->filePath(QStringLiteral("drop.log")));
        m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
        m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
        m_store->setDiagnosticLog(&DropDebug::log);
        m_store->setClock(
            [] { return QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5), Qt::LocalTime); });
    }
    void cleanup()
    {
        m_store.reset();
        m_preferences.reset();
        m_home.reset();
    }

    void addFolderNamesAndPlaces()
    {
        const QUuid stamped = m_store->addFolder(std::nullopt, QString());
        const QUuid spaced = m_store->addFolder(stamped, QStringLiteral("  工具 "));
        QCOMPARE(m_store->roots().size(), 1);
        const ShellNode top = m_store->roots().first();
        QCOMPARE(top.id, stamped);
        QCOMPARE(top.name, QStringLiteral("文件夹240131093005"));
        QCOMPARE(top.createdAt,
                 728386205.0 - QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)).offsetFromUtc());
        QCOMPARE(top.children->size(), 1);
        const ShellNode child = top.children->first();
        QCOMPARE(child.id, spaced);
        QCOMPARE(child.name, QStringLiteral("  工具 ")); // names are kept as typed
        QVERIFY(!child.children.has_value());            // a folder made by hand has no child list
        QVERIFY(documentExists());
    }

    void addScript_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("last extension only") << "/x/deploy.prod.sh"
                                             << "deploy.prod";
        QTest::newRow("no extension") << "/x/run"
                                      << "run";
        QTest::newRow("hidden name") << "/x/.profile"
                                     << ".profile";
        QTest::newRow("command") << "/x/Build All.command"
                                 << "Build All";
    }
    void addScript()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        const QUuid first = m_store->addScript(std::nullopt, path);
        const QUuid second = m_store->addScript(std::nullopt, path);
        QVERIFY(first != second);
        QCOMPARE(m_store->roots().size(), 2);
        for (const ShellNode &node : m_store->roots()) {
            QCOMPARE(node.kind, NodeKind::script);
            QCOMPARE(node.name, name);
            QCOMPARE(node.filePath, path);
            QVERIFY(!node.args && !node.children);
        }
    }

    void addRefusesParentsThatAreNotFolders()
    {
        startWithSample();
        QVERIFY(m_store->addScript(A, QStringLiteral("/x/a.sh")).isNull());
        QVERIFY(m_store->addFolder(Absent, QStringLiteral("n")).isNull());
        QCOMPARE(m_store->roots(), sampleForest());
        QVERIFY(!documentExists());
    }

    void rename_data()
    {
        QTest::addColumn<QUuid>("id");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder, spaces only") << F << "   "
                                             << "F";
        QTest::newRow("folder, trimmed") << F << "\t 新 名 \u3000"
                                         << "新 名";
        QTest::newRow("script, spaces only") << A << "   "
                                             << "";
        QTest::newRow("script, no-break and ideographic spaces") << A << "\u00a0x\u3000"
                                                                 << "x";
        QTest::newRow("line breaks stay") << A << " deploy\n"
                                          << "deploy\n";
    }
    void rename()
    {
        QFETCH(QUuid, id);
        QFETCH(QString, newName);
        QFETCH(QString, expected);
        startWithSample();
        m_store->rename(id, newName);
        const ShellNode node = *Forest::first(m_store->roots(), id);
        QCOMPARE(node.name, expected);
        if (expected.isEmpty())
            QCOMPARE(node.displayName(), QStringLiteral("A.sh"));
        QVERIFY(documentExists());
    }

    void setArgs()
    {
        startWithSample();
        m_store->setArgs(X, {QStringLiteral("  --a \n"), QString(), QStringLiteral("\n"),
                             QStringLiteral("b c")});
        QCOMPARE(Forest::first(m_store->roots(), X)->args,
                 QStringList({QStringLiteral("--a"), QStringLiteral("b c")}));

        m_store->setArgs(X, {QStringLiteral(" "), QStringLiteral("\t\n")});
        QVERIFY(!Forest::first(m_store->roots(), X)->args);
        QFile file(documentPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject f = QJsonDocument::fromJson(file.readAll())
                                  .object()[QStringLiteral("roots")]
                                  .toArray()[3]
                                  .toObject();
        const QJsonObject x = f[QStringLiteral("children")].toArray()[0].toObject();
        QCOMPARE(x[QStringLiteral("name")].toString(), QStringLiteral("X"));
        QVERIFY(!x.contains(QStringLiteral("args")));
    }

    // Moves that are carried out: the listed level afterwards.
    void moveNode_data()
    {
        QTest::addColumn<QUuid>("id");
        QTest::addColumn<std::optional<QUuid>>("toParent");
        QTest::addColumn<std::optional<QUuid>>("before");
        QTest::addColumn<QList<QUuid>>("levelPath");
        QTest::addColumn<QString>("expected");
        const std::optional<QUuid> top;
        QTest::newRow("down before C")
            << A << top << std::optional(C) << QList<QUuid>{} << "B A C F G";
        QTest::newRow("up before A")
            << C << top << std::optional(A) << QList<QUuid>{} << "C A B F G";
        QTest::newRow("own place") << B << top << std::optional(C) << QList<QUuid>{} << "A B C F G";
        QTest::newRow("to the end") << A << top << top << QList<QUuid>{} << "B C F G A";
        QTest::newRow("into folder")
            << A << std::optional(F) << top << QList<QUuid>{F} << "X Y Sub A";
        QTest::newRow("into folder before")
            << A << std::optional(F) << std::optional(Y) << QList<QUuid>{F} << "X A Y Sub";
        QTest::newRow("sibling elsewhere appends")
            << A << std::optional(F) << std::optional(C) << QList<QUuid>{F} << "X Y Sub A";
        QTest::newRow("current parent goes last")
            << X << std::optional(F) << top << QList<QUuid>{F} << "Y Sub X";
        QTest::newRow("out to the top")
            << X << top << std::optional(B) << QList<QUuid>{} << "A X B C F G";
        QTest::newRow("folder with subtree")
            << F << std::optional(G) << top << QList<QUuid>{G, F} << "X Y Sub";
        QTest::newRow("into empty folder")
            << Y << std::optional(Sub) << top << QList<QUuid>{F, Sub} << "Y";
    }
    void moveNode()
    {
        QFETCH(QUuid, id);
        QFETCH(std::optional<QUuid>, toParent);
        QFETCH(std::optional<QUuid>, before);
        QFETCH(QList<QUuid>, levelPath);
        QFETCH(QString, expected);
        startWithSample();
        QVERIFY(m_store->moveNode(id, toParent, before));
        QCOMPARE(level(m_store->roots(), levelPath), expected);
        QVERIFY(documentExists());
        // Nothing is lost or duplicated.
        QCOMPARE(Forest::depthMap(m_store->roots()).size(),
                 Forest::depthMap(sampleForest()).size());
    }

    void moveRefused_data()
    {
        QTest::addColumn<QUuid>("id");
        QTest::addColumn<std::optional<QUuid>>("toParent");
        QTest::addColumn<std::optional<QUuid>>("before");
        QTest::newRow("into itself") << F << std::optional(F) << std::optional<QUuid>();
        QTest::newRow("into own child") << F << std::optional(Sub) << std::optional<QUuid>();
        QTest::newRow("before itself") << A << std::optional<QUuid>() << std::optional(A);
        QTest::newRow("unknown node") << Absent << std::optional<QUuid>() << std::optional<QUuid>();
        QTest::newRow("parent names no node")
            << A << std::optional(Absent) << std::optional<QUuid>();
        QTest::newRow("parent is a script") << A << std::optional(B) << std::optional<QUuid>();
    }
    void moveRefused()
    {
        QFETCH(QUuid, id);
        QFETCH(std::optional<QUuid>, toParent);
        QFETCH(std::optional<QUuid>, before);
        startWithSample();
        QSignalSpy changed(m_store.get(), &ShellStore::changed);
        QVERIFY(!m_store->moveNode(id, toParent, before));
        QCOMPARE(m_store->roots(), sampleForest());
        QVERIFY(!documentExists());
        QCOMPARE(changed.count(), 0);
    }

    void nodeDropLogLines()
    {
        startWithSample();
        m_store->applyNodeDrop(X, DropTarget::before(A, std::nullopt));
        QCOMPARE(level(m_store->roots()), QStringLiteral("X A B C F G"));
        m_store->applyNodeDrop(A, DropTarget::folder(G));
        QCOMPARE(level(m_store->roots(), {G}), QStringLiteral("A"));
        m_store->applyNodeDrop(A, DropTarget::root());
        QCOMPARE(level(m_store->roots()), QStringLiteral("X B C F G A"));
        QCOMPARE(logLines(),
                 QStringList({
                     QStringLiteral(
                         "APPLY before(A000, parent=root) dragged=E000 原父=F000 sortMode=custom"),
                     QStringLiteral("APPLY 结束 新父=root"),
                     QStringLiteral("APPLY folder(6000) dragged=A000 原父=root sortMode=custom"),
                     QStringLiteral("APPLY 结束 新父=6000"),
                     QStringLiteral("APPLY root dragged=A000 原父=6000 sortMode=custom"),
                     QStringLiteral("APPLY 结束 新父=root"),
                 }));
        // A refused move keeps the node where it was.
        const QList<ShellNode> stored = m_store->roots();
        m_store->applyNodeDrop(F, DropTarget::folder(Sub));
        QCOMPARE(m_store->roots(), stored);
        QCOMPARE(logLines().last(), QStringLiteral("APPLY 结束 新父=root"));
    }

    void nodeDropUnderNameSort()
    {
        startWithSample();
        m_store->setSortMode(SortMode::name);
        // Within one parent: ignored, nothing saved.
        m_store->applyNodeDrop(C, DropTarget::before(A, std::nullopt));
        m_store->applyNodeDrop(Y, DropTarget::before(X, F));
        QCOMPARE(m_store->roots(), sampleForest());
        QVERIFY(!documentExists());
        // Into another folder: placed at the sibling's stored position.
        m_store->applyNodeDrop(C, DropTarget::before(Y, F));
        QCOMPARE(level(m_store->roots(), {F}), QStringLiteral("X C Y Sub"));
        QCOMPARE(logLines(),
                 QStringList({
                     QStringLiteral(
                         "APPLY before(A000, parent=root) dragged=C000 原父=root sortMode=name"),
                     QStringLiteral("APPLY 忽略：名称排序下同父级纯排序"),
                     QStringLiteral(
                         "APPLY before(E000, parent=F000) dragged=E100 原父=F000 sortMode=name"),
                     QStringLiteral("APPLY 忽略：名称排序下同父级纯排序"),
                     QStringLiteral(
                         "APPLY before(E100, parent=F000) dragged=C000 原父=root sortMode=name"),
                     QStringLiteral("APPLY 结束 新父=F000"),
                 }));
    }

    void sortModeIsDisplayOnly()
    {
        startWithSample();
        m_store->rename(A, QStringLiteral("z"));
        const QList<ShellNode> stored = m_store->roots();
        m_store->setSortMode(SortMode::name);
        QCOMPARE(m_preferences->string(PreferenceKeys::sortMode.key), QStringLiteral("name"));
        QCOMPARE(level(m_store->displayRoots()), QStringLiteral("F G B C z"));
        QCOMPARE(m_store->roots(), stored);
        m_store->setSortMode(SortMode::custom);
        QCOMPARE(m_preferences->string(PreferenceKeys::sortMode.key), QStringLiteral("custom"));
        QCOMPARE(m_store->displayRoots(), stored);
    }

    void buildTreeSortsAndFilters()
    {
        const QString root = makeTree({
            QStringLiteral("a10.sh"),
            QStringLiteral("a9.SH"),
            QStringLiteral("B.Command"),
            QStringLiteral("notes.txt"),
            QStringLiteral("run"),
            QStringLiteral(".hidden.sh"),
            QStringLiteral(".git/hook.sh"),
            QStringLiteral("lib/"),
            QStringLiteral("ab/x.sh"),
            QStringLiteral("ab/deeper/y.command"),
        });
        const ShellNode tree = m_store->buildTree(root);
        QCOMPARE(tree.name, QStringLiteral("tree"));
        QCOMPARE(tree.kind, NodeKind::folder);
        // Folders and files mixed, numeric and case-insensitive.
        QCOMPARE(level(tree.children.value()), QStringLiteral("a9 a10 ab B lib"));
        const ShellNode a9 = tree.children->at(0);
        QCOMPARE(a9.filePath, QDir(root).filePath(QStringLiteral("a9.SH")));
        QCOMPARE(level(tree.children.value(), {tree.children->at(2).id}),
                 QStringLiteral("deeper x"));
        const ShellNode lib = tree.children->at(4);
        QVERIFY(lib.children.has_value() && lib.children->isEmpty());
        QVERIFY(!m_store->roots().size()); // building alone changes nothing
    }

    void importHiddenAndEmpty()
    {
        const QString root =
            makeTree({QStringLiteral(".only-hidden.sh"), QStringLiteral("empty/")});
        const QUuid id = m_store->importFolder(root, std::nullopt);
        QCOMPARE(m_store->roots().size(), 1);
        const ShellNode tree = m_store->roots().first();
        QCOMPARE(tree.id, id);
        QCOMPARE(tree.children->size(), 1);
        QCOMPARE(tree.children->first().name, QStringLiteral("empty"));
        QCOMPARE(tree.children->first().kind, NodeKind::folder);
        QVERIFY(tree.children->first().children->isEmpty());
        QVERIFY(documentExists());
    }

    void importDoesNotFollowFolderLinks()
    {
        const QString root = makeTree({QStringLiteral("sub/a.sh"), QStringLiteral("b.sh")});
        QVERIFY(QFile::link(root, root + QStringLiteral("/sub/loop")));
        QVERIFY(QFile::link(root + QStringLiteral("/b.sh"), root + QStringLiteral("/sub/link.sh")));
        const ShellNode tree = m_store->buildTree(root);
        QCOMPARE(level(tree.children.value()), QStringLiteral("b sub"));
        // A linked file is a script like any other; the linked folder is skipped.
        QCOMPARE(level(tree.children.value(), {tree.children->at(1).id}), QStringLiteral("a link"));
    }

    void unlistableFolderImportsEmpty()
    {
        const QString root = makeTree({QStringLiteral("plain.sh")});
        // A folder that cannot be listed, for whatever reason, comes in empty.
        for (const QString &path :
             {root + QStringLiteral("/gone"), root + QStringLiteral("/plain.sh")}) {
            const ShellNode tree = m_store->buildTree(path);
            QCOMPARE(tree.kind, NodeKind::folder);
            QVERIFY(tree.children.has_value() && tree.children->isEmpty());
        }
    }

    void mixedFileDrop()
    {
        const QString root = makeTree(
            {QStringLiteral("pack/p.sh"), QStringLiteral("readme.txt"), QStringLiteral("tool.SH")});
        startWithSample();
        const QList<QUrl> urls{QUrl::fromLocalFile(root + QStringLiteral("/pack")),
                               QUrl::fromLocalFile(root + QStringLiteral("/readme.txt")),
                               QUrl::fromLocalFile(root + QStringLiteral("/tool.SH")),
                               QUrl(QStringLiteral("https://example.com/x.sh"))};
        m_store->applyFileDrop(urls, DropTarget::root());
        QCOMPARE(level(m_store->roots()), QStringLiteral("A B C F G pack tool"));
        QCOMPARE(m_store->roots().last().filePath, root + QStringLiteral("/tool.SH"));

        // Before a row: appended to that row's parent, not placed before it.
        m_store->applyFileDrop({QUrl::fromLocalFile(root + QStringLiteral("/tool.SH"))},
                               DropTarget::before(X, F));
        QCOMPARE(level(m_store->roots(), {F}), QStringLiteral("X Y Sub tool"));
        m_store->applyFileDrop({QUrl::fromLocalFile(QStringLiteral("/nowhere/gone.command"))},
                               DropTarget::folder(G));
        QCOMPARE(level(m_store->roots(), {G}), QStringLiteral("gone"));
    }
};

QTEST_GUILESS_MAIN(TestEditing)
#include "tst_editing.moc"
