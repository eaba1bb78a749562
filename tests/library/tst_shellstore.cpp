#include "StoreTestSupport.h"

#include "settings/PreferenceKeys.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

#include <unistd.h>

namespace {

QString stored(StoreRig &rig, QLatin1StringView key)
{
    return rig.preferences->string(key).value_or(QStringLiteral("<absent>"));
}

QByteArray profilesJson(const QList<Profile> &profiles)
{
    QByteArray out("[");
    for (const Profile &p : profiles) {
        if (out.size() > 1)
            out += ',';
        out += "{\"id\":\"" + uuidText(p.id).toLatin1() + "\",\"name\":\"" + p.name.toUtf8() +
               "\",\"path\":\"" + p.path.toUtf8() + "\"}";
    }
    return out + "]";
}

} // namespace

class TestShellStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void freshStart()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QCOMPARE(store.currentProfileID(), Profile::localProfileID);
        QCOMPARE(stored(rig, PreferenceKeys::currentProfileID.key),
                 QStringLiteral("00000000-0000-0000-0000-00000000000A"));
        QVERIFY(QFileInfo(rig.absolute(QStringLiteral("home/Documents/FennickTallowBay"))).isDir());
        QVERIFY(store.roots().isEmpty());
        QVERIFY(!store.isPublished());
        QCOMPARE(store.sortMode(), SortMode::custom);
        QVERIFY(!rig.exists(Paths::local));
        QVERIFY(!store.lastLoadError());
        QCOMPARE(stored(rig, PreferenceKeys::sortMode.key), QStringLiteral("<absent>"));
        const QList<Profile> profiles = store.profiles();
        QCOMPARE(profiles.size(), 2);
        QCOMPARE(profiles.at(0).id, Profile::localProfileID);
        QCOMPARE(profiles.at(0).name, QStringLiteral("本机文稿"));
        QCOMPARE(profiles.at(0).path, rig.absolute(Paths::local));
        QCOMPARE(profiles.at(1).id, Profile::iCloudProfileID);
        QCOMPARE(profiles.at(1).name, QStringLiteral("iCloud 云盘"));
        QCOMPARE(profiles.at(1).path, rig.absolute(Paths::cloud));
    }

    void migration_data()
    {
        QTest::addColumn<bool>("olderInDocuments");
        QTest::addColumn<bool>("olderInSupport");
        QTest::addColumn<QStringList>("loaded");
        QTest::newRow("documents") << true << false << QStringList{QStringLiteral("docs")};
        QTest::newRow("application support")
            << false << true << QStringList{QStringLiteral("support")};
        QTest::newRow("both: documents wins")
            << true << true << QStringList{QStringLiteral("docs")};
    }
    void migration()
    {
        QFETCH(bool, olderInDocuments);
        QFETCH(bool, olderInSupport);
        QFETCH(QStringList, loaded);
        StoreRig rig;
        if (olderInDocuments)
            rig.home.write(Paths::olderDocuments, documentWith({QStringLiteral("docs")}));
        if (olderInSupport)
            rig.home.write(Paths::olderSupport, documentWith({QStringLiteral("support")}));
        ShellStore &store = rig.start();
        QCOMPARE(rootNames(store.roots()), loaded);
        QVERIFY(store.isPublished());
        QCOMPARE(namesIn(rig.home.read(Paths::local)), loaded);
        // Copied, never moved.
        QCOMPARE(rig.exists(Paths::olderDocuments), olderInDocuments);
        QCOMPARE(rig.exists(Paths::olderSupport), olderInSupport);
    }

    void migrationNeverReplacesTheLocalDocument()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({QStringLiteral("mine")}));
        rig.home.write(Paths::olderDocuments, documentWith({QStringLiteral("docs")}));
        QCOMPARE(rootNames(rig.start().roots()), QStringList{QStringLiteral("mine")});
    }

    void storedCustomProfileIsCurrentWithoutMigration()
    {
        StoreRig rig;
        const Profile custom =
            rig.customProfile(QStringLiteral("work/lib.json"), {QStringLiteral("work")});
        rig.preferences->setData(PreferenceKeys::customProfiles.key, profilesJson({custom}));
        rig.preferences->setString(PreferenceKeys::currentProfileID.key,
                                   uuidText(custom.id).toLower());
        rig.home.write(Paths::olderDocuments, documentWith({QStringLiteral("docs")}));
        ShellStore &store = rig.start();
        QCOMPARE(store.currentProfileID(), custom.id);
        QCOMPARE(store.customProfiles(), QList<Profile>{custom});
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("work")});
        QVERIFY(!rig.exists(Paths::local));
    }

    void startProfileChoice_data()
    {
        // "custom": a custom profile whose file is gone from its folder
        QTest::addColumn<QString>("storedCurrent");
        QTest::addColumn<QString>("syncICloud"); // empty: absent
        QTest::addColumn<QUuid>("current");
        const QString cloud = QStringLiteral("00000000-0000-0000-0000-00000000000B");
        QTest::newRow("sync true alone") << QString() << "true" << Profile::iCloudProfileID;
        QTest::newRow("sync TRUE is not true") << QString() << "TRUE" << Profile::localProfileID;
        QTest::newRow("sync false") << QString() << "false" << Profile::localProfileID;
        QTest::newRow("stored id wins over sync")
            << QStringLiteral("00000000-0000-0000-0000-00000000000a") << "true"
            << Profile::localProfileID;
        QTest::newRow("stored cloud") << cloud << QString() << Profile::iCloudProfileID;
        QTest::newRow("vanished custom, sync true")
            << QStringLiteral("custom") << "true" << Profile::iCloudProfileID;
        QTest::newRow("vanished custom")
            << QStringLiteral("custom") << QString() << Profile::localProfileID;
        QTest::newRow("unknown id")
            << QUuid::createUuid().toString() << QString() << Profile::localProfileID;
        QTest::newRow("not an id")
            << QStringLiteral("local") << QString() << Profile::localProfileID;
    }
    void startProfileChoice()
    {
        QFETCH(QString, storedCurrent);
        QFETCH(QString, syncICloud);
        QFETCH(QUuid, current);
        StoreRig rig;
        if (storedCurrent == u"custom") {
            const Profile gone{QUuid::createUuid(), QStringLiteral("gone"),
                               rig.absolute(QStringLiteral("gone/tallowBay.json"))};
            QVERIFY(QDir().mkpath(rig.absolute(QStringLiteral("gone"))));
            rig.preferences->setData(PreferenceKeys::customProfiles.key, profilesJson({gone}));
            storedCurrent = uuidText(gone.id);
        }
        if (!storedCurrent.isEmpty())
            rig.preferences->setString(PreferenceKeys::currentProfileID.key, storedCurrent);
        if (!syncICloud.isEmpty())
            rig.preferences->setString(PreferenceKeys::syncICloud.key, syncICloud);
        ShellStore &store = rig.start();
        QCOMPARE(store.currentProfileID(), current);
        QVERIFY(store.customProfiles().isEmpty());
        QCOMPARE(stored(rig, PreferenceKeys::currentProfileID.key),
                 storedCurrent.size() == 36 && QUuid::fromString(storedCurrent) == current
                     ? storedCurrent
                     : uuidText(current));
        // The legacy key is only read.
        QCOMPARE(stored(rig, PreferenceKeys::syncICloud.key),
                 syncICloud.isEmpty() ? QStringLiteral("<absent>") : syncICloud);
    }

    void sortModeAtStart_data()
    {
        QTest::addColumn<QString>("storedMode");
        QTest::addColumn<SortMode>("mode");
        QTest::addColumn<QString>("after");
        QTest::newRow("name") << "name" << SortMode::name << "name";
        QTest::newRow("custom") << "custom" << SortMode::custom << "custom";
        QTest::newRow("unknown kept as it is") << "Name" << SortMode::custom << "Name";
    }
    void sortModeAtStart()
    {
        QFETCH(QString, storedMode);
        QFETCH(SortMode, mode);
        QFETCH(QString, after);
        StoreRig rig;
        rig.preferences->setString(PreferenceKeys::sortMode.key, storedMode);
        QCOMPARE(rig.start().sortMode(), mode);
        QCOMPARE(stored(rig, PreferenceKeys::sortMode.key), after);
    }

    void sortModeChangesOnlyTheDisplay()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        rig.edit({QStringLiteral("b"), QStringLiteral("a10"), QStringLiteral("a9")});
        const QByteArray saved = rig.home.read(Paths::local);
        QSignalSpy changed(&store, &ShellStore::changed);
        store.setSortMode(SortMode::name);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(stored(rig, PreferenceKeys::sortMode.key), QStringLiteral("name"));
        QCOMPARE(rootNames(store.displayRoots()),
                 (QStringList{QStringLiteral("a9"), QStringLiteral("a10"), QStringLiteral("b")}));
        store.setSortMode(SortMode::custom);
        QCOMPARE(rootNames(store.displayRoots()),
                 (QStringList{QStringLiteral("b"), QStringLiteral("a10"), QStringLiteral("a9")}));
        QCOMPARE(rig.home.read(Paths::local), saved);
    }

    void saveWritesTheDocument()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        ShellNode node = makeScript(QStringLiteral("deploy"), 723456789.5);
        store.setRoots({node});
        QVERIFY(store.save());
        QCOMPARE(rig.home.read(Paths::local), ScriptDocument::encode(Persisted{{node}, false}));
        store.setPublished(true);
        QVERIFY(rig.home.read(Paths::local).contains("\"isPublished\" : true"));
        // A second run reads back what was written.
        QCOMPARE(rig.start().roots(), QList<ShellNode>{node});
        QVERIFY(rig.store->isPublished());
    }

    void backupOncePerPathAndRun()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({QStringLiteral("v1")}));
        rig.start();
        QVERIFY(!rig.exists(Paths::localBackup)); // loading takes none
        QVERIFY(rig.edit({QStringLiteral("v2")}));
        QCOMPARE(namesIn(rig.home.read(Paths::localBackup)), QStringList{QStringLiteral("v1")});
        QVERIFY(rig.edit({QStringLiteral("v3")}));
        QCOMPARE(namesIn(rig.home.read(Paths::localBackup)), QStringList{QStringLiteral("v1")});
        // The next run backs up what the last one left.
        rig.start();
        QVERIFY(rig.edit({QStringLiteral("v4")}));
        QCOMPARE(namesIn(rig.home.read(Paths::localBackup)), QStringList{QStringLiteral("v3")});
    }

    void noBackupForANewDocument()
    {
        StoreRig rig;
        rig.start();
        QVERIFY(rig.edit({QStringLiteral("first")}));
        QVERIFY(rig.edit({QStringLiteral("second")}));
        QVERIFY(!rig.exists(Paths::localBackup));
    }

    void failedWriteIsTakenBackAndRecordedUntilTheNextSuccess()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        // A file where the cloud folder should be: nothing can be written there.
        const QString cloudFolder =
            QStringLiteral("home/Library/Mobile Documents/com~apple~CloudDocs/tallowBay");
        rig.home.write(cloudFolder, "not a folder");
        store.setSyncFromiCloud(true);
        QCOMPARE(store.currentProfileID(), Profile::iCloudProfileID);
        QVERIFY(!rig.edit({QStringLiteral("lost")}));
        QVERIFY(store.lastSaveError());
        QVERIFY(!store.lastSaveError()->isEmpty());
        QCOMPARE(rig.lines.size(), 1);
        QVERIFY2(rig.lines.first().startsWith(QStringLiteral("[ShellStore] 保存失败 ") +
                                              rig.absolute(Paths::cloud) + QStringLiteral("：")),
                 qPrintable(rig.lines.first()));
        QCOMPARE(rig.lines.first().mid(rig.lines.first().indexOf(u'：') + 1),
                 *store.lastSaveError());
        // Taken back: the next save does not write it unasked.
        QVERIFY(store.roots().isEmpty());
        QFile::remove(rig.absolute(cloudFolder));
        QVERIFY(store.save());
        QVERIFY(!store.lastSaveError());
        QCOMPARE(namesIn(rig.home.read(Paths::cloud)), QStringList{});
    }

    void failedWriteInReadOnlyFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("before")}));
        const QString folder = rig.absolute(QStringLiteral("home/Documents/FennickTallowBay"));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool saved = rig.edit({QStringLiteral("after")});
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QVERIFY(!saved);
        QVERIFY(store.lastSaveError());
        QCOMPARE(rig.lines.size(), 1);
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("before")});
        QVERIFY(store.save());
        QVERIFY(!store.lastSaveError());
    }

    void encodingFailureWritesNothing()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("good")}));
        store.setRoots(
            {makeFolder(QStringLiteral("bad"), std::numeric_limits<double>::infinity())});
        QVERIFY(!store.save());
        QCOMPARE(store.lastSaveError(), std::optional(QStringLiteral("编码失败")));
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("good")});
    }

    void unreadableDocumentIsMovedAsideBeforeASave()
    {
        StoreRig rig;
        const QByteArray broken = "{\"isPublished\": true, \"roots\": [ {\"id\": 1 ";
        rig.home.write(Paths::local, broken);
        ShellStore &store = rig.start();
        store.setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)); });
        QVERIFY(store.roots().isEmpty());
        QVERIFY(!store.isPublished());
        QVERIFY(store.lastLoadError());
        QVERIFY(rig.lines.isEmpty());
        // Reading alone moves nothing.
        QCOMPARE(rig.home.read(Paths::local), broken);

        QVERIFY(rig.edit({QStringLiteral("new")}));
        const QString aside = QStringLiteral(
            "home/Documents/FennickTallowBay/tallowBay.unreadable-240131093005.json");
        QCOMPARE(rig.home.read(aside), broken);
        QCOMPARE(store.movedAsidePath(), std::optional(rig.absolute(aside)));
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("new")});
        QCOMPARE(rig.lines.size(), 1);
        QVERIFY(rig.lines.first().contains(rig.absolute(aside)));
        QVERIFY(rig.lines.first().contains(*store.lastLoadError()));
        // The session backup never holds the broken file; the moved copy does.
        QVERIFY(!rig.exists(Paths::localBackup));
        // Only once.
        QVERIFY(rig.edit({QStringLiteral("newer")}));
        QCOMPARE(rig.lines.size(), 1);
    }

    void movingAsideNeverOverwritesAnEarlierCopy()
    {
        StoreRig rig;
        rig.home.write(Paths::local, "[]");
        const QString first = QStringLiteral(
            "home/Documents/FennickTallowBay/tallowBay.unreadable-240131093005.json");
        rig.home.write(first, "earlier");
        ShellStore &store = rig.start();
        store.setClock([] { return QDateTime(QDate(2024, 1, 31), QTime(9, 30, 5)); });
        QVERIFY(rig.edit({QStringLiteral("new")}));
        QCOMPARE(rig.home.read(first), QByteArray("earlier"));
        QCOMPARE(rig.home.read(QStringLiteral(
                     "home/Documents/FennickTallowBay/tallowBay.unreadable-240131093005-2.json")),
                 QByteArray("[]"));
    }

    void unreadableDocumentReplacesTheTreeOnSwitch()
    {
        StoreRig rig;
        rig.home.write(Paths::cloud, "not json");
        ShellStore &store = rig.start();
        QVERIFY(rig.edit({QStringLiteral("local")}));
        store.switchTo(Profile::iCloudProfileID, std::nullopt);
        QVERIFY(store.lastLoadError());
        QVERIFY(store.roots().isEmpty()); // not the local tree under the cloud's name
        // Switching away without an edit leaves the unreadable file alone.
        store.switchTo(Profile::localProfileID, std::nullopt);
        QCOMPARE(rig.home.read(Paths::cloud), QByteArray("not json"));
        QVERIFY(!store.lastLoadError());
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("local")});
    }

    void aFolderInPlaceOfTheDocumentIsNeverMoved()
    {
        StoreRig rig;
        QVERIFY(QDir().mkpath(rig.absolute(Paths::local)));
        ShellStore &store = rig.start();
        QVERIFY(store.roots().isEmpty());
        QVERIFY(!store.lastLoadError());
        QVERIFY(!rig.edit({QStringLiteral("x")}));
        QVERIFY(store.lastSaveError());
        QVERIFY(QFileInfo(rig.absolute(Paths::local)).isDir());
        QVERIFY(!store.movedAsidePath());
    }

    void customProfilesPreference()
    {
        StoreRig rig;
        const Profile a = rig.customProfile(QStringLiteral("a/tallowBay.json"), {});
        const Profile b = rig.customProfile(QStringLiteral("b/x.json"), {}, QStringLiteral("名字"));
        rig.preferences->setData(PreferenceKeys::customProfiles.key, profilesJson({a, b}));
        ShellStore &store = rig.start();
        QCOMPARE(store.customProfiles(), (QList<Profile>{a, b}));
        QCOMPARE(store.profiles().size(), 4);
        store.persistCustomProfiles();
        const QByteArray written = *rig.preferences->data(PreferenceKeys::customProfiles.key);
        QVERIFY(written.startsWith("[{\"id\":\"" + uuidText(a.id).toLatin1() + "\",\"name\":"));
        QVERIFY(!written.contains(' '));
        // Survives a restart of the preferences file.
        rig.preferences->sync();
        rig.preferences = std::make_unique<Preferences>(rig.home.preferencesFile());
        QCOMPARE(rig.start().customProfiles(), (QList<Profile>{a, b}));
    }

    void undecodableCustomProfilesAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("not JSON") << QByteArray("[{");
        QTest::newRow("object") << QByteArray("{}");
        QTest::newRow("missing path")
            << QByteArray("[{\"id\":\"00000000-0000-4000-8000-000000000001\",\"name\":\"a\"}]");
        QTest::newRow("bad id") << QByteArray("[{\"id\":\"x\",\"name\":\"a\",\"path\":\"/\"}]");
    }
    void undecodableCustomProfilesAreIgnored()
    {
        QFETCH(QByteArray, data);
        StoreRig rig;
        rig.preferences->setData(PreferenceKeys::customProfiles.key, data);
        QVERIFY(rig.start().customProfiles().isEmpty());
    }

    void vanishedCustomDocumentIsPrunedWhenActive()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({QStringLiteral("local")}));
        const Profile custom =
            rig.customProfile(QStringLiteral("work/tallowBay.json"), {QStringLiteral("work")});
        const Profile other =
            rig.customProfile(QStringLiteral("other/tallowBay.json"), {QStringLiteral("other")});
        rig.preferences->setData(PreferenceKeys::customProfiles.key, profilesJson({custom, other}));
        rig.preferences->setString(PreferenceKeys::currentProfileID.key, uuidText(custom.id));
        ShellStore &store = rig.start();
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("work")});

        QFile::remove(custom.path);
        // Gone from the list at once, from the preferences at the next prune.
        QCOMPARE(store.profiles().size(), 3);
        QCOMPARE(store.currentProfile().id, Profile::localProfileID);
        QSignalSpy changed(&store, &ShellStore::changed);
        store.applicationDidBecomeActive();
        QVERIFY(!changed.isEmpty());
        QCOMPARE(store.customProfiles(), QList<Profile>{other});
        const QByteArray persisted = *rig.preferences->data(PreferenceKeys::customProfiles.key);
        QVERIFY(persisted.contains(uuidText(other.id).toLatin1()));
        QVERIFY(!persisted.contains(uuidText(custom.id).toLatin1()));
        QCOMPARE(store.currentProfileID(), Profile::localProfileID);
        QCOMPARE(stored(rig, PreferenceKeys::currentProfileID.key),
                 uuidText(Profile::localProfileID));
        // The local document is shown, and the next save cannot carry the
        // vanished tree into it.
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("local")});
        QVERIFY(store.save());
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("local")});
        QVERIFY(!QFileInfo::exists(custom.path));
    }

    // A document on a disk that is not mounted: the profile stays, current
    // and stored; nothing is read or written anywhere until the disk is back,
    // and then its document is what shows.
    void profileOnADiskThatIsNotMountedStays()
    {
        StoreRig rig;
        rig.home.write(Paths::local, documentWith({QStringLiteral("local")}));
        const Profile usb =
            rig.customProfile(QStringLiteral("usb/lib/tallowBay.json"), {QStringLiteral("usb")});
        rig.preferences->setData(PreferenceKeys::customProfiles.key, profilesJson({usb}));
        rig.preferences->setString(PreferenceKeys::currentProfileID.key, uuidText(usb.id));
        const QString folder = rig.absolute(QStringLiteral("usb/lib"));
        QVERIFY(QDir(folder).removeRecursively()); // the mount point stays, empty

        ShellStore &store = rig.start();
        store.applicationDidBecomeActive();
        QCOMPARE(store.customProfiles(), QList<Profile>{usb});
        QCOMPARE(store.unreachableProfiles(), QList<Profile>{usb});
        QCOMPARE(store.currentProfile(), usb);
        QCOMPARE(stored(rig, PreferenceKeys::currentProfileID.key), uuidText(usb.id));
        QVERIFY(rig.preferences->data(PreferenceKeys::customProfiles.key)
                    ->contains(uuidText(usb.id).toLatin1()));
        QCOMPARE(store.unreachableFolder(), std::optional(folder));
        QVERIFY(store.roots().isEmpty());
        QVERIFY(store.addFolder(std::nullopt, QStringLiteral("lost")).isNull());
        QVERIFY(store.lastSaveError()->contains(folder));
        QVERIFY(store.roots().isEmpty());
        QVERIFY(!QFileInfo::exists(folder)); // not made on the disk beneath
        QCOMPARE(namesIn(rig.home.read(Paths::local)), QStringList{QStringLiteral("local")});

        rig.home.write(QStringLiteral("usb/lib/tallowBay.json"),
                       documentWith({QStringLiteral("usb")}));
        QVERIFY(store.checkReachable());
        QCOMPARE(rootNames(store.roots()), QStringList{QStringLiteral("usb")});
        QVERIFY(!store.addFolder(std::nullopt, QStringLiteral("back")).isNull());
        QCOMPARE(namesIn(rig.home.read(QStringLiteral("usb/lib/tallowBay.json"))),
                 (QStringList{QStringLiteral("usb"), QStringLiteral("back")}));
    }

    void activationWithNothingToPruneStillNotifies()
    {
        StoreRig rig;
        ShellStore &store = rig.start();
        QSignalSpy changed(&store, &ShellStore::changed);
        store.applicationDidBecomeActive();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(rig.preferences->data(PreferenceKeys::customProfiles.key), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestShellStore)
#include "tst_shellstore.moc"
