#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>

#include <optional>

// The document on disk: whole-file reads, atomic writes, the backup taken
// once per run, moving a file aside, and what the file held when this
// program last read or wrote it.
class DocumentFile
{
public:
    // What a file held: its content is the same as long as size and hash are.
    struct Fingerprint
    {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
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
    };

    // Only a regular file is read: a folder or a pipe at that path is no
    // document, and opening a pipe would block.
    static Read read(const QString &path);
    // Atomically: the old file stays whole until the new one is complete.
    static bool write(const QString &path, const QByteArray &bytes, QString *reason);
    static Fingerprint fingerprintOf(const QString &path, const QByteArray &bytes);

    // The file as last read or written by this program.
    const Fingerprint &known() const { return m_known; }
    void setKnown(const Fingerprint &print) { m_known = print; }
    bool changedSinceKnown(const Read &disk) const { return !disk.print.sameContent(m_known); }

    // Before the first save of a path in this run: what the file held
    // then goes to "tallowBay.session-backup.json" beside it.
    void backUpOnce(const QString &path, const Read &disk, bool fileKept);

    // Renames the file to "<name>.unreadable-<stamp>.json" beside it, never
    // over an earlier one; the new path, or none when the rename failed.
    static std::optional<QString> moveAside(const QString &path, const QDateTime &stamp);

private:
    Fingerprint m_known;
    QSet<QString> m_snapshottedPaths;
};
