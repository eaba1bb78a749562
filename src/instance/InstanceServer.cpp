#include "instance/InstanceServer.h"

#include <QJsonArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <memory>

#include <sys/socket.h>

InstanceRequest::InstanceRequest(QLocalSocket *socket, QStringList arguments,
                                 QString workingDirectory, QObject *parent)
    : QObject(parent), m_socket(socket), m_arguments(std::move(arguments)),
      m_workingDirectory(std::move(workingDirectory))
{}

void InstanceRequest::send(const QJsonObject &message)
{
    if (m_finished || !m_socket || m_socket->state() != QLocalSocket::ConnectedState)
        return;
    m_socket->write(InstanceProtocol::frame(message));
}

void InstanceRequest::writeStandardOutput(const QString &text)
{
    for (const QString &piece : InstanceProtocol::textPieces(text))
        send(InstanceProtocol::standardOutput(piece));
}

void InstanceRequest::writeStandardError(const QString &text)
{
    for (const QString &piece : InstanceProtocol::textPieces(text))
        send(InstanceProtocol::standardError(piece));
}

void InstanceRequest::finish(int status)
{
    send(InstanceProtocol::exit(status));
    m_finished = true;
    // Waits for the pending bytes, then closes; disconnected() ends this object.
    if (m_socket)
        m_socket->disconnectFromServer();
}

InstanceServer::InstanceServer(QObject *parent) : QObject(parent), m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::accept);
}

InstanceServer::~InstanceServer()
{
    close();
}

bool InstanceServer::listen(const QString &socketPath)
{
    QLocalServer::removeServer(socketPath);
    // A burst of commands queues in the kernel while one is carried out.
    m_server->setListenBacklogSize(SOMAXCONN);
    if (!m_server->listen(socketPath)) {
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

void InstanceServer::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        // The reader and the timer belong to the connection and go with it.
        auto reader = std::make_shared<InstanceProtocol::FrameReader>();
        auto *timer = new QTimer(socket);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this,
                [this, socket, reader, timer] { readRequest(socket, reader.get(), timer); });
        timer->start(m_requestTimeout);
        if (socket->bytesAvailable() > 0)
            readRequest(socket, reader.get(), timer);
    }
}

void InstanceServer::readRequest(QLocalSocket *socket, InstanceProtocol::FrameReader *reader,
                                 QTimer *timer)
{
    if (!timer->isActive())
        return; // one request per connection; it is already being answered
    reader->append(socket->readAll());
    std::optional<QJsonObject> message = reader->next();
    if (!message && !reader->failed())
        return;
    timer->stop();

    const auto refuse = [socket](const QString &why) {
        socket->write(InstanceProtocol::frame(
            InstanceProtocol::standardError(QStringLiteral("orlenta: %1\n").arg(why))));
        socket->write(InstanceProtocol::frame(InstanceProtocol::exit(2)));
        socket->disconnectFromServer();
    };
    if (!message) {
        refuse(QStringLiteral("the running instance could not read the request (%1)")
                   .arg(reader->errorString()));
        return;
    }
    const QJsonValue args = message->value(QStringLiteral("args"));
    if (message->value(QStringLiteral("type")).toString() != QStringLiteral("request") ||
        !args.isArray()) {
        refuse(QStringLiteral("the running instance received something that is not a request"));
        return;
    }
    QStringList arguments;
    for (const QJsonValue &value : args.toArray())
        arguments.append(value.toString());
    auto *request = new InstanceRequest(socket, arguments,
                                        message->value(QStringLiteral("cwd")).toString(), socket);
    if (!m_handler) {
        request->writeStandardError(
            QStringLiteral("orlenta: the running instance is not ready for commands yet\n"));
        request->finish(2);
        return;
    }
    m_handler(request);
}
