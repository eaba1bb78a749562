#include "library/ShellStore.h"

#include "language/LanguageManager.h"
#include "library/DocumentMerge.h"
#include "library/DocumentWatcher.h"
#include "library/ScriptDocument.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

ShellStore::ShellStore(Preferences &preferences, const Locations &locations, QObject *parent)
    : QObject(parent), m_preferences(preferences), m_profiles(preferences, locations)
{
    loadCustomProfiles();
    pruneMissingProfiles();
    if (m_profiles.chooseStartProfile())
        migrateIfNeeded();
    if (const std::optional<SortMode> mode = PreferenceKeys::sortMode.stored(m_preferences))
        setSortMode(*mode);
    ensureDir();
    load();
}

ShellStore::~ShellStore() = default;

// Published fields.

void ShellStore::setRoots(const QList<ShellNode> &roots)
{
    m_roots = roots;
    m_displayRoots.reset();
    Q_EMIT changed();
}

void ShellStore::setPublished(bool published)
{
    commit([published](Persisted &document) {
        document.isPublished = published;
        return true;
    });
}

void ShellStore::setLastRunMessage(const QString &message)
{
    if (m_lastRunMessage == message)
        return;
    m_lastRunMessage = message;
    Q_EMIT lastRunMessageChanged();
}

void ShellStore::setSortMode(SortMode mode)
{
    PreferenceKeys::sortMode.write(m_preferences, mode);
    if (m_sortMode == mode)
        return;
    m_sortMode = mode;
    m_displayRoots.reset();
    Q_EMIT changed();
}

const QList<ShellNode> &ShellStore::displayRoots() const
{
    if (!m_displayRoots)
        m_displayRoots =
            m_sortMode == SortMode::name ? m_nameSortCache.sortedTree(m_roots) : m_roots;
    return *m_displayRoots;
}

// Profiles and locations.

QString ShellStore::localBase() const
{
    return m_profiles.localBase();
}

Profile ShellStore::localProfile() const
{
    return m_profiles.localProfile();
}

Profile ShellStore::iCloudProfile() const
{
    return m_profiles.iCloudProfile();
}

QList<Profile> ShellStore::profiles() const
{
    return m_profiles.profiles();
}

Profile ShellStore::currentProfile() const
{
    return m_profiles.currentProfile();
}

QString ShellStore::currentDocumentPath() const
{
    return m_profiles.currentDocumentPath();
}

void ShellStore::loadCustomProfiles()
{
    m_profiles.loadCustomProfiles();
}

void ShellStore::persistCustomProfiles()
{
    m_profiles.persistCustomProfiles();
}

void ShellStore::pruneMissingProfiles()
{
    bool currentLost = false;
    if (!m_profiles.pruneMissingProfiles(&currentLost))
        return;
    // The tree in memory belongs to the vanished document; the next save
    // would write it over the local document.
    if (currentLost)
        load();
    Q_EMIT changed();
}

void ShellStore::applicationDidBecomeActive()
{
    pruneMissingProfiles();
    checkReachable();
    Q_EMIT changed();
}

bool ShellStore::checkReachable()
{
    if (unreachableFolder())
        return false;
    if (m_loadedUnreachable)
        load();
    return true;
}

// Loading and saving.

void ShellStore::ensureDir()
{
    // Made anew, it would hold the document on the disk beneath the mount point.
    if (unreachableFolder())
        return;
    QDir().mkpath(QFileInfo(currentDocumentPath()).absolutePath());
}

void ShellStore::migrateIfNeeded()
{
    const QString target = currentDocumentPath();
    if (QFileInfo::exists(target))
        return;
    const QString documentsOlder =
        QDir(locations().documents).filePath(QStringLiteral("tallowBay/tallowBay.json"));
    const QString supportOlder =
        QDir(locations().applicationSupport)
            .filePath(QStringLiteral("com.kestwick.fennick-tallowBay/shells.json"));
    for (const QString &older : {documentsOlder, supportOlder}) {
        if (QFileInfo(older).isFile()) {
            ensureDir();
            QFile::copy(older, target);
            return;
        }
    }
}

std::optional<Persisted> ShellStore::decodeDocument(const QByteArray &bytes, QString *error)
{
    ScriptDocument::Decoded decoded = ScriptDocument::decode(bytes, referenceTimestamp(now()));
    if (!decoded) {
        *error = decoded.error;
        return std::nullopt;
    }
    // A hand edit or a merge may repeat an id; one edit must touch one node.
    // The first keeps its id, so whatever refers to it still does.
    int replaced = 0;
    decoded.persisted->roots = Forest::withUniqueIDs(decoded.persisted->roots, &replaced);
    if (replaced > 0)
        // clang-format off
        printLine(QStringLiteral("[ShellStore] ") + LanguageManager::localized(QStringLiteral("文稿中有 %@ 个节点与前面的节点 id 相同，已换上新的 id"), {QString::number(replaced)}));
    // clang-format on
    return decoded.persisted;
}

void ShellStore::adopt(const Persisted &document)
{
    m_roots = document.roots;
    m_displayRoots.reset();
    m_isPublished = document.isPublished;
}

