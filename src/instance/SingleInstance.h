#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

class QLocalSocket;
class QLockFile;
class InstanceServer;

// One running Orlenta per user. A lock file elects the instance; the
// instance then listens on a local socket beside it, in a folder only the
// user can enter, and every later start talks to it instead of starting again.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Role { primary, secondary, failed };

    // $XDG_RUNTIME_DIR/orlenta, or the same folder inside the user's cache
    // folder that RuntimeDirectory::ensure() falls back to.
    static QString defaultFolder();

    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    QString folder() const { return m_folder; }
    QString lockPath() const;
    QString socketPath() const;

    // Either takes the lock (primary) or connects to the instance holding it
    // (secondary). A holder that neither answers nor lets go within patience
    // (it may be a command still busy in its own process) makes it fail.
    Role elect(std::chrono::milliseconds patience = std::chrono::seconds(10));
    QString errorString() const { return m_error; }

    // Primary only: starts serving. A socket left behind by a killed
    // instance is removed first; the lock proves nobody else serves it.
    InstanceServer *listen();
    InstanceServer *server() const { return m_server; }

    // Secondary only: the connection to the running instance.
    std::unique_ptr<QLocalSocket> takeConnection();

    // Stops serving and lets go of the lock (also done on destruction).
    void release();

    // Creates the folder when missing and makes sure it is ours and closed to
    // everyone else. Exposed for tests.
    static bool prepareFolder(const QString &folder, QString *error);

private:
    QString m_folder;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalSocket> m_connection;
    InstanceServer *m_server = nullptr;
};
