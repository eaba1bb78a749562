#include "library/ProfileRegistry.h"

#include "library/ScriptDocument.h"
#include "library/ShellNode.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

const QString documentFileName = QStringLiteral("tallowBay.json");

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
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

std::optional<Profile> findIn(const QList<Profile> &list, const QUuid &id)
{
    for (const Profile &profile : list)
        if (profile.id == id)
            return profile;
    return std::nullopt;
}

QString chosenFolder(const QString &folder)
{
    return folder.trimmed().isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
}

} // namespace

ProfileRegistry::ProfileRegistry(Preferences &preferences, const Locations &locations)
    : m_preferences(preferences), m_locations(locations),
      m_currentProfileID(Profile::localProfileID)
{
    m_syncFolder = PreferenceKeys::syncFolder.read(m_preferences).trimmed();
}

QString ProfileRegistry::localBase() const
{
    return QDir(m_locations.documents).filePath(QStringLiteral("FennickTallowBay"));
}

Profile ProfileRegistry::localProfile() const
{
    return Profile{Profile::localProfileID, QStringLiteral("本机文稿"),
                   QDir(localBase()).filePath(documentFileName)};
}

Profile ProfileRegistry::iCloudProfile() const
{
    const QString folder = QDir(syncFolder()).filePath(QStringLiteral("tallowBay"));
    return Profile{Profile::iCloudProfileID, QStringLiteral("iCloud 云盘"),
                   QDir(folder).filePath(documentFileName)};
}

QList<Profile> ProfileRegistry::profiles() const
{
    QList<Profile> list{localProfile(), iCloudProfile()};
    for (const Profile &profile : m_customProfiles)
        if (fileExists(profile.path))
            list.append(profile);
    return list;
}

std::optional<Profile> ProfileRegistry::find(const QUuid &id) const
{
    return findIn(profiles(), id);
}

std::optional<QString> ProfileRegistry::missingFolder(const Profile &profile)
{
    if (isBuiltIn(profile.id) || profile.path.isEmpty())
        return std::nullopt;
    const QString folder = QFileInfo(profile.path).absolutePath();
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    return folder;
}

QList<Profile> ProfileRegistry::unreachableProfiles() const
{
    QList<Profile> list;
    for (const Profile &profile : m_customProfiles)
        if (missingFolder(profile))
            list.append(profile);
    return list;
}

std::optional<QString> ProfileRegistry::currentMissingFolder() const
{
    const std::optional<Profile> custom = findCustom(m_currentProfileID);
    return custom ? missingFolder(*custom) : std::nullopt;
}

std::optional<Profile> ProfileRegistry::findKnown(const QUuid &id) const
{
    if (std::optional<Profile> listed = find(id))
        return listed;
    return findIn(unreachableProfiles(), id);
}

std::optional<Profile> ProfileRegistry::findCustom(const QUuid &id) const
{
    return findIn(m_customProfiles, id);
}

Profile ProfileRegistry::currentProfile() const
{
    return findKnown(m_currentProfileID).value_or(localProfile());
}

// Where load and save go. Unlike currentProfile(), a current custom profile
// whose file has gone keeps its own path: falling back to the local document
// here would write that tree over it.
QString ProfileRegistry::currentDocumentPath() const
{
    if (m_currentProfileID == Profile::iCloudProfileID)
        return iCloudProfile().path;
    if (const std::optional<Profile> custom = findCustom(m_currentProfileID))
        return custom->path;
    return localProfile().path;
}

void ProfileRegistry::makeCurrent(const QUuid &id)
{
    m_currentProfileID = id;
    PreferenceKeys::currentProfileID.write(m_preferences, uuidText(id));
}

bool ProfileRegistry::chooseStartProfile()
{
    if (const std::optional<QString> stored =
            PreferenceKeys::currentProfileID.stored(m_preferences)) {
        const QUuid id = ScriptDocument::isUuidText(*stored) ? QUuid::fromString(*stored) : QUuid();
        // A document on a disk that is not mounted stays the current one:
        // commands then fail instead of using the local document.
        if (!id.isNull() && findKnown(id)) {
            m_currentProfileID = id;
            return false;
        }
    }
    if (PreferenceKeys::syncICloud.read(m_preferences)) {
        makeCurrent(Profile::iCloudProfileID);
        return false;
    }
    makeCurrent(Profile::localProfileID);
    return true;
}

void ProfileRegistry::addCustom(const Profile &profile)
{
    m_customProfiles.append(profile);
    persistCustomProfiles();
}

void ProfileRegistry::removeCustom(const QUuid &id)
{
    m_customProfiles.removeIf([&id](const Profile &profile) { return profile.id == id; });
    persistCustomProfiles();
}

void ProfileRegistry::loadCustomProfiles()
{
    if (const std::optional<QByteArray> data = PreferenceKeys::customProfiles.stored(m_preferences))
        if (std::optional<QList<Profile>> decoded = decodeProfiles(*data))
            m_customProfiles = std::move(*decoded);
}

void ProfileRegistry::persistCustomProfiles()
{
    PreferenceKeys::customProfiles.write(m_preferences, encodeProfiles(m_customProfiles));
}

bool ProfileRegistry::pruneMissingProfiles(bool *currentLost)
{
    *currentLost = false;
    QList<Profile> kept;
    for (const Profile &profile : m_customProfiles)
        if (fileExists(profile.path) || missingFolder(profile))
            kept.append(profile);
    if (kept.size() == m_customProfiles.size())
        return false;
    m_customProfiles = kept;
    persistCustomProfiles();
    if (!findKnown(m_currentProfileID)) {
        makeCurrent(Profile::localProfileID);
        *currentLost = true;
    }
    return true;
}

bool ProfileRegistry::isBuiltIn(const QUuid &id)
{
    return id == Profile::localProfileID || id == Profile::iCloudProfileID;
}

QString ProfileRegistry::syncFolder() const
{
    return m_syncFolder.isEmpty() ? m_locations.cloudDrive : m_syncFolder;
}

bool ProfileRegistry::movesSyncFolder(const QString &folder) const
{
    const QString chosen = chosenFolder(folder);
    return (chosen.isEmpty() ? m_locations.cloudDrive : chosen) != syncFolder();
}

void ProfileRegistry::setSyncFolder(const QString &folder)
{
    m_syncFolder = chosenFolder(folder);
    PreferenceKeys::syncFolder.write(m_preferences, m_syncFolder);
}
