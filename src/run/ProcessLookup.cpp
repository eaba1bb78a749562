#include "run/ProcessLookup.h"

#include <QByteArray>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool isRunning(const QStringList &names, const QString &procRoot)
{
    QList<QByteArray> shortNames;
    for (const QString &name : names)
        shortNames << name.left(kernelNameLength).toLocal8Bit();

    DIR *dir = ::opendir(procRoot.toLocal8Bit().constData());
    if (!dir)
        return false;
    const int root = ::dirfd(dir);
    const uid_t self = ::getuid();
    bool found = false;
    while (!found) {
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
        for (const QByteArray &argument : commandLine.split('\0'))
            process.arguments << QString::fromLocal8Bit(argument);
        found = matches(process, names);
    }
    ::closedir(dir);
    return found;
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

} // namespace ProcessLookup
