// One document, many writers: other processes of this machine that follow
// the writers' lock, editors that rewrite the file in place without it,
// a folder deleted under the app, and the conflict copies of sync clients.
#include "StoreTestSupport.h"
#include "library/DocumentFile.h"
#include "library/EditHistory.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QStringList expectedNames(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << prefix + QString::number(i);
    return names;
}

// What is missing from the document of what was added.
QStringList missing(const QStringList &names, const QStringList &wanted)
{
    QStringList lost;
    for (const QString &name : wanted)
        if (!names.contains(name))
            lost << name;
    return lost;
}

QStringList filesBeside(const QString &document)
{
    return QFileInfo(document).dir().entryList(QDir::Files, QDir::Name);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QProcess *startEditor(QObject *parent, const QStringList &arguments)
{
    auto *editor = new QProcess(parent);
    editor->start(QStringLiteral(DOCUMENT_EDITOR), arguments);
    return editor;
}

constexpr int edits = 100; // by each of the two writers: 200 in all

} // namespace

class TestManyWriters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Two homes whose cloud folder is one folder, each adding at once.
    void twoHomesOnOneFolderLoseNothing()
    {
        TestHome shared;
        TestHome a;
        TestHome b;
        QProcess *first = startEditor(this, {u"store"_s, a.path(), shared.path(),
                                             QString::number(edits), u"a"_s});
        QProcess *second = startEditor(this, {u"store"_s, b.path(), shared.path(),
                                              QString::number(edits), u"b"_s});
        for (QProcess *editor : {first, second}) {
            QVERIFY(editor->state() == QProcess::NotRunning || editor->waitForFinished(120000));
            QCOMPARE(editor->exitCode(), 0);
        }
        const QStringList names =
            namesIn(shared.read(u"tallowBay/tallowBay.json"_s));
        QCOMPARE(missing(names, expectedNames(u"a"_s, edits) + expectedNames(u"b"_s, edits)),
                 QStringList());
        QCOMPARE(names.size(), 2 * edits);
    }

    // A sync client replaces the lock file like any file of the folder: a
    // writer that opens it since must still wait for the one holding the old.
    void replacedLockFileStillKeepsWritersInLine()
    {
        TestHome home;
        home.write(u"lib/tallowBay.json"_s, documentWith({}));
        const QString lockPath =
            DocumentFile::Lock::pathFor(home.filePath(u"lib/tallowBay.json"_s));
        const auto lockedElsewhere = [&lockPath] {
            return QProcess::execute(u"flock"_s, {u"-n"_s, lockPath, u"true"_s}) == 1;
        };
        DocumentFile::Lock lock(home.filePath(u"lib/tallowBay.json"_s));
        QVERIFY(lock.held());
        QVERIFY(lockedElsewhere());
        writeFile(lockPath + u".syncing"_s, {});
        QCOMPARE(::rename(QFile::encodeName(lockPath + u".syncing"_s).constData(),
                          QFile::encodeName(lockPath).constData()),
                 0);
        QVERIFY(!lockedElsewhere()); // a newcomer would get in
        QVERIFY(lock.followReplacement());
        QVERIFY(lockedElsewhere());
    }

    // The app edits while another program replaces the file or rewrites it
    // in place, each edit of both kept.
    void appAgainstOtherWriters_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("rename") << u"rename"_s;
        QTest::newRow("in place") << u"inplace"_s;
    }
    void appAgainstOtherWriters()
    {
        QFETCH(QString, mode);
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({}));
        ShellStore &store = rig.start();
        store.startWatching();
        const QString path = rig.absolute(Paths::local);
        QProcess *editor = startEditor(this, {mode, path, QString::number(edits), u"o"_s});
        QVERIFY(editor->waitForStarted());
        for (int i = 0; i < edits; ++i) {
            QVERIFY(!store.addFolder(std::nullopt, u"app"_s + QString::number(i)).isNull());
            QVERIFY2(!store.lastSaveError(), qPrintable(store.lastSaveError().value_or(QString())));
            QTest::qWait(4);
        }
        QVERIFY(editor->state() == QProcess::NotRunning || editor->waitForFinished(120000));
        QCOMPARE(editor->exitCode(), 0);
        const QStringList wanted = expectedNames(u"app"_s, edits) + expectedNames(u"o"_s, edits);
        QCOMPARE(missing(namesIn(rig.home.read(Paths::local)), wanted), QStringList());
        QTRY_COMPARE(missing(rootNames(store.roots()), wanted), QStringList());
        QCOMPARE(filesBeside(path), (QStringList{u"tallowBay.json"_s,
                                                 u"tallowBay.session-backup.json"_s}));
    }

    // An editor without the lock truncates the file and writes it in two
    // goes: the half-written file is neither set aside nor overwritten.
    void inPlaceWriterCaughtHalfWayIsWaitedFor()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({u"Start"_s}));
        ShellStore &store = rig.start();
        store.startWatching();
        Persisted outside{store.roots(), true};
        outside.roots.append(makeFolder(u"Outside"_s));
        const QByteArray bytes = ScriptDocument::encode(outside);
        const QString path = rig.absolute(Paths::local);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_TRUNC);
        QVERIFY(fd >= 0);
        const qsizetype half = bytes.size() / 2;
        QCOMPARE(::write(fd, bytes.constData(), size_t(half)), ssize_t(half));
        std::thread rest([&] {
            QThread::msleep(150);
            (void)!::write(fd, bytes.constData() + half, size_t(bytes.size() - half));
            ::close(fd);
        });
        QTest::qWait(100); // the watcher has seen the half
        const QUuid mine = store.addFolder(std::nullopt, u"Mine"_s);
        rest.join();
        QVERIFY(!mine.isNull());
        QCOMPARE(rootNames(onDiskRoots(rig)), (QStringList{u"Start"_s, u"Outside"_s, u"Mine"_s}));
        QCOMPARE(rootNames(store.roots()), (QStringList{u"Start"_s, u"Outside"_s, u"Mine"_s}));
        QVERIFY(!store.movedAsidePath());
        QCOMPARE(filesBeside(path).filter(u"unreadable"_s), QStringList());
    }

    // The document's folder deleted and made again, by another program or
    // by the app's own save: later edits elsewhere are still seen.
    void watchOutlivesTheFolder()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({u"Start"_s}));
        ShellStore &store = rig.start();
        store.startWatching();
        const QString folder = QFileInfo(rig.absolute(Paths::local)).absolutePath();

        QVERIFY(QDir(folder).removeRecursively());
        QTest::qWait(150);
        rig.home.write(Paths::local, documentWith({u"Start"_s, u"Outside"_s}));
        QTRY_COMPARE(rootNames(store.roots()), (QStringList{u"Start"_s, u"Outside"_s}));

        QVERIFY(QDir(folder).removeRecursively());
        QTest::qWait(150);
        QVERIFY(!store.addFolder(std::nullopt, u"Mine"_s).isNull());
        QTest::qWait(150);
        Persisted later = *ScriptDocument::decode(rig.home.read(Paths::local), 0).persisted;
        later.roots.append(makeFolder(u"Later"_s));
        writeFile(rig.absolute(Paths::local), ScriptDocument::encode(later));
        QTRY_COMPARE(rootNames(store.roots()),
                     (QStringList{u"Start"_s, u"Outside"_s, u"Mine"_s, u"Later"_s}));
    }

    // An undo made before the store has seen a newer version takes back its
    // own step only: the other program's edit stays in the document.
    void undoKeepsANewerDocument()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({u"Start"_s}));
        ShellStore &store = rig.start();
        EditHistory history(store);
        QVERIFY(!store.addFolder(std::nullopt, u"Mine"_s).isNull());
        Persisted newer = *ScriptDocument::decode(rig.home.read(Paths::local), 0).persisted;
        newer.roots.append(makeFolder(u"Outside"_s));
        writeFile(rig.absolute(Paths::local), ScriptDocument::encode(newer));

        history.undo();
        QCOMPARE(rootNames(onDiskRoots(rig)), (QStringList{u"Start"_s, u"Outside"_s}));
        QCOMPARE(rootNames(store.roots()), (QStringList{u"Start"_s, u"Outside"_s}));
        QVERIFY(!history.canUndo()); // its steps belonged to the older version
        QCOMPARE(filesBeside(rig.absolute(Paths::local)).filter(u"unreadable"_s), QStringList());
    }

    // A sync client's conflict copy: what it adds or changes joins the
    // document, the copy is kept aside and told once.
    void conflictCopiesAreTakenIn_data()
    {
        QTest::addColumn<QString>("copyName");
        QTest::newRow("Syncthing") << u"tallowBay.sync-conflict-20240131-093005-ABCDEFG.json"_s;
        QTest::newRow("Dropbox") << u"tallowBay (Ada's conflicted copy 2024-01-31).json"_s;
        QTest::newRow("Nextcloud") << u"tallowBay (conflicted copy 2024-01-31 093005).json"_s;
    }
    void conflictCopiesAreTakenIn()
    {
        QFETCH(QString, copyName);
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({u"Start"_s, u"Shared"_s}));
        ShellStore &store = rig.start();
        store.setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)); });
        store.startWatching();
        QSignalSpy taken(&store, &ShellStore::conflictCopyTakenIn);
        const Persisted start{store.roots(), store.isPublished()};

        // This side's version wins in the folder; the other side's is the copy.
        Persisted here = start;
        here.roots.append(makeFolder(u"FromHere"_s));
        writeFile(rig.absolute(Paths::local), ScriptDocument::encode(here));
        QTRY_COMPARE(rootNames(store.roots()), rootNames(here.roots));
        Persisted there = start;
        there.roots[1].name = u"Shared renamed"_s;
        there.roots.append(makeFolder(u"FromThere"_s));
        const QByteArray copyBytes = ScriptDocument::encode(there);
        const QString copy = QFileInfo(rig.absolute(Paths::local)).dir().filePath(copyName);
        writeFile(copy, copyBytes);

        QTRY_COMPARE(taken.size(), 1);
        const QStringList merged{u"Start"_s, u"Shared renamed"_s, u"FromThere"_s, u"FromHere"_s};
        QCOMPARE(rootNames(onDiskRoots(rig)), merged);
        QCOMPARE(rootNames(store.roots()), merged);
        const QString keptAt = rig.absolute(
            u"home/Documents/FennickTallowBay/tallowBay.conflict-240131093005.json"_s);
        QCOMPARE(taken.first().at(0).toString(), copy);
        QCOMPARE(taken.first().at(1).toString(), keptAt);
        QVERIFY(!QFile::exists(copy));
        QFile kept(keptAt);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), copyBytes);
        QVERIFY(rig.lines.last().contains(keptAt));

        store.addFolder(std::nullopt, u"Later"_s);
        QTest::qWait(200);
        QCOMPARE(taken.size(), 1);
    }

private:
    static QList<ShellNode> onDiskRoots(const StoreRig &rig)
    {
        const ScriptDocument::Decoded decoded =
            ScriptDocument::decode(rig.home.read(Paths::local), 0);
        return decoded ? decoded.persisted->roots : QList<ShellNode>{makeFolder(u"<bad>"_s)};
    }
};

QTEST_GUILESS_MAIN(TestManyWriters)
#include "tst_manywriters.moc"
