#pragma once

#include "library/DocumentFile.h"
#include "library/NodePlacement.h"
#include "library/Persisted.h"
#include "library/Profile.h"
#include "library/ProfileRegistry.h"
#include "library/ShellNode.h"
#include "library/SortMode.h"
#include "platform/Locations.h"

#include <QDateTime>
#include <QObject>
#include <QUrl>

#include <functional>
#include <optional>

class DocumentWatcher;
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
    QUuid currentProfileID() const { return m_profiles.currentProfileID(); }
    const QList<Profile> &customProfiles() const { return m_profiles.customProfiles(); }

    // How the line save() prints on a failed write begins.
    static constexpr QStringView saveFailedPrefix = u"[ShellStore] 保存失败 ";
    const std::optional<QString> &lastSaveError() const { return m_lastSaveError; }
    // Why the current document could not be read or decoded. An undecodable
    // one is moved aside before a save replaces it; one that could not be
    // read is left alone, and saves are refused until it can be read.
    const std::optional<QString> &lastLoadError() const { return m_lastLoadError; }
    // Where an undecodable document was moved before a save replaced it: one
    // found at start, or one another program wrote meanwhile.
    const std::optional<QString> &movedAsidePath() const { return m_movedAsidePath; }
    // Why the last edit was refused (nested too deeply, its folder gone); none
    // after an edit that went through.
    const std::optional<QString> &lastEditError() const { return m_lastEditError; }

    // Computed once per change of roots or of the sort mode, not per read.
    const QList<ShellNode> &displayRoots() const;

    // Profiles and locations.
    const Locations &locations() const { return m_profiles.locations(); }
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
    // The current document's folder while it is missing (a disk that is not
    // mounted): nothing is read from or saved to the document, and no other
    // document stands in for it.
    std::optional<QString> unreachableFolder() const { return m_profiles.currentMissingFolder(); }
    // Custom profiles whose folder is missing: kept, though not in profiles().
    QList<Profile> unreachableProfiles() const { return m_profiles.unreachableProfiles(); }
    // Loads the current document when its folder has come back since it was
    // found missing; whether it can be reached now.
    bool checkReachable();

    // Loading and saving. A save first compares the file with what was last
    // read or written: an edit made meanwhile by another program is loaded and
    // the store's own operation applied on top of it.
    void load();
    bool save();
    // Loads changes other programs make to the current document as they
    // happen (the tree and every view of it follow), and at once those made
    // since the load. Off until started.
    void startWatching();
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
    // The folder standing in for the cloud drive: the user's choice, else
    // the platform's default. The cloud document is tallowBay/tallowBay.json in it.
    QString syncFolder() const;
    // Stores the choice (empty: back to the default). With sync on, the store
    // moves to the document in the new folder, copying the current document
    // there when the new folder has none.
    void setSyncFolder(const QString &folder);

    // Tests pin the clock; the default is the system clock.
    void setClock(std::function<QDateTime()> clock);
    QDateTime now() const;
    // Where diagnostic lines go; standard output unless a test captures them.
    void setLineSink(std::function<void(const QString &)> sink);

public Q_SLOTS:
    // The application shell connects this to "application became active".
    void applicationDidBecomeActive();

Q_SIGNALS:
    // Any published field except lastRunMessage changed (tree, flag, sort,
    // profiles, and the load, save and set-aside notes above).
    void changed();
    void lastRunMessageChanged();
    // A version written by another program was taken in; announced just
    // before its changed(). Undo must not write an older tree over it.
    void adoptedOutsideVersion();
    // The current document could not be decoded and was moved aside before
    // a save; told once per move.
    void documentMovedAside(const QString &asidePath, const QString &reason);
    // A change that could not be saved was taken back, so the tree is again
    // what the document holds; announced just before its changed().
    void rolledBack();
    // What a sync client's conflict copy held was merged into the document
    // and the copy kept at keptAt; told once per copy.
    void conflictCopyTakenIn(const QString &copyPath, const QString &keptAt);

private:
    // An edit of the document; false when it cannot be applied (nothing saved).
    using Edit = std::function<bool(Persisted &)>;
    std::optional<Persisted> decodeDocument(const QByteArray &bytes, QString *error);
    // Applies the edit on the newest version of the document and saves it.
    bool commit(const Edit &edit);
    void adopt(const Persisted &document);
    void watchCurrentDocument();
    void documentChangedOnDisk();
    void takeInOutsideVersion();
    void takeInConflictCopies();
    DocumentFile::Read settledRead(const QString &path, DocumentFile::Read disk);
    void rememberVersion(const Persisted &document);
    // Records a failed save and takes the unsaved change back; false.
    bool refuse(const QString &why, bool adoptedOutside = false);
    void rollBack(bool adoptedOutside);
    bool moveUnreadableAside(const QString &path, const QString &reason);

    void diagnose(const QString &message) const
    {
        if (m_diagnose)
            m_diagnose(message);
    }
    // Appends under the parent and saves; a null id when the parent is refused.
    QUuid appendNode(std::optional<QUuid> parent, const ShellNode &node);
    // Records why an edit is refused; false.
    bool refuseEdit(const QString &why);
    void printLine(const QString &line) const;
    // The first and the last steps of a switch.
    void saveBeforeLeaving();
    void enter(const Profile &target, const std::optional<QString> &copyIfMissingFrom);

    Preferences &m_preferences;
    ProfileRegistry m_profiles;
    DocumentFile m_file;
    DocumentWatcher *m_watcher = nullptr;
    QList<ShellNode> m_roots;
    mutable std::optional<QList<ShellNode>> m_displayRoots;
    mutable Forest::NameSortCache m_nameSortCache;
    bool m_isPublished = false;
    QString m_lastRunMessage;
    SortMode m_sortMode = SortMode::custom;
    std::function<void(const QString &)> m_diagnose;
    std::optional<QString> m_lastSaveError;
    std::optional<QString> m_lastLoadError;
    std::function<QDateTime()> m_clock;
    std::function<void(const QString &)> m_lineSink;
    // The current document exists but could not be read; it is moved aside
    // before the first save would overwrite it.
    std::optional<QString> m_unreadablePath;
    std::optional<QString> m_movedAsidePath;
    std::optional<QString> m_lastEditError;
    // The document exists but could not be read (permissions, I/O): saves
    // are refused rather than replace what could not be seen.
    bool m_readFailed = false;
    // The last load found the document's folder missing.
    bool m_loadedUnreachable = false;
    // The document as last read or written.
    Persisted m_synced;
    // The versions this run has read or written, oldest first.
    QList<Persisted> m_versions;
    // An undecodable version seen once, looked at again before it counts.
    std::optional<DocumentFile::Fingerprint> m_settling;
};
