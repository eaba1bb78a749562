// A writer killed at random moments while it saves a large document: the
// document is always whole (the old or the new content, nothing between),
// and so is the session backup.
#include "StoreTestSupport.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include <csignal>

using namespace Qt::StringLiterals;

// The sanitizers make the writer start and save several times slower; its
// kill window grows alike, so kills still fall at the same points of a save.
#ifndef WRITER_SLOWDOWN
#define WRITER_SLOWDOWN 1
#endif

namespace {
// The document as the writer leaves it after generation n.
Persisted generation(Persisted base, int n)
{
    base.roots = Forest::updating(base.roots, base.roots.first().id,
                                  [n](ShellNode &node) { node.name = u"gen %1"_s.arg(n); });
    return base;
}

int generationOf(const Persisted &document)
{
    return document.roots.first().name.section(u' ', 1).toInt();
}
} // namespace

class TestSaveKill : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void killedWritersLeaveWholeDocuments()
    {
        TestHome home;
        Persisted base;
        base.isPublished = true;
        base.roots.append(makeFolder(u"gen 0"_s));
        for (int i = 0; i < 3000; ++i) {
            ShellNode script = makeScript(u"script %1"_s.arg(i));
            script.args = QStringList{u"--preset %1"_s.arg(i)};
            base.roots.append(script);
        }
        QVERIFY(home.write(Paths::local, ScriptDocument::encode(base)));
        const QString locations = home.path();
        auto *random = QRandomGenerator::global();

        int current = 0; // what the document holds
        int backup = -1; // what the session backup holds
        int saves = 0, kills = 0, rounds = 0;
        while ((saves < 200 || kills < 20) && rounds < 150) {
            ++rounds;
            QProcess writer;
            writer.start(QStringLiteral(DOCUMENT_WRITER), {locations, u"1000"_s});
            QVERIFY(writer.waitForStarted());
            QThread::msleep(WRITER_SLOWDOWN * random->bounded(10, 160));
            const bool killed = ::kill(pid_t(writer.processId()), SIGKILL) == 0;
            QVERIFY(writer.waitForFinished());
            kills += killed && writer.exitStatus() == QProcess::CrashExit;
            int done = current;
            for (const QByteArray &line : writer.readAllStandardOutput().split('\n'))
                if (line.startsWith("done "))
                    done = line.mid(5).toInt();
            saves += done - current;

            const ScriptDocument::Decoded now = ScriptDocument::decode(home.read(Paths::local), 0);
            QVERIFY2(now, qPrintable(now.error));
            const int found = generationOf(*now.persisted);
            QVERIFY2(found == done || found == done + 1,
                     qPrintable(u"found %1 after %2"_s.arg(found).arg(done)));
            QCOMPARE(*now.persisted, generation(base, found));

            // Taken at the writer's first save, from what it found; once there,
            // never missing.
            QVERIFY(backup < 0 || QFile::exists(home.filePath(Paths::localBackup)));
            if (QFile::exists(home.filePath(Paths::localBackup))) {
                const ScriptDocument::Decoded copy =
                    ScriptDocument::decode(home.read(Paths::localBackup), 0);
                QVERIFY2(copy, qPrintable(copy.error));
                const int kept = generationOf(*copy.persisted);
                QVERIFY(kept == backup || kept == current);
                QCOMPARE(*copy.persisted, generation(base, kept));
                backup = kept;
            }
            current = found;
        }
        QVERIFY2(saves >= 200, qPrintable(u"%1 saves in %2 rounds"_s.arg(saves).arg(rounds)));
        QVERIFY(kills >= 20);
    }
};

QTEST_GUILESS_MAIN(TestSaveKill)
#include "tst_savekill.moc"
