#include "instance/InstanceClient.h"

#include <QEventLoop>
#include <QTimer>

InstanceClient::InstanceClient(std::unique_ptr<LocalSocket> socket, QObject *parent)
    : QObject(parent), m_socket(std::move(socket)), m_idle(new QTimer(this))
{
    m_idle->setSingleShot(true);
    m_idle->setInterval(int(InstanceProtocol::acceptTimeout.count()));
    connect(m_idle, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("the running instance is busy and did not take the command in "
                            "time; nothing changed"));
    });
    connect(m_socket.get(), &LocalSocket::readyRead, this, &InstanceClient::read);
    connect(m_socket.get(), &LocalSocket::disconnected, this, [this] {
        read(); // what arrived with the close
        fail(QStringLiteral("the running instance closed the connection without an answer"));
    });
}

InstanceClient::~InstanceClient() = default;

void InstanceClient::setIdleTimeout(int milliseconds)
{
    m_idle->setInterval(milliseconds);
}

void InstanceClient::send(const QStringList &args, const QString &workingDirectory)
{
    if (!m_socket->isConnected()) {
        // Queued, so a caller connecting to finished() after send() still hears it.
        QMetaObject::invokeMethod(
            this, [this] { fail(QStringLiteral("not connected to the running instance")); },
            Qt::QueuedConnection);
        return;
    }
    m_socket->write(InstanceProtocol::frame(InstanceProtocol::request(args, workingDirectory)));
    m_idle->start();
}

int InstanceClient::exchange(const QStringList &args, const QString &workingDirectory,
                             const std::function<void(const QString &)> &out,
                             const std::function<void(const QString &)> &err)
{
    QEventLoop loop;
    int status = 2;
    connect(this, &InstanceClient::standardOutput, &loop, out);
    connect(this, &InstanceClient::standardError, &loop, err);
    connect(this, &InstanceClient::finished, &loop, [&](int s) {
        status = s;
        loop.quit();
    });
    send(args, workingDirectory);
    if (!m_done)
        loop.exec();
    return status;
}

void InstanceClient::read()
{
    if (m_done)
        return;
    m_reader.append(m_socket->readAll());
    while (std::optional<QJsonObject> message = m_reader.next()) {
        const QString type = message->value(QStringLiteral("type")).toString();
        const QString text = message->value(QStringLiteral("text")).toString();
        if (type == QStringLiteral("ready")) {
            // From here on the instance works on it: wait as long as it takes.
            m_idle->stop();
            m_socket->write(InstanceProtocol::frame(InstanceProtocol::proceed()));
        } else if (type == QStringLiteral("stdout")) {
            Q_EMIT standardOutput(text);
        } else if (type == QStringLiteral("stderr")) {
            Q_EMIT standardError(text);
        } else if (type == QStringLiteral("exit")) {
            m_done = true;
            m_idle->stop();
            m_socket->disconnectFromServer();
            Q_EMIT finished(message->value(QStringLiteral("status")).toInt(2));
            return;
        }
        // Other kinds come from a newer instance and carry nothing we need.
    }
    if (m_reader.failed())
        fail(QStringLiteral("unreadable answer from the running instance (%1)")
                 .arg(m_reader.errorString()));
}

void InstanceClient::fail(const QString &why)
{
    if (m_done)
        return;
    m_done = true;
    m_idle->stop();
    m_socket->abort();
    Q_EMIT standardError(QStringLiteral("orlenta: %1\n").arg(why));
    Q_EMIT finished(2);
}
