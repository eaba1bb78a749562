#include "platform/RuntimeDirectory.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

namespace RuntimeDirectory {

QString ensure(const QString &tempRoot)
{
    const QString current = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!current.isEmpty())
        return current;

    const QString folder = QDir(tempRoot).filePath(QStringLiteral("runtime-%1").arg(::geteuid()));
    const QByteArray native = QFile::encodeName(folder);
    ::mkdir(native.constData(), 0700);
    struct stat info
    {
    };
    // lstat: a link planted by someone else must not become our runtime folder.
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
        return {};
    if ((info.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return {};
    qputenv("XDG_RUNTIME_DIR", native);
    return folder;
}

} // namespace RuntimeDirectory
