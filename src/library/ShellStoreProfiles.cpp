// Switching the current document, adding and removing profiles, cloud sync.

#include "library/ShellStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

void ShellStore::switchTo(const QUuid &profileID, std::optional<QString> copyIfMissingFrom)
{
    const std::optional<Profile> target = m_profiles.find(profileID);
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
    if (!untouchedUnreadable &&
        (ProfileRegistry::isBuiltIn(currentProfileID()) || QFileInfo::exists(current)))
        save();
}

void ShellStore::enter(const Profile &target, const std::optional<QString> &copyIfMissingFrom)
{
    QDir().mkpath(QFileInfo(target.path).absolutePath());
    if (!QFileInfo::exists(target.path) && copyIfMissingFrom &&
        QFileInfo(*copyIfMissingFrom).isFile()) // never a pipe: copying would wait
        QFile::copy(*copyIfMissingFrom, target.path);

    m_profiles.makeCurrent(target.id);
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
    m_profiles.addCustom(profile);
    Q_EMIT changed();
    switchTo(profile.id, std::nullopt);
}

void ShellStore::removeProfile(const QUuid &id, bool deleteFile)
{
    const std::optional<Profile> removed = m_profiles.findCustom(id);
    if (!removed || ProfileRegistry::isBuiltIn(id))
        return;
    if (deleteFile)
        QFile::remove(removed->path);
    m_profiles.removeCustom(id);
    if (currentProfileID() == id) {
        m_profiles.makeCurrent(Profile::localProfileID);
        load();
    }
    Q_EMIT changed();
}

void ShellStore::setSyncFromiCloud(bool on)
{
    const QUuid target = on ? Profile::iCloudProfileID : Profile::localProfileID;
    if (currentProfileID() == target)
        return;
    if (on)
        switchTo(target, currentDocumentPath());
    else
        switchTo(target, std::nullopt);
}

QString ShellStore::syncFolder() const
{
    return m_profiles.syncFolder();
}

void ShellStore::setSyncFolder(const QString &folder)
{
    const bool moves = m_profiles.movesSyncFolder(folder);
    const bool syncOn = currentProfileID() == Profile::iCloudProfileID;
    const QString previousDocument = currentDocumentPath();
    // Saved while the path still leads to the old folder: saved after the
    // change, the tree would overwrite a document already in the new one.
    if (moves && syncOn)
        saveBeforeLeaving();
    m_profiles.setSyncFolder(folder);
    if (!moves)
        return;
    if (syncOn)
        enter(iCloudProfile(), previousDocument);
    else
        Q_EMIT changed();
}
