#include "instance/InstanceClient.h"
#include "instance/InstanceProtocol.h"
#include "instance/InstanceServer.h"
#include "instance/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocalSocket>
#include <QMutex>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {
struct Answer
{
    int status = -1;
    QString out;
    QString err;
};

Answer ask(SingleInstance &instance, const QStringList &args, int idleTimeout = 60000)
{
    Answer answer;
    InstanceClient client(instance.takeConnection());
    client.setIdleTimeout(idleTimeout);
    answer.status = client.exchange(
        args, QStringLiteral("/somewhere"), [&](const QString &t) { answer.out += t; },
        [&](const QString &t) { answer.err += t; });
    return answer;
}

// Sends raw bytes to a server and collects whatever comes back until it closes.
QList<QJsonObject> rawExchange(const QString &socketPath, const QByteArray &bytes)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(1000))
        return {};
    socket.write(bytes);
    InstanceProtocol::FrameReader reader;
    QList<QJsonObject> messages;
    QElapsedTimer clock;
    clock.start();
    while (socket.state() != QLocalSocket::UnconnectedState && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        reader.append(socket.readAll());
    }
    reader.append(socket.readAll());
    while (auto message = reader.next())
        messages.append(*message);
    return messages;
}
} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void frameReader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("failed");

        const QByteArray one = InstanceProtocol::frame(InstanceProtocol::exit(3));
        const auto rawFrame = [](const QByteArray &payload) {
            QByteArray bytes(4, '\0');
            qToBigEndian(quint32(payload.size()), bytes.data());
            return bytes + payload;
        };
        QTest::newRow("one") << one << 1 << false;
        QTest::newRow("two in one chunk") << one + one << 2 << false;
        QTest::newRow("incomplete") << one.left(one.size() - 1) << 0 << false;
        QTest::newRow("length only") << one.left(4) << 0 << false;
        QTest::newRow("zero length") << QByteArray(4, '\0') << 0 << true;
        QTest::newRow("huge length") << QByteArray("\x7f\xff\xff\xff", 4) << 0 << true;
        QTest::newRow("not json") << rawFrame("hello") << 0 << true;
        QTest::newRow("array") << rawFrame("[1,2]") << 0 << true;
        QTest::newRow("no version") << rawFrame(R"({"type":"exit","status":0})") << 0 << true;
        QTest::newRow("other version")
            << rawFrame(R"({"v":1,"type":"exit","status":0})") << 0 << true;
        QTest::newRow("good then bad") << one + rawFrame("x") + one << 1 << true;
        QTest::newRow("output")
            << InstanceProtocol::standardOutputFrame(u"日本\n") +
                   InstanceProtocol::standardErrorFrame(u"") + one
            << 3 << false;
    }
    void frameReader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, messages);
        QFETCH(bool, failed);
        // Byte by byte and all at once must agree.
        for (const bool trickle : {false, true}) {
            InstanceProtocol::FrameReader reader;
            int seen = 0;
            if (trickle) {
                for (char c : bytes) {
                    reader.append(QByteArray(1, c));
                    while (reader.next())
                        ++seen;
                }
            } else {
                reader.append(bytes);
                while (reader.next())
                    ++seen;
            }
            QCOMPARE(seen, messages);
            QCOMPARE(reader.failed(), failed);
        }
    }

    void folderIsPrivate()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("a/orlenta"));
        QString error;
        QVERIFY2(SingleInstance::prepareFolder(folder, &error), qPrintable(error));
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFile::Permissions());

        // A folder opened to others is closed again.
        QFile(folder).setPermissions(QFile::Permissions(0x7755));
        QVERIFY2(SingleInstance::prepareFolder(folder, &error), qPrintable(error));
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFile::Permissions());

        // A link planted in its place is refused, not followed.
        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("a")), link));
        QVERIFY(!SingleInstance::prepareFolder(link, &error));
        QVERIFY(error.contains(link));
    }

    // su, ssh and cron give one user different environments (or none):
    // each must meet the instance of its library, and only that one.
    void oneInstanceWhateverTheEnvironment()
    {
        QTemporaryDir root;
        const QDir dir(root.path());
        for (const char *name : {"run", "tmp", "home", "config", "elsewhere", "runtime-a"})
            QVERIFY(dir.mkpath(QString::fromLatin1(name)));
        const SingleInstance::SystemFolders system{dir.filePath(QStringLiteral("run")),
                                                   dir.filePath(QStringLiteral("tmp")),
                                                   dir.filePath(QStringLiteral("home"))};
        // The same settings file by another spelling, and another library.
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("config")),
                            dir.filePath(QStringLiteral("alias"))));
        const QString settings = dir.filePath(QStringLiteral("config/orlenta/orlenta.ini"));
        const QString sameSettings =
            dir.filePath(QStringLiteral("alias/../config/./orlenta/orlenta.ini"));
        const QString otherSettings = dir.filePath(QStringLiteral("home/.config/orlenta.ini"));
        QCOMPARE(SingleInstance::keyFor(sameSettings), SingleInstance::keyFor(settings));
        QVERIFY(SingleInstance::keyFor(otherSettings) != SingleInstance::keyFor(settings));

        const QStringList variables{QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("HOME"),
                                    QStringLiteral("TMPDIR"), QStringLiteral("XDG_CACHE_HOME")};
        QHash<QString, QByteArray> saved;
        for (const QString &name : variables)
            saved.insert(name, qgetenv(name.toLatin1().constData()));
        const auto restore = qScopeGuard([&] {
            for (const QString &name : variables) {
                if (saved.value(name).isNull())
                    qunsetenv(name.toLatin1().constData());
                else
                    qputenv(name.toLatin1().constData(), saved.value(name));
            }
        });
        const QByteArray elsewhere = QFile::encodeName(dir.filePath(QStringLiteral("elsewhere")));
        const std::vector<std::function<void()>> shells{
            [&] {
                qputenv("XDG_RUNTIME_DIR",
                        QFile::encodeName(dir.filePath(QStringLiteral("runtime-a"))));
            },
            [&] { qunsetenv("XDG_RUNTIME_DIR"); },
            // su keeps the variable of the user it came from.
            [&] { qputenv("XDG_RUNTIME_DIR", "/run/user/4242"); },
            [&] {
                qputenv("XDG_RUNTIME_DIR", elsewhere);
                qputenv("HOME", elsewhere);
                qputenv("TMPDIR", elsewhere);
                qputenv("XDG_CACHE_HOME", elsewhere);
            },
        };
        const auto check = [&](const QString &expectedFolder) {
            shells.front()();
            SingleInstance app(SingleInstance::userFolder(system),
                               SingleInstance::keyFor(settings));
            QCOMPARE(app.folder(), expectedFolder);
            QCOMPARE(app.elect(1s), SingleInstance::Role::primary);
            QVERIFY2(app.listen(), qPrintable(app.errorString()));
            for (const auto &shell : shells) {
                shell();
                SingleInstance client(SingleInstance::userFolder(system),
                                      SingleInstance::keyFor(sameSettings));
                QCOMPARE(client.elect(1s), SingleInstance::Role::secondary);
                QCOMPARE(ask(client, {QStringLiteral("ping")}).status, 2); // no handler
                SingleInstance other(SingleInstance::userFolder(system),
                                     SingleInstance::keyFor(otherSettings));
                QCOMPARE(other.elect(1s), SingleInstance::Role::primary);
            }
        };

        const QString uid = QString::number(::geteuid());
        // No login session: a private folder in the shared temporary folder.
        const QString shared = dir.filePath(QStringLiteral("tmp/orlenta-") + uid);
        check(shared);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QFileInfo(shared).permissions() & 0x0077, QFile::Permissions());
        // Another user took that name first (a link stands for their folder).
        QVERIFY(QDir(shared).removeRecursively());
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("elsewhere")), shared));
        check(dir.filePath(QStringLiteral("home/.cache/orlenta/runtime-")) +
              QSysInfo::machineHostName().replace(u'/', u'_'));
        if (QTest::currentTestFailed())
            return;
        // The folder logind keeps for the user wins when there is one.
        QVERIFY(dir.mkpath(QStringLiteral("run/") + uid));
        check(dir.filePath(QStringLiteral("run/%1/orlenta").arg(uid)));
    }

    void requestAndAnswer()
    {
        QTemporaryDir dir;
        SingleInstance first(dir.path());
        QCOMPARE(first.elect(1s), SingleInstance::Role::primary);
        InstanceServer *server = first.listen();
        QVERIFY(server);
        QStringList seenArgs;
        QString seenCwd;
        // A listing larger than the socket takes at once and than one
        // message, a character outside the BMP across the cut.
        QString listing = QString(InstanceProtocol::maximumTextPerMessage - 1, u'x') +
                          QStringLiteral("😀 ünï\n");
        listing += listing + listing;
        server->setHandler([&](InstanceRequest *request) {
            seenArgs = request->arguments();
            seenCwd = request->workingDirectory();
            request->writeStandardOutput(QStringLiteral("line 1\n"));
            request->writeStandardOutput(listing);
            request->writeStandardError(QStringLiteral("warn\n"));
            // Answered later, as a run is.
            QTimer::singleShot(10, request, [request] {
                request->writeStandardOutput(QStringLiteral("line 2\n"));
                request->finish(7);
            });
        });

        SingleInstance second(dir.path());
        QCOMPARE(second.elect(1s), SingleInstance::Role::secondary);
        const Answer answer = ask(second, {QStringLiteral("run"), QStringLiteral("Tools/日本")});
        QCOMPARE(answer.status, 7);
        QVERIFY(answer.out == QStringLiteral("line 1\n") + listing + QStringLiteral("line 2\n"));
        QCOMPARE(answer.err, QStringLiteral("warn\n"));
        QCOMPARE(seenArgs, QStringList({QStringLiteral("run"), QStringLiteral("Tools/日本")}));
        QCOMPARE(seenCwd, QStringLiteral("/somewhere"));
    }

    void everyRequestIsAnswered_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("withHandler");
        QTest::addColumn<QString>("complaint");

        QByteArray otherVersion = R"({"v":9,"type":"request","args":[]})";
        QByteArray framed(4, '\0');
        qToBigEndian(quint32(otherVersion.size()), framed.data());
        QTest::newRow("no handler yet")
            << InstanceProtocol::frame(InstanceProtocol::request({}, {})) << false
            << QStringLiteral("not ready");
        QTest::newRow("garbage length")
            << QByteArray("\xff\xff\xff\xff", 4) << true << QStringLiteral("could not read");
        QTest::newRow("other version")
            << framed + otherVersion << true << QStringLiteral("protocol version 9");
        QTest::newRow("not a request") << InstanceProtocol::frame(InstanceProtocol::exit(0)) << true
                                       << QStringLiteral("not a request");
    }
    void everyRequestIsAnswered()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, withHandler);
        QFETCH(QString, complaint);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s"));
        InstanceServer server;
        QVERIFY(server.listen(path));
        bool handled = false;
        if (withHandler)
            server.setHandler([&](InstanceRequest *request) {
                handled = true;
                request->finish(0);
            });
        const QList<QJsonObject> messages = rawExchange(path, bytes);
        QVERIFY(!handled);
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0].value(QStringLiteral("type")).toString(), QStringLiteral("stderr"));
        QVERIFY2(messages[0].value(QStringLiteral("text")).toString().contains(complaint),
                 qPrintable(messages[0].value(QStringLiteral("text")).toString()));
        QCOMPARE(messages[1].value(QStringLiteral("type")).toString(), QStringLiteral("exit"));
        QCOMPARE(messages[1].value(QStringLiteral("status")).toInt(), 2);
    }

    void silentClientIsDropped()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s"));
        InstanceServer server;
        server.setRequestTimeout(50);
        QVERIFY(server.listen(path));
        QLocalSocket socket;
        socket.connectToServer(path);
        QVERIFY(socket.waitForConnected(1000));
        QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QLocalSocket::UnconnectedState, 2000);
    }

    // What a client reports is what happened: a command it stopped waiting
    // for is never carried out, one being carried out is waited for however
    // long it takes, and a conversation cut short says so.
    void clientReportsWhatHappened()
    {
        QTemporaryDir dir;
        SingleInstance app(dir.path());
        QCOMPARE(app.elect(1s), SingleInstance::Role::primary);
        QVERIFY(app.listen());
        QStringList carriedOut;
        app.server()->setHandler([&](InstanceRequest *request) {
            carriedOut.append(request->arguments().value(0));
            // Longer than the clients below wait for the instance to turn to them.
            QTimer::singleShot(300, request, [request] {
                request->writeStandardOutput(QStringLiteral("done\n"));
                request->finish(0);
            });
        });

        // The app is busy (its thread is away from the event loop) for longer
        // than the client waits.
        Answer gaveUp;
        std::unique_ptr<QThread> client(QThread::create([&] {
            SingleInstance early(dir.path());
            if (early.elect(1s) == SingleInstance::Role::secondary)
                gaveUp = ask(early, {QStringLiteral("add")}, 100);
        }));
        client->start();
        QVERIFY(client->wait(5000));
        QCOMPARE(gaveUp.status, 2);
        QTest::qWait(100); // the app turns to its connections again
        QCOMPARE(carriedOut, QStringList());
        QVERIFY2(gaveUp.err.startsWith(QStringLiteral("orlenta: ")) &&
                     gaveUp.err.contains(QStringLiteral("nothing changed")),
                 qPrintable(gaveUp.err));
        QCOMPARE(gaveUp.err.count(u'\n'), 1);

        SingleInstance patient(dir.path());
        QCOMPARE(patient.elect(1s), SingleInstance::Role::secondary);
        const Answer slow = ask(patient, {QStringLiteral("mkdir")}, 100);
        QCOMPARE(slow.status, 0);
        QCOMPARE(slow.out, QStringLiteral("done\n"));
        QCOMPARE(carriedOut, QStringList{QStringLiteral("mkdir")});

        // The instance goes away mid-answer.
        SingleInstance third(dir.path());
        QCOMPARE(third.elect(1s), SingleInstance::Role::secondary);
        app.server()->setHandler([&](InstanceRequest *request) {
            request->writeStandardOutput(QStringLiteral("partial\n"));
            QTimer::singleShot(50, &app, [&app] { app.release(); });
        });
        const Answer cut = ask(third, {QStringLiteral("run")});
        QCOMPARE(cut.status, 2);
        QCOMPARE(cut.out, QStringLiteral("partial\n"));
        QVERIFY(cut.err.contains(QStringLiteral("closed the connection")));
    }

    void busyHolderFailsAfterPatience()
    {
        QTemporaryDir dir;
        SingleInstance holder(dir.path());
        QCOMPARE(holder.elect(1s), SingleInstance::Role::primary);
        // Holding the lock without listening, as a command in its own process does.
        SingleInstance late(dir.path());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(late.elect(150ms), SingleInstance::Role::failed);
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY2(late.errorString().contains(QString::number(QCoreApplication::applicationPid())),
                 qPrintable(late.errorString()));

        // Once it lets go, the next start wins.
        holder.release();
        QCOMPARE(late.elect(1s), SingleInstance::Role::primary);
    }

    // A burst of commands: each waits its turn at a busy instance, none is
    // told the instance is dead.
    void burstOfCommandsIsServed()
    {
        QTemporaryDir dir;
        SingleInstance app(dir.path());
        QCOMPARE(app.elect(1s), SingleInstance::Role::primary);
        QVERIFY(app.listen());
        int served = 0;
        app.server()->setHandler([&](InstanceRequest *request) {
            QThread::msleep(10); // a save
            ++served;
            request->finish(0);
        });
        constexpr int commands = 300;
        QMutex mutex;
        QStringList failures;
        std::vector<std::unique_ptr<QThread>> clients;
        for (int i = 0; i < commands; ++i)
            clients.emplace_back(QThread::create([&] {
                SingleInstance client(dir.path());
                QString failure;
                if (client.elect(1s) != SingleInstance::Role::secondary)
                    failure = client.errorString();
                else if (const Answer answer = ask(client, {QStringLiteral("add")});
                         answer.status != 0)
                    failure = answer.err;
                if (!failure.isEmpty()) {
                    const QMutexLocker lock(&mutex);
                    failures.append(failure);
                }
            }));
        for (auto &client : clients)
            client->start();
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(clients.cbegin(), clients.cend(),
                                             [](const auto &c) { return c->isFinished(); }),
                                 60000);
        QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 of %2 failed, first: %3")
                                                    .arg(failures.size())
                                                    .arg(commands)
                                                    .arg(failures.value(0))));
        QCOMPARE(served, commands);
    }

    // Past the kernel's queue (a smaller one than ours on older systems) a
    // start waits for room, longer than its patience with a silent holder.
    void fullQueueIsWaitedFor()
    {
        QTemporaryDir dir;
        SingleInstance holder(dir.path());
        QCOMPARE(holder.elect(1s), SingleInstance::Role::primary);
        const QByteArray path = QFile::encodeName(holder.socketPath());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
        const auto *raw = reinterpret_cast<sockaddr *>(&address);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const int queued = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto closeAll = qScopeGuard([&] {
            ::close(server);
            ::close(queued);
        });
        QCOMPARE(::bind(server, raw, sizeof address), 0);
        QCOMPARE(::listen(server, 0), 0);
        QCOMPARE(::connect(queued, raw, sizeof address), 0); // the one place in the queue

        SingleInstance::Role role = SingleInstance::Role::failed;
        std::unique_ptr<QThread> late(QThread::create([&] {
            SingleInstance client(dir.path());
            role = client.elect(100ms);
        }));
        late->start();
        QVERIFY(!late->wait(1500));
        for (int i = 0; i < 2; ++i)
            ::close(::accept(server, nullptr, nullptr));
        QVERIFY(late->wait(5000));
        QCOMPARE(role, SingleInstance::Role::secondary);
    }

    void staleSocketFileIsReplaced()
    {
        QTemporaryDir dir;
        SingleInstance instance(dir.path());
        // A socket file nobody listens on, as a crash leaves it.
        const QByteArray path = instance.socketPath().toLocal8Bit();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
        QVERIFY(QFileInfo::exists(instance.socketPath()));

        QCOMPARE(instance.elect(1s), SingleInstance::Role::primary);
        QVERIFY2(instance.listen(), qPrintable(instance.errorString()));
        SingleInstance other(dir.path());
        QCOMPARE(other.elect(1s), SingleInstance::Role::secondary);
    }

    void killedInstanceDoesNotBlock()
    {
        QTemporaryDir dir;
        QProcess victim;
        victim.start(QStringLiteral(CONTENDER_PATH), {dir.path()});
        QVERIFY(victim.waitForReadyRead(5000));
        QCOMPARE(victim.readAll(), QByteArray("primary\n"));
        victim.kill();
        QVERIFY(victim.state() == QProcess::NotRunning || victim.waitForFinished(5000));
        SingleInstance probe(dir.path());
        QVERIFY(QFileInfo::exists(probe.lockPath()));
        QVERIFY(QFileInfo::exists(probe.socketPath()));

        QElapsedTimer clock;
        clock.start();
        SingleInstance next(dir.path());
        QCOMPARE(next.elect(5s), SingleInstance::Role::primary);
        QVERIFY2(next.listen(), qPrintable(next.errorString()));
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(probe.elect(1s), SingleInstance::Role::secondary);
    }

    void tenSimultaneousStartsGiveOneInstance()
    {
        QTemporaryDir dir;
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < 10; ++i) {
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->start(QStringLiteral(CONTENDER_PATH), {dir.path()});
        }
        QProcess *primary = nullptr;
        int secondaries = 0;
        for (auto &process : processes) {
            QVERIFY(process->waitForStarted(5000));
            QVERIFY(process->waitForReadyRead(10000));
            const QByteArray output = process->readAll();
            if (output == "primary\n") {
                QVERIFY2(!primary, "two primaries");
                primary = process.get();
                continue;
            }
            QVERIFY(process->state() == QProcess::NotRunning || process->waitForFinished(10000));
            const QByteArray all = output + process->readAll();
            QVERIFY2(all.startsWith("secondary 0 pong "), all.constData());
            ++secondaries;
        }
        QVERIFY(primary);
        QCOMPARE(secondaries, 9);
        QCOMPARE(primary->state(), QProcess::Running);

        SingleInstance controller(dir.path());
        QCOMPARE(controller.elect(2s), SingleInstance::Role::secondary);
        QCOMPARE(ask(controller, {QStringLiteral("quit")}).status, 0);
        // It may have ended already while the answer was awaited.
        QTRY_COMPARE_WITH_TIMEOUT(primary->state(), QProcess::NotRunning, 5000);
        QCOMPARE(primary->exitStatus(), QProcess::NormalExit);
        QCOMPARE(primary->exitCode(), 0);
        // A clean exit leaves nothing behind that the next start must clean up.
        QVERIFY(!QFileInfo::exists(controller.socketPath()));
        QVERIFY(!QFileInfo::exists(controller.lockPath()));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_single_instance.moc"
