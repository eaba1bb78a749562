#include "instance/SingleInstance.h"

#include "instance/InstanceServer.h"
#include "instance/LocalSocket.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {
constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;

bool isPrivateFolderOfOurs(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isSymLink() && info.isDir() && info.ownerId() == ::geteuid();
}

QString passwordDatabaseHome()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return QFile::decodeName(found->pw_dir);
}

// The path with every link and ".." resolved, also when its file does not
// exist yet: the longest existing part is resolved and the rest appended.
QString canonicalPath(const QString &path)
{
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!existing.isEmpty()) {
        const QString canonical = QFileInfo(existing).canonicalFilePath();
        if (!canonical.isEmpty())
            return rest.isEmpty() ? canonical : QDir(canonical).filePath(rest);
        const QFileInfo info(existing);
        rest = rest.isEmpty() ? info.fileName() : info.fileName() + u'/' + rest;
        const QString parent = info.absolutePath();
        if (parent == existing)
            break;
        existing = parent;
    }
    return QDir::cleanPath(path);
}

} // namespace

SingleInstance::SystemFolders SingleInstance::systemFolders()
{
    return {QStringLiteral("/run/user"), QStringLiteral("/tmp"), QString()};
}

QString SingleInstance::userFolder()
{
    return userFolder(systemFolders());
}

QString SingleInstance::userFolder(const SystemFolders &system)
{
    const QString uid = QString::number(::geteuid());
    // The folder logind keeps for the user's sessions: never aged like /tmp,
    // never taken by another user.
    const QString perUser = QDir(system.runUser).filePath(uid);
    struct stat info
    {
    };
    if (::lstat(QFile::encodeName(perUser).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::geteuid())
        return QDir(perUser).filePath(QStringLiteral("orlenta"));
    const QString shared = QDir(system.tmp).filePath(QStringLiteral("orlenta-") + uid);
    QString error;
    if (prepareFolder(shared, &error))
        return shared;
    // Another user created the name first. A home may be shared between
    // machines, whose instances must not meet.
    QString host = QSysInfo::machineHostName();
    host.replace(u'/', u'_');
    const QString home = system.home.isEmpty() ? passwordDatabaseHome() : system.home;
    return QDir(home).filePath(QStringLiteral(".cache/orlenta/runtime-") + host);
}

QString SingleInstance::keyFor(const QString &settingsFile)
{
    const QByteArray hash =
        QCryptographicHash::hash(canonicalPath(settingsFile).toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("library-") + QString::fromLatin1(hash.toHex().left(16));
}

SingleInstance::SingleInstance(const QString &folder, const QString &key, QObject *parent)
    : QObject(parent), m_folder(folder), m_key(key)
{}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::lockPath() const
{
    return QDir(m_folder).filePath(m_key + QStringLiteral(".lock"));
}

QString SingleInstance::socketPath() const
{
    return QDir(m_folder).filePath(m_key + QStringLiteral(".sock"));
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
    QDeadlineTimer deadline(patience);
    qint64 holder = -1;
    unsigned long pause = 10;
    for (;;) {
        if (m_lock->isLocked() || m_lock->tryLock(std::chrono::milliseconds::zero()))
            return Role::primary;
        if (m_lock->error() != QLockFile::LockFailedError) {
            m_error = QStringLiteral("cannot create the lock file %1").arg(lockPath());
            return Role::failed;
        }
        int error = 0;
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(InstanceProtocol::acceptTimeout);
        if (auto socket = LocalSocket::connectTo(socketPath(), int(seconds.count()), &error)) {
            m_connection = std::move(socket);
            return Role::secondary;
        }
        qint64 pid = 0;
        QString hostname, appname;
        const QString holderName = m_lock->getLockInfo(&pid, &hostname, &appname)
                                       ? QStringLiteral("another Orlenta process (pid %1)").arg(pid)
                                       : QStringLiteral("another Orlenta process");
        if (error == EAGAIN) {
            m_error = QStringLiteral("%1 holds %2 but has taken no command for %3 s")
                          .arg(holderName, lockPath())
                          .arg(InstanceProtocol::acceptTimeout.count() / 1000);
            return Role::failed;
        }
        // Nobody listens: the holder is starting up or carrying out a command
        // in its own process. While the lock changes hands, commands are
        // being carried out one after the other; wait on.
        if (pid != holder) {
            holder = pid;
            deadline.setRemainingTime(patience);
        } else if (deadline.hasExpired()) {
            m_error = QStringLiteral("%1 holds %2 but does not answer").arg(holderName, lockPath());
            return Role::failed;
        }
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

std::unique_ptr<LocalSocket> SingleInstance::takeConnection()
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
