#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

// A connected Unix-domain stream socket driven by the event loop. The
// instance and its clients need only this much of a local socket, and
// QtNetwork (with Kerberos and the proxy library behind it) would cost every
// start a few MiB for it.
class LocalSocket : public QObject
{
    Q_OBJECT
public:
    // Takes a connected descriptor; it is made non-blocking and closed with this.
    explicit LocalSocket(int descriptor, QObject *parent = nullptr);
    ~LocalSocket() override;

    // Connects in the kernel's own way: when the listener's queue is full the
    // call waits (up to sendTimeoutSeconds) for room instead of failing at
    // once. Null on failure with errno in *error.
    static std::unique_ptr<LocalSocket> connectTo(const QString &path, int sendTimeoutSeconds,
                                                  int *error);

    bool isConnected() const { return m_descriptor >= 0; }
    qint64 bytesAvailable() const { return m_input.size(); }
    QByteArray readAll();
    // Queued and written as the peer takes it; nothing once disconnected.
    void write(const QByteArray &bytes);
    // Closes once everything written has gone out.
    void disconnectFromServer();
    // Closes at once; unwritten bytes are dropped.
    void abort();

Q_SIGNALS:
    void readyRead();
    // Once, however the connection ended.
    void disconnected();

private:
    void readAvailable();
    void writePending();
    void closeNow();

    int m_descriptor;
    QSocketNotifier *m_readable;
    QSocketNotifier *m_writable;
    QByteArray m_input;
    QByteArray m_output;
    bool m_closing = false;
};
