#include "run/TerminalProcess.h"

#include "language/LanguageManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>

#include <cstring>
#include <memory>
#include <vector>

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;
#endif

namespace TerminalProcess {

QString decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

namespace {
void configure(QProcess &process, const Request &request)
{
    process.setProgram(request.program);
    process.setArguments(request.arguments);
    if (request.environment)
        process.setProcessEnvironment(*request.environment);
    process.setStandardInputFile(QProcess::nullDevice());
}

QString startFailure(const QString &description)
{
    return LanguageManager::localized(QStringLiteral("启动失败：%@\n"), {description});
}

struct Run
{
    QByteArray output;
    QByteArray error;
    bool done = false;
};
} // namespace

void runAttached(QObject *owner, const Request &request, const ChunkHandler &onChunk,
                 RunCompletion completion, const std::function<void()> &onStarted)
{
    auto *process = new QProcess(owner);
    configure(*process, request);
    auto run = std::make_shared<Run>();

    auto drain = [process, run] {
        run->output += process->readAllStandardOutput();
        run->error += process->readAllStandardError();
    };
    auto reportOutput = [run, onChunk, onOutput = request.onOutput] {
        const QString output = decodeUtf8(run->output).trimmed();
        if (onOutput)
            onOutput(output);
        else if (!output.isEmpty())
            onChunk(LanguageManager::localized(QStringLiteral("诊断：%@\n"), {output}));
    };

    QObject::connect(process, &QProcess::readyReadStandardOutput, process,
                     [process, run] { run->output += process->readAllStandardOutput(); });
    QObject::connect(process, &QProcess::readyReadStandardError, process,
                     [process, run] { run->error += process->readAllStandardError(); });
    if (onStarted)
        QObject::connect(process, &QProcess::started, process, onStarted);

    QObject::connect(
        process, &QProcess::finished, process,
        [process, run, drain, reportOutput, completion](int exitCode, QProcess::ExitStatus exit) {
            process->deleteLater();
            if (run->done)
                return;
            run->done = true;
            drain();
            reportOutput();
            const int status = exit == QProcess::NormalExit ? exitCode : 128 + exitCode;
            completion(status, decodeUtf8(run->error));
        });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, run, onChunk, completion](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart || run->done)
                             return;
                         run->done = true;
                         process->deleteLater();
                         const QString description = process->errorString();
                         onChunk(startFailure(description));
                         completion(1, description);
                     });

    if (request.timeoutMs > 0) {
        const QString name = request.displayName.isEmpty() ? QFileInfo(request.program).fileName()
                                                           : request.displayName;
        const int timeoutMs = request.timeoutMs;
        QTimer::singleShot(
            timeoutMs, process, [process, run, drain, reportOutput, completion, name, timeoutMs] {
                if (run->done)
                    return;
                run->done = true;
                drain();
                reportOutput();
                // finished() deletes it once the kill has landed.
                process->kill();
                completion(124,
                           LanguageManager::localized(QStringLiteral("%@ 没有在 %@ 秒内响应"),
                                                      {name, QString::number(timeoutMs / 1000.0)}));
            });
    }

    process->start();
}

namespace {
// Tells once when a file appears, from its folder's changes (no polling).
class StartWatch : public QObject
{
public:
    StartWatch(QString marker, QObject *parent, std::function<void()> onSeen)
        : QObject(parent), m_marker(std::move(marker)), m_onSeen(std::move(onSeen))
    {
        auto *watcher = new QFileSystemWatcher(this);
        watcher->addPath(QFileInfo(m_marker).absolutePath());
        connect(watcher, &QFileSystemWatcher::directoryChanged, this, &StartWatch::look);
        // It may be there already.
        QMetaObject::invokeMethod(this, &StartWatch::look, Qt::QueuedConnection);
    }
    bool seen() const { return QFileInfo::exists(m_marker); }

private:
    QString m_marker;
    std::function<void()> m_onSeen;

    void look()
    {
        if (!m_onSeen || !seen())
            return;
        // Once: the call may end this watch.
        std::function<void()> onSeen = std::move(m_onSeen);
        m_onSeen = nullptr;
        onSeen();
    }
};

QString notStarted(const QString &name, int ms)
{
    return LanguageManager::localized(QStringLiteral("%@ 没有在 %@ 秒内启动命令"),
                                      {name, QString::number(ms / 1000.0)});
}

#if defined(Q_OS_LINUX)
// One terminal started in the background, watched until it is judged and
// until it ends (to reap it), without polling.
class BackgroundStart : public QObject
{
public:
    BackgroundStart(QObject *owner, QString name, QString marker, ChunkHandler onChunk,
                    RunCompletion completion)
        : QObject(owner), m_name(std::move(name)), m_marker(std::move(marker)),
          m_onChunk(std::move(onChunk)), m_completion(std::move(completion))
    {}

