#include "platform/RuntimeDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestRuntimeDirectory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("XDG_RUNTIME_DIR"); }

    void createsPrivateFolderWhenUnset()
    {
        QTemporaryDir root;
        const QString expected = RuntimeDirectory::fallback(root.path());
        QVERIFY(expected.startsWith(root.path() + QStringLiteral("/orlenta/runtime-")));
        QCOMPARE(RuntimeDirectory::ensure(root.path()), expected);
        QCOMPARE(qEnvironmentVariable("XDG_RUNTIME_DIR"), expected);
        struct stat info
        {
        };
        QCOMPARE(::stat(QFile::encodeName(expected).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
    }

    void tightensAnOpenFolderOfOurs()
    {
        QTemporaryDir root;
        const QString folder = RuntimeDirectory::fallback(root.path());
        QVERIFY(QDir().mkpath(folder));
        ::chmod(QFile::encodeName(folder).constData(), 0777);
        QCOMPARE(RuntimeDirectory::ensure(root.path()), folder);
        struct stat info
        {
        };
        ::stat(QFile::encodeName(folder).constData(), &info);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
    }

    void refusesAPlantedLink()
    {
        QTemporaryDir root;
        QTemporaryDir elsewhere;
        const QString folder = RuntimeDirectory::fallback(root.path());
        QVERIFY(QDir().mkpath(QFileInfo(folder).absolutePath()));
        QVERIFY(QFile::link(elsewhere.path(), folder));
        QVERIFY(RuntimeDirectory::ensure(root.path()).isEmpty());
        QVERIFY(!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"));
    }

    void keepsASetVariable()
    {
        QTemporaryDir root;
        qputenv("XDG_RUNTIME_DIR", "/run/user/4242");
        QCOMPARE(RuntimeDirectory::ensure(root.path()), QStringLiteral("/run/user/4242"));
        QVERIFY(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRuntimeDirectory)
#include "tst_runtimedirectory.moc"
