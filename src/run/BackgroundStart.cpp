#include "run/BackgroundStart.h"

#if defined(Q_OS_LINUX)
#include "language/LanguageManager.h"
#include "run/StartWatch.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace TerminalProcess {

BackgroundStart::BackgroundStart(QObject *owner, QString name, QString marker, ChunkHandler onChunk,
                                 RunCompletion completion)
    : QObject(owner), m_name(std::move(name)), m_marker(std::move(marker)),
      m_onChunk(std::move(onChunk)), m_completion(std::move(completion))
{}

BackgroundStart::~BackgroundStart()
{
    // Never killed: the terminal belongs to the user now.
    closeFd(m_errors);
    stopWatchingEnd();
}

// Returns the errno of a failed start, 0 when it runs.
int BackgroundStart::start(const Request &request, const QString &program)
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
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
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

void BackgroundStart::watch(int graceMs)
{
    m_graceMs = graceMs;
    QTimer::singleShot(graceMs, this, &BackgroundStart::graceOver);
    if (!m_marker.isEmpty())
        new StartWatch(m_marker, this, [this] { judge(0, QString()); });
}

void BackgroundStart::closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The notifier is off before its descriptor closes: polling a closed one
// makes Qt warn "QSocketNotifier: Invalid socket".
void BackgroundStart::stopWatchingEnd()
{
    if (m_endNotifier) {
        m_endNotifier->setEnabled(false);
        m_endNotifier->deleteLater(); // it may be emitting right now
        m_endNotifier = nullptr;
    }
    closeFd(m_pidfd);
}

void BackgroundStart::judge(int status, const QString &error)
{
    if (m_judged)
        return;
    m_judged = true;
    closeFd(m_errors);
    m_completion(status, error);
    finishIfDone();
}

// Without a pidfd nothing tells of its end: it is left to the system.
void BackgroundStart::finishIfDone()
{
    if (m_judged && (m_ended || m_pidfd < 0))
        deleteLater();
}

void BackgroundStart::graceOver()
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

void BackgroundStart::reaped()
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

QString BackgroundStart::readErrors() const
{
    if (m_errors < 0)
        return {};
    QByteArray bytes(16384, '\0');
    const ssize_t got = ::pread(m_errors, bytes.data(), size_t(bytes.size()), 0);
    bytes.truncate(got > 0 ? got : 0);
    return QString::fromLocal8Bit(bytes);
}

} // namespace TerminalProcess
#endif
