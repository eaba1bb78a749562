#pragma once

#include "instance/InstanceProtocol.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class LocalServer;
class LocalSocket;
class QTimer;

// One request from another process: its arguments and working folder, and
// the way back. Lives as long as the connection; use it as the context of
// any connection that writes to it.
class InstanceRequest : public QObject
{
    Q_OBJECT
public:
    const QStringList &arguments() const { return m_arguments; }
    const QString &workingDirectory() const { return m_workingDirectory; }

    void writeStandardOutput(const QString &text);
    void writeStandardError(const QString &text);
    // The answer's last message; the connection closes once it is written.
    void finish(int status);
    bool isFinished() const { return m_finished; }

private:
    friend class InstanceServer;
    InstanceRequest(LocalSocket *socket, QStringList arguments, QString workingDirectory,
                    QObject *parent);
    void sendFrame(const QByteArray &frame);

    QPointer<LocalSocket> m_socket;
    QStringList m_arguments;
    QString m_workingDirectory;
    bool m_finished = false;
};

// Serves the instance's socket: reads one request per connection and hands
// it to the handler once the client, told the instance is ready, proceeds.
// Every request is answered, also a malformed one and one that arrives
// before a handler is set.
class InstanceServer : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(InstanceRequest *request)>;

    explicit InstanceServer(QObject *parent = nullptr);
    ~InstanceServer() override;

    // The caller must hold the instance lock: a socket file already at the
    // path is taken to be left over and is removed.
    bool listen(const QString &socketPath);
    void close();
    QString errorString() const { return m_error; }

    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // A client that sends no complete request, or does not proceed, is
    // dropped after this.
    void setRequestTimeout(int milliseconds) { m_requestTimeout = milliseconds; }

private:
    struct Pending;
    void accept();
    void read(LocalSocket *socket, Pending &pending);

    LocalServer *m_server;
    Handler m_handler;
    QString m_error;
    int m_requestTimeout = 10000;
};
