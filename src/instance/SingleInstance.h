#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

class LocalSocket;
class QLockFile;
class InstanceServer;

// One running Orlenta per user and library. A lock file elects the instance;
// the instance then listens on a local socket beside it, in a folder only the
// user can enter, and every later start talks to it instead of starting again.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role { primary, secondary, failed };

    // Where the system keeps folders for each user; tests point them elsewhere.
    struct SystemFolders
    {
        QString runUser;
        QString tmp;
        QString home; // empty: the home the password database names
    };
    static SystemFolders systemFolders();

    // The folder where one user's processes meet. It never depends on the
    // environment: su, ssh and cron give one user different XDG_RUNTIME_DIRs
    // and homes, or none. <runUser>/<uid>/orlenta when the system keeps that
    // folder for the user; else <tmp>/orlenta-<uid>, or, when another user
    // took that name first, a folder in the home.
    static QString userFolder();
    static QString userFolder(const SystemFolders &system);

    // Names the instance of the library whose preferences are settingsFile,
    // however its path is spelt: two libraries of one user run apart.
    static QString keyFor(const QString &settingsFile);

    explicit SingleInstance(const QString &folder, const QString &key = QStringLiteral("instance"),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    QString folder() const { return m_folder; }
    QString lockPath() const;
    QString socketPath() const;

    // Either takes the lock (primary) or connects to the instance holding it
    // (secondary). A holder that neither listens nor lets go within patience
    // (it may be a command still busy in its own process) makes it fail; the
    // patience starts again whenever the lock changes hands. A busy instance
    // is waited for up to InstanceProtocol::acceptTimeout.
    Role elect(std::chrono::milliseconds patience = std::chrono::seconds(10));
    QString errorString() const { return m_error; }

    // Primary only: starts serving. A socket left behind by a killed
    // instance is removed first; the lock proves nobody else serves it.
    InstanceServer *listen();
    InstanceServer *server() const { return m_server; }

    // Secondary only: the connection to the running instance.
    std::unique_ptr<LocalSocket> takeConnection();

    // Stops serving and lets go of the lock (also done on destruction).
    void release();

    // Creates the folder when missing and makes sure it is ours and closed to
    // everyone else. Exposed for tests.
    static bool prepareFolder(const QString &folder, QString *error);

private:
    QString m_folder;
    QString m_key;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<LocalSocket> m_connection;
    InstanceServer *m_server = nullptr;
};
