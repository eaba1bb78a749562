#include "platform/ProcessLookup.h"

#include <QByteArray>
#include <QFile>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#if defined(Q_OS_MACOS)
#include <sys/sysctl.h>
#include <sys/types.h>
#endif

namespace ProcessLookup {

namespace {
constexpr qsizetype kernelNameLength = 15;

QString baseName(QString path)
{
    if (path.endsWith(u" (deleted)")) // the binary was replaced by an upgrade
        path.chop(10);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

bool isInterpreter(const QString &name)
{
    return name.startsWith(u"python") || name.startsWith(u"perl");
}
} // namespace

bool matches(const ProcessInfo &process, const QStringList &names)
{
    const QString executable = baseName(process.executable);
    const QString first = baseName(process.arguments.value(0));
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        if (executable == name || first == name)
            return true;
        // Script terminals (terminator) run as "python3 /usr/bin/terminator".
        if ((isInterpreter(executable) || isInterpreter(first)) &&
            baseName(process.arguments.value(1)) == name)
            return true;
        if (name.size() <= kernelNameLength && process.shortName == name)
            return true;
    }
    return false;
}

#if defined(Q_OS_LINUX)
namespace {
QByteArray readSmallFile(int directory, const char *path)
{
    const int fd = ::openat(directory, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > 64 * 1024)
            break;
    }
    ::close(fd);
    return bytes;
}

QString readLink(int directory, const char *path)
{
    char buffer[4096];
    const ssize_t n = ::readlinkat(directory, path, buffer, sizeof buffer - 1);
    return n > 0 ? QString::fromLocal8Bit(buffer, n) : QString();
}
} // namespace

QList<qint64> processIDs(const QStringList &names, const QString &procRoot, bool firstOnly)
{
    QList<QByteArray> shortNames;
    for (const QString &name : names)
        shortNames << name.left(kernelNameLength).toLocal8Bit();

    QList<qint64> found;
    DIR *dir = ::opendir(procRoot.toLocal8Bit().constData());
    if (!dir)
        return found;
    const int root = ::dirfd(dir);
    const uid_t self = ::getuid();
    while (!(firstOnly && !found.isEmpty())) {
        const dirent *entry = ::readdir(dir);
        if (!entry)
            break;
        const char *id = entry->d_name;
        if (*id < '0' || *id > '9')
            continue;
        char path[320]; // a file name is at most 255 bytes
        // The short name first: cheap, and rules out nearly every process.
        std::snprintf(path, sizeof path, "%s/comm", id);
        const QByteArray shortName = readSmallFile(root, path).trimmed();
        if (!shortNames.contains(shortName))
            continue;
        struct stat info;
        if (::fstatat(root, id, &info, 0) != 0 || info.st_uid != self)
            continue;
        ProcessInfo process;
        process.shortName = QString::fromLocal8Bit(shortName);
        std::snprintf(path, sizeof path, "%s/exe", id);
        process.executable = readLink(root, path);
        std::snprintf(path, sizeof path, "%s/cmdline", id);
        const QByteArray commandLine = readSmallFile(root, path);
        if (commandLine.isEmpty()) // a terminal that has ended but not been reaped
            continue;
        for (const QByteArray &argument : commandLine.split('\0'))
            process.arguments << QString::fromLocal8Bit(argument);
        if (matches(process, names))
            found << QByteArray(id).toLongLong();
    }
    ::closedir(dir);
    return found;
}

bool isRunning(const QStringList &names, const QString &procRoot)
{
    return !processIDs(names, procRoot, true).isEmpty();
}

