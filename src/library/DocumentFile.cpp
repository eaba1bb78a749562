#include "library/DocumentFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString backupFileName = QStringLiteral("tallowBay.session-backup.json");
} // namespace

DocumentFile::Fingerprint DocumentFile::fingerprintOf(const QByteArray &bytes)
{
    Fingerprint print;
    print.exists = true;
    print.size = bytes.size();
    print.hash = qHash(QByteArrayView(bytes));
    return print;
}

DocumentFile::Read DocumentFile::read(const QString &path)
{
    Read disk;
    if (!QFileInfo(path).isFile())
        return disk;
    disk.print.exists = true;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        struct stat info;
        if (::fstat(file.handle(), &info) == 0)
            disk.mode = int(info.st_mode & 07777);
        disk.bytes = file.readAll();
    }
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        disk.kind = Read::Kind::unreadable;
        disk.error = file.errorString();
        return disk;
    }
    disk.kind = Read::Kind::read;
    disk.print = fingerprintOf(disk.bytes);
    return disk;
}

QString DocumentFile::Lock::pathFor(const QString &documentPath)
{
    const QFileInfo info(documentPath);
    return info.dir().filePath(u'.' + info.fileName() + QStringLiteral(".lock"));
}

namespace {
// Locks this process holds, by document: a save started while another is
// under way (a slot of a change signal) must not wait for its own caller.
QHash<QString, int> &heldHere()
{
    static QHash<QString, int> held;
    return held;
}

bool sameFile(int fd, const QByteArray &path)
{
    struct stat open;
    struct stat named;
    return ::fstat(fd, &open) == 0 && ::stat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
} // namespace

DocumentFile::Lock::Lock(const QString &documentPath, int waitMilliseconds)
    : m_document(documentPath)
{
    if (heldHere().value(m_document) > 0) {
        ++heldHere()[m_document];
        m_held = m_counted = true;
        return;
    }
    m_held = lockFileAtPath(waitMilliseconds);
    if (m_held) {
        ++heldHere()[m_document];
        m_counted = true;
    }
}

bool DocumentFile::Lock::lockFileAtPath(int waitMilliseconds)
{
    const QByteArray path = QFile::encodeName(pathFor(m_document));
    const QDeadlineTimer deadline(waitMilliseconds);
    for (;;) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (m_fd < 0) // another user's lock file is still good for a shared folder
            m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return true; // nowhere to lock: the save itself will tell why it fails
        // Holders keep it for a few milliseconds; the wait grows to 10 ms steps.
        for (int pause = 1;; pause = qMin(pause * 2, 10)) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
                break;
            if (errno != EWOULDBLOCK && errno != EINTR)
                return true; // a file system without flock: as before, unlocked
            if (deadline.hasExpired())
                return false;
            QThread::msleep(pause);
        }
        // Replaced while this writer waited: the lock must be on the file
        // the next writer finds.
        if (sameFile(m_fd, path))
            return true;
        if (deadline.hasExpired())
            return false;
    }
}

bool DocumentFile::Lock::followReplacement(int waitMilliseconds)
{
    if (m_fd < 0 || sameFile(m_fd, QFile::encodeName(pathFor(m_document))))
        return true;
    // The first stays locked: a writer that opened it before the
    // replacement still waits for this one.
    if (m_replaced < 0) {
        m_replaced = m_fd;
        m_fd = -1;
    }
    return lockFileAtPath(waitMilliseconds);
}

DocumentFile::Lock::~Lock()
{
    if (m_counted && --heldHere()[m_document] == 0)
        heldHere().remove(m_document);
    if (m_fd >= 0)
        ::close(m_fd); // also releases the lock
    if (m_replaced >= 0)
        ::close(m_replaced);
}

bool DocumentFile::write(const QString &path, const QByteArray &bytes, int mode,
                         QString *reason, const Fingerprint *expected, bool *changed)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered, so that a failing write reports its cause (a full disk)
    // at once; read before cancelWriting() replaces it with its own.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    if (mode >= 0)
        ::fchmod(file.handle(), mode_t(mode));
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
    // Writers that take no lock (sync clients, editors) may have replaced
    // the file since it was read: checked again just before the rename.
    if (expected && !read(path).print.sameContent(*expected)) {
        file.cancelWriting();
        *changed = true;
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

DocumentFile::Outcome DocumentFile::replace(const QString &path, const QByteArray &bytes,
                                            const Read &disk, bool backUp, QString *reason)
{
    // Taken once the run has one, or when there is nothing to keep; after a
    // failed try it is tried again with the next save, as long as the
    // document has not been overwritten meanwhile.
    bool backupFailed = false;
    if (!m_backedUp.contains(path)) {
        if (backUp && disk.kind == Read::Kind::read) {
            QString ignored;
            backupFailed = !write(QDir(QFileInfo(path).absolutePath()).filePath(backupFileName),
                                  disk.bytes, disk.mode, &ignored);
        }
        if (!backupFailed)
            m_backedUp.insert(path);
    }
    bool changed = false;
    if (!write(path, bytes, disk.mode, reason, &disk.print, &changed))
        return changed ? Outcome::changedMeanwhile : Outcome::failed;
    m_backedUp.insert(path);
    m_known = fingerprintOf(bytes);
    return Outcome::written;
}

std::optional<QString> DocumentFile::moveAside(const QString &source,
                                               const QString &documentPath, const QString &tag,
                                               const QDateTime &stamp)
{
    const QFileInfo info(documentPath);
    const QString time = stamp.toLocalTime().toString(QStringLiteral("yyMMddHHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString stem = info.completeBaseName() + u'.' + tag + u'-' + time;
    QString aside = info.dir().filePath(stem + suffix);
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = info.dir().filePath(stem + u'-' + QString::number(n) + suffix);
    if (!QFile::rename(source, aside))
        return std::nullopt;
    return aside;
}

QStringList DocumentFile::conflictCopies(const QString &documentPath)
{
    const QFileInfo document(documentPath);
    const QString stem = QRegularExpression::escape(document.completeBaseName());
    const QString suffix = QRegularExpression::escape(document.suffix());
    const QRegularExpression pattern(
        u'^' + stem + QStringLiteral("(\\.sync-conflict-.+| \\(.*conflicted copy.*\\))\\.") +
            suffix + u'$',
        QRegularExpression::CaseInsensitiveOption);
    QStringList copies;
    const QDir folder = document.dir();
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (pattern.match(name).hasMatch())
            copies.append(folder.filePath(name));
    return copies;
}
