// Saving with the other writers of the document in mind: the version on
// disk is read under the writers' lock, what another program wrote is
// merged with the store's own change, and the file is replaced only while
// it still holds what was read.
#include "library/ShellStore.h"

#include "language/LanguageManager.h"
#include "library/DocumentMerge.h"
#include "library/ScriptDocument.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

namespace {

// How long an undecodable version must stay unchanged before it counts as
// what its writer meant, and how long to wait for that at most.
constexpr int settleMilliseconds = 200;
constexpr int settleLimitMilliseconds = 2000;
// Tries when writers without the lock keep replacing the file.
constexpr int replaceAttempts = 5;
// Versions kept as the common ground for merging a sync client's copy.
constexpr int keptVersions = 32;
constexpr qsizetype keptNodes = 200000;

qsizetype nodeCount(const QList<ShellNode> &list)
{
    qsizetype count = list.size();
    for (const ShellNode &node : list)
        if (node.children)
            count += nodeCount(*node.children);
    return count;
}

} // namespace

bool ShellStore::moveUnreadableAside(const QString &path, const QString &reason)
{
    const std::optional<QString> aside =
        DocumentFile::moveAside(path, path, QStringLiteral("unreadable"), now());
    if (!aside)
        return false;
    m_movedAsidePath = aside;
    printLine(QStringLiteral("[ShellStore] 无法读取的文稿已移到 ") + *aside + QStringLiteral("：") +
              reason);
    Q_EMIT documentMovedAside(*aside, reason);
    return true;
}

bool ShellStore::refuse(const QString &why, bool adoptedOutside)
{
    rollBack(adoptedOutside);
    m_lastSaveError = why;
    printLine(QStringLiteral("[ShellStore] 保存失败 ") + currentDocumentPath() +
              QStringLiteral("：") + why);
    Q_EMIT changed();
    return false;
}

// What could not be written does not stay in memory, where the next save
// would write it unasked: the tree is again the document's, and whoever
// made the change hears that it failed.
void ShellStore::rollBack(bool adoptedOutside)
{
    if (Persisted{m_roots, m_isPublished} != m_synced) {
        adopt(m_synced);
        Q_EMIT rolledBack();
    }
    if (adoptedOutside)
        Q_EMIT adoptedOutsideVersion();
}

void ShellStore::rememberVersion(const Persisted &document)
{
    if (!m_versions.isEmpty() && m_versions.constLast() == document)
        return;
    m_versions.append(document);
    qsizetype nodes = 0;
    for (const Persisted &version : std::as_const(m_versions))
        nodes += nodeCount(version.roots);
    while (m_versions.size() > 2 &&
           (m_versions.size() > keptVersions || nodes > keptNodes)) {
        nodes -= nodeCount(m_versions.first().roots);
        m_versions.removeFirst();
    }
}

// An editor that rewrites the file in place is caught half way: read again
// until it decodes or has stayed the same for a moment.
DocumentFile::Read ShellStore::settledRead(const QString &path, DocumentFile::Read disk)
{
    QElapsedTimer total;
    total.start();
    QElapsedTimer unchanged;
    unchanged.start();
    while (unchanged.elapsed() < settleMilliseconds && total.elapsed() < settleLimitMilliseconds) {
        QThread::msleep(20);
        DocumentFile::Read again = DocumentFile::read(path);
        if (again.print.sameContent(disk.print))
            continue;
        disk = std::move(again);
        unchanged.restart();
        if (disk.kind != DocumentFile::Read::Kind::read ||
            ScriptDocument::decode(disk.bytes, 0))
            break;
    }
    return disk;
}

bool ShellStore::save()
{
    return commit({});
}