QStringList listeningSockets(qint64 processID, const QString &procRoot)
{
    // The sockets the process holds, by inode...
    QSet<QByteArray> inodes;
    const QString fdPath = procRoot + u'/' + QString::number(processID) + QStringLiteral("/fd");
    DIR *dir = ::opendir(fdPath.toLocal8Bit().constData());
    if (!dir)
        return {};
    const int fds = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const QString target = readLink(fds, entry->d_name);
        if (target.startsWith(u"socket:[") && target.endsWith(u']'))
            inodes.insert(target.mid(8, target.size() - 9).toLatin1());
    }
    ::closedir(dir);

    // ...and which of them listen, with the path they are bound to.
    QStringList sockets;
    QFile table(procRoot + QStringLiteral("/net/unix"));
    if (!table.open(QIODevice::ReadOnly))
        return sockets;
    table.readLine(); // Num RefCount Protocol Flags Type St Inode Path
    constexpr qulonglong acceptsConnections = 0x10000;
    while (!table.atEnd()) {
        const QList<QByteArray> fields = table.readLine().simplified().split(' ');
        if (fields.size() < 8 || !inodes.contains(fields.at(6)))
            continue;
        bool ok = false;
        const qulonglong flags = fields.at(3).toULongLong(&ok, 16);
        if (ok && (flags & acceptsConnections))
            sockets << QString::fromLocal8Bit(fields.mid(7).join(' '));
    }
    return sockets;
}
QList<qint64> childProcessIDs(qint64 parent, const QString &procRoot)
{
    struct Child
    {
        qulonglong startTime;
        qint64 id;
    };
    QList<Child> children;
    DIR *dir = ::opendir(procRoot.toLocal8Bit().constData());
    if (!dir)
        return {};
    const int root = ::dirfd(dir);
    const uid_t self = ::getuid();
    while (const dirent *entry = ::readdir(dir)) {
        const char *id = entry->d_name;
        if (*id < '0' || *id > '9')
            continue;
        char path[320];
        std::snprintf(path, sizeof path, "%s/stat", id);
        const QByteArray stat = readSmallFile(root, path);
        // "pid (name) state ppid ... starttime": the name may hold spaces and parentheses.
        const qsizetype nameEnd = stat.lastIndexOf(')');
        if (nameEnd < 0)
            continue;
        const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
        if (fields.size() < 20 || fields.at(1).toLongLong() != parent)
            continue;
        struct stat info;
        if (::fstatat(root, id, &info, 0) != 0 || info.st_uid != self)
            continue;
        children.append({fields.at(19).toULongLong(), QByteArray(id).toLongLong()});
    }
    ::closedir(dir);
    std::sort(children.begin(), children.end(), [](const Child &a, const Child &b) {
        return a.startTime != b.startTime ? a.startTime < b.startTime : a.id < b.id;
    });
    QList<qint64> ids;
    for (const Child &child : children)
        ids << child.id;
    return ids;
}

QHash<QString, QString> environmentOf(qint64 processID, const QString &procRoot)
{
    QHash<QString, QString> environment;
    QFile file(procRoot + u'/' + QString::number(processID) + QStringLiteral("/environ"));
    if (!file.open(QIODevice::ReadOnly))
        return environment;
    for (const QByteArray &entry : file.readAll().split('\0')) {
        const qsizetype equals = entry.indexOf('=');
        if (equals > 0)
            environment.insert(QString::fromLocal8Bit(entry.left(equals)),
                               QString::fromLocal8Bit(entry.mid(equals + 1)));
    }
    return environment;
}
#elif defined(Q_OS_MACOS)
bool isRunning(const QStringList &names, const QString &procRoot)
{
    Q_UNUSED(procRoot);
    int mib[4] = {CTL_KERN, KERN_PROC, KERN_PROC_UID, static_cast<int>(::getuid())};
    size_t size = 0;
    if (::sysctl(mib, 4, nullptr, &size, nullptr, 0) != 0)
        return false;
    std::vector<kinfo_proc> table(size / sizeof(kinfo_proc) + 32);
    size = table.size() * sizeof(kinfo_proc);
    if (::sysctl(mib, 4, table.data(), &size, nullptr, 0) != 0)
        return false;
    for (size_t i = 0; i < size / sizeof(kinfo_proc); ++i) {
        ProcessInfo process;
        process.shortName = QString::fromUtf8(table[i].kp_proc.p_comm);
        for (const QString &name : names) {
            if (!name.isEmpty() && name.left(MAXCOMLEN) == process.shortName)
                return true;
        }
    }
    return false;
}
#else
bool isRunning(const QStringList &names, const QString &procRoot)
{
    Q_UNUSED(names);
    Q_UNUSED(procRoot);
    return false;
}
#endif

#if !defined(Q_OS_LINUX)
QList<qint64> processIDs(const QStringList &names, const QString &procRoot, bool firstOnly)
{
    Q_UNUSED(names);
    Q_UNUSED(procRoot);
    Q_UNUSED(firstOnly);
    return {};
}

QStringList listeningSockets(qint64 processID, const QString &procRoot)
{
    Q_UNUSED(processID);
    Q_UNUSED(procRoot);
    return {};
}

QList<qint64> childProcessIDs(qint64 parent, const QString &procRoot)
{
    Q_UNUSED(parent);
    Q_UNUSED(procRoot);
    return {};
}

QHash<QString, QString> environmentOf(qint64 processID, const QString &procRoot)
{
    Q_UNUSED(processID);
    Q_UNUSED(procRoot);
    return {};
}
#endif

} // namespace ProcessLookup
