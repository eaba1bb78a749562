#include "library/ShellStore.h"

#include "language/LanguageManager.h"
#include "library/ScriptDocument.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>

#include <cstdio>

namespace {

const QString documentFileName = QStringLiteral("tallowBay.json");
const QString backupFileName = QStringLiteral("tallowBay.session-backup.json");

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

QByteArray encodeProfiles(const QList<Profile> &profiles)
{
    QByteArray out("[");
    for (qsizetype i = 0; i < profiles.size(); ++i) {
        const Profile &profile = profiles.at(i);
        if (i > 0)
            out.append(',');
        out.append("{\"id\":\"");
        out.append(uuidText(profile.id).toLatin1());
        out.append("\",\"name\":");
        ScriptDocument::appendString(out, profile.name);
        out.append(",\"path\":");
        ScriptDocument::appendString(out, profile.path);
        out.append('}');
    }
    out.append(']');
    return out;
}

// All or nothing: one bad entry discards the whole list.
std::optional<QList<Profile>> decodeProfiles(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !json.isArray())
        return std::nullopt;
    QList<Profile> profiles;
    for (const QJsonValue &value : json.array()) {
        if (!value.isObject())
            return std::nullopt;
        const QJsonObject object = value.toObject();
        const QJsonValue id = object.value(QLatin1StringView("id"));
        const QJsonValue name = object.value(QLatin1StringView("name"));
        const QJsonValue path = object.value(QLatin1StringView("path"));
        if (!id.isString() || !name.isString() || !path.isString() ||
            !ScriptDocument::isUuidText(id.toString()))
            return std::nullopt;
        profiles.append(
            Profile{QUuid::fromString(id.toString()), name.toString(), path.toString()});
    }
    return profiles;
}

} // namespace

ShellStore::ShellStore(Preferences &preferences, const Locations &locations, QObject *parent)
    : QObject(parent), m_preferences(preferences), m_locations(locations),
      m_currentProfileID(Profile::localProfileID)
{
    m_syncFolder = m_preferences.string(PreferenceKeys::syncFolder).value_or(QString()).trimmed();
    loadCustomProfiles();
    pruneMissingProfiles();
    chooseStartProfile();
    if (const std::optional<QString> raw = m_preferences.string(PreferenceKeys::sortMode))
        if (const std::optional<SortMode> mode = sortModeFromRaw(*raw))
            setSortMode(*mode);
    ensureDir();
    load();
}

ShellStore::~ShellStore() = default;

void ShellStore::chooseStartProfile()
{
    if (const std::optional<QString> stored =
            m_preferences.string(PreferenceKeys::currentProfileID)) {
        const QUuid id = ScriptDocument::isUuidText(*stored) ? QUuid::fromString(*stored) : QUuid();
        if (!id.isNull()) {
            const QList<Profile> known = profiles();
            const bool found = std::any_of(known.cbegin(), known.cend(),
                                           [&id](const Profile &p) { return p.id == id; });
            if (found) {
                m_currentProfileID = id;
                return;
            }
        }
    }
    if (m_preferences.string(PreferenceKeys::syncICloud) == QStringLiteral("true")) {
        makeCurrent(Profile::iCloudProfileID);
        return;
    }
    makeCurrent(Profile::localProfileID);
    migrateIfNeeded();
}

void ShellStore::makeCurrent(const QUuid &id)
{
    m_currentProfileID = id;
    m_preferences.setString(PreferenceKeys::currentProfileID, uuidText(id));
}

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
    return QDir(m_locations.documents).filePath(QStringLiteral("FennickTallowBay"));
}

Profile ShellStore::localProfile() const
{
    return Profile{Profile::localProfileID, QStringLiteral("本机文稿"),
                   QDir(localBase()).filePath(documentFileName)};
}

Profile ShellStore::iCloudProfile() const
{
    const QString folder = QDir(syncFolder()).filePath(QStringLiteral("tallowBay"));
    return Profile{Profile::iCloudProfileID, QStringLiteral("iCloud 云盘"),
                   QDir(folder).filePath(documentFileName)};
}

