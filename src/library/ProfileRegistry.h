#pragma once

#include "library/Profile.h"
#include "platform/Locations.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

class Preferences;

// The document locations: the two built-in profiles, the user's own ones
// (kept in the preferences) and which of them is current.
class ProfileRegistry
{
public:
    ProfileRegistry(Preferences &preferences, const Locations &locations);

    const Locations &locations() const { return m_locations; }
    QString localBase() const;
    Profile localProfile() const;
    Profile iCloudProfile() const;
    // The built-in profiles, then the custom ones whose file exists.
    QList<Profile> profiles() const;
    std::optional<Profile> find(const QUuid &id) const;
    // The folder of a custom document when it is missing (a disk not
    // mounted, a share not connected): such a profile is kept, never listed
    // in profiles(), and its folder is never made anew. None for a built-in
    // profile, whose folder is made as needed.
    static std::optional<QString> missingFolder(const Profile &profile);
    // The custom profiles whose folder is missing, in stored order.
    QList<Profile> unreachableProfiles() const;
    // The current document's folder when it is missing.
    std::optional<QString> currentMissingFolder() const;
    Profile currentProfile() const;
    QString currentDocumentPath() const;
    QUuid currentProfileID() const { return m_currentProfileID; }
    // Sets the current profile and stores the choice.
    void makeCurrent(const QUuid &id);
    // The stored choice when it still names a profile, else the older sync
    // setting, else the local profile; true when that last case applies.
    bool chooseStartProfile();

    const QList<Profile> &customProfiles() const { return m_customProfiles; }
    std::optional<Profile> findCustom(const QUuid &id) const;
    void addCustom(const Profile &profile);
    void removeCustom(const QUuid &id);
    void loadCustomProfiles();
    void persistCustomProfiles();
    // Drops custom profiles whose file is gone from a folder that is there;
    // false when none was. When
    // the current one went, *currentLost is set and the local one is current.
    bool pruneMissingProfiles(bool *currentLost);

    static bool isBuiltIn(const QUuid &id);

    QString syncFolder() const;
    // Whether choosing this folder (empty: the default) moves the cloud document.
    bool movesSyncFolder(const QString &folder) const;
    // Stores the choice.
    void setSyncFolder(const QString &folder);

private:
    // In profiles(), or unreachable for now.
    std::optional<Profile> findKnown(const QUuid &id) const;

    Preferences &m_preferences;
    Locations m_locations;
    QUuid m_currentProfileID;
    QList<Profile> m_customProfiles;
    QString m_syncFolder; // empty: the default, m_locations.cloudDrive
};
