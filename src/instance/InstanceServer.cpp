#include "instance/InstanceServer.h"

#include <QJsonArray>
#include "instance/LocalServer.h"
#include "instance/LocalSocket.h"

#include <QTimer>

#include <memory>

#include <sys/socket.h>

InstanceRequest::InstanceRequest(LocalSocket *socket, QStringList arguments,
                                 QString workingDirectory, QObject *parent)
    : QObject(parent), m_socket(socket), m_arguments(std::move(arguments)),
      m_workingDirectory(std::move(workingDirectory))
{}

void InstanceRequest::sendFrame(const QByteArray &frame)
{
    if (m_finished || !m_socket || !m_socket->isConnected())
        return;
    m_socket->write(frame);
}

void InstanceRequest::writeStandardOutput(const QString &text)
{
    for (const QString &piece : InstanceProtocol::textPieces(text))
        sendFrame(InstanceProtocol::standardOutputFrame(piece));
}

void InstanceRequest::writeStandardError(const QString &text)
{
    for (const QString &piece : InstanceProtocol::textPieces(text))
        sendFrame(InstanceProtocol::standardErrorFrame(piece));
}

void InstanceRequest::finish(int status)
{
    sendFrame(InstanceProtocol::frame(InstanceProtocol::exit(status)));
    m_finished = true;
    // Waits for the pending bytes, then closes; disconnected() ends this object.
    if (m_socket)
        m_socket->disconnectFromServer();
}

InstanceServer::InstanceServer(QObject *parent) : QObject(parent), m_server(new LocalServer(this))
{
    connect(m_server, &LocalServer::newConnection, this, &InstanceServer::accept);
}

InstanceServer::~InstanceServer()
{
    close();
}

bool InstanceServer::listen(const QString &socketPath)
{
    // A burst of commands queues in the kernel while one is carried out.
    if (!m_server->listen(socketPath, SOMAXCONN)) {
        m_error =
            QStringLiteral("cannot listen on %1: %2").arg(socketPath, m_server->errorString());
        return false;
    }
    return true;
}

void InstanceServer::close()
{
    m_server->close();
}

// One connection until its request is handed on.
struct InstanceServer::Pending
{
    InstanceProtocol::FrameReader reader;
    QTimer *timer = nullptr;
    // Read and answered "ready"; waits for the client to proceed.
    InstanceRequest *request = nullptr;
};

void InstanceServer::accept()
{
    while (LocalSocket *socket = m_server->nextPendingConnection()) {
        // The state and the timer belong to the connection and go with it.
        auto pending = std::make_shared<Pending>();
        pending->timer = new QTimer(socket);
        pending->timer->setSingleShot(true);
        connect(pending->timer, &QTimer::timeout, socket, [socket] { socket->abort(); });
        connect(socket, &LocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &LocalSocket::readyRead, this,
                [this, socket, pending] { read(socket, *pending); });
        pending->timer->start(m_requestTimeout);
        if (socket->bytesAvailable() > 0)
            read(socket, *pending);
    }
}

void InstanceServer::read(LocalSocket *socket, Pending &pending)
{
    if (!pending.timer->isActive())
        return; // handed on already; the handler answers
    pending.reader.append(socket->readAll());
    const auto refuse = [socket, &pending](const QString &why) {
        pending.timer->stop();
        socket->write(
            InstanceProtocol::standardErrorFrame(QStringLiteral("orlenta: %1\n").arg(why)));
        socket->write(InstanceProtocol::frame(InstanceProtocol::exit(2)));
        socket->disconnectFromServer();
    };
    while (std::optional<QJsonObject> message = pending.reader.next()) {
        const QString type = message->value(QStringLiteral("type")).toString();
        if (pending.request) {
            if (type != QStringLiteral("proceed")) {
                refuse(QStringLiteral("the running instance expected the client to proceed"));
                return;
            }
            pending.timer->stop();
            m_handler(pending.request);
            return;
        }
        const QJsonValue args = message->value(QStringLiteral("args"));
        if (type != QStringLiteral("request") || !args.isArray()) {
            refuse(QStringLiteral("the running instance received something that is not a request"));
            return;
        }
        if (!m_handler) {
            refuse(QStringLiteral("the running instance is not ready for commands yet"));
            return;
        }
        QStringList arguments;
        for (const QJsonValue &value : args.toArray())
            arguments.append(value.toString());
        pending.request = new InstanceRequest(
            socket, arguments, message->value(QStringLiteral("cwd")).toString(), socket);
        // Only now is it certain the client still waits: it may have given
        // up while the instance was busy, and must then find nothing done.
        socket->write(InstanceProtocol::frame(InstanceProtocol::ready()));
        pending.timer->start(m_requestTimeout);
    }
    if (pending.reader.failed())
        refuse(QStringLiteral("the running instance could not read the request (%1)")
                   .arg(pending.reader.errorString()));
}
