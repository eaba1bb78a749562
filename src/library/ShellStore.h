#pragma once

#include "library/NodePlacement.h"
#include "library/Persisted.h"
#include "library/Profile.h"
#include "library/ShellNode.h"
#include "library/SortMode.h"
#include "platform/Locations.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QUrl>

#include <functional>
#include <optional>

class Preferences;

// The one owner of the script library while the app runs. Every edit
// replaces roots as a whole and saves the document at once.
class ShellStore : public QObject
{
    Q_OBJECT
public:
    ShellStore(Preferences &preferences, const Locations &locations, QObject *parent = nullptr);
    ~ShellStore() override;

    // Published fields.
    const QList<ShellNode> &roots() const { return m_roots; }
    void setRoots(const QList<ShellNode> &roots);
    bool isPublished() const { return m_isPublished; }
    void setPublished(bool published); // sets the flag and saves
    const QString &lastRunMessage() const { return m_lastRunMessage; }
    void setLastRunMessage(const QString &message);
    SortMode sortMode() const { return m_sortMode; }
    void setSortMode(SortMode mode); // every assignment is written to the preferences
    QUuid currentProfileID() const { return m_currentProfileID; }
    const QList<Profile> &customProfiles() const { return m_customProfiles; }

    const std::optional<QString> &lastSaveError() const { return m_lastSaveError; }
    // Why the current document could not be read; it is moved aside before any save.
    const std::optional<QString> &lastLoadError() const { return m_lastLoadError; }
    // Where that unreadable document was moved before a save replaced it.
    const std::optional<QString> &movedAsidePath() const { return m_movedAsidePath; }

    // Computed once per change of roots or of the sort mode, not per read.
    const QList<ShellNode> &displayRoots() const;

    // Profiles and locations.
    const Locations &locations() const { return m_locations; }
    QString localBase() const;
    Profile localProfile() const;
    Profile iCloudProfile() const;
    QList<Profile> profiles() const;
    Profile currentProfile() const;
    // The file load() and save() use: the current profile's path, also while
    // its file is missing.
    QString currentDocumentPath() const;
    void loadCustomProfiles();
    void persistCustomProfiles();
    void pruneMissingProfiles();

    // Loading and saving.
    void load();
    bool save();
    void ensureDir();
    void migrateIfNeeded();

    // Editing.
    QUuid addFolder(std::optional<QUuid> to, const QString &name);
    QUuid addScript(std::optional<QUuid> to, const QString &path);
    QUuid importFolder(const QString &directory, std::optional<QUuid> into);
    void rename(const QUuid &id, const QString &name);
    void setArgs(const QUuid &id, const QStringList &args);
    void deleteNode(const QUuid &id); // roots.removing(id), then save()
    bool moveNode(const QUuid &id, std::optional<QUuid> toParent, std::optional<QUuid> before);
    // Where applyNodeDrop writes its decisions (the drop log); none by default.
    void setDiagnosticLog(std::function<void(const QString &)> log) { m_diagnose = std::move(log); }
    void applyNodeDrop(const QUuid &id, const NodePlacement &target);
    void applyFileDrop(const QList<QUrl> &urls, const NodePlacement &target);
    QString timestampFolderName() const;
    // A file taken as a script: extension ".sh" or ".command" in any letter case.
    static bool isScriptFileName(const QString &path);
    // Without spaces and tabs at either end; line breaks stay, as rename trims.
    static QString blankTrimmed(const QString &text);
    ShellNode buildTree(const QString &directory) const;

    // Profile switching and cloud sync.
    void switchTo(const QUuid &profileID, std::optional<QString> copyIfMissingFrom);
    void addProfile(const QString &path, std::optional<QString> name);
    void removeProfile(const QUuid &id, bool deleteFile);
    void setSyncFromiCloud(bool on);

    // Tests pin the clock; the default is the system clock.
    void setClock(std::function<QDateTime()> clock);
    QDateTime now() const;
    // Where diagnostic lines go; standard output unless a test captures them.
    void setLineSink(std::function<void(const QString &)> sink);

public Q_SLOTS:
    // The application shell connects this to "application became active".
    void applicationDidBecomeActive();

Q_SIGNALS:
    // Any published field except lastRunMessage changed (tree, flag, sort, profiles).
    void changed();
    void lastRunMessageChanged();

private:
    void diagnose(const QString &message) const
    {
        if (m_diagnose)
            m_diagnose(message);
    }
    // Top level, or an existing folder: nothing else may receive children.
    bool acceptsChildren(std::optional<QUuid> parent) const;
    // Appends under the parent and saves; a null id when the parent is refused.
    QUuid appendNode(std::optional<QUuid> parent, const ShellNode &node);

    Preferences &m_preferences;
    Locations m_locations;
    QList<ShellNode> m_roots;
    mutable std::optional<QList<ShellNode>> m_displayRoots;
    bool m_isPublished = false;
    QString m_lastRunMessage;
    SortMode m_sortMode = SortMode::custom;
    std::function<void(const QString &)> m_diagnose;
    QUuid m_currentProfileID;
    QList<Profile> m_customProfiles;
    QSet<QString> m_snapshottedPaths;
    std::optional<QString> m_lastSaveError;
    std::optional<QString> m_lastLoadError;
    std::function<QDateTime()> m_clock;
    std::function<void(const QString &)> m_lineSink;
    // The current document exists but could not be read; it is moved aside
    // before the first save would overwrite it.
    std::optional<QString> m_unreadablePath;
    std::optional<QString> m_movedAsidePath;

    void printLine(const QString &line) const;
    bool moveUnreadableAside(const QString &path);
    void makeCurrent(const QUuid &id);
    void chooseStartProfile();
};
