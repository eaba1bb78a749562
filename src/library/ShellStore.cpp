#include "library/ShellStore.h"

#include "library/ScriptDocument.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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
    m_isPublished = published;
    Q_EMIT changed();
    save();
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
        m_displayRoots = m_sortMode == SortMode::name ? Forest::sortedByNameTree(m_roots) : m_roots;
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
    const QString folder = QDir(m_locations.cloudDrive).filePath(QStringLiteral("tallowBay"));
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

void ShellStore::load()
{
    ensureDir();
    const QString path = currentDocumentPath();
    m_unreadablePath.reset();
    m_lastLoadError.reset();
    m_movedAsidePath.reset();

    // Only a regular file is read: a folder or a pipe at that path is no
    // document, and reading a pipe would block.
    std::optional<ScriptDocument::Decoded> decoded;
    if (QFileInfo(path).isFile()) {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            decoded = ScriptDocument::decode(bytes, referenceTimestamp(now()));
        else
            m_lastLoadError = file.errorString();
    }

    if (decoded && *decoded) {
        m_roots = std::move(decoded->persisted->roots);
        m_displayRoots.reset();
        m_isPublished = decoded->persisted->isPublished;
    } else {
        // A document that exists but cannot be used shows as an empty tree,
        // never as the tree of the document open before it.
        if (decoded)
            m_lastLoadError = decoded->error;
        if (m_lastLoadError)
            m_unreadablePath = path;
        m_roots.clear();
        m_displayRoots.reset();
        m_isPublished = false;
    }
    Q_EMIT changed();
}

bool ShellStore::moveUnreadableAside(const QString &path)
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
              m_lastLoadError.value_or(QString()));
    return true;
}

bool ShellStore::save()
{
    ensureDir();
    const QByteArray bytes = ScriptDocument::encode(Persisted{m_roots, m_isPublished});
    if (bytes.isEmpty()) {
        m_lastSaveError = QStringLiteral("编码失败");
        return false;
    }
    const QString path = currentDocumentPath();

    if (m_unreadablePath == path && QFileInfo::exists(path)) {
        if (!moveUnreadableAside(path)) {
            const QString reason =
                QStringLiteral("the unreadable document could not be moved aside");
            m_lastSaveError = reason;
            printLine(QStringLiteral("[ShellStore] 保存失败 ") + path + QStringLiteral("：") +
                      reason);
            return false;
        }
    }
    m_unreadablePath.reset();

    if (!m_snapshottedPaths.contains(path)) {
        m_snapshottedPaths.insert(path);
        if (fileExists(path)) {
            const QString backup = QDir(folderOf(path)).filePath(backupFileName);
            QFile::remove(backup);
            QFile::copy(path, backup);
        }
    }

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    if (written)
        written = file.commit();
    else
        file.cancelWriting();
    if (!written) {
        const QString reason = file.errorString();
        m_lastSaveError = reason;
        printLine(QStringLiteral("[ShellStore] 保存失败 ") + path + QStringLiteral("：") + reason);
        return false;
    }
    m_lastSaveError.reset();
    return true;
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