    ~BackgroundStart() override
    {
        // Never killed: the terminal belongs to the user now.
        closeFd(m_errors);
        stopWatchingEnd();
    }

    // Returns the errno of a failed start, 0 when it runs.
    int start(const Request &request, const QString &program)
    {
        QByteArrayList words{QFile::encodeName(program)};
        for (const QString &argument : request.arguments)
            words.append(argument.toLocal8Bit());
        QByteArrayList environment;
        if (request.environment)
            for (const QString &entry : request.environment->toStringList())
                environment.append(entry.toLocal8Bit());
        std::vector<char *> argv;
        for (QByteArray &word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<char *> envp;
        for (QByteArray &entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        // Its output goes to memory, where the reason of a failure can be
        // read (terminator says it on standard output); what a running
        // terminal writes later stays with it.
        m_errors = ::memfd_create("orlenta-terminal-errors", MFD_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        for (const int fd : {1, 2}) {
            if (m_errors >= 0)
                posix_spawn_file_actions_adddup2(&actions, m_errors, fd);
            else
                posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
        }
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &all);
        // A session of its own: Ctrl-C in the terminal that ran us, or our
        // end, does not reach it.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                  POSIX_SPAWN_SETSIGDEF);
        const int error = ::posix_spawn(&m_pid, argv.front(), &actions, &attributes, argv.data(),
                                        request.environment ? envp.data() : environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        if (error != 0)
            return error;
        m_pidfd = int(::syscall(SYS_pidfd_open, m_pid, 0));
        if (m_pidfd >= 0) {
            m_endNotifier = new QSocketNotifier(m_pidfd, QSocketNotifier::Read, this);
            connect(m_endNotifier, &QSocketNotifier::activated, this, &BackgroundStart::reaped);
        }
        return 0;
    }

    void watch(int graceMs)
    {
        m_graceMs = graceMs;
        QTimer::singleShot(graceMs, this, &BackgroundStart::graceOver);
        if (!m_marker.isEmpty())
            new StartWatch(m_marker, this, [this] { judge(0, QString()); });
    }

private:
    QString m_name;
    QString m_marker;
    ChunkHandler m_onChunk;
    RunCompletion m_completion;
    pid_t m_pid = -1;
    int m_pidfd = -1;
    int m_errors = -1;
    int m_graceMs = 0;
    bool m_judged = false;
    bool m_ended = false;
    QSocketNotifier *m_endNotifier = nullptr;

    static void closeFd(int &fd)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    // The notifier is off before its descriptor closes: polling a closed one
    // makes Qt warn "QSocketNotifier: Invalid socket".
    void stopWatchingEnd()
    {
        if (m_endNotifier) {
            m_endNotifier->setEnabled(false);
            m_endNotifier->deleteLater(); // it may be emitting right now
            m_endNotifier = nullptr;
        }
        closeFd(m_pidfd);
    }

    void judge(int status, const QString &error)
    {
        if (m_judged)
            return;
        m_judged = true;
        closeFd(m_errors);
        m_completion(status, error);
        finishIfDone();
    }

    // Without a pidfd nothing tells of its end: it is left to the system.
    void finishIfDone()
    {
        if (m_judged && (m_ended || m_pidfd < 0))
            deleteLater();
    }

    void graceOver()
    {
        if (m_pidfd < 0)
            reaped();
        if (!m_ended || m_marker.isEmpty()) {
            // Still running: it has kept a window open, or hangs without one
            // (terminology without a display); the log tells which it may be.
            if (!m_ended && !QFileInfo::exists(m_marker)) {
                const QString line = reasonLine(readErrors());
                // clang-format off
                m_onChunk(line.isEmpty()
                    ? LanguageManager::localized(QStringLiteral("诊断：%@ 仍在运行，但还没有启动命令\n"), {m_name})
                    : LanguageManager::localized(QStringLiteral("诊断：%@ 仍在运行，但还没有启动命令：%@\n"), {m_name, line}));
                // clang-format on
            }
            judge(0, QString());
        } else
            judge(1, notStarted(m_name, m_graceMs)); // ended well, ran nothing
    }

    void reaped()
    {
        int status = 0;
        if (m_ended || ::waitpid(m_pid, &status, WNOHANG) != m_pid)
            return;
        m_ended = true;
        stopWatchingEnd();
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (code != 0) {
            const QString line = reasonLine(readErrors());
            // clang-format off
            judge(code, line.isEmpty()
                ? LanguageManager::localized(QStringLiteral("%@ 启动后随即退出，状态 %@"), {m_name, QString::number(code)})
                : LanguageManager::localized(QStringLiteral("%@ 启动后随即退出，状态 %@：%@"), {m_name, QString::number(code), line}));
            // clang-format on
        } else if (m_marker.isEmpty()) {
            judge(0, QString());
        }
        // Ended well: handed to a running instance, which is to start the
        // command before the grace period is over.
        finishIfDone();
    }

    QString readErrors() const
    {
        if (m_errors < 0)
            return {};
        QByteArray bytes(16384, '\0');
        const ssize_t got = ::pread(m_errors, bytes.data(), size_t(bytes.size()), 0);
        bytes.truncate(got > 0 ? got : 0);
        return QString::fromLocal8Bit(bytes);
    }
};
#endif
} // namespace

RunCompletion awaitingStart(QObject *owner, const QString &marker, int ms, const QString &name,
                            RunCompletion completion)
{
    if (marker.isEmpty())
        return completion;
    QPointer<QObject> guard(owner);
    return [guard, marker, ms, name, completion](int status, const QString &error) {
        if (status != 0 || !guard || QFileInfo::exists(marker)) {
            completion(status, error);
            return;
        }
        // The watch calls finish, finish ends the watch: a shared slot breaks the knot.
        auto finish = std::make_shared<std::function<void(bool)>>();
        auto *watch = new StartWatch(marker, guard, [finish] {
            if (*finish)
                std::exchange(*finish, nullptr)(true);
        });
        *finish = [watch, completion, name, ms](bool seen) {
            watch->deleteLater();
            if (seen)
                completion(0, QString());
            else
                completion(1, notStarted(name, ms));
        };
        QTimer::singleShot(ms, watch, [finish, watch] {
            if (*finish)
                std::exchange(*finish, nullptr)(watch->seen());
        });
    };
}

QString reasonLine(const QString &errors)
{
    static const QRegularExpression noise(
        QStringLiteral("^(info|note|debug)\\b|^stack backtrace|^/\\S+ 0x[0-9a-f]+ |^## copy|"
                       "^eina_btlog|^eof$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression display(QStringLiteral("display|wayland|compositor|x11"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression error(
        QStringLiteral("err|fail|fatal|panic|can't|cannot|could not|unable|unknown|invalid"
                       "|unrecognized|denied|not found|no such|refused"),
        QRegularExpression::CaseInsensitiveOption);
    QString best;
    int bestScore = -1;
    QString first;
    for (const QString &line : errors.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (first.isEmpty())
            first = trimmed;
        if (noise.match(trimmed).hasMatch())
            continue;
        const int score =
            (display.match(trimmed).hasMatch() ? 3 : 0) + (error.match(trimmed).hasMatch() ? 2 : 0);
        if (score > bestScore) {
            best = trimmed;
            bestScore = score;
        }
    }
    return best.isEmpty() ? first : best;
}

void startInBackground(QObject *owner, const Request &request, int graceMs,
                       const ChunkHandler &onChunk, RunCompletion completion,
                       const std::function<void()> &onStarted)
{
    const QString name =
        request.displayName.isEmpty() ? QFileInfo(request.program).fileName() : request.displayName;
#if defined(Q_OS_LINUX)
    QString program = request.program;
    if (!program.contains(u'/')) {
        const QProcessEnvironment environment =
            request.environment.value_or(QProcessEnvironment::systemEnvironment());
        program = QStandardPaths::findExecutable(
            program, environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts));
    }
    auto *watched = new BackgroundStart(owner, name, request.startedMarker, onChunk, completion);
    const int error = program.isEmpty() ? ENOENT : watched->start(request, program);
    if (error != 0) {
        delete watched;
        const QString description = QString::fromLocal8Bit(std::strerror(error));
        onChunk(startFailure(description));
        completion(1, description);
        return;
    }
    if (onStarted)
        onStarted();
    watched->watch(graceMs);
#else
    Q_UNUSED(owner);
    Q_UNUSED(graceMs);
    Q_UNUSED(name);
    QProcess process;
    configure(process, request);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        const QString description = process.errorString();
        onChunk(startFailure(description));
        completion(1, description);
        return;
    }
    if (onStarted)
        onStarted();
    completion(0, QString());
#endif
}

} // namespace TerminalProcess
