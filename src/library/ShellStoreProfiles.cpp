// Switching the current document, adding and removing profiles, cloud sync.

#include "library/ShellStore.h"

#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

std::optional<Profile> findProfile(const QList<Profile> &list, const QUuid &id)
{
    for (const Profile &profile : list)
        if (profile.id == id)
            return profile;
    return std::nullopt;
}

bool isBuiltIn(const QUuid &id)
{
    return id == Profile::localProfileID || id == Profile::iCloudProfileID;
}

} // namespace

void ShellStore::switchTo(const QUuid &profileID, std::optional<QString> copyIfMissingFrom)
{
    const std::optional<Profile> target = findProfile(profiles(), profileID);
    if (!target)
        return;
    saveBeforeLeaving();
    enter(*target, copyIfMissingFrom);
}

void ShellStore::saveBeforeLeaving()
{
    // A custom document that was deleted or moved away is not recreated. An
    // unreadable document that nobody edited since is left as it is: the
    // empty stand-in tree holds nothing to save.
    const QString current = currentDocumentPath();
    const bool untouchedUnreadable = m_unreadablePath == current;
    if (!untouchedUnreadable && (isBuiltIn(m_currentProfileID) || QFileInfo::exists(current)))
        save();
}

void ShellStore::enter(const Profile &target, const std::optional<QString> &copyIfMissingFrom)
{
    QDir().mkpath(QFileInfo(target.path).absolutePath());
    if (!QFileInfo::exists(target.path) && copyIfMissingFrom &&
        QFileInfo(*copyIfMissingFrom).isFile()) // never a pipe: copying would wait
        QFile::copy(*copyIfMissingFrom, target.path);

    makeCurrent(target.id);
    load();
}

void ShellStore::addProfile(const QString &path, std::optional<QString> name)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const Profile &profile : profiles()) {
        if (profile.path == absolute) {
            switchTo(profile.id, std::nullopt);
            return;
        }
    }
    Profile profile;
    profile.id = QUuid::createUuid();
    profile.path = absolute;
    if (name && !name->isEmpty()) {
        profile.name = *name;
    } else {
        profile.name = QFileInfo(absolute).absoluteDir().dirName();
        if (profile.name.isEmpty()) // a document at the file-system root
            profile.name = QFileInfo(absolute).fileName();
    }
    m_customProfiles.append(profile);
    persistCustomProfiles();
    Q_EMIT changed();
    switchTo(profile.id, std::nullopt);
}

void ShellStore::removeProfile(const QUuid &id, bool deleteFile)
{
    const std::optional<Profile> removed = findProfile(m_customProfiles, id);
    if (!removed || isBuiltIn(id))
        return;
    if (deleteFile)
        QFile::remove(removed->path);
    m_customProfiles.removeIf([&id](const Profile &profile) { return profile.id == id; });
    persistCustomProfiles();
    if (m_currentProfileID == id) {
        makeCurrent(Profile::localProfileID);
        load();
    }
    Q_EMIT changed();
}

void ShellStore::setSyncFromiCloud(bool on)
{
    const QUuid target = on ? Profile::iCloudProfileID : Profile::localProfileID;
    if (m_currentProfileID == target)
        return;
    if (on)
        switchTo(target, currentDocumentPath());
    else
        switchTo(target, std::nullopt);
}

QString ShellStore::syncFolder() const
{
    return m_syncFolder.isEmpty() ? m_locations.cloudDrive : m_syncFolder;
}

void ShellStore::setSyncFolder(const QString &folder)
{
    const QString chosen =
        folder.trimmed().isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
    const QString before = syncFolder();
    const bool moves = (chosen.isEmpty() ? m_locations.cloudDrive : chosen) != before;
    const bool syncOn = m_currentProfileID == Profile::iCloudProfileID;
    const QString previousDocument = currentDocumentPath();
    // Saved while the path still leads to the old folder: saved after the
    // change, the tree would overwrite a document already in the new one.
    if (moves && syncOn)
        saveBeforeLeaving();
    m_syncFolder = chosen;
    m_preferences.setString(PreferenceKeys::syncFolder, chosen);
    if (!moves)
        return;
    if (syncOn)
        enter(iCloudProfile(), previousDocument);
    else
        Q_EMIT changed();
}
