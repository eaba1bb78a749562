#include "dragdrop/DropDebug.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString &overriddenPath()
{
    static QString path;
    return path;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

namespace DropDebug {

QString defaultLogPath()
{
    const QString fromEnvironment = qEnvironmentVariable("ORLENTA_DROP_LOG");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
#ifdef ORLENTA_DROP_LOG_BY_DEFAULT
    return QStringLiteral("/tmp/orlenta-drop.log");
#else
    return {};
#endif
}

QString logPath()
{
    return overriddenPath().isEmpty() ? defaultLogPath() : overriddenPath();
}

void setLogPath(const QString &path)
{
    overriddenPath() = path;
}

qint64 pid()
{
    static const qint64 id = QCoreApplication::applicationPid();
    return id;
}

QByteArray entry(const QString &message, const QDateTime &time)
{
    const QString stamp =
        QLocale::c().toString(time.toUTC(), QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
        QStringLiteral(" +0000");
    return (QStringLiteral("pid=") + QString::number(pid()) + u' ' + stamp + u' ' + message + u'\n')
        .toUtf8();
}

QString listNotation(const QStringList &items)
{
    QString out = QStringLiteral("[");
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += QStringLiteral(", ");
        QString item = items.at(i);
        item.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        out += u'"' + item + u'"';
    }
    return out + u']';
}

void log(const QString &message)
{
    if (logPath().isEmpty())
        return;
    const QByteArray bytes = entry(message, QDateTime::currentDateTimeUtc());
    const QByteArray path = QFile::encodeName(logPath());

    // The path sits in a shared folder: never follow a link, never block on a
    // planted FIFO, and create the file private to us.
    const int fd = ::open(path.constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0)
        return;
    struct stat st
    {
    };
    // A second name (hard link) would make the file someone else's target too.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        st.st_nlink == 1)
        writeAll(fd, bytes);
    ::close(fd);
}

} // namespace DropDebug
