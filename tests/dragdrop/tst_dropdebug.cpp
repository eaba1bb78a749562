#include "dragdrop/DropDebug.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestDropDebug : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_log;

    QByteArray readLog() const
    {
        QFile file(m_log);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_log = m_dir.filePath(QStringLiteral("orlenta-drop.log"));
        QFile::remove(m_log);
        DropDebug::setLogPath(m_log);
    }

    void entryFormat()
    {
        const QDateTime time(QDate(2024, 1, 31), QTime(9, 30, 5, 700), Qt::UTC);
        QCOMPARE(DropDebug::entry(QStringLiteral("HIT a\n   → 空白"), time),
                 QStringLiteral("pid=%1 2024-01-31 09:30:05 +0000 HIT a\n   → 空白\n")
                     .arg(QCoreApplication::applicationPid())
                     .toUtf8());
        // Local times are written in UTC.
        const QDateTime plusTwo(QDate(2024, 1, 31), QTime(1, 0), Qt::OffsetFromUTC, 7200);
        QVERIFY(DropDebug::entry(QString(), plusTwo).contains(" 2024-01-30 23:00:00 +0000 \n"));
    }

    void appendsAndCreatesPrivateFile()
    {
        DropDebug::log(QStringLiteral("ENTER → root"));
        DropDebug::log(QStringLiteral("EXIT"));
        const QList<QByteArray> lines = readLog().split('\n');
        QCOMPARE(lines.size(), 3);
        const QRegularExpression shape(
            QStringLiteral("^pid=\\d+ \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\+0000 (.*)$"));
        QCOMPARE(shape.match(QString::fromUtf8(lines[0])).captured(1),
                 QStringLiteral("ENTER → root"));
        QCOMPARE(shape.match(QString::fromUtf8(lines[1])).captured(1), QStringLiteral("EXIT"));
        QVERIFY(lines[2].isEmpty());

        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(m_log).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
    }

    void plantedLinksAreLeftAlone()
    {
        const QString victim = m_dir.filePath(QStringLiteral("victim"));
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
        file.close();

        QVERIFY(QFile::link(victim, m_log));
        DropDebug::log(QStringLiteral("EXIT"));
        QCOMPARE(QFileInfo(m_log).symLinkTarget(), victim);

        QVERIFY(QFile::remove(m_log));
        QCOMPARE(
            ::link(QFile::encodeName(victim).constData(), QFile::encodeName(m_log).constData()), 0);
        DropDebug::log(QStringLiteral("EXIT"));

        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("precious"));

        // A dangling link must not create its target either.
        QVERIFY(QFile::remove(m_log));
        const QString absent = m_dir.filePath(QStringLiteral("absent"));
        QVERIFY(QFile::link(absent, m_log));
        DropDebug::log(QStringLiteral("EXIT"));
        QVERIFY(!QFile::exists(absent));
    }

    void releaseBuildsLogOnlyWhenAsked()
    {
        DropDebug::setLogPath(QString());
        const QByteArray asked = qgetenv("ORLENTA_DROP_LOG");
        qputenv("ORLENTA_DROP_LOG", QFile::encodeName(m_log));
        QCOMPARE(DropDebug::logPath(), m_log);
        DropDebug::log(QStringLiteral("EXIT"));
        QVERIFY(readLog().endsWith(" EXIT\n"));

        qunsetenv("ORLENTA_DROP_LOG");
#ifdef ORLENTA_DROP_LOG_BY_DEFAULT
        QCOMPARE(DropDebug::logPath(), QStringLiteral("/tmp/orlenta-drop.log"));
#else
        QCOMPARE(DropDebug::logPath(), QString());
#endif
        qputenv("ORLENTA_DROP_LOG", asked);
    }

    void otherFileKindsAreLeftAlone()
    {
        // A FIFO without a reader must neither block nor be written.
        QCOMPARE(::mkfifo(QFile::encodeName(m_log).constData(), 0600), 0);
        DropDebug::log(QStringLiteral("EXIT"));
        QVERIFY(QFileInfo(m_log).exists());
        QVERIFY(QFile::remove(m_log));

        QVERIFY(QDir().mkdir(m_log));
        DropDebug::log(QStringLiteral("EXIT"));
        QVERIFY(QFileInfo(m_log).isDir());
        QVERIFY(QDir().rmdir(m_log));
    }
};

QTEST_GUILESS_MAIN(TestDropDebug)
#include "tst_dropdebug.moc"
