// The document shared with other programs and with the disk's own troubles:
// edits made elsewhere, files that cannot be read for a while, repeated ids,
// trees deeper than the reader takes, and a full disk.
#include "StoreTestSupport.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Writes the way editors and sync clients do: a copy renamed over the file,
// or the file itself rewritten in place.
void writeElsewhere(const QString &path, const QByteArray &bytes, bool replace)
{
    const QString target = replace ? path + u".tmp"_s : path;
    QFile file(target);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    if (replace)
        QVERIFY(::rename(QFile::encodeName(target).constData(),
                         QFile::encodeName(path).constData()) == 0);
}

Persisted onDisk(const StoreRig &rig, const QString &relative = Paths::local)
{
    const ScriptDocument::Decoded decoded = ScriptDocument::decode(rig.home.read(relative), 0);
    return decoded ? *decoded.persisted : Persisted{{makeFolder(u"<bad>"_s)}, false};
}

// As root every file is readable: permission checks of this thread are made
// as another user for as long as this lives.
class AsAnotherUser
{
public:
    AsAnotherUser()
    {
        if (::geteuid() == 0) {
            ::setfsgid(65534);
            ::setfsuid(65534);
        }
    }
    ~AsAnotherUser()
    {
        if (::geteuid() == 0) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
};

} // namespace

