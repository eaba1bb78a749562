#include "StoreTestSupport.h"

#include "settings/PreferenceKeys.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QString storedCurrent(StoreRig &rig)
{
    return rig.preferences->string(PreferenceKeys::currentProfileID.key).value_or(QString());
}

} // namespace

class TestProfiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void syncOnCopiesTheCurrentDocumentOnce()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        store.setSyncFromiCloud(true);
        QCOMPARE(store.currentProfileID(), Profile::iCloudProfileID);
        QCOMPARE(storedCurrent(rig), uuidText(Profile::iCloudProfileID));
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("local")});
        QCOMPARE(rig.home.read(Paths::cloud), rig.home.read(Paths::local));

        QVERIFY(rig.edit({QStringLiteral("cloud edit")}));
        store.setSyncFromiCloud(false);
        // Off loads the local document as it was; the edit stays in the cloud.
        QCOMPARE(store.currentProfileID(), Profile::localProfileID);
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("local")});
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("local")});

        QVERIFY(rig.edit({QStringLiteral("local edit")}));
        store.setSyncFromiCloud(true);
        // The cloud document exists now, so nothing is copied over it.
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("cloud edit")});
    }

    void syncOnWhileCustomIsCurrentCopiesTheCustomDocument()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        const QString work = rig.absolute(QStringLiteral("Work/tallowBay.json"));
        rig.home.write(QStringLiteral("Work/tallowBay.json"), documentWith({QStringLiteral("w")}));
        store.addProfile(work, std::nullopt);
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("w")});
        store.setSyncFromiCloud(true);
        QCOMPARE(store.currentProfileID(), Profile::iCloudProfileID);
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("w")});
        QCOMPARE(namesIn(rig.home.read(Paths::cloud)), QStringList{QStringLiteral("w")});
    }

    void syncToTheCurrentProfileDoesNothing()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        store.setRoots({makeFolder(QStringLiteral("unsaved"))});
        QSignalSpy changed(&store, &ShellStore::changed);
        store.setSyncFromiCloud(false);
        QVERIFY(changed.isEmpty());
        QVERIFY(!rig.exists(Paths::local)); // not even saved
    }

    void syncOnWithAnUnavailableCloudFolder()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        rig.home.write(QStringLiteral("home/Library/Mobile Documents/com~apple~CloudDocs"), "file");
        store.setSyncFromiCloud(true);
        QCOMPARE(store.currentProfileID(), Profile::iCloudProfileID);
        QVERIFY(store.roots().isEmpty());
        QVERIFY(!rig.edit({QStringLiteral("x")}));
        QVERIFY(store.lastSaveError());
    }

    void switchingToTheCurrentProfileSavesAndReloads()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        const ShellNode node = makeScript(QStringLiteral("kept"), 723456789.5);
        store.setRoots({node}); // not saved yet
        QSignalSpy changed(&store, &ShellStore::changed);
        store.switchTo(Profile::localProfileID, std::nullopt);
        QCOMPARE(store.roots(), QList<ShellNode>{node});
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("kept")});
        QVERIFY(!changed.isEmpty());
    }

    void switchingToAnUnknownProfileDoesNothing()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        store.setRoots({makeFolder(QStringLiteral("unsaved"))});
        store.switchTo(QUuid::createUuid(), std::nullopt);
        QCOMPARE(store.currentProfileID(), Profile::localProfileID);
        QVERIFY(!rig.exists(Paths::local));
    }

    void switchingNeverCopiesOverAnExistingDocument()
    {
        StoreRig rig;
        rig.home.write(Paths::cloud, documentWith({QStringLiteral("cloud")}));
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        store.switchTo(Profile::iCloudProfileID, rig.absolute(Paths::local));
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("cloud")});
    }

    void switchingCopiesOnlyAnExistingSource()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        store.switchTo(Profile::iCloudProfileID, rig.absolute(QStringLiteral("nowhere.json")));
        QCOMPARE(store.currentProfileID(), Profile::iCloudProfileID);
        QVERIFY(!rig.exists(Paths::cloud));
        QVERIFY(QFileInfo(QFileInfo(rig.absolute(Paths::cloud)).absolutePath()).isDir());
    }

    void firstSaveAfterASwitchBacksUpTheNewDocument()
    {
        StoreRig rig;
        rig.home.write(Paths::cloud, documentWith({QStringLiteral("cloud v1")}));
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        store.switchTo(Profile::iCloudProfileID, std::nullopt);
        QVERIFY(rig.edit({QStringLiteral("cloud v2")}));
        const QString cloudBackup = QFileInfo(rig.absolute(Paths::cloud)).absolutePath() +
                                    QStringLiteral("/tallowBay.session-backup.json");
        QFile backup(cloudBackup);
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(namesIn(backup.readAll()), QStringList{QStringLiteral("cloud v1")});
    }

    void vanishedCustomDocumentIsNotRecreatedBySwitching()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        const QString path = rig.absolute(QStringLiteral("gone/tallowBay.json"));
        rig.home.write(QStringLiteral("gone/tallowBay.json"), documentWith({QStringLiteral("g")}));
        store.addProfile(path, std::nullopt);
        QFile::remove(path);
        store.switchTo(Profile::localProfileID, std::nullopt);
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(store.currentProfileID(), Profile::localProfileID);
        // Nor was its tree written into the local document on the way out.
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("local")});
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("local")});
    }

    void editsAfterTheCurrentDocumentVanishedStayWithIt()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        const QString relative = QStringLiteral("gone/tallowBay.json");
        rig.home.write(relative, documentWith({QStringLiteral("g")}));
        store.addProfile(rig.absolute(relative), std::nullopt);
        QFile::remove(rig.absolute(relative));
        QCOMPARE(store.currentProfile().id, Profile::localProfileID); // as the menu shows it
        QVERIFY(rig.edit({QStringLiteral("g2")}));
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("local")});
        QCOMPARE(namesIn(rig.home.read(relative)), QStringList{QStringLiteral("g2")});
    }

    void addProfileNamesItAfterItsFolder_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<std::optional<QString>>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder name") << QStringLiteral("Work/tallowBay.json")
                                     << std::optional<QString>() << QStringLiteral("Work");
        QTest::newRow("given name")
            << QStringLiteral("Work/tallowBay.json") << std::optional(QStringLiteral("工作"))
            << QStringLiteral("工作");
        QTest::newRow("empty name falls back")
            << QStringLiteral("项目/lib.json") << std::optional(QString())
            << QStringLiteral("项目");
    }
    void addProfileNamesItAfterItsFolder()
    {
        QFETCH(QString, relative);
        QFETCH(std::optional<QString>, name);
        QFETCH(QString, expected);
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        rig.home.write(relative, documentWith({QStringLiteral("opened")}));
        store.addProfile(rig.absolute(relative), name);
        QCOMPARE(store.customProfiles().size(), 1);
        const Profile added = store.customProfiles().first();
        QCOMPARE(added.name, expected);
        QCOMPARE(added.path, rig.absolute(relative));
        QVERIFY(!added.id.isNull());
        QCOMPARE(store.currentProfileID(), added.id);
        QCOMPARE(storedCurrent(rig), uuidText(added.id));
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("opened")});
        QVERIFY(rig.preferences->data(PreferenceKeys::customProfiles.key)
                    ->contains(uuidText(added.id).toLatin1()));
        QCOMPARE(store.profiles().last(), added);
        QCOMPARE(store.currentProfile(), added);
        // The document left behind keeps its last save.
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("local")});
    }

    void addingAKnownPathSwitchesToIt()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        rig.home.write(QStringLiteral("Work/tallowBay.json"), documentWith({QStringLiteral("w")}));
        store.addProfile(rig.absolute(QStringLiteral("Work/tallowBay.json")), std::nullopt);
        const QUuid work = store.currentProfileID();
        store.switchTo(Profile::localProfileID, std::nullopt);
        store.addProfile(rig.absolute(QStringLiteral("Work/tallowBay.json")), std::nullopt);
        QCOMPARE(store.customProfiles().size(), 1);
        QCOMPARE(store.currentProfileID(), work);
        // The local and cloud documents select their built-in profiles.
        rig.home.write(Paths::cloud, documentWith({QStringLiteral("c")}));
        store.addProfile(rig.absolute(Paths::cloud), std::nullopt);
        QCOMPARE(store.currentProfileID(), Profile::iCloudProfileID);
        store.addProfile(rig.absolute(Paths::local), std::nullopt);
        QCOMPARE(store.currentProfileID(), Profile::localProfileID);
        QCOMPARE(store.customProfiles().size(), 1);
    }

    void removingTheCurrentProfileShowsTheLocalTree()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        rig.home.write(QStringLiteral("Work/tallowBay.json"), documentWith({QStringLiteral("w")}));
        store.addProfile(rig.absolute(QStringLiteral("Work/tallowBay.json")), std::nullopt);
        const QUuid work = store.currentProfileID();
        store.setRoots({makeFolder(QStringLiteral("not saved"))});
        QSignalSpy changed(&store, &ShellStore::changed);
        store.removeProfile(work, false);
        QVERIFY(!changed.isEmpty());
        QCOMPARE(store.currentProfileID(), Profile::localProfileID);
        QCOMPARE(storedCurrent(rig), uuidText(Profile::localProfileID));
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("local")});
        QVERIFY(store.customProfiles().isEmpty());
        QCOMPARE(*rig.preferences->data(PreferenceKeys::customProfiles.key), QByteArray("[]"));
        // Not saved before it went, and not deleted.
        QCOMPARE(namesIn(rig.home.read(QStringLiteral("Work/tallowBay.json"))),
                 QStringList{QStringLiteral("w")});
    }

    void removingAnotherProfileLeavesTheTree()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        rig.home.write(QStringLiteral("Work/tallowBay.json"), documentWith({QStringLiteral("w")}));
        store.addProfile(rig.absolute(QStringLiteral("Work/tallowBay.json")), std::nullopt);
        const QUuid work = store.currentProfileID();
        store.switchTo(Profile::localProfileID, std::nullopt);
        QVERIFY(rig.edit({QStringLiteral("local")}));
        store.setRoots({makeFolder(QStringLiteral("in memory"))});
        store.removeProfile(work, true);
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("in memory")});
        QVERIFY(!rig.exists(QStringLiteral("Work/tallowBay.json")));
        QCOMPARE(store.profiles().size(), 2);
    }

    void removingAProfileWhoseFileIsGone()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        rig.home.write(QStringLiteral("Work/tallowBay.json"), documentWith({QStringLiteral("w")}));
        store.addProfile(rig.absolute(QStringLiteral("Work/tallowBay.json")), std::nullopt);
        const QUuid work = store.currentProfileID();
        store.switchTo(Profile::localProfileID, std::nullopt);
        QFile::remove(rig.absolute(QStringLiteral("Work/tallowBay.json")));
        store.removeProfile(work, true); // deleting a missing file is ignored
        QVERIFY(store.customProfiles().isEmpty());
    }

    void builtInAndUnknownProfilesCannotBeRemoved_data()
    {
        QTest::addColumn<QUuid>("id");
        QTest::newRow("local") << Profile::localProfileID;
        QTest::newRow("cloud") << Profile::iCloudProfileID;
        QTest::newRow("unknown") << QUuid::createUuid();
    }
    void builtInAndUnknownProfilesCannotBeRemoved()
    {
        QFETCH(QUuid, id);
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({QStringLiteral("local")}));
        rig.home.write(Paths::cloud, documentWith({QStringLiteral("cloud")}));
        ShellStore &store = rig.start();
        store.switchTo(Profile::iCloudProfileID, std::nullopt);
        QSignalSpy changed(&store, &ShellStore::changed);
        store.removeProfile(id, true);
        QVERIFY(changed.isEmpty());
        QVERIFY(rig.exists(Paths::local));
        QVERIFY(rig.exists(Paths::cloud));
        QCOMPARE(store.currentProfileID(), Profile::iCloudProfileID);
        QCOMPARE(store.profiles().size(), 2);
    }

    // A new synchronised folder: with sync on the store moves to the document
    // there, copying the current one when the folder has none; with sync off
    // only the choice is stored. A restart keeps the choice.
    void newSyncFolder_data()
    {
        QTest::addColumn<bool>("syncOn");
        QTest::addColumn<bool>("documentThere");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("on, empty folder") << true << false << QStringList{QStringLiteral("edit")};
        QTest::newRow("on, folder with a document")
            << true << true << QStringList{QStringLiteral("there")};
        QTest::newRow("off") << false << true << QStringList{QStringLiteral("edit")};
    }
    void newSyncFolder()
    {
        QFETCH(bool, syncOn);
        QFETCH(bool, documentThere);
        QFETCH(QStringList, shown);
        const QString there = QStringLiteral("home/Nextcloud/tallowBay/tallowBay.json");
        StoreRig rig;
        if (documentThere)
            rig.home.write(there, documentWith({QStringLiteral("there")}));
        ShellStore &store = rig.start();
        store.setSyncFromiCloud(syncOn);
        store.setRoots({makeFolder(QStringLiteral("edit"))}); // not saved yet

        store.setSyncFolder(rig.absolute(QStringLiteral("home/Nextcloud/")));
        QCOMPARE(store.syncFolder(), rig.absolute(QStringLiteral("home/Nextcloud")));
        QCOMPARE(store.iCloudProfile().path, rig.absolute(there));
        QCOMPARE(rootNames(store.roots()), shown);
        QCOMPARE(store.currentProfileID(),
                 syncOn ? Profile::iCloudProfileID : Profile::localProfileID);
        QCOMPARE(namesIn(rig.home.read(there)),
                 QStringList{documentThere ? QStringLiteral("there") : QStringLiteral("edit")});
        if (!syncOn) {
            QVERIFY(!rig.exists(Paths::local)); // nothing moved, nothing saved
            return;
        }
        // The edit went to the document it was made in, never over the new one.
        QCOMPARE(namesIn(rig.home.read(Paths::cloud)), QStringList{QStringLiteral("edit")});

        rig.start();
        QCOMPARE(rig.store->iCloudProfile().path, rig.absolute(there));
        rig.store->setSyncFolder(QString()); // back to the default folder
        QCOMPARE(rig.store->iCloudProfile().path, rig.absolute(Paths::cloud));
        QCOMPARE(rootNames(rig.store->roots()), QStringList{QStringLiteral("edit")});
    }
};

QTEST_GUILESS_MAIN(TestProfiles)
#include "tst_profiles.moc"
