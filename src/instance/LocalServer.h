#pragma once

#include <QObject>
#include <QString>

class LocalSocket;
class QSocketNotifier;

// Listens on a Unix-domain socket file and hands out each connection as a
// LocalSocket owned by the server.
class LocalServer : public QObject
{
    Q_OBJECT
public:
    explicit LocalServer(QObject *parent = nullptr);
    ~LocalServer() override;

    // A file already at the path is replaced.
    bool listen(const QString &path, int backlog);
    void close();
    QString errorString() const { return m_error; }

    // The next waiting connection, or null.
    LocalSocket *nextPendingConnection();

Q_SIGNALS:
    void newConnection();

private:
    int m_descriptor = -1;
    QSocketNotifier *m_notifier = nullptr;
    QString m_path;
    QString m_error;
};
