#include "library/ShellStore.h"

#include "language/LanguageManager.h"
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
    if (const std::optional<QString> raw = m_preferences.string(PreferenceKeys::sortMode))
        if (const std::optional<SortMode> mode = sortModeFromRaw(*raw))
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
    m_preferences.setString(PreferenceKeys::sortMode, toRaw(mode));
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
    Q_EMIT changed();
}

// Loading and saving.

void ShellStore::ensureDir()
{
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
    adopt(m_synced);
    watchCurrentDocument();
    Q_EMIT changed();
}

bool ShellStore::moveUnreadableAside(const QString &path, const QString &reason)
{
    const std::optional<QString> aside = DocumentFile::moveAside(path, now());
    if (!aside)
        return false;
    m_movedAsidePath = aside;
    printLine(QStringLiteral("[ShellStore] 无法读取的文稿已移到 ") + *aside + QStringLiteral("：") +
              reason);
    Q_EMIT documentMovedAside(*aside, reason);
    return true;
}

bool ShellStore::refuse(const QString &why)
{
    m_lastSaveError = why;
    printLine(QStringLiteral("[ShellStore] 保存失败 ") + currentDocumentPath() +
              QStringLiteral("：") + why);
    Q_EMIT changed();
    return false;
}

bool ShellStore::save()
{
    return commit({});
}

bool ShellStore::commit(const Edit &edit)
{
    ensureDir();
    const QString path = currentDocumentPath();
    m_lastEditError.reset();

    // What another program may have written since this store last read or
    // wrote the file is never replaced unseen.
    const DocumentFile::Read disk = DocumentFile::read(path);
    if (disk.kind == DocumentFile::Read::Kind::unreadable) {
        m_readFailed = true;
        m_lastLoadError = disk.error;
        // clang-format off
        return refuse(LanguageManager::localized(QStringLiteral("文稿暂时无法读取，为免覆盖其中的内容，没有保存：%@"), {disk.error}));
        // clang-format on
    }
    m_readFailed = false;

    const Persisted memory{m_roots, m_isPublished};
    Persisted next = memory;
    std::optional<QString> setAside;
    if (m_unreadablePath == path && !m_file.changedSinceKnown(disk))
        setAside = m_lastLoadError.value_or(QString());
    bool adopted = false;
    if (disk.kind == DocumentFile::Read::Kind::read && m_file.changedSinceKnown(disk)) {
        QString error;
        if (std::optional<Persisted> outside = decodeDocument(disk.bytes, &error)) {
            m_lastLoadError.reset();
            if (memory == m_synced) {
                next = *outside;
                m_synced = *outside;
                m_file.setKnown(disk.print);
                adopted = true;
            } else {
                // clang-format off
                setAside = LanguageManager::localized(QStringLiteral("另一个程序同时修改了文稿，无法与未能保存的更改合并"));
                // clang-format on
            }
        } else {
            m_lastLoadError = error;
            setAside = error;
        }
    }
    m_unreadablePath.reset();

    if (!edit && adopted) {
        // Nothing of our own to write: the file already holds this.
        adopt(next);
        m_lastSaveError.reset();
        Q_EMIT adoptedOutsideVersion();
        Q_EMIT changed();
        return true;
    }
    if (edit && !edit(next)) {
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
        m_lastSaveError = QStringLiteral("编码失败");
        Q_EMIT changed();
        return false;
    }

    bool movedAside = false;
    if (setAside && QFileInfo::exists(path)) {
        if (!moveUnreadableAside(path, *setAside)) {
            m_unreadablePath = path;
            return refuse(QStringLiteral("the unreadable document could not be moved aside"));
        }
        movedAside = true;
    }

    m_file.backUpOnce(path, disk, !movedAside);

    QString reason;
    if (!DocumentFile::write(path, bytes, &reason)) {
        m_file.setKnown(movedAside ? DocumentFile::Fingerprint{} : disk.print);
        return refuse(reason);
    }
    m_lastSaveError.reset();
    m_synced = next;
    m_file.setKnown(DocumentFile::fingerprintOf(path, bytes));
    Q_EMIT changed();
    return true;
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
    const QString path = currentDocumentPath();
    const QFileInfo info(path);
    // Gone (perhaps on its way to being replaced): the tree stays, and the
    // next save writes it again.
    if (!info.isFile())
        return;
    // Our own save, or another file of the folder.
    const DocumentFile::Fingerprint &known = m_file.known();
    if (known.exists && info.size() == known.size && info.lastModified() == known.modified)
        return;
    const DocumentFile::Read disk = DocumentFile::read(path);
    if (disk.kind == DocumentFile::Read::Kind::unreadable) {
        m_readFailed = true;
        m_lastLoadError = disk.error;
        Q_EMIT changed();
        return;
    }
    if (disk.kind != DocumentFile::Read::Kind::read)
        return;
    if (!m_file.changedSinceKnown(disk)) {
        m_file.setKnown(disk.print);
        return;
    }
    // Changes of ours that could not be saved: the next save keeps the other
    // version aside rather than lose either.
    if (Persisted{m_roots, m_isPublished} != m_synced)
        return;
    m_readFailed = false;
    m_file.setKnown(disk.print);
    QString error;
    std::optional<Persisted> outside = decodeDocument(disk.bytes, &error);
    if (!outside) {
        // Perhaps half written; a later change may complete it. Until then
        // the tree stays, and a save first moves this file aside.
        m_lastLoadError = error;
        m_unreadablePath = path;
        Q_EMIT changed();
        return;
    }
    m_lastLoadError.reset();
    m_unreadablePath.reset();
    m_synced = *outside;
    adopt(m_synced);
    Q_EMIT adoptedOutsideVersion();
    Q_EMIT changed();
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