void ShellStore::load()
{
    ensureDir();
    const QString path = currentDocumentPath();
    m_unreadablePath.reset();
    m_lastLoadError.reset();
    m_movedAsidePath.reset();
    m_readFailed = false;
    m_loadedUnreachable = unreachableFolder().has_value();

    const DocumentFile::Read disk = DocumentFile::read(path);
    m_file.setKnown(disk.print);
    std::optional<Persisted> document;
    if (disk.kind == DocumentFile::Read::Kind::read) {
        QString error;
        document = decodeDocument(disk.bytes, &error);
        if (!document) {
            m_lastLoadError = error;
            m_unreadablePath = path;
        }
    } else if (disk.kind == DocumentFile::Read::Kind::unreadable) {
        m_lastLoadError = disk.error;
        m_readFailed = true;
    }
    // A document that exists but cannot be used shows as an empty tree,
    // never as the tree of the document open before it.
    m_synced = document.value_or(Persisted{});
    m_versions.clear();
    m_settling.reset();
    rememberVersion(m_synced);
    adopt(m_synced);
    watchCurrentDocument();
    Q_EMIT changed();
}

void ShellStore::startWatching()
{
    if (m_watcher)
        return;
    m_watcher = new DocumentWatcher(this);
    connect(m_watcher, &DocumentWatcher::changed, this, &ShellStore::documentChangedOnDisk);
    // Watching may start a while after the load: a version written in
    // between is taken in now.
    documentChangedOnDisk();
}

void ShellStore::watchCurrentDocument()
{
    if (m_watcher)
        m_watcher->watch(currentDocumentPath());
}

void ShellStore::documentChangedOnDisk()
{
    watchCurrentDocument();
    takeInOutsideVersion();
    takeInConflictCopies();
}

void ShellStore::takeInOutsideVersion()
{
    const QString path = currentDocumentPath();
    // Gone (perhaps on its way to being replaced): the tree stays, and the
    // next save writes it again.
    if (!QFileInfo(path).isFile())
        return;
    // Read and compared whole, also after the store's own save: a change of
    // the same size may keep the time stamp within its resolution.
    const DocumentFile::Read disk = DocumentFile::read(path);
    if (disk.kind == DocumentFile::Read::Kind::unreadable) {
        m_readFailed = true;
        m_lastLoadError = disk.error;
        Q_EMIT changed();
        return;
    }
    if (disk.kind != DocumentFile::Read::Kind::read || !m_file.changedSinceKnown(disk))
        return;
    // Changes of ours that could not be saved: the next save merges them
    // with this version.
    if (Persisted{m_roots, m_isPublished} != m_synced)
        return;
    QString error;
    std::optional<Persisted> outside = decodeDocument(disk.bytes, &error);
    if (!outside) {
        // Perhaps half written: looked at again once it has stayed so for
        // a moment; only then does a save move it aside.
        if (!m_settling || !m_settling->sameContent(disk.print)) {
            m_settling = disk.print;
            m_watcher->recheckLater();
            return;
        }
        m_settling.reset();
        m_readFailed = false;
        m_file.setKnown(disk.print);
        m_lastLoadError = error;
        m_unreadablePath = path;
        Q_EMIT changed();
        return;
    }
    m_settling.reset();
    m_readFailed = false;
    m_loadedUnreachable = false;
    m_file.setKnown(disk.print);
    m_lastLoadError.reset();
    m_unreadablePath.reset();
    m_synced = *outside;
    rememberVersion(m_synced);
    adopt(m_synced);
    Q_EMIT adoptedOutsideVersion();
    Q_EMIT changed();
}

// A sync client that met two versions at once keeps one as the document
// and the other as a copy beside it: what the copy adds or changes joins the
// document, and the copy is kept aside, told once.
void ShellStore::takeInConflictCopies()
{
    const QString path = currentDocumentPath();
    for (const QString &copy : DocumentFile::conflictCopies(path)) {
        const DocumentFile::Read disk = DocumentFile::read(copy);
        const ScriptDocument::Decoded decoded =
            disk.kind == DocumentFile::Read::Kind::read
                ? ScriptDocument::decode(disk.bytes, referenceTimestamp(now()))
                : ScriptDocument::Decoded{};
        if (!decoded)
            continue; // perhaps still arriving: its next notification brings it again
        Persisted other = *decoded.persisted;
        other.roots = Forest::withUniqueIDs(other.roots);
        // The oldest version this run knows stands for the one both grew from.
        const Persisted base = m_versions.size() > 1 ? m_versions.first() : Persisted{};
        const bool merged = commit([&base, &other](Persisted &document) {
            document = DocumentMerge::merge(base, other, document, DocumentMerge::keepRemoved);
            return true;
        });
        if (!merged)
            return;
        const std::optional<QString> aside =
            DocumentFile::moveAside(copy, path, QStringLiteral("conflict"), now());
        const QString keptAt = aside.value_or(copy);
        // clang-format off
        printLine(QStringLiteral("[ShellStore] ") + LanguageManager::localized(QStringLiteral("同步冲突副本 %@ 中的更改已并入文稿，副本已移到 %@"), {copy, keptAt}));
        // clang-format on
        Q_EMIT conflictCopyTakenIn(copy, keptAt);
        if (!aside)
            return; // not again and again: it stays until it can be moved
    }
}

// Clock and diagnostics.

void ShellStore::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

QDateTime ShellStore::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void ShellStore::setLineSink(std::function<void(const QString &)> sink)
{
    m_lineSink = std::move(sink);
}

void ShellStore::printLine(const QString &line) const
{
    if (m_lineSink) {
        m_lineSink(line);
        return;
    }
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
