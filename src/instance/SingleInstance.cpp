#include "instance/SingleInstance.h"

#include "instance/InstanceServer.h"
#include "platform/RuntimeDirectory.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <unistd.h>

namespace {
constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

bool isPrivateFolderOfOurs(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isSymLink() && info.isDir() && info.ownerId() == ::geteuid();
}
} // namespace

QString SingleInstance::defaultFolder()
{
    // Read the variable directly: QStandardPaths warns on stderr when it is
    // missing, which would spoil the output of every command.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolderOfOurs(runtime))
        return QDir(runtime).filePath(QStringLiteral("orlenta"));
    // Never a name under /tmp: another user could create it first.
    return QDir(RuntimeDirectory::fallback()).filePath(QStringLiteral("orlenta"));
}

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder)
{}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::lockPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("instance.lock"));
}

QString SingleInstance::socketPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("instance.sock"));
}

bool SingleInstance::prepareFolder(const QString &folder, QString *error)
{
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink()) {
        QDir().mkpath(info.absolutePath());
        // Created closed from the start, so there is no moment when others could enter.
        if (!QDir().mkdir(folder, ownerOnly) && !QFileInfo::exists(folder)) {
            *error = QStringLiteral("cannot create the folder %1").arg(folder);
            return false;
        }
    }
    if (!isPrivateFolderOfOurs(folder)) {
        *error = QStringLiteral("%1 is not a folder owned by this user").arg(folder);
        return false;
    }
    QFile dir(folder);
    if (dir.permissions() != ownerOnly && !dir.setPermissions(ownerOnly)) {
        *error = QStringLiteral("cannot close the folder %1 to other users").arg(folder);
        return false;
    }
    return true;
}

SingleInstance::Role SingleInstance::elect(std::chrono::milliseconds patience)
{
    m_error.clear();
    if (!prepareFolder(m_folder, &m_error))
        return Role::failed;
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(lockPath());
        // Only a dead holder makes the lock stale, never its age: an
        // instance may run for weeks.
        m_lock->setStaleLockTime(std::chrono::milliseconds::zero());
    }
    const QDeadlineTimer deadline(patience);
    unsigned long pause = 10;
    for (;;) {
        if (m_lock->isLocked() || m_lock->tryLock(std::chrono::milliseconds::zero()))
            return Role::primary;
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_error = QStringLiteral("cannot create the lock file %1").arg(lockPath());
            return Role::failed;
        }
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(socketPath());
        if (socket->waitForConnected(1000)) {
            m_connection = std::move(socket);
            return Role::secondary;
        }
        if (deadline.hasExpired()) {
            qint64 pid = 0;
            QString hostname, appname;
            m_lock->getLockInfo(&pid, &hostname, &appname);
            m_error =
                QStringLiteral("another Orlenta process (pid %1) holds %2 but does not answer")
                    .arg(pid)
                    .arg(lockPath());
            return Role::failed;
        }
        // The holder is starting up or carrying out a command in its own
        // process; give it a moment, backing off.
        QThread::msleep(pause);
        pause = std::min<unsigned long>(pause * 2, 200);
    }
}

InstanceServer *SingleInstance::listen()
{
    if (!m_lock || !m_lock->isLocked()) {
        m_error = QStringLiteral("not the running instance");
        return nullptr;
    }
    if (m_server)
        return m_server;
    auto *server = new InstanceServer(this);
    if (!server->listen(socketPath())) {
        m_error = server->errorString();
        delete server;
        return nullptr;
    }
    m_server = server;
    return m_server;
}

std::unique_ptr<QLocalSocket> SingleInstance::takeConnection()
{
    return std::move(m_connection);
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    m_connection.reset();
    if (m_lock && m_lock->isLocked())
        m_lock->unlock();
}