bool ShellStore::commit(const Edit &edit)
{
    m_lastEditError.reset();
    if (const std::optional<QString> folder = unreachableFolder())
        // clang-format off
        return refuse(LanguageManager::localized(QStringLiteral("配置文件所在的文件夹 %@ 无法访问，没有保存"), {*folder}));
    // clang-format on
    ensureDir();
    const QString path = currentDocumentPath();
    DocumentFile::Lock lock(path);
    if (!lock.held())
        // clang-format off
        return refuse(LanguageManager::localized(QStringLiteral("另一个程序一直占用着文稿，没有保存")));
    // clang-format on

    bool adopted = false;
    for (int attempt = 1;; ++attempt) {
        // What another program may have written since this store last read
        // or wrote the file is never replaced unseen.
        DocumentFile::Read disk = DocumentFile::read(path);
        const auto changedOutside = [this, &disk] {
            return disk.kind == DocumentFile::Read::Kind::read && m_file.changedSinceKnown(disk);
        };
        std::optional<Persisted> outside;
        QString error;
        if (changedOutside()) {
            outside = decodeDocument(disk.bytes, &error);
            if (!outside) {
                disk = settledRead(path, std::move(disk));
                if (changedOutside())
                    outside = decodeDocument(disk.bytes, &error);
            }
        }
        if (disk.kind == DocumentFile::Read::Kind::unreadable) {
            m_readFailed = true;
            m_lastLoadError = disk.error;
            // clang-format off
            return refuse(LanguageManager::localized(QStringLiteral("文稿暂时无法读取，为免覆盖其中的内容，没有保存：%@"), {disk.error}), adopted);
            // clang-format on
        }
        m_readFailed = false;

        const Persisted memory{m_roots, m_isPublished};
        Persisted next = memory;
        std::optional<QString> setAside;
        if (m_unreadablePath == path && !m_file.changedSinceKnown(disk))
            setAside = m_lastLoadError.value_or(QString());
        if (outside) {
            m_lastLoadError.reset();
            // Changes of ours not yet saved (a failed save, an undo) are
            // joined with the other version rather than replace it.
            next = memory == m_synced ? *outside : DocumentMerge::merge(m_synced, memory, *outside);
            m_synced = *outside;
            rememberVersion(m_synced);
            m_file.setKnown(disk.print);
            adopted = true;
        } else if (changedOutside()) {
            m_lastLoadError = error;
            setAside = error;
        }
        m_unreadablePath.reset();
        m_settling.reset();

        const bool ownChange = edit && attempt == 1;
        if (!ownChange && adopted && next == m_synced) {
            // Nothing of our own to write: the file already holds this.
            adopt(next);
            m_lastSaveError.reset();
            Q_EMIT adoptedOutsideVersion();
            Q_EMIT changed();
            return true;
        }
        if (ownChange && !edit(next)) {
            if (adopted) {
                adopt(next);
                Q_EMIT adoptedOutsideVersion();
                Q_EMIT changed();
            } else if (setAside && disk.print.exists) {
                // Still undecodable: moved aside when an edit goes through.
                m_unreadablePath = path;
            }
            return false;
        }
        adopt(next);

        const QByteArray bytes = ScriptDocument::encode(next);
        if (bytes.isEmpty()) {
            if (setAside)
                m_unreadablePath = path;
            rollBack(adopted);
            m_lastSaveError = QStringLiteral("编码失败");
            Q_EMIT changed();
            return false;
        }

        DocumentFile::Read expected = disk;
        const bool movedAside = setAside && disk.print.exists;
        if (movedAside) {
            if (!moveUnreadableAside(path, *setAside)) {
                m_unreadablePath = path;
                return refuse(QStringLiteral("the unreadable document could not be moved aside"),
                              adopted);
            }
            expected.print = DocumentFile::Fingerprint{};
        }

        QString reason;
        // A writer that came in through a replaced lock file has had its
        // turn by now; replace() then sees what it wrote.
        const DocumentFile::Outcome outcome =
            lock.followReplacement()
                ? m_file.replace(path, bytes, expected, !movedAside, &reason)
                : DocumentFile::Outcome::changedMeanwhile;
        if (outcome == DocumentFile::Outcome::changedMeanwhile && attempt < replaceAttempts)
            continue; // again on the newer version, with this change kept in memory
        if (outcome != DocumentFile::Outcome::written) {
            m_file.setKnown(expected.print);
            if (outcome == DocumentFile::Outcome::changedMeanwhile)
                // clang-format off
                reason = LanguageManager::localized(QStringLiteral("另一个程序一直占用着文稿，没有保存"));
            // clang-format on
            return refuse(reason, adopted);
        }
        m_lastSaveError.reset();
        m_loadedUnreachable = false;
        m_synced = next;
        rememberVersion(m_synced);
        // The save may have made the folder: the watch follows.
        watchCurrentDocument();
        if (adopted)
            Q_EMIT adoptedOutsideVersion();
        Q_EMIT changed();
        return true;
    }
}