class TestDocumentSync : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The app and another program (a second process through a shared folder,
    // an editor) take turns; no edit is lost on either side.
    void twoPlacesEditInTurn()
    {
        StoreRig app;
        app.home.write(Paths::local, documentWith({u"Start"_s}));
        ShellStore &watched = app.start();
        watched.startWatching();
        Preferences otherPreferences(app.home.filePath(u"other.ini"_s));
        ShellStore other(otherPreferences, app.home.locations());
        QSignalSpy changes(&watched, &ShellStore::changed);

        // The other store loaded before this edit and never heard of it.
        const QUuid a = watched.addFolder(std::nullopt, u"A"_s);
        QVERIFY(!a.isNull());
        const QUuid b = other.addFolder(std::nullopt, u"B"_s);
        QCOMPARE(rootNames(onDisk(app).roots), (QStringList{u"Start"_s, u"A"_s, u"B"_s}));
        QTRY_COMPARE(rootNames(watched.roots()), (QStringList{u"Start"_s, u"A"_s, u"B"_s}));

        // Each side edits the other's node.
        watched.rename(b, u"B2"_s);
        other.moveNode(a, b, std::nullopt);
        QCOMPARE(allNames(onDisk(app).roots), (QStringList{u"Start"_s, u"B2"_s, u"A"_s}));
        QTRY_COMPARE(allNames(watched.roots()), (QStringList{u"Start"_s, u"B2"_s, u"A"_s}));

        // An editor replaces the file, then rewrites it in place.
        for (const bool replace : {true, false}) {
            Persisted edited = onDisk(app);
            edited.roots.append(makeFolder(replace ? u"Replaced"_s : u"InPlace"_s));
            edited.isPublished = !edited.isPublished;
            writeElsewhere(app.absolute(Paths::local), ScriptDocument::encode(edited), replace);
            QTRY_COMPARE(watched.roots(), edited.roots);
            QCOMPARE(watched.isPublished(), edited.isPublished);
        }
        watched.deleteNode(a);
        QCOMPARE(allNames(onDisk(app).roots),
                 (QStringList{u"Start"_s, u"B2"_s, u"Replaced"_s, u"InPlace"_s}));
        QVERIFY(app.lines.isEmpty());

        // The store's own saves are never read back as changes made elsewhere.
        const qsizetype seen = changes.size();
        watched.addFolder(std::nullopt, u"Own"_s);
        QTest::qWait(300);
        QCOMPARE(changes.size(), seen + 1);
    }

    // Watching starts a while after the load: what another program wrote in
    // between is taken in as watching starts, not at its next change.
    void versionWrittenBeforeWatchingIsTakenIn()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({u"Start"_s}));
        ShellStore &store = rig.start();
        QSignalSpy outside(&store, &ShellStore::adoptedOutsideVersion);
        writeElsewhere(rig.absolute(Paths::local), documentWith({u"Start"_s, u"Later"_s}), true);
        store.startWatching();
        QCOMPARE(outside.size(), 1);
        QCOMPARE(rootNames(store.roots()), (QStringList{u"Start"_s, u"Later"_s}));
    }

    // A file another program left undecodable is kept aside, once, before a
    // save replaces it; the tree shown meanwhile stays.
    void undecodableVersionFromElsewhereIsKeptAside()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({u"Kept"_s}));
        ShellStore &store = rig.start();
        store.setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)); });
        store.startWatching();
        QSignalSpy asides(&store, &ShellStore::documentMovedAside);
        const QByteArray broken = "{\"isPublished\": true, \"roots\": [ {";
        writeElsewhere(rig.absolute(Paths::local), broken, true);
        QTRY_VERIFY(store.lastLoadError());
        QCOMPARE(rootNames(store.roots()), QStringList{u"Kept"_s});

        QVERIFY(!store.addFolder(std::nullopt, u"New"_s).isNull());
        const QString aside =
            u"home/Documents/FennickTallowBay/tallowBay.unreadable-240131093005.json"_s;
        QCOMPARE(rig.home.read(aside), broken);
        QCOMPARE(store.movedAsidePath(), std::optional(rig.absolute(aside)));
        QCOMPARE(asides.size(), 1);
        QCOMPARE(asides.first().at(0).toString(), rig.absolute(aside));
        QCOMPARE(rootNames(onDisk(rig).roots), (QStringList{u"Kept"_s, u"New"_s}));
        QCOMPARE(rig.lines.size(), 1);
        QVERIFY(rig.lines.first().contains(rig.absolute(aside)));
        store.addFolder(std::nullopt, u"Newer"_s);
        QCOMPARE(asides.size(), 1);
        QCOMPARE(rig.lines.size(), 1);
    }

    // A hand edit or a sync merge repeats ids: each later copy gets its own,
    // so an edit touches exactly one node.
    void repeatedIdsBecomeUnique()
    {
        ShellNode two = makeScript(u"Two"_s);
        ShellNode one = makeFolder(u"One"_s);
        one.children = QList<ShellNode>{two};
        ShellNode copy = one; // the whole folder twice, the script inside as well
        copy.name = u"Copy"_s;
        ShellNode other = makeFolder(u"Other"_s);
        ShellNode twoAgain = two;
        twoAgain.name = u"Two again"_s;
        other.children = QList<ShellNode>{twoAgain};
        StoreRig rig;
        rig.home.write(Paths::local, ScriptDocument::encode(Persisted{{one, copy, other}, true}));
        ShellStore &store = rig.start();
        store.load(); // again, with its lines caught

        QCOMPARE(rig.lines.size(), 1);
        const QHash<QUuid, int> depths = Forest::depthMap(store.roots());
        QCOMPARE(depths.size(), 6);
        QCOMPARE(store.roots().at(0).id, one.id);
        QCOMPARE(store.roots().at(0).children->at(0).id, two.id);
        // Until a save, every reading gives the copies the same ids: one
        // printed by a command still names its node in the next.
        const QList<ShellNode> firstReading = store.roots();
        store.load();
        QCOMPARE(store.roots(), firstReading);
        rig.lines.removeLast(); // told again by that reading

        store.rename(two.id, u"Renamed"_s);
        QCOMPARE(allNames(onDisk(rig).roots), (QStringList{u"One"_s, u"Renamed"_s, u"Copy"_s,
                                                           u"Two"_s, u"Other"_s, u"Two again"_s}));
        store.deleteNode(two.id);
        QCOMPARE(allNames(onDisk(rig).roots),
                 (QStringList{u"One"_s, u"Copy"_s, u"Two"_s, u"Other"_s, u"Two again"_s}));
        // The fresh ids were saved: the next run finds nothing to repair.
        rig.start();
        QCOMPARE(rig.lines.size(), 1);
        QCOMPARE(rig.store->roots(), onDisk(rig).roots);
    }

    // Nothing may be saved that the reader refuses: the deepest tree the
    // reader takes is accepted, one level more is refused with nothing changed.
    void treesDeeperThanTheReaderTakesAreRefused()
    {
        const int levels = ScriptDocument::maxNodeDepth + 1;
        StoreRig rig;
        QString path = rig.absolute(u"deep"_s);
        for (int level = 0; level < levels; ++level)
            path += u"/d"_s;
        QVERIFY(QDir().mkpath(path));
        QVERIFY(
            rig.home.write(path.mid(rig.home.path().size() + 1) + u"/leaf.sh"_s, "#!/bin/sh\n"));
        ShellStore &store = rig.start();
        store.addFolder(std::nullopt, u"Before"_s);
        const QByteArray before = rig.home.read(Paths::local);

        // With its script the directory is one level too deep anywhere.
        QVERIFY(store.importFolder(rig.absolute(u"deep/d"_s), std::nullopt).isNull());
        QVERIFY(store.lastEditError());
        QCOMPARE(rig.home.read(Paths::local), before);
        QVERIFY(QFile::remove(path + u"/leaf.sh"_s));
        const QUuid deepest = store.importFolder(rig.absolute(u"deep/d"_s), std::nullopt);
        QVERIFY(!deepest.isNull());
        QVERIFY(!store.lastEditError());
        QCOMPARE(Forest::height(*Forest::first(store.roots(), deepest)), levels - 1);
        // The reader takes it back, and a preset at the bottom too.
        QUuid bottom = deepest;
        while (Forest::first(store.roots(), bottom)->children &&
               !Forest::first(store.roots(), bottom)->children->isEmpty())
            bottom = Forest::first(store.roots(), bottom)->children->first().id;
        store.setArgs(bottom, {u"-v"_s});
        QVERIFY(!store.lastSaveError());
        QCOMPARE(rig.start().roots(), onDisk(rig).roots);
        QCOMPARE(rig.store->roots().size(), 2);

        // Neither into a folder, nor a move of the whole chain under another.
        ShellStore &again = *rig.store;
        const QByteArray full = rig.home.read(Paths::local);
        const QUuid beforeId = again.roots().first().id;
        QVERIFY(again.importFolder(rig.absolute(u"deep/d"_s), beforeId).isNull());
        QVERIFY(!again.moveNode(deepest, beforeId, std::nullopt));
        QVERIFY(again.lastEditError());
        QCOMPARE(rig.home.read(Paths::local), full);
        QVERIFY(again.moveNode(beforeId, std::nullopt, deepest));
    }

    // A document that cannot be opened for a while is not an undecodable one:
    // it stays where it is, untouched, and no save replaces it until it can be
    // read; then the edit lands on top of its content.
    void documentThatCannotBeReadIsLeftAlone()
    {
        StoreRig rig;
        const QByteArray valid = documentWith({u"Precious"_s});
        rig.home.write(Paths::local, valid);
        const QString document = rig.absolute(Paths::local);
        // The other user needs the way to the file, not the file.
        for (QString folder = QFileInfo(document).absolutePath();
             folder.startsWith(rig.home.path()); folder = QFileInfo(folder).absolutePath())
            QFile::setPermissions(folder,
                                  QFile::permissions(folder) | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(document, {});
        {
            AsAnotherUser other;
            ShellStore &store = rig.start();
            QVERIFY(store.roots().isEmpty());
            QVERIFY(store.lastLoadError());
            QVERIFY(store.addFolder(std::nullopt, u"New"_s).isNull());
            QVERIFY(store.lastSaveError());
            QVERIFY(store.lastSaveError()->contains(*store.lastLoadError()));
            QCOMPARE(rig.lines.size(), 1);
            QVERIFY(rig.lines.first().startsWith(u"[ShellStore] 保存失败 "_s + document));
        }
        const QFileDevice::Permissions modeBits =
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        QCOMPARE(QFile::permissions(document) & modeBits, QFileDevice::Permissions{});
        QFile::setPermissions(document, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(rig.home.read(Paths::local), valid);
        QCOMPARE(QDir(QFileInfo(document).absolutePath()).entryList(QDir::Files),
                 QStringList{u"tallowBay.json"_s});

        QVERIFY(!rig.store->addFolder(std::nullopt, u"New"_s).isNull());
        QVERIFY(!rig.store->lastSaveError());
        QVERIFY(!rig.store->lastLoadError());
        QCOMPARE(rootNames(onDisk(rig).roots), (QStringList{u"Precious"_s, u"New"_s}));
        QCOMPARE(namesIn(rig.home.read(Paths::localBackup)), QStringList{u"Precious"_s});
    }

    // A full disk: the old backup stays whole, and the error names the cause.
    void fullDiskKeepsTheOldBackup()
    {
        StoreRig rig;
        QStringList names;
        for (int i = 0; i < 2000; ++i)
            names << u"folder %1"_s.arg(i);
        const QByteArray document = documentWith(names);
        rig.home.write(Paths::local, document);
        rig.home.write(Paths::localBackup, documentWith({u"earlier run"_s}));
        ShellStore &store = rig.start();

        struct rlimit saved;
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct rlimit small = saved;
        small.rlim_cur = rlim_t(document.size() / 2);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const QUuid id = store.addFolder(std::nullopt, u"more"_s);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        QVERIFY(id.isNull()); // taken back
        QCOMPARE(store.roots().size(), 2000);
        QCOMPARE(store.lastSaveError(),
                 std::optional(QString::fromLocal8Bit(std::strerror(EFBIG))));
        QCOMPARE(namesIn(rig.home.read(Paths::localBackup)), QStringList{u"earlier run"_s});
        QCOMPARE(rig.home.read(Paths::local), document);
        QVERIFY(!store.addFolder(std::nullopt, u"more"_s).isNull());
        QCOMPARE(rootNames(onDisk(rig).roots).size(), 2001);
        // The backup the failed save could not take is taken now, of what
        // the document held before this run wrote it.
        QCOMPARE(rig.home.read(Paths::localBackup), document);
    }

    // A change of the same size within the time stamp's resolution is
    // still a change.
    void sameSizeChangeWithTheSameTimeIsTakenIn()
    {
        StoreRig rig;
        Persisted before{{makeFolder(u"Aaaa"_s)}, true};
        rig.home.write(Paths::local, ScriptDocument::encode(before));
        ShellStore &store = rig.start();
        store.startWatching();
        const QString path = rig.absolute(Paths::local);
        const QDateTime stamp = QFileInfo(path).lastModified();
        Persisted after = before;
        after.roots[0].name = u"Bbbb"_s;
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
        QVERIFY(file.write(ScriptDocument::encode(after)) > 0);
        QVERIFY(file.flush());
        QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(QFileInfo(path).lastModified(), stamp);
        QTRY_COMPARE(rootNames(store.roots()), QStringList{u"Bbbb"_s});
    }

    // A private document stays private: its backup, the copy set aside and
    // the document written after it keep its mode.
    void copiesKeepTheDocumentsMode()
    {
        const mode_t previousMask = ::umask(022);
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({u"Private"_s}));
        const QString path = rig.absolute(Paths::local);
        const QFileDevice::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(path, owner));
        ShellStore &store = rig.start();
        store.setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)); });
        QVERIFY(!store.addFolder(std::nullopt, u"A"_s).isNull());
        const QFileDevice::Permissions modeBits = owner | QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::WriteGroup | QFile::ExeGroup |
                                                  QFile::ReadOther | QFile::WriteOther |
                                                  QFile::ExeOther;
        const auto mode = [&rig, modeBits](const QString &relative) {
            return QFile::permissions(rig.absolute(relative)) & modeBits;
        };
        QCOMPARE(mode(Paths::local), owner);
        QCOMPARE(mode(Paths::localBackup), owner);

        writeElsewhere(path, "{ not a document", false);
        QVERIFY(!store.addFolder(std::nullopt, u"B"_s).isNull());
        QVERIFY(store.movedAsidePath());
        QCOMPARE(QFile::permissions(*store.movedAsidePath()) & modeBits, owner);
        QCOMPARE(mode(Paths::local), owner);
        ::umask(previousMask);
    }
};

QTEST_GUILESS_MAIN(TestDocumentSync)
#include "tst_documentsync.moc"