QList<Profile> ShellStore::profiles() const
{
    QList<Profile> list{localProfile(), iCloudProfile()};
    for (const Profile &profile : m_customProfiles)
        if (fileExists(profile.path))
            list.append(profile);
    return list;
}

Profile ShellStore::currentProfile() const
{
    for (const Profile &profile : profiles())
        if (profile.id == m_currentProfileID)
            return profile;
    return localProfile();
}

// Where load and save go. Unlike currentProfile(), a current custom profile
// whose file has gone keeps its own path: falling back to the local document
// here would write that tree over it.
QString ShellStore::currentDocumentPath() const
{
    if (m_currentProfileID == Profile::iCloudProfileID)
        return iCloudProfile().path;
    for (const Profile &profile : m_customProfiles)
        if (profile.id == m_currentProfileID)
            return profile.path;
    return localProfile().path;
}

void ShellStore::loadCustomProfiles()
{
    if (const std::optional<QByteArray> data = m_preferences.data(PreferenceKeys::customProfiles))
        if (std::optional<QList<Profile>> decoded = decodeProfiles(*data))
            m_customProfiles = std::move(*decoded);
}

void ShellStore::persistCustomProfiles()
{
    m_preferences.setData(PreferenceKeys::customProfiles, encodeProfiles(m_customProfiles));
}

void ShellStore::pruneMissingProfiles()
{
    QList<Profile> kept;
    for (const Profile &profile : m_customProfiles)
        if (fileExists(profile.path))
            kept.append(profile);
    if (kept.size() == m_customProfiles.size())
        return;
    m_customProfiles = kept;
    persistCustomProfiles();
    const QList<Profile> known = profiles();
    const bool currentKnown = std::any_of(known.cbegin(), known.cend(), [this](const Profile &p) {
        return p.id == m_currentProfileID;
    });
    if (!currentKnown) {
        makeCurrent(Profile::localProfileID);
        // The tree in memory belongs to the vanished document; the next save
        // would write it over the local document.
        load();
    }
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
    QDir().mkpath(folderOf(currentDocumentPath()));
}

void ShellStore::migrateIfNeeded()
{
    const QString target = currentDocumentPath();
    if (fileExists(target))
        return;
    const QString documentsOlder =
        QDir(m_locations.documents).filePath(QStringLiteral("tallowBay/tallowBay.json"));
    const QString supportOlder =
        QDir(m_locations.applicationSupport)
            .filePath(QStringLiteral("com.kestwick.fennick-tallowBay/shells.json"));
    for (const QString &older : {documentsOlder, supportOlder}) {
        if (QFileInfo(older).isFile()) {
            ensureDir();
            QFile::copy(older, target);
            return;
        }
    }
}

struct ShellStore::DiskRead
{
    enum class Kind { missing, unreadable, read };
    Kind kind = Kind::missing;
    QByteArray bytes;
    QString error;
    Fingerprint print;
};

