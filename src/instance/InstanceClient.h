#pragma once

#include "instance/InstanceProtocol.h"

#include "instance/LocalSocket.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QTimer;

// The starting process's side of a conversation with the running instance:
// sends one request and relays the answer as it arrives.
class InstanceClient : public QObject
{
    Q_OBJECT
public:
    explicit InstanceClient(std::unique_ptr<LocalSocket> socket, QObject *parent = nullptr);
    ~InstanceClient() override;

    // An instance that has not turned to the request after this long is
    // given up on, and then carries nothing out. Once it has turned to it,
    // the command is waited for however long it takes.
    void setIdleTimeout(int milliseconds);

    void send(const QStringList &args, const QString &workingDirectory);

    // Sends the request and waits in a local event loop for the answer,
    // passing text on as it comes. Returns the exit status.
    int exchange(const QStringList &args, const QString &workingDirectory,
                 const std::function<void(const QString &)> &standardOutput,
                 const std::function<void(const QString &)> &standardError);

Q_SIGNALS:
    void standardOutput(const QString &text);
    void standardError(const QString &text);
    // Emitted once: the instance's status, or 2 when the conversation failed.
    void finished(int status);

private:
    void read();
    void fail(const QString &why);

    std::unique_ptr<LocalSocket> m_socket;
    InstanceProtocol::FrameReader m_reader;
    QTimer *m_idle;
    bool m_done = false;
};
