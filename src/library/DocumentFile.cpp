#include "library/DocumentFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const QString backupFileName = QStringLiteral("tallowBay.session-backup.json");
} // namespace

DocumentFile::Read DocumentFile::read(const QString &path)
{
    Read disk;
    if (!QFileInfo(path).isFile())
        return disk;
    disk.print.exists = true;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        disk.bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        disk.kind = Read::Kind::unreadable;
        disk.error = file.errorString();
        return disk;
    }
    disk.kind = Read::Kind::read;
    disk.print.size = disk.bytes.size();
    disk.print.modified = file.fileTime(QFileDevice::FileModificationTime);
    disk.print.hash = qHash(QByteArrayView(disk.bytes));
    return disk;
}

DocumentFile::Fingerprint DocumentFile::fingerprintOf(const QString &path,
                                                      const QByteArray &bytes)
{
    Fingerprint print;
    print.exists = true;
    print.size = bytes.size();
    print.modified = QFileInfo(path).lastModified();
    print.hash = qHash(QByteArrayView(bytes));
    return print;
}

bool DocumentFile::write(const QString &path, const QByteArray &bytes, QString *reason)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered, so that a failing write reports its cause (a full disk)
    // at once; read before cancelWriting() replaces it with its own.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    // A full disk first takes part of a write; the next one tells why.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0)
            break;
        written += more;
    }
    if (written != bytes.size()) {
        *reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

void DocumentFile::backUpOnce(const QString &path, const Read &disk, bool fileKept)
{
    if (m_snapshottedPaths.contains(path))
        return;
    m_snapshottedPaths.insert(path);
    QString ignored;
    if (disk.kind == Read::Kind::read && fileKept)
        write(QDir(QFileInfo(path).absolutePath()).filePath(backupFileName), disk.bytes, &ignored);
}

std::optional<QString> DocumentFile::moveAside(const QString &path, const QDateTime &stamp)
{
    const QFileInfo info(path);
    const QString time = stamp.toLocalTime().toString(QStringLiteral("yyMMddHHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString stem = info.completeBaseName() + QStringLiteral(".unreadable-") + time;
    QString aside = info.dir().filePath(stem + suffix);
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = info.dir().filePath(stem + u'-' + QString::number(n) + suffix);
    if (!QFile::rename(path, aside))
        return std::nullopt;
    return aside;
}
