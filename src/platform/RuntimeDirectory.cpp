#include "platform/RuntimeDirectory.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace RuntimeDirectory {

QString fallback(const QString &cacheRoot)
{
    const QString root =
        cacheRoot.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                            : cacheRoot;
    QString host = QSysInfo::machineHostName();
    host.replace(u'/', u'_');
    return QDir(root).filePath(QStringLiteral("orlenta/runtime-") + host);
}

QString ensure(const QString &cacheRoot)
{
    const QString current = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!current.isEmpty())
        return current;

    const QString folder = fallback(cacheRoot);
    QDir().mkpath(QFileInfo(folder).absolutePath());
    const QByteArray native = QFile::encodeName(folder);
    ::mkdir(native.constData(), 0700);
    struct stat info
    {
    };
    // lstat: a link in its place must not become our runtime folder.
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
        return {};
    if ((info.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return {};
    qputenv("XDG_RUNTIME_DIR", native);
    return folder;
}

} // namespace RuntimeDirectory