// Only a regular file is read: a folder or a pipe at that path is no
// document, and opening a pipe would block.
ShellStore::DiskRead ShellStore::readDocument(const QString &path) const
{
    DiskRead disk;
    if (!QFileInfo(path).isFile())
        return disk;
    disk.print.exists = true;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        disk.bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        disk.kind = DiskRead::Kind::unreadable;
        disk.error = file.errorString();
        return disk;
    }
    disk.kind = DiskRead::Kind::read;
    disk.print.size = disk.bytes.size();
    disk.print.modified = file.fileTime(QFileDevice::FileModificationTime);
    disk.print.hash = qHash(QByteArrayView(disk.bytes));
    return disk;
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

    const DiskRead disk = readDocument(path);
    m_known = disk.print;
    std::optional<Persisted> document;
    if (disk.kind == DiskRead::Kind::read) {
        QString error;
        document = decodeDocument(disk.bytes, &error);
        if (!document) {
            m_lastLoadError = error;
            m_unreadablePath = path;
        }
    } else if (disk.kind == DiskRead::Kind::unreadable) {
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
    const QFileInfo info(path);
    const QString stamp = now().toLocalTime().toString(QStringLiteral("yyMMddHHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    const QString stem = info.completeBaseName() + QStringLiteral(".unreadable-") + stamp;
    QString aside = info.dir().filePath(stem + suffix);
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = info.dir().filePath(stem + u'-' + QString::number(n) + suffix);
    if (!QFile::rename(path, aside))
        return false;
    m_movedAsidePath = aside;
    printLine(QStringLiteral("[ShellStore] 无法读取的文稿已移到 ") + aside + QStringLiteral("：") +
              reason);
    Q_EMIT documentMovedAside(aside, reason);
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

// Atomically: the old file stays whole until the new one is complete.
bool ShellStore::writeFile(const QString &path, const QByteArray &bytes, QString *reason) const
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
    const DiskRead disk = readDocument(path);
    if (disk.kind == DiskRead::Kind::unreadable) {
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
    if (m_unreadablePath == path && m_known.sameContent(disk.print))
        setAside = m_lastLoadError.value_or(QString());
    bool adopted = false;
    if (disk.kind == DiskRead::Kind::read && !disk.print.sameContent(m_known)) {
        QString error;
        if (std::optional<Persisted> outside = decodeDocument(disk.bytes, &error)) {
            m_lastLoadError.reset();
            if (memory == m_synced) {
                next = *outside;
                m_synced = *outside;
                m_known = disk.print;
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

    if (!m_snapshottedPaths.contains(path)) {
        m_snapshottedPaths.insert(path);
        QString ignored;
        if (disk.kind == DiskRead::Kind::read && !movedAside)
            writeFile(QDir(folderOf(path)).filePath(backupFileName), disk.bytes, &ignored);
    }

    QString reason;
    if (!writeFile(path, bytes, &reason)) {
        m_known = movedAside ? Fingerprint{} : disk.print;
        return refuse(reason);
    }
    m_lastSaveError.reset();
    m_synced = next;
    m_known.exists = true;
    m_known.size = bytes.size();
    m_known.modified = QFileInfo(path).lastModified();
    m_known.hash = qHash(QByteArrayView(bytes));
    Q_EMIT changed();
    return true;
}

void ShellStore::startWatching()
{
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    // Editors and sync clients write in steps: read once they are done.
    m_settle->setInterval(50);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
    connect(m_settle, &QTimer::timeout, this, &ShellStore::documentChangedOnDisk);
    // Watching may start a while after the load: a version written in
    // between is taken in now.
    documentChangedOnDisk();
}

// The folder too: a program that replaces the file (write a copy, rename it
// over) ends the watch on the file itself.
void ShellStore::watchCurrentDocument()
{
    if (!m_watcher)
        return;
    const QString path = currentDocumentPath();
    const QString folder = folderOf(path);
    QStringList stale;
    for (const QString &watched : m_watcher->files() + m_watcher->directories())
        if (watched != path && watched != folder)
            stale.append(watched);
    if (!stale.isEmpty())
        m_watcher->removePaths(stale);
    if (!m_watcher->directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher->addPath(folder);
    if (!m_watcher->files().contains(path) && QFileInfo(path).isFile())
        m_watcher->addPath(path);
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
    if (m_known.exists && info.size() == m_known.size && info.lastModified() == m_known.modified)
        return;
    const DiskRead disk = readDocument(path);
    if (disk.kind == DiskRead::Kind::unreadable) {
        m_readFailed = true;
        m_lastLoadError = disk.error;
        Q_EMIT changed();
        return;
    }
    if (disk.kind != DiskRead::Kind::read)
        return;
    if (disk.print.sameContent(m_known)) {
        m_known.modified = disk.print.modified;
        return;
    }
    // Changes of ours that could not be saved: the next save keeps the other
    // version aside rather than lose either.
    if (Persisted{m_roots, m_isPublished} != m_synced)
        return;
    m_readFailed = false;
    m_known = disk.print;
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
