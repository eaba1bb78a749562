#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The document on disk: whole-file reads, atomic replacement under a lock
// shared with the other writers of this machine, the backup taken once per
// run, moving a file aside, and what the file held when this program last
// read or wrote it.
class DocumentFile
{
public:
    // What a file held: the same content as long as size and hash of the
    // bytes are (a time stamp may not change within its resolution).
    struct Fingerprint
    {
        bool exists = false;
        qint64 size = -1;
        size_t hash = 0;
        bool sameContent(const Fingerprint &other) const
        {
            return exists == other.exists && size == other.size && hash == other.hash;
        }
    };

    struct Read
    {
        enum class Kind { missing, unreadable, read };
        Kind kind = Kind::missing;
        QByteArray bytes;
        QString error;
        Fingerprint print;
        int mode = -1; // permission bits, -1 when unknown
    };

    // Only a regular file is read: a folder or a pipe at that path is no
    // document, and opening a pipe would block.
    static Read read(const QString &path);
    static Fingerprint fingerprintOf(const QByteArray &bytes);

    // An advisory lock (flock) on ".<name>.lock" beside the document, held
    // by every writer of this machine from reading the document to
    // replacing it. Waits a while for another holder.
    class Lock
    {
    public:
        explicit Lock(const QString &documentPath, int waitMilliseconds = 3000);
        ~Lock();
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;
        // False when another writer kept it for the whole wait; true also
        // where no lock file can be made (a read-only folder).
        bool held() const { return m_held; }
        // A sync client may replace the lock file like any other file of the
        // folder, and a writer opening it since locks the new one: that one
        // is locked too (waiting for its holder), so writers stay in line.
        // False when its holder kept it for the whole wait.
        bool followReplacement(int waitMilliseconds = 3000);
        static QString pathFor(const QString &documentPath);

    private:
        // Locks the lock file now at the path; false after the wait.
        bool lockFileAtPath(int waitMilliseconds);

        QString m_document;
        int m_fd = -1;
        int m_replaced = -1; // the lock file first locked, once replaced
        bool m_held = false;
        bool m_counted = false; // counted in the process's own locks
    };

    enum class Outcome { written, failed, changedMeanwhile };
    // Atomically replaces the file with the bytes, in the mode of what was
    // read (mode -1: the default); first the backup of this run. Right
    // before the rename the file must still be what `disk` read, else
    // nothing is replaced (changedMeanwhile).
    Outcome replace(const QString &path, const QByteArray &bytes, const Read &disk,
                    bool backUp, QString *reason);
    // The same without backup and check, for copies beside the document.
    static bool write(const QString &path, const QByteArray &bytes, int mode, QString *reason,
                      const Fingerprint *expected = nullptr, bool *changed = nullptr);

    // The file as last read or written by this program.
    const Fingerprint &known() const { return m_known; }
    void setKnown(const Fingerprint &print) { m_known = print; }
    bool changedSinceKnown(const Read &disk) const { return !disk.print.sameContent(m_known); }

    // Renames the file at `source` to "<name>.<tag>-<stamp>.json" beside the
    // document, never over an earlier one; the new path, or none when the
    // rename failed.
    static std::optional<QString> moveAside(const QString &source, const QString &documentPath,
                                            const QString &tag, const QDateTime &stamp);

    // The copies sync clients keep beside the document when two versions
    // met: "<name>.sync-conflict-….json" (Syncthing), "<name> (… conflicted
    // copy …).json" (Dropbox, Nextcloud); in name order.
    static QStringList conflictCopies(const QString &documentPath);

private:
    Fingerprint m_known;
    // Document paths whose backup this run has taken (or found nothing to take).
    QSet<QString> m_backedUp;
};
